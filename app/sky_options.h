// The viewer's options for the sky of a date:
//   --positions [WHEN]  print every body's position and exit (no display)
//   --json [WHEN]       the same as a JSON array (implies --positions)
//   --date WHEN         open the viewer in date mode at WHEN, its clock stopped
// WHEN is "now", YYYY-MM-DD, YYYY-MM-DDTHH:MM[:SS]Z or "YYYY-MM-DD HH:MM",
// in UTC, 1800 to 2200; --positions without WHEN uses --date's, else now.
#pragma once

// Acts on the options above once the command line is parsed, before any
// window or GLUT call; empty texts stand for a WHEN not given.  Returns the
// exit status when the program is done (0 after printing the positions, 1
// when they cannot be written, 2 with a one-line message on standard error
// for a date it cannot read), or -1 when the viewer should open (in date
// mode if dateWhen is given).
int runSkyOptions(bool positions, bool json, const char* positionsWhen, const char* dateWhen);

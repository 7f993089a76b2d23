// The viewer's options for the sky of a date:
//   --positions [WHEN]  print every body's position and exit (no display)
//   --json [WHEN]       the same as a JSON array (implies --positions)
//   --date WHEN         open the viewer in date mode at WHEN, its clock stopped
// WHEN is "now", YYYY-MM-DD, YYYY-MM-DDTHH:MM[:SS]Z or "YYYY-MM-DD HH:MM",
// in UTC, 1800 to 2200; --positions without WHEN uses --date's, else now.
#pragma once

// Looks for the options above in argv and acts on them, before any window
// or GLUT call; other arguments are left for GLUT and the other options.
// Returns the exit status when the program is done (0 after printing the
// positions, 2 with a one-line message on standard error for a date it
// could not read or an option without its value), or -1 when the viewer
// should open (in date mode if --date was given).
int handleSkyOptions(int argc, char** argv);

// The lines --help shows for these options.
const char* skyOptionsHelp();

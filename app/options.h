// The viewer's command line.  Its own options are described by one table
// (options.cpp): each row names an option, whether it takes a value, the
// help line and what it sets in ViewerOptions; parsing and --help both read
// that table, so a new option is one row and one field.  GLUT's own options
// (-display NAME, -geometry WxH+X+Y, -direct, -indirect, -iconic, -gldebug,
// -sync) are left in the argument vector for glutInit.
#pragma once

#include <string>

// What the options ask for; the defaults are the viewer as it always was.
struct ViewerOptions {
    std::string language = "ko";  // "ko" or "en" ("auto" is resolved while parsing)
    bool positions = false;       // --positions or --json: print the positions and exit
    bool json = false;            // --json: print them as JSON
    std::string positionsWhen;    // the WHEN given to --positions or --json, "" for none
    std::string dateWhen;         // --date WHEN: open in date mode at WHEN, "" for none
};

// Parses the command line, takes the viewer's own options out of argc/argv
// and chooses the language of every text (selectLanguage).  Returns -1 when
// the viewer should open, or the exit status the program ends with: 0 after
// --help, --version or --positions (printed on standard output), 2 after a
// usage error or a date it cannot read (one line "solar-system: ..." on
// standard error).  --date puts the viewer in date mode before it opens.
int parseOptions(int& argc, char** argv, ViewerOptions& options);

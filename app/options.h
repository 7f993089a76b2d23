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
};

// Parses the command line, takes the viewer's own options out of argc/argv
// and chooses the language of every text (selectLanguage).  Returns -1 when
// the viewer should open, or the exit status the program ends with: 0 after
// --help or --version (printed on standard output), 2 after a usage error
// (one line "solar-system: ..." on standard error).
int parseOptions(int& argc, char** argv, ViewerOptions& options);

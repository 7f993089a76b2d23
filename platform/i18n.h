// The desktop's catalogs of the viewer's texts: which language, and where
// its gettext catalog is.  Choosing a language installs the catalog lookup
// behind the core's tr() and trContext() (core/i18n.h, included here for
// them).  Numbers, dates and every other locale category stay in the C
// locale whatever is chosen.
#pragma once

#include <string>
#include <vector>

#include "core/i18n.h"

// The languages there are catalogs for, as po/LINGUAS lists them, in its
// order ("ko", "en"); the build compiles one catalog for each.
std::vector<std::string> knownLanguages();
bool isKnownLanguage(const char* language);  // one of knownLanguages()

// Chooses the language of tr(), "ko" or "en", and installs the catalog
// lookup.  The catalog <folder>/<language>/LC_MESSAGES/solar-system.mo is
// taken from the first of catalogFolders() that holds one; none is an error
// for no one: tr() then gives every text as written.  Call it before any
// thread starts (it sets the environment variable LANGUAGE).  False for an unknown language.
bool selectLanguage(const char* language);
// The same with the catalogs of one folder (tests).
bool selectLanguageFrom(const char* language, const std::string& localeFolder);

// Where catalogs are looked for, in order: the installed share/locale beside
// the executable (<bindir>/../share/locale), then the build tree's locale/
// beside it.  Never the working directory.
std::vector<std::string> catalogFolders();

// The language the user's locale asks for, as gettext reads it: LANGUAGE (a
// list, first entry that has a catalog; ignored under the C locale), then
// the first set of LC_ALL, LC_MESSAGES and LANG.  "ko" when none of them
// names a known language.
const char* languageFromEnvironment();

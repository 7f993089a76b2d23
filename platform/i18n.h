// The language of the viewer's texts.  Every text a person reads goes
// through tr(), whose argument is the text itself as the viewer has always
// shown it (Korean for the fact boxes and messages, English for new texts);
// the chosen catalog may give it in another language.  Numbers, dates and
// every other locale category stay in the C locale whatever is chosen.
#pragma once

#include <string>
#include <vector>

// The text in the chosen language, or msgid itself when no language was
// chosen, no catalog was found or the catalog lacks it.  The result lives
// as long as the process.
const char* tr(const char* msgid);

// The same for a text that reads differently in one place (the catalogs'
// msgctxt): the body menu's "Earth" stays Latin where a body's name does not.
const char* trContext(const char* context, const char* msgid);

// Mark texts kept in tables, so that the catalogs' tools find them; they
// are translated where they are shown, with tr() or trContext().
#define N_(text) text
#define NC_(context, text) text

// The languages there are catalogs for, as po/LINGUAS lists them, in its
// order ("ko", "en"); the build compiles one catalog for each.
std::vector<std::string> knownLanguages();
bool isKnownLanguage(const char* language);  // one of knownLanguages()

// Chooses the language of tr(): "ko" or "en".  The catalog
// <folder>/<language>/LC_MESSAGES/solar-system.mo is taken from the first of
// catalogFolders() that holds one; none is an error for no one: tr() then
// gives every text as written.  Call it before any thread starts (it sets
// the environment variable LANGUAGE).  False for an unknown language.
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

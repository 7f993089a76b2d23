// The language of the viewer's texts, as the core sees it.  Every text a
// person reads goes through tr(), whose argument is the text itself as the
// viewer has always shown it (Korean for the fact boxes and messages,
// English for new texts).  Where the translation comes from is the front
// end's business: it installs a lookup with setTranslator (the desktop's
// reads gettext catalogs, platform/i18n.h; the web page's a table filled
// from JavaScript).  Without one every text stays as written.
#pragma once

// The text in the chosen language, or msgid itself when no lookup is
// installed or the lookup has nothing for it.  The result lives as long as
// the lookup keeps it (the desktop's: the process).
const char* tr(const char* msgid);

// The same for a text that reads differently in one place (the catalogs'
// msgctxt): the body menu's "Earth" stays Latin where a body's name does not.
const char* trContext(const char* context, const char* msgid);

// Mark texts kept in tables, so that the catalogs' tools find them; they
// are translated where they are shown, with tr() or trContext().
#define N_(text) text
#define NC_(context, text) text

// The lookup tr() and trContext() hand every non-empty msgid to: context is
// null for tr().  It returns the translation, or msgid itself (or null) when
// it has none.  Null uninstalls it.  Install it before any thread reads
// texts; tr() itself keeps no other state.
using Translator = const char* (*)(const char* context, const char* msgid);
void setTranslator(Translator lookup);

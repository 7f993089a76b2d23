// The language of the viewer's texts.  Every text a person reads goes
// through tr(), whose argument is the text itself as the viewer has always
// shown it (Korean for the fact boxes and messages, English for new texts);
// the chosen catalog may give it in another language.  Numbers, dates and
// every other locale category stay in the C locale whatever is chosen.
#pragma once

// The text in the chosen language, or msgid itself when no catalog is
// loaded or the catalog lacks it.  The result lives as long as the process.
const char* tr(const char* msgid);

// Until a language is chosen, every text is shown as written.
#include "platform/i18n.h"

const char* tr(const char* msgid) { return msgid; }

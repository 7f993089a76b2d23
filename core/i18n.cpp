#include "core/i18n.h"

namespace {
Translator translator = nullptr;

const char* lookUp(const char* context, const char* msgid)
{
    // The empty msgid names a catalog's header, not a text.
    if (!translator || !msgid || !*msgid)
        return msgid;
    const char* text = translator(context, msgid);
    return text ? text : msgid;
}
}  // namespace

void setTranslator(Translator lookup) { translator = lookup; }

const char* tr(const char* msgid) { return lookUp(nullptr, msgid); }

const char* trContext(const char* context, const char* msgid) { return context ? lookUp(context, msgid) : msgid; }

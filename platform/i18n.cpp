// Catalogs through GNU gettext, without touching the process's locale.
//
// gettext picks a catalog by the name of the LC_MESSAGES locale, and a
// locale of that name must be installed (generated) on the machine: a
// desktop with only en_US.UTF-8 generated could not show Korean, and
// setlocale(LC_ALL, "") would also change number formatting, which the
// readers and writers rely on being "C".  Instead, tr() looks texts up under
// a thread-local messages locale, C.UTF-8 (part of every glibc system since
// 2.35 and of Debian's for longer), that only it uses, and the language
// itself comes from LANGUAGE, which gettext consults whenever the messages
// locale is not plain "C".  The process's own locale stays "C" in every
// category, so other libraries' texts (GTK's, the C library's) and every
// number stay exactly as before, and no generated locale is needed at all.

#include "platform/i18n.h"

#include "platform/data_path.h"
#include "platform/languages.h"

#include <libintl.h>
#include <locale.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>

namespace {

constexpr const char* TEXT_DOMAIN = "solar-system";

// The messages locale tr() looks texts up under; null until a language with
// a catalog is chosen, and then tr() gives every text as written.
locale_t messagesLocale = nullptr;

bool catalogIn(const std::string& folder, const char* language)
{
    const std::string file = folder + "/" + language + "/LC_MESSAGES/" + TEXT_DOMAIN + ".mo";
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The language code of a locale or LANGUAGE entry: "en" of "en_US.UTF-8".
std::string_view languageCode(std::string_view name) { return name.substr(0, name.find_first_of("_.@")); }

// The entry of po/LINGUAS a locale or LANGUAGE entry names, or null.
const char* knownLanguage(std::string_view name)
{
    const std::string_view code = languageCode(name);
    for (const char* language : SOLAR_LANGUAGES)
        if (code == language)
            return language;
    return nullptr;
}

// gettext's text for msgid, looked up under the messages locale.
const char* catalogText(const char* msgid)
{
    const locale_t previous = uselocale(messagesLocale);
    const char* text = dgettext(TEXT_DOMAIN, msgid);
    uselocale(previous);
    return text;
}

// The lookup the core's tr() and trContext() call (core/i18n.h).
const char* catalogLookup(const char* context, const char* msgid)
{
    if (!messagesLocale)
        return msgid;
    if (!context)
        return catalogText(msgid);
    // gettext keeps a text with a context as "context\004msgid"; without a
    // translation it hands that key back, and the text is msgid itself.
    const std::string key = std::string(context) + '\004' + msgid;
    const char* text = catalogText(key.c_str());
    return text == key.c_str() ? msgid : text;
}

}  // namespace

bool isKnownLanguage(const char* language)
{
    return language && knownLanguage(language) && std::strcmp(knownLanguage(language), language) == 0;
}

std::vector<std::string> knownLanguages()
{
    return std::vector<std::string>(std::begin(SOLAR_LANGUAGES), std::end(SOLAR_LANGUAGES));
}

std::vector<std::string> catalogFolders()
{
    std::vector<std::string> folders;
    const std::string exeFolder = executableFolder();
    if (!exeFolder.empty()) {
        folders.push_back(exeFolder + "/../share/locale");
        folders.push_back(exeFolder + "/locale");
    }
    return folders;
}

bool selectLanguageFrom(const char* language, const std::string& localeFolder)
{
    if (!isKnownLanguage(language))
        return false;
    setTranslator(catalogLookup);
    if (messagesLocale) {
        freelocale(messagesLocale);
        messagesLocale = nullptr;
    }
    if (localeFolder.empty() || !catalogIn(localeFolder, language))
        return true;  // texts as written
    // Every category but LC_MESSAGES comes from the C locale.
    for (const char* name : {"C.UTF-8", "C.utf8"})
        if ((messagesLocale = newlocale(LC_MESSAGES_MASK, name, nullptr)) != nullptr)
            break;
    if (!messagesLocale)
        return true;
    setenv("LANGUAGE", language, 1);
    // Setting the default domain again is gettext's signal that the
    // environment changed: texts looked up under another language before
    // are looked up afresh.
    textdomain(textdomain(nullptr));
    bindtextdomain(TEXT_DOMAIN, localeFolder.c_str());
    // The catalogs are UTF-8, and so is every text the viewer shows,
    // whatever the character set of the process's (C) locale.
    bind_textdomain_codeset(TEXT_DOMAIN, "UTF-8");
    return true;
}

bool selectLanguage(const char* language)
{
    if (!isKnownLanguage(language))
        return false;
    for (const std::string& folder : catalogFolders())
        if (catalogIn(folder, language))
            return selectLanguageFrom(language, folder);
    return selectLanguageFrom(language, std::string());
}

const char* languageFromEnvironment()
{
    auto variable = [](const char* name) -> std::string_view {
        const char* value = std::getenv(name);
        return value ? value : "";
    };
    std::string_view locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (!(locale = variable(name)).empty())
            break;
    // As gettext does, LANGUAGE counts only outside the C locale.
    if (!locale.empty() && locale != "C" && locale != "POSIX") {
        std::string_view list = variable("LANGUAGE");
        while (!list.empty()) {
            const std::size_t colon = list.find(':');
            if (const char* language = knownLanguage(list.substr(0, colon)))
                return language;
            list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
        }
    }
    if (const char* language = knownLanguage(locale))
        return language;
    return "ko";
}

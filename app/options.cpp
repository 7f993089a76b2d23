#include "app/options.h"

#include "app/sky_options.h"

#include "platform/i18n.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#ifndef SOLAR_SYSTEM_VERSION
#define SOLAR_SYSTEM_VERSION "unknown"
#endif

namespace {

enum class Value {
    None,      // --flag
    Required,  // --name VALUE or --name=VALUE
    Optional,  // --name, --name=VALUE, or --name VALUE when VALUE does not begin with '-'
};

// Why a command line is refused: a message (an English text, shown through
// tr()) with up to two %s filled from `first` and `second`.
struct UsageError {
    const char* message = nullptr;
    std::string first, second;
};

// What an option does with its value (null when it has none); false with
// `error` set refuses the command line.
using ApplyOption = bool (*)(ViewerOptions& options, const char* value, UsageError& error);

struct OptionRow {
    const char* name;       // "--lang"
    Value value;            // whether it takes a value
    const char* valueName;  // shown in --help: "ko|en|auto"
    const char* help;       // shown in --help, through tr()
    ApplyOption apply;      // null for --help and --version, which main's parse handles
};

// "ko|en|auto": the languages of po/LINGUAS and "auto", for --help.
const char* languageChoices()
{
    static const std::string choices = [] {
        std::string text;
        for (const std::string& language : knownLanguages())
            text += language + "|";
        return text + "auto";
    }();
    return choices.c_str();
}

bool applyLanguage(ViewerOptions& options, const char* value, UsageError& error)
{
    if (std::strcmp(value, "auto") == 0) {
        options.language = languageFromEnvironment();
        return true;
    }
    if (!isKnownLanguage(value)) {
        std::string list;
        for (const std::string& language : knownLanguages())
            list += (list.empty() ? "" : ", ") + language;
        error = {N_("unknown language '%s' (%s or auto)"), value, list};
        return false;
    }
    options.language = value;
    return true;
}

bool applyPositions(ViewerOptions& options, const char* value, UsageError&)
{
    options.positions = true;
    if (value)
        options.positionsWhen = value;
    return true;
}

bool applyJson(ViewerOptions& options, const char* value, UsageError& error)
{
    options.json = true;
    return applyPositions(options, value, error);
}

bool applyDate(ViewerOptions& options, const char* value, UsageError&)
{
    options.dateWhen = value;
    return true;
}

const OptionRow optionTable[] = {
    {"--lang", Value::Required, languageChoices(),
     N_("language of the texts: ko Korean (the default), en English, auto from the locale"), applyLanguage},
    {"--positions", Value::Optional, "WHEN",
     N_("print where each planet and the Moon is at WHEN (default now) and exit"), applyPositions},
    {"--json", Value::Optional, "WHEN", N_("print those positions as JSON and exit"), applyJson},
    {"--date", Value::Required, "WHEN", N_("open at WHEN in date mode, its clock stopped"), applyDate},
    {"--help", Value::None, nullptr, N_("show this help and exit"), nullptr},
    {"--version", Value::None, nullptr, N_("show the version and exit"), nullptr},
};

// GLUT's options, passed through untouched, and whether each takes a value.
struct GlutOption {
    const char* name;
    bool takesValue;
};
const GlutOption glutOptions[] = {
    {"-display", true}, {"-geometry", true}, {"-direct", false}, {"-indirect", false},
    {"-iconic", false}, {"-gldebug", false}, {"-sync", false},
};

const OptionRow* findOption(std::string_view name)
{
    for (const OptionRow& row : optionTable)
        if (name == row.name)
            return &row;
    return nullptr;
}

const GlutOption* findGlutOption(std::string_view name)
{
    for (const GlutOption& option : glutOptions)
        if (name == option.name)
            return &option;
    return nullptr;
}

void printHelp()
{
    std::printf("%s\n", tr("Usage: solar-system [OPTION]... [GLUT OPTION]..."));
    std::printf("%s\n\n", tr("An animated 3-D model of the solar system."));
    for (const OptionRow& row : optionTable) {
        std::string left = row.name;
        if (row.value == Value::Required)
            left += std::string(" ") + row.valueName;
        else if (row.value == Value::Optional)
            left += std::string(" [") + row.valueName + "]";
        std::printf("  %-20s %s\n", left.c_str(), tr(row.help));
    }
    std::printf("\n%s\n", tr("WHEN is now, YYYY-MM-DD, YYYY-MM-DDTHH:MMZ or \"YYYY-MM-DD HH:MM\" (UTC, 1800 to "
                             "2200)."));
    std::printf("%s\n", tr("GLUT options: -display NAME, -geometry WxH+X+Y, -direct, -indirect, -iconic, "
                           "-gldebug, -sync."));
}

int usageError(const UsageError& error)
{
    std::fputs("solar-system: ", stderr);
    std::fprintf(stderr, tr(error.message), error.first.c_str(), error.second.c_str());
    std::fputc('\n', stderr);
    return 2;
}

}  // namespace

int parseOptions(int& argc, char** argv, ViewerOptions& options)
{
    bool help = false;
    bool version = false;
    UsageError error;
    std::vector<char*> kept;  // the program name and GLUT's options
    if (argc > 0)
        kept.push_back(argv[0]);
    for (int i = 1; i < argc && !error.message; ++i) {
        const std::string_view arg = argv[i];
        if (const GlutOption* glut = findGlutOption(arg)) {
            kept.push_back(argv[i]);
            if (glut->takesValue) {
                if (i + 1 >= argc)
                    error = {N_("option '%s' needs a value"), argv[i], {}};
                else
                    kept.push_back(argv[++i]);
            }
            continue;
        }
        const std::size_t equals = arg.starts_with("--") ? arg.find('=') : std::string_view::npos;
        const std::string name(arg.substr(0, equals));
        const OptionRow* row = findOption(name);
        if (!row) {
            error = {arg.starts_with("-") ? "unknown option '%s' (see --help)"
                                          : "unexpected argument '%s' (see --help)",
                     argv[i],
                     {}};
            break;
        }
        const char* value = equals == std::string_view::npos ? nullptr : argv[i] + equals + 1;
        if (row->value == Value::None && value) {
            error = {N_("option '%s' takes no value"), name, {}};
            break;
        }
        if (row->value == Value::Required && !value) {
            if (i + 1 >= argc) {
                error = {N_("option '%s' needs a value: %s"), name, row->valueName};
                break;
            }
            value = argv[++i];
        }
        if (row->value == Value::Optional && !value && i + 1 < argc && argv[i + 1][0] != '-')
            value = argv[++i];
        if (name == "--help")
            help = true;
        else if (name == "--version")
            version = true;
        else if (row->apply && !row->apply(options, value, error))
            break;
    }
    // The language first, so that help and messages are in it.
    selectLanguage(options.language.c_str());
    if (error.message)
        return usageError(error);
    if (help) {
        printHelp();
        return 0;
    }
    if (version) {
        std::printf("solar-system %s\n", SOLAR_SYSTEM_VERSION);
        return 0;
    }
    if (const int status =
            runSkyOptions(options.positions, options.json, options.positionsWhen.c_str(), options.dateWhen.c_str());
        status >= 0)
        return status;
    for (std::size_t i = 0; i < kept.size(); ++i)
        argv[i] = kept[i];
    argc = static_cast<int>(kept.size());
    argv[argc] = nullptr;
    return -1;
}

// The language of the viewer's texts, in-process: the catalogs the build
// made, the language the environment asks for, and the command line.
#include "app/options.h"
#include "platform/i18n.h"
#include "core/bodies.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// A fact box: its caption and its text.
struct BodyFacts {
    const char* caption;
    const char* text;
};

// The fact boxes of the body table, Sun to Pluto.
std::vector<BodyFacts> factBoxes()
{
    std::vector<BodyFacts> boxes;
    for (const BodyRow& body : bodyTable)
        if (body.factCaption)
            boxes.push_back({body.factCaption, body.factText});
    return boxes;
}
const std::vector<BodyFacts> bodyFacts = factBoxes();

const char* const menuLabels[] = {"Sun",    "Mecury", "Venus",   "Earth", "Mars",   "Jupiter",
                                  "Saturn", "Uranus", "Neptune", "Pluto", "Kosmara"};

std::vector<std::string> numbersIn(const std::string& text)
{
    std::vector<std::string> numbers;
    const std::regex number("[0-9][0-9.,*]*");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), number); it != std::sregex_iterator(); ++it)
        numbers.push_back(it->str());
    return numbers;
}

bool hasHangul(const std::string& text)
{
    // Hangul syllables are U+AC00..U+D7A3: lead bytes 0xEA..0xED in UTF-8.
    for (unsigned char c : text)
        if (c >= 0xEA && c <= 0xED)
            return true;
    return false;
}

class Catalogs : public testing::Test {
protected:
    void TearDown() override { selectLanguageFrom("ko", std::string()); }
};

}  // namespace

TEST_F(Catalogs, KoreanKeepsEveryTextAsItHasAlwaysRead)
{
    ASSERT_TRUE(selectLanguageFrom("ko", SOLAR_LOCALE_DIR));
    for (const BodyFacts& facts : bodyFacts) {
        EXPECT_STREQ(tr(facts.caption), facts.caption);
        EXPECT_STREQ(tr(facts.text), facts.text);
    }
    for (const char* label : menuLabels)
        EXPECT_STREQ(trContext("body menu", label), label);
    for (const char* message : {"Error", "OK", "Solar System", "Failed to open DIB file %s.\n", "Out of memory.",
                                "Could not open file '%s'\n", "Error reading BMP pixels\n"})
        EXPECT_STREQ(tr(message), message);
    // New texts are Korean.
    EXPECT_TRUE(hasHangul(tr("show this help and exit")));
}

TEST_F(Catalogs, EnglishTranslatesNamesFactsAndMenuKeepingNumbersAndUnits)
{
    ASSERT_TRUE(selectLanguageFrom("en", SOLAR_LOCALE_DIR));
    EXPECT_STREQ(tr("화성"), "Mars");
    EXPECT_STREQ(tr(bodyFacts[4].text), "Radius(Km) : 3397\nMass(10^24 Kg) : 0.642\nDensity(g/cm3) : 3.93\n"
                                        "Gravity(Earth=1) : 0.38\nRotation period : 24.62 hours\n"
                                        "Orbital period : 1.88 years");
    for (const BodyFacts& facts : bodyFacts) {
        SCOPED_TRACE(facts.caption);
        const std::string caption = tr(facts.caption);
        const std::string text = tr(facts.text);
        EXPECT_FALSE(hasHangul(caption) || hasHangul(text)) << caption << "\n" << text;
        std::vector<std::string> korean = numbersIn(facts.text);
        for (std::string& n : korean)  // "10*24" is written 10^24
            n = n == "10*24" ? "10" : n;
        std::vector<std::string> english = numbersIn(text);
        std::erase(english, "24");
        EXPECT_EQ(english, korean);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
        EXPECT_NE(text.find("(Km)"), std::string::npos);
        EXPECT_NE(text.find("(g/cm3)"), std::string::npos);
    }
    EXPECT_STREQ(trContext("body menu", "Mecury"), "Mercury");
    EXPECT_STREQ(trContext("body menu", "Kosmara"), "Kosmara");
    // Only the menu's label is corrected; a text without the context is not.
    EXPECT_STREQ(tr("Mecury"), "Mecury");
    EXPECT_STREQ(tr("Failed to open DIB file %s.\n"), "Failed to open DIB file %s.\n");
}

TEST_F(Catalogs, OnlyTheLanguageChangesNotTheLocale)
{
    setenv("LANG", "en_US.UTF-8", 1);
    ASSERT_TRUE(selectLanguageFrom("en", SOLAR_LOCALE_DIR));
    EXPECT_STREQ(tr("화성"), "Mars");
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
    char number[32];
    std::snprintf(number, sizeof number, "%.2f", 1.5);
    EXPECT_STREQ(number, "1.50");
    EXPECT_STREQ(std::localeconv()->decimal_point, ".");
    unsetenv("LANG");
}

TEST_F(Catalogs, MissingCatalogGivesTheTextsAsWrittenAndUnknownLanguagesAreRefused)
{
    const TempDir empty;
    EXPECT_TRUE(selectLanguageFrom("en", empty.path.string()));
    EXPECT_STREQ(tr("화성"), "화성");
    EXPECT_STREQ(trContext("body menu", "Mecury"), "Mecury");
    EXPECT_FALSE(selectLanguageFrom("fr", SOLAR_LOCALE_DIR));
    EXPECT_FALSE(selectLanguage("english"));
    EXPECT_STREQ(tr(""), "");
}

TEST(LanguageFromEnvironment, FollowsGettextsOrderAndFallsBackToKorean)
{
    struct Case {
        std::vector<std::pair<const char*, const char*>> environment;
        const char* language;
    };
    const Case cases[] = {
        {{}, "ko"},
        {{{"LANG", "en_US.UTF-8"}}, "en"},
        {{{"LANG", "ko_KR.UTF-8"}}, "ko"},
        {{{"LC_ALL", "C"}}, "ko"},
        {{{"LC_ALL", "C.UTF-8"}}, "ko"},
        {{{"LANG", "fr_FR.UTF-8"}}, "ko"},
        {{{"LC_MESSAGES", "en_GB.UTF-8"}, {"LANG", "ko_KR.UTF-8"}}, "en"},
        {{{"LC_ALL", "ko_KR.UTF-8"}, {"LC_MESSAGES", "en_US.UTF-8"}}, "ko"},
        {{{"LANGUAGE", "fr:en_GB:ko"}, {"LANG", "de_DE.UTF-8"}}, "en"},
        {{{"LANGUAGE", "en"}, {"LANG", "ko_KR.UTF-8"}}, "en"},
        // gettext ignores LANGUAGE under the C locale.
        {{{"LANGUAGE", "en"}, {"LC_ALL", "C"}}, "ko"},
        {{{"LANGUAGE", "en"}}, "ko"},
    };
    const char* const names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    for (const Case& c : cases) {
        for (const char* name : names)
            unsetenv(name);
        std::string described;
        for (const auto& [name, value] : c.environment) {
            setenv(name, value, 1);
            described += std::string(name) + "=" + value + " ";
        }
        EXPECT_STREQ(languageFromEnvironment(), c.language) << described;
    }
    for (const char* name : names)
        unsetenv(name);
}

namespace {

struct Parsed {
    int status;
    std::vector<std::string> left;  // what is left for glutInit
    ViewerOptions options;
    std::string out, err;
};

Parsed parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "solar-system");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(args.size());
    Parsed parsed;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    parsed.status = parseOptions(argc, argv.data(), parsed.options);
    parsed.out = testing::internal::GetCapturedStdout();
    parsed.err = testing::internal::GetCapturedStderr();
    for (int i = 0; i < argc; ++i)
        parsed.left.push_back(argv[i]);
    EXPECT_EQ(argv[argc], nullptr);
    return parsed;
}

}  // namespace

TEST(Options, NoneOpenTheViewerInKoreanAndLeaveGlutItsOwn)
{
    Parsed p = parse({});
    EXPECT_EQ(p.status, -1);
    EXPECT_EQ(p.options.language, "ko");
    EXPECT_EQ(p.left, std::vector<std::string>{"solar-system"});

    p = parse({"-geometry", "320x200+40+30", "--lang", "en", "-iconic", "-display", ":0", "-sync"});
    EXPECT_EQ(p.status, -1);
    EXPECT_EQ(p.options.language, "en");
    EXPECT_EQ(p.left, (std::vector<std::string>{"solar-system", "-geometry", "320x200+40+30", "-iconic", "-display",
                                                ":0", "-sync"}));
    EXPECT_EQ(p.out + p.err, "");

    p = parse({"--lang=en", "--lang", "ko"});
    EXPECT_EQ(p.status, -1);
    EXPECT_EQ(p.options.language, "ko");  // the last one counts

    setenv("LANG", "en_US.UTF-8", 1);
    unsetenv("LC_ALL");
    EXPECT_EQ(parse({"--lang", "auto"}).options.language, "en");
    unsetenv("LANG");
    EXPECT_EQ(parse({"--lang", "auto"}).options.language, "ko");
}

TEST(Options, HelpAndVersionPrintAndEndWithZero)
{
    Parsed p = parse({"--help"});
    EXPECT_EQ(p.status, 0);
    EXPECT_NE(p.out.find("--lang ko|en|auto"), std::string::npos) << p.out;
    EXPECT_NE(p.out.find("--help"), std::string::npos);
    EXPECT_NE(p.out.find("--version"), std::string::npos);
    EXPECT_NE(p.out.find("-geometry"), std::string::npos);
    EXPECT_EQ(p.err, "");

    p = parse({"--version"});
    EXPECT_EQ(p.status, 0);
    EXPECT_TRUE(p.out.starts_with("solar-system ")) << p.out;
    EXPECT_EQ(std::count(p.out.begin(), p.out.end(), '\n'), 1);
}

TEST(Options, UsageErrorsAreOneLineAndStatusTwo)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"}, {"-x"}, {"stray"}, {"--lang"}, {"--lang", "fr"}, {"--help=yes"}, {"-geometry"},
    };
    for (const auto& args : bad) {
        const Parsed p = parse(args);
        SCOPED_TRACE(args.front());
        EXPECT_EQ(p.status, 2);
        EXPECT_EQ(p.out, "");
        EXPECT_TRUE(p.err.starts_with("solar-system: ")) << p.err;
        EXPECT_EQ(std::count(p.err.begin(), p.err.end(), '\n'), 1) << p.err;
    }
    EXPECT_NE(parse({"--bogus"}).err.find("'--bogus'"), std::string::npos);
}

// po/LINGUAS is the one list of languages: the build made a catalog of each,
// the viewer knows each, and --help and a refused --lang name each.
TEST(Options, TheLanguagesAreThoseOfPoLinguas)
{
    std::vector<std::string> listed;
    std::istringstream lines(readFile(SOLAR_LINGUAS));
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] != '#')
            listed.push_back(line);
    ASSERT_FALSE(listed.empty());
    EXPECT_EQ(knownLanguages(), listed);
    std::string choices, names;
    for (const std::string& language : listed) {
        EXPECT_TRUE(isKnownLanguage(language.c_str())) << language;
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(SOLAR_LOCALE_DIR) / language /
                                                     "LC_MESSAGES/solar-system.mo"))
            << language;
        choices += language + "|";
        names += (names.empty() ? "" : ", ") + language;
    }
    EXPECT_FALSE(isKnownLanguage("fr"));
    EXPECT_NE(parse({"--help"}).out.find("--lang " + choices + "auto"), std::string::npos);
    const Parsed refused = parse({"--lang", "fr"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("'fr' (" + names + " "), std::string::npos) << refused.err;
}

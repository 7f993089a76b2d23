// The README's controls table and the manual page name the same controls,
// and those are the controls of the viewer's table.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "app/controls.h"

namespace {

std::string trim(std::string s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The first cell of every row of the table under "## Controls".
std::set<std::string> readmeControls(const std::string& path)
{
    std::ifstream in(path);
    std::set<std::string> found;
    std::string line;
    bool inSection = false;
    int row = 0;
    while (std::getline(in, line)) {
        if (line.rfind("## ", 0) == 0) {
            inSection = line == "## Controls";
            continue;
        }
        if (!inSection || line.empty() || line[0] != '|')
            continue;
        if (++row <= 2)
            continue;  // the header and the rule under it
        std::string cell = line.substr(1, line.find('|', 1) - 1);
        std::string plain;
        for (char c : cell)
            if (c != '`')
                plain += c;
        found.insert(trim(plain));
    }
    return found;
}

// The tag of every .TP entry in the section CONTROLS, escapes undone.
std::set<std::string> manualControls(const std::string& path)
{
    std::ifstream in(path);
    std::set<std::string> found;
    std::string line;
    bool inSection = false, tagNext = false;
    while (std::getline(in, line)) {
        if (line.rfind(".SH", 0) == 0) {
            inSection = line == ".SH CONTROLS";
            continue;
        }
        if (!inSection)
            continue;
        if (line == ".TP") {
            tagNext = true;
            continue;
        }
        if (!tagNext)
            continue;
        tagNext = false;
        std::string tag = line.rfind(".B ", 0) == 0 ? line.substr(3) : line;
        std::string plain;
        for (size_t i = 0; i < tag.size(); ++i) {
            if (tag[i] == '"')
                continue;
            if (tag[i] == '\\' && i + 1 < tag.size()) {
                ++i;
                plain += tag[i] == 'e' ? '\\' : tag[i];  // \- is a minus, \e a backslash
                continue;
            }
            plain += tag[i];
        }
        found.insert(trim(plain));
    }
    return found;
}

TEST(ControlsDocumentation, ReadmeAndManualListTheSameControlsAsTheViewer)
{
    const std::set<std::string> readme = readmeControls(SOURCE_DIR "/README.md");
    const std::set<std::string> manual = manualControls(SOURCE_DIR "/data/solar-system.6");
    std::set<std::string> table;
    for (int i = 0; i < CONTROL_COUNT; ++i)
        table.insert(controls[i].input);
    ASSERT_FALSE(readme.empty());
    ASSERT_FALSE(manual.empty());
    EXPECT_EQ(readme, manual) << "README and solar-system(6) disagree";
    EXPECT_EQ(readme, table) << "README and the viewer's table of controls disagree";
}

}  // namespace

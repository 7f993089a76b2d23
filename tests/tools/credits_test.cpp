// The credits of the maps the bodies' pictures are made from, where a
// learner and a packager look for them: the help panel (F1), the README, the
// AppStream metainfo and the packages' copyright file each give one entry
// per picture, and all agree with the body table's credit.
#include <gtest/gtest.h>

#include "app/overlay.h"
#include "core/bodies.h"
#include "tests/support/files.h"

#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// One body picture and its credit, "author (licence)", split in two.
struct Credit {
    std::string body;     // the English name
    std::string picture;  // the file name, "Sun.bmp"
    std::string author;
    std::string licence;
};

std::vector<Credit> tableCredits()
{
    std::vector<Credit> credits;
    for (int slot = 0; slot <= SLOT_PLUTO; ++slot) {
        const BodyRow* row = bodyForSlot(slot);
        EXPECT_NE(row, nullptr) << "slot " << slot;
        if (!row)
            continue;
        const std::string credit = row->mapCredit ? row->mapCredit : "";
        const std::string::size_type open = credit.rfind(" (");
        EXPECT_TRUE(open != std::string::npos && credit.back() == ')') << row->name << ": " << credit;
        if (open == std::string::npos)
            continue;
        const std::string picture = row->picture;
        credits.push_back({row->name, picture.substr(picture.find('\\') + 1), credit.substr(0, open),
                           credit.substr(open + 2, credit.size() - open - 3)});
    }
    return credits;
}

// How many times `what` occurs in `text`.
int count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (std::string::size_type at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The paragraph of a DEP-5 copyright file whose first line is `head`, with
// its continuation lines joined to their field by a space.
std::string paragraph(const std::string& copyright, const std::string& head)
{
    const std::string::size_type at = copyright.find("\n\n" + head + "\n");
    if (at == std::string::npos)
        return "";
    std::string::size_type end = copyright.find("\n\n", at + 2);
    if (end == std::string::npos)
        end = copyright.size();
    return std::regex_replace(copyright.substr(at + 2, end - at - 2), std::regex("\n "), " ");
}

// The short licence names of the copyright file, by the name the credits
// give each licence.
const std::map<std::string, std::string> dep5Names = {
    {"GPL-2+", "GPL-2+"},
    {"CC BY 4.0", "CC-BY-4.0"},
    {"NASA imagery, not copyrighted", "NASA-imagery"},
    {"public domain", "public-domain"},
    {"Courtesy NASA/JPL-Caltech", "JPL-images"},
    {"free to use as source material", "Hastings-Trew-maps"},
};

}  // namespace

TEST(MapCredits, EveryBodyPictureHasACreditOfAuthorAndLicence)
{
    const std::vector<Credit> credits = tableCredits();
    ASSERT_EQ(credits.size(), 11u);
    for (const Credit& c : credits) {
        EXPECT_FALSE(c.author.empty()) << c.body;
        EXPECT_EQ(dep5Names.count(c.licence), 1u) << c.body << ": a licence the copyright file does not name";
    }
}

TEST(MapCredits, HelpPanelListsOneLinePerPicture)
{
    const std::vector<std::pair<std::string, std::string>> lines = mapCreditLines();
    const std::vector<Credit> credits = tableCredits();
    ASSERT_EQ(lines.size(), credits.size());
    for (std::size_t i = 0; i < credits.size(); ++i) {
        EXPECT_EQ(lines[i].first, credits[i].body);
        EXPECT_EQ(lines[i].second, credits[i].author + " (" + credits[i].licence + ")");
    }
}

TEST(MapCredits, ReadmeHasOneRowPerPicture)
{
    const std::string readme = readFile(fs::path(SOURCE_DIR) / "README.md");
    const std::string::size_type section = readme.find("\n## Credits\n");
    ASSERT_NE(section, std::string::npos) << "README.md has no Credits section";
    const std::string credits = readme.substr(section);
    for (const Credit& c : tableCredits()) {
        SCOPED_TRACE(c.body);
        const std::string start = "\n| " + c.body + " (`" + c.picture + "`)";
        ASSERT_EQ(count(credits, start), 1) << "one row for " << c.picture;
        const std::string::size_type at = credits.find(start);
        const std::string row = credits.substr(at + 1, credits.find('\n', at + 1) - at - 1);
        EXPECT_NE(row.find("| " + c.author + " | " + c.licence + " |"), std::string::npos) << row;
    }
}

TEST(MapCredits, MetainfoListsOneEntryPerPicture)
{
    const std::string metainfo = readFile(fs::path(SOURCE_DIR) / "data/solar-system.metainfo.xml");
    for (const Credit& c : tableCredits())
        EXPECT_EQ(count(metainfo, "<li>" + c.body + ": " + c.author + ", " + c.licence + "</li>"), 1) << c.body;
}

TEST(MapCredits, CopyrightFileHasOneStanzaPerPictureWithItsLicence)
{
    const std::string copyright = readFile(fs::path(SOURCE_DIR) / "cmake/debian/copyright");
    ASSERT_FALSE(copyright.empty());
    for (const Credit& c : tableCredits()) {
        SCOPED_TRACE(c.body);
        const std::string head = "Files: image/" + c.picture;
        ASSERT_EQ(count(copyright, "\n" + head + "\n"), 1);
        const std::string stanza = paragraph(copyright, head);
        std::smatch field;
        ASSERT_TRUE(std::regex_search(stanza, field, std::regex("\nCopyright: ([^\n]*)"))) << stanza;
        EXPECT_NE(field[1].str().find(c.author), std::string::npos) << field[1];
        const std::string licence = dep5Names.count(c.licence) ? dep5Names.at(c.licence) : "?";
        EXPECT_NE(stanza.find("\nLicense: " + licence + "\n"), std::string::npos) << stanza;
        // The licence's own paragraph, with its text, further down.
        EXPECT_FALSE(paragraph(copyright, "License: " + licence).empty()) << licence;
    }
    // The code keeps its licence: the first stanza covers everything else.
    EXPECT_NE(copyright.find("\nFiles: *\nCopyright: "), std::string::npos);
}

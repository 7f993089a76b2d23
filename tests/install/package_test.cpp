// The Debian packages as Debian's own tools see them: lintian's verdict, the
// copyright file and changelog every package carries, and an install with
// dpkg into a scratch root followed by a purge that must leave nothing of
// ours behind.  The packages are made once by the install.make_packages test.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/x_session.h"

namespace fs = std::filesystem;

namespace {

// A shell command with its standard error folded into its output.
CommandOutput run(const std::string& command) { return runCommand(command + " 2>&1"); }

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

bool haveProgram(const std::string& name) { return run("command -v " + name).status == 0; }

struct Package {
    const char* name;
    const char* architecture = "amd64";
    fs::path deb() const
    {
        return fs::path(PACKAGE_DIR) / (std::string(name) + "_" + PROJECT_VERSION + "_" + architecture + ".deb");
    }
};
// The pictures and the web page are the same on every architecture.  The
// Python package is made when the build has the Python module, the web
// page's when its site was built (scripts/build-web.sh) before the build
// was configured.
std::vector<Package> madePackages()
{
    std::vector<Package> made{{"solar-system"}, {"solar-system-data", "all"}, {"libsolar-system-dev"}};
    if (PYTHON_PACKAGE)
        made.push_back({"python3-solar-system"});
    if (WEB_PACKAGE)
        made.push_back({"solar-system-web", "all"});
    return made;
}
const std::vector<Package> packages = madePackages();

// The lines of `text` that start with `prefix`.
std::vector<std::string> linesStartingWith(const std::string& text, const std::string& prefix)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0)
            lines.push_back(line);
    return lines;
}

// Every path under `root`, relative to it.
std::set<std::string> treeOf(const fs::path& root)
{
    std::set<std::string> paths;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        paths.insert(fs::relative(entry.path(), root).string());
    return paths;
}

// Unpacks a package's files into `root`.
void unpack(const Package& package, const fs::path& root)
{
    const CommandOutput out = run("dpkg-deb -x " + quoted(package.deb()) + " " + quoted(root));
    ASSERT_EQ(out.status, 0) << out.text;
}

class Packages : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const Package& package : packages)
            ASSERT_TRUE(fs::is_regular_file(package.deb())) << package.deb() << " was not made";
    }
};

TEST_F(Packages, PassLintianWithNoErrorOrWarning)
{
    if (!haveProgram("lintian"))
        GTEST_SKIP() << "lintian is not installed (scripts/install-deps.sh test installs it)";
    std::string command = "lintian --no-tag-display-limit";
    for (const Package& package : packages)
        command += " " + quoted(package.deb());
    const CommandOutput out = run(command);
    EXPECT_TRUE(linesStartingWith(out.text, "E: ").empty()) << out.text;
    EXPECT_TRUE(linesStartingWith(out.text, "W: ").empty()) << out.text;
    // lintian says why it could not check, and fails, on anything else.
    EXPECT_EQ(out.status, 0) << out.text;
}

// The licence text of a machine-readable copyright file's stanza, unfolded:
// one leading space dropped from each line, a lone "." an empty line.
std::string licenceStanzaText(const std::string& copyright, const std::string& licence)
{
    const std::string head = "\nLicense: " + licence + "\n";
    std::string::size_type at = copyright.find(head);
    std::string text;
    while (at != std::string::npos) {
        // The stanza with the text is the one whose first line is followed
        // by indented lines.
        std::string::size_type line = at + head.size();
        std::string body;
        while (line < copyright.size() && copyright[line] == ' ') {
            std::string::size_type end = copyright.find('\n', line);
            if (end == std::string::npos)
                end = copyright.size();
            const std::string content = copyright.substr(line + 1, end - line - 1);
            body += (content == "." ? "" : content) + "\n";
            line = end + 1;
        }
        if (!body.empty())
            text = body;
        at = copyright.find(head, at + 1);
    }
    return text;
}

TEST_F(Packages, CarryTheMitLicenceOfTheRepositoryInMachineReadableCopyrightFiles)
{
    const std::string licence = readFile(fs::path(SOURCE_DIR) / "LICENSE");
    ASSERT_EQ(licence.rfind("MIT License\n", 0), 0u) << "LICENSE is missing or not the MIT licence";
    EXPECT_TRUE(std::regex_search(licence, std::regex("\nCopyright \\(c\\) [0-9-]+ The Solar System authors\n")));
    const std::string::size_type permission = licence.find("Permission is hereby granted");
    ASSERT_NE(permission, std::string::npos);
    const std::string terms = licence.substr(permission);

    for (const Package& package : packages) {
        SCOPED_TRACE(package.name);
        TempDir root;
        unpack(package, root.path);
        const std::string copyright = readFile(root.path / "usr/share/doc" / package.name / "copyright");
        ASSERT_FALSE(copyright.empty());
        EXPECT_EQ(copyright.rfind("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n", 0),
                  0u);
        // Debian's short name for the MIT licence is "Expat".
        EXPECT_TRUE(std::regex_search(copyright, std::regex("\nFiles: \\*\nCopyright: [0-9-]+ The Solar System "
                                                            "authors\nLicense: Expat\n")))
            << copyright;
        EXPECT_EQ(licenceStanzaText(copyright, "Expat"), terms);
    }
}

// Whether a gzip file was made with the best compression and without the
// original name and time in its header (`gzip -9n`), so a rebuild gives the
// same bytes.
::testing::AssertionResult isReproducibleBestGzip(const fs::path& file)
{
    const Bytes bytes = readFileBytes(file);
    if (bytes.size() < 18 || bytes[0] != 0x1f || bytes[1] != 0x8b || bytes[2] != 8)
        return ::testing::AssertionFailure() << file << " is not gzip";
    if (bytes[3] != 0)
        return ::testing::AssertionFailure() << file << " keeps a name or comment (flags " << int(bytes[3]) << ")";
    if (bytes[4] || bytes[5] || bytes[6] || bytes[7])
        return ::testing::AssertionFailure() << file << " keeps a time";
    if (bytes[8] != 2)
        return ::testing::AssertionFailure() << file << " is not at the best compression";
    return ::testing::AssertionSuccess();
}

TEST_F(Packages, ShipCompressedManualPagesAndAChangelogOfThisVersion)
{
    for (const Package& package : packages) {
        SCOPED_TRACE(package.name);
        TempDir root;
        unpack(package, root.path);
        const fs::path changelog = root.path / "usr/share/doc" / package.name / "changelog.gz";
        ASSERT_TRUE(fs::is_regular_file(changelog));
        EXPECT_TRUE(isReproducibleBestGzip(changelog));
        CommandOutput out = run("zcat " + quoted(changelog) + " | dpkg-parsechangelog -l - -S Source");
        EXPECT_EQ(out.text, "solar-system\n");
        out = run("zcat " + quoted(changelog) + " | dpkg-parsechangelog -l - -S Version");
        EXPECT_EQ(out.text, std::string(PROJECT_VERSION) + "\n") << "the changelog's latest entry is not this version";
        out = run("dpkg-deb --field " + quoted(package.deb()) + " Maintainer");
        EXPECT_EQ(out.text, "Solar System maintainers <maintainers@solar-system.invalid>\n");

        int pages = 0;
        if (fs::is_directory(root.path / "usr/share/man")) {
            for (const auto& entry : fs::recursive_directory_iterator(root.path / "usr/share/man")) {
                if (!entry.is_regular_file())
                    continue;
                ++pages;
                EXPECT_EQ(entry.path().extension(), ".gz") << entry.path();
                EXPECT_TRUE(isReproducibleBestGzip(entry.path()));
            }
        }
        EXPECT_EQ(pages, package.name == std::string("solar-system") ? 2 : 0);
    }
}

// A root folder with an empty dpkg database of its own, for
// `dpkg --root=DIR`.
void makeDpkgRoot(const fs::path& root)
{
    const fs::path admin = root / "var/lib/dpkg";
    for (const char* dir : {"info", "updates", "triggers"})
        fs::create_directories(admin / dir);
    writeFile(admin / "status", "");
    writeFile(admin / "available", "");
}

TEST_F(Packages, InstallThenPurgeLeavesNothingOfOurs)
{
    if (!haveProgram("dpkg"))
        GTEST_SKIP() << "dpkg is not installed";
    TempDir scratch;
    const fs::path root = scratch.path / "root";
    makeDpkgRoot(root);
    const std::set<std::string> before = treeOf(root);

    // The dependencies are not there: the packages must need nothing of them
    // to install and purge (no maintainer script that calls other programs).
    const std::string dpkg = "dpkg --root=" + quoted(root) + " --log=/dev/null --force-depends";
    std::string debs;
    for (const Package& package : packages)
        debs += " " + quoted(package.deb());
    CommandOutput out = run(dpkg + " --install" + debs);
    ASSERT_EQ(out.status, 0) << out.text;
    for (const char* file : {"usr/bin/solar-system", "usr/share/metainfo/solar-system.metainfo.xml",
                             "usr/share/doc/solar-system/copyright", "usr/include/solar-system/model/glm.h",
                             "usr/share/solar-system/image/earth.bmp", "usr/share/doc/solar-system-data/copyright"})
        EXPECT_TRUE(fs::exists(root / file)) << file << " was not installed";
    out = run("dpkg-query --admindir=" + quoted(root / "var/lib/dpkg") + " -W -f='${Package} ${Status}\\n'");
    EXPECT_NE(out.text.find("solar-system install ok installed"), std::string::npos) << out.text;
    EXPECT_NE(out.text.find("libsolar-system-dev install ok installed"), std::string::npos) << out.text;
    EXPECT_NE(out.text.find("solar-system-data install ok installed"), std::string::npos) << out.text;
    if (WEB_PACKAGE) {
        for (const char* file :
             {"usr/share/solar-system/web/index.html", "usr/share/solar-system/web/solar-system.wasm",
              "usr/share/solar-system/web/i18n/ko.json", "usr/share/solar-system/web/image/earth.jpg",
              "usr/share/doc/solar-system-web/copyright"})
            EXPECT_TRUE(fs::exists(root / file)) << file << " was not installed";
        EXPECT_NE(out.text.find("solar-system-web install ok installed"), std::string::npos) << out.text;
    }

    std::string names;
    for (const Package& package : packages)
        names += std::string(" ") + package.name;
    out = run(dpkg + " --purge" + names);
    ASSERT_EQ(out.status, 0) << out.text;

    // What may remain is dpkg's own bookkeeping: its locks, the backup of
    // its status file and its trigger state; nothing named after us, and
    // nothing outside its database.
    const std::regex bookkeeping("var/lib/dpkg/(lock|lock-frontend|status-old|available-old|info/format|triggers/.*)");
    for (const std::string& path : treeOf(root)) {
        if (!before.count(path)) {
            EXPECT_TRUE(std::regex_match(path, bookkeeping)) << path << " is left after the purge";
        }
    }
    EXPECT_EQ(readFile(root / "var/lib/dpkg/status").find("solar-system"), std::string::npos)
        << readFile(root / "var/lib/dpkg/status");
}

}  // namespace

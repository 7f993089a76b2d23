// Atomic file replacement: the old file or the new one, never half of
// either, with the old file's permissions, through links, and never over a
// file that must stay.
#include "platform/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "tests/support/files.h"

namespace {

int filesIn(const std::filesystem::path& dir)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        count += entry.is_regular_file();
    return count;
}

}  // namespace

TEST(AtomicFile, ReplacesTheTargetKeepingItsPermissionsAndNoTemporaryFile)
{
    TempDir dir;
    const std::string path = dir.file("a.txt");
    writeFile(path, "old");
    ::chmod(path.c_str(), 0604);
    AtomicFile file;
    ASSERT_EQ(atomicFileBegin(path.c_str(), ATOMIC_REPLACE, &file), 0);
    ASSERT_EQ(::write(file.fd, "new text", 8), 8);
    EXPECT_EQ(readFile(path), "old");  // nothing seen before the commit
    EXPECT_EQ(filesIn(dir.path), 2);
    ASSERT_EQ(atomicFileCommit(&file, true), 0);
    EXPECT_EQ(readFile(path), "new text");
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0604u);
    EXPECT_EQ(filesIn(dir.path), 1);
}

TEST(AtomicFile, AnAbandonedWriteLeavesTheOldFileAlone)
{
    TempDir dir;
    const std::string path = dir.file("a.txt");
    writeFile(path, "old");
    AtomicFile file;
    ASSERT_EQ(atomicFileBegin(path.c_str(), ATOMIC_REPLACE, &file), 0);
    ASSERT_EQ(::write(file.fd, "half", 4), 4);
    atomicFileAbandon(&file);
    EXPECT_EQ(readFile(path), "old");
    EXPECT_EQ(filesIn(dir.path), 1);
}

TEST(AtomicFile, ALinkKeepsPointingAtTheReplacedFile)
{
    TempDir dir;
    writeFile(dir.file("real.txt"), "old");
    ASSERT_EQ(::symlink("real.txt", dir.file("link.txt").c_str()), 0);
    ASSERT_EQ(writeFileAtomically(dir.file("link.txt").c_str(), "new", 3, ATOMIC_REPLACE, true), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path / "link.txt"));
    EXPECT_EQ(readFile(dir.file("real.txt")), "new");
}

TEST(AtomicFile, CreateNewNeverTakesAnExistingNameAndFailuresGiveTheirErrno)
{
    TempDir dir;
    writeFile(dir.file("shot.png"), "first");
    EXPECT_EQ(writeFileAtomically(dir.file("shot.png").c_str(), "second", 6, ATOMIC_CREATE_NEW, false), EEXIST);
    EXPECT_EQ(readFile(dir.file("shot.png")), "first");
    EXPECT_EQ(writeFileAtomically(dir.file("shot-2.png").c_str(), "second", 6, ATOMIC_CREATE_NEW, false), 0);
    EXPECT_EQ(readFile(dir.file("shot-2.png")), "second");
    EXPECT_EQ(filesIn(dir.path), 2);

    EXPECT_EQ(writeFileAtomically(dir.path.c_str(), "x", 1, ATOMIC_REPLACE, false), EISDIR);
    EXPECT_EQ(writeFileAtomically(dir.file("no/folder/x").c_str(), "x", 1, ATOMIC_REPLACE, false), ENOENT);
}

TEST(AtomicFile, AFifoIsWrittenInPlaceNotReplacedByAFile)
{
    TempDir dir;
    const std::string fifo = dir.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A reader keeps the pipe open so the writer does not block.
    FILE* reader = std::fopen(fifo.c_str(), "r+");
    ASSERT_NE(reader, nullptr);
    ASSERT_EQ(writeFileAtomically(fifo.c_str(), "through", 7, ATOMIC_REPLACE, true), 0);
    char text[8] = {};
    ASSERT_EQ(std::fread(text, 1, 7, reader), 7u);
    EXPECT_STREQ(text, "through");
    std::fclose(reader);
    struct stat info;
    ASSERT_EQ(::stat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

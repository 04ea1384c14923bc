// Writing a file through a temporary file and a rename: the target is replaced whole or
// not at all, nothing is left behind, and what is not a regular file is never replaced.
#include <sys/stat.h>

#include "files/safe_file.h"
#include "tests/program_run_support.h"

using namespace ollendor;

namespace {

using namespace programtest;

std::vector<std::string> namesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::span<const uint8_t> bytesOf(const std::string& text)
{
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(SafeFile, ReplacesTheTargetOnlyAtCommitKeepingItsPermissions)
{
    ScratchDir scratch;
    const auto target = scratch.path() / "file.bin";
    writeText(target, "old contents");
    ::chmod(target.c_str(), 0604);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(target.c_str(), 4321, 4322), 0); // someone else's file
    }

    SafeFile file;
    ASSERT_TRUE(file.open(target)) << file.error();
    EXPECT_EQ(file.temporaryPath().parent_path(), scratch.path());
    ASSERT_TRUE(file.write("new ", 4));
    EXPECT_EQ(readText(target), "old contents") << "written in place";
    ASSERT_TRUE(file.write("contents!", 9));
    ASSERT_TRUE(file.writeAt(0, "NEW", 3)); // a header fixed up, then appending goes on
    ASSERT_TRUE(file.write("?", 1));
    ASSERT_TRUE(file.commit()) << file.error();
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(readText(target), "NEW contents!?");
    EXPECT_EQ(namesIn(scratch.path()), std::vector<std::string>{"file.bin"});
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0604u);
    if (root) {
        EXPECT_EQ(status.st_uid, 4321u) << "the replacement changed the owner";
        EXPECT_EQ(status.st_gid, 4322u);
    }

    // A new file gets 0666 less the umask.
    const mode_t old = ::umask(027);
    const auto fresh = scratch.path() / "fresh.bin";
    EXPECT_EQ(writeFileSafely(fresh, bytesOf("x")), "");
    ::umask(old);
    ASSERT_EQ(::stat(fresh.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST(SafeFile, AbandonedOrDestroyedUnfinishedLeavesTheTargetAndNoTemporary)
{
    ScratchDir scratch;
    const auto target = scratch.path() / "keep.txt";
    writeText(target, "precious");
    {
        SafeFile file;
        ASSERT_TRUE(file.open(target));
        ASSERT_TRUE(file.write("junk", 4));
        file.abandon();
        EXPECT_FALSE(file.commit());
        EXPECT_FALSE(file.write("more", 4));
        ASSERT_TRUE(file.open(target));
        ASSERT_TRUE(file.write("junk", 4));
    } // destroyed unfinished
    EXPECT_EQ(readText(target), "precious");
    EXPECT_EQ(namesIn(scratch.path()), std::vector<std::string>{"keep.txt"});
}

TEST(SafeFile, WhatIsNotARegularFileIsRefusedUntouched)
{
    ScratchDir scratch;
    const auto fifo = scratch.path() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::filesystem::create_directory(scratch.path() / "folder");
    const std::pair<std::filesystem::path, const char*> refused[] = {
        {fifo, "it is not a regular file"},                    // would block or be replaced
        {"/dev/full", "it is not a regular file"},             // a device
        {scratch.path() / "folder", "it is a folder"},
        {scratch.path() / "folder" / "", "it is a folder"},    // a trailing slash
        {scratch.path() / "missing" / "x", "No such file or directory"},
    };
    for (const auto& [target, reason] : refused) {
        SafeFile file;
        EXPECT_FALSE(file.open(target)) << target;
        EXPECT_EQ(file.error(), reason) << target;
        EXPECT_EQ(writeFileSafely(target, bytesOf("x")), reason) << target;
    }
    struct stat status {};
    ASSERT_EQ(::stat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    ASSERT_EQ(::stat("/dev/full", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
    EXPECT_EQ(namesIn(scratch.path()), (std::vector<std::string>{"folder", "pipe"}));
    EXPECT_TRUE(std::filesystem::is_empty(scratch.path() / "folder"));
}

TEST(SafeFile, ALinkIsFollowedAndStaysALink)
{
    ScratchDir scratch;
    std::filesystem::create_directory(scratch.path() / "real");
    const auto real = scratch.path() / "real" / "data.txt";
    writeText(real, "old");
    const auto link = scratch.path() / "link.txt";
    std::filesystem::create_symlink("real/data.txt", link);
    EXPECT_EQ(writeFileSafely(link, bytesOf("new")), "");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readText(real), "new");

    // A link to a file not yet there: the file appears where the link points.
    const auto dangling = scratch.path() / "dangling.txt";
    std::filesystem::create_symlink("real/later.txt", dangling);
    EXPECT_EQ(writeFileSafely(dangling, bytesOf("later")), "");
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_EQ(readText(scratch.path() / "real" / "later.txt"), "later");

    // Links in a circle name no file: refused, and left as they are.
    std::filesystem::create_symlink("loop-b", scratch.path() / "loop-a");
    std::filesystem::create_symlink("loop-a", scratch.path() / "loop-b");
    EXPECT_EQ(writeFileSafely(scratch.path() / "loop-a", bytesOf("x")),
              "Too many levels of symbolic links");
    EXPECT_TRUE(std::filesystem::is_symlink(scratch.path() / "loop-a"));
}

TEST(SafeFile, AFullDiskFailsWithTheReasonAndCostsNothing)
{
    TinyDisk disk;
    OLLENDOR_NEED_TINY_DISK(disk);
    const auto target = disk.path() / "state.bin";
    const std::string old(5000, 'o');
    ASSERT_EQ(writeFileSafely(target, bytesOf(old)), "");
    disk.fill();
    disk.freePages(1);

    SafeFile file;
    ASSERT_TRUE(file.open(target)) << file.error();
    EXPECT_TRUE(file.write(std::string(4096, 'a').data(), 4096)); // the one free page
    EXPECT_FALSE(file.write("b", 1));
    EXPECT_EQ(file.error(), "No space left on device");
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(file.commit());
    EXPECT_EQ(readText(target), old);
    EXPECT_EQ(disk.leftovers(), std::vector<std::string>{"state.bin"});

    EXPECT_EQ(writeFileSafely(disk.path() / "new.bin", bytesOf(std::string(9000, 'n'))),
              "No space left on device");
    EXPECT_EQ(disk.leftovers(), std::vector<std::string>{"state.bin"});
}

} // namespace

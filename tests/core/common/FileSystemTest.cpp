#include "common/FileSystem.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Files.h"
#include "TempHome.h"

using namespace qz::fs;
using qz::test::TempHome;
using qz::test::ReadAll;

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

long EntryCount(const std::string& dir) {
    using It = std::filesystem::directory_iterator;
    return std::distance(It(dir), It());
}

} // namespace

TEST(ProgramDirectory, FollowsQuenzorHomeElseTheExecutable) {
    TempHome home; // restores QUENZOR_HOME
    EXPECT_EQ(ProgramDirectory(), home.Path());
    ::setenv("QUENZOR_HOME", "/opt/qz/", 1);
    EXPECT_EQ(ProgramDirectory(), "/opt/qz/");
    ::setenv("QUENZOR_HOME", "", 1);
    EXPECT_TRUE(FileExists(ProgramDirectory() + "core_common_tests"));
}

TEST(ReadFile, ReadsWholeFilesWithinTheCap) {
    TempHome home;
    ASSERT_TRUE(WriteFileAtomically(home.PathOf("a.bin"), std::string("ab\0cd", 5)));
    EXPECT_EQ(ReadAll(home.PathOf("a.bin")), std::string("ab\0cd", 5));
    EXPECT_TRUE(ReadFile(home.PathOf("a.bin"), 5));
    EXPECT_FALSE(ReadFile(home.PathOf("a.bin"), 4));
    EXPECT_FALSE(ReadFile(home.PathOf("missing")));
    EXPECT_FALSE(ReadFile(home.Path()));
    EXPECT_FALSE(FileExists(home.Path()));
    EXPECT_FALSE(DirectoryExists(home.PathOf("a.bin")));
    auto proc = ReadFile("/proc/self/status"); // reports size 0
    ASSERT_TRUE(proc);
    EXPECT_GT(proc->size(), 0u);
    EXPECT_FALSE(ReadFile("/proc/self/status", 10));
}

TEST(WriteFileAtomically, ReplacesContentAndKeepsOrSetsTheMode) {
    TempHome home;
    const std::string target = home.PathOf("net.pn");
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(target, "first", &error)) << error;
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(ModeOf(target), 0644 & ~mask);
    ::chmod(target.c_str(), 0600);
    ASSERT_TRUE(WriteFileAtomically(target, "second"));
    EXPECT_EQ(ReadAll(target), "second");
    EXPECT_EQ(ModeOf(target), 0600u);
    ASSERT_TRUE(WriteFileAtomically(target, ""));
    EXPECT_EQ(ReadAll(target), "");
    EXPECT_EQ(EntryCount(home.Path()), 1); // no temporary left behind
}

TEST(WriteFileAtomically, FailureLeavesTheOldFileAndNoTemporary) {
    TempHome home;
    const std::string dir = home.PathOf("d");
    ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
    const std::string target = dir + "/keep.cfg";
    ASSERT_TRUE(WriteFileAtomically(target, "old"));

    std::string error;
    EXPECT_FALSE(WriteFileAtomically(dir + "/missing/x", "new", &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;

    // Not regular files: never replaced.
    ASSERT_EQ(::mkdir((dir + "/sub").c_str(), 0755), 0);
    EXPECT_FALSE(WriteFileAtomically(dir + "/sub", "new", &error));
    EXPECT_TRUE(DirectoryExists(dir + "/sub"));
    ASSERT_EQ(::mkfifo((dir + "/fifo").c_str(), 0644), 0);
    EXPECT_FALSE(WriteFileAtomically(dir + "/fifo", "new", &error));
    EXPECT_EQ(error, "'" + dir + "/fifo' is not a regular file");

    // The write itself fails: the file size limit holds even for root.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteFileAtomically(target, std::string(100, 'n'), &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);
    EXPECT_FALSE(written);
    EXPECT_NE(error.find("File too large"), std::string::npos) << error;

    if (::geteuid() != 0) { // root writes into read-only directories
        ::chmod(dir.c_str(), 0555);
        EXPECT_FALSE(WriteFileAtomically(target, "new", &error));
        EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
        ::chmod(dir.c_str(), 0755);
    }
    EXPECT_EQ(ReadAll(target), "old");
    EXPECT_EQ(EntryCount(dir), 3); // keep.cfg, sub, fifo: no temporaries
}

TEST(WriteFileAtomically, FollowsSymbolicLinks) {
    TempHome home;
    ASSERT_TRUE(WriteFileAtomically(home.PathOf("real"), "old"));
    ASSERT_EQ(::symlink("real", home.PathOf("link").c_str()), 0);
    ASSERT_TRUE(WriteFileAtomically(home.PathOf("link"), "new"));
    struct stat st {};
    ASSERT_EQ(::lstat(home.PathOf("link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadAll(home.PathOf("real")), "new");
}

TEST(TextLines, WriteWindows1252WithCrLfAndReadBothLineEnds) {
    TempHome home;
    const std::string path = home.PathOf("Short-ToDo-Liste.Txt");
    ASSERT_TRUE(WriteTextLines(path, {"Größe 5 €", "", "last"}));
    EXPECT_EQ(ReadAll(path), "Gr\xF6\xDF" "e 5 \x80\r\n\r\nlast\r\n");
    EXPECT_EQ(ReadTextLines(path), (std::vector<std::string>{"Größe 5 €", "", "last"}));

    auto roundTrip = [&](const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return *ReadTextLines(path);
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(roundTrip("a\nb\r\nc"), (V{"a", "b", "c"}));
    EXPECT_EQ(roundTrip("a\r\n\n"), (V{"a", ""}));
    EXPECT_EQ(roundTrip(""), V{});
    EXPECT_EQ(roundTrip("\r\n"), V{""});
    EXPECT_EQ(roundTrip("x\ry\r\n"), V{"x\ry"}); // a lone CR is text
    EXPECT_FALSE(ReadTextLines(home.PathOf("none")));
}

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "FakePlatform.h"
#include "RecordingCanvas.h"
#include "TempHome.h"
#include "common/FileSystem.h"

using namespace qz;
using namespace qz::test;

TEST(RecordingCanvas, Metrics) {
    RecordingCanvas c;
    EXPECT_EQ(c.TextWidth("abc"), 18);
    EXPECT_EQ(c.TextWidth("€ä"), 12); // code points, not bytes
    EXPECT_EQ(c.TextHeight(""), 13);
    c.font.size = 10;
    EXPECT_EQ(c.TextWidth("ab"), 14);
    EXPECT_EQ(c.TextHeight("x"), 16);
}

TEST(TempHome, SetsAndRestoresTheProgramDirectory) {
    ::setenv("QUENZOR_HOME", "/previous", 1);
    std::string path;
    {
        TempHome home;
        path = home.Path();
        EXPECT_EQ(fs::ProgramDirectory(), path);
        ASSERT_TRUE(fs::WriteFileAtomically(home.PathOf("Quenzor.cfg"), "x"));
        ::mkdir(home.PathOf("locked").c_str(), 0);
    }
    EXPECT_FALSE(fs::DirectoryExists(path));
    EXPECT_STREQ(std::getenv("QUENZOR_HOME"), "/previous");
    ::unsetenv("QUENZOR_HOME");
    { TempHome home; }
    EXPECT_EQ(std::getenv("QUENZOR_HOME"), nullptr);
}

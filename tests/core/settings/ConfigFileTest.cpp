#include "settings/ConfigFile.h"

#include <gtest/gtest.h>

#include <filesystem>


#include "FakePlatform.h"
#include "TempHome.h"
#include "common/FileSystem.h"
#include "common/ProgramDirectories.h"
#include "model/TPNObjekt.h"
#include "settings/RemarkLists.h"
#include "settings/SampleTime.h"

namespace qz::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class Config : public ::testing::Test {
protected:
    void SetUp() override { Settings() = ProgramSettings{}; }
    void TearDown() override { Settings() = ProgramSettings{}; }
    void WriteConfig(const Bytes& b) {
        ASSERT_TRUE(fs::WriteFileAtomically(home.PathOf("Quenzor.cfg"), b.data(), b.size()));
    }
    ScopedPlatform platform;
    TempHome home;
};

TEST_F(Config, StartValuesWriteTheTenByteFile) {
    ASSERT_TRUE(SaveConfig());
    EXPECT_EQ(*fs::ReadFile(home.PathOf("Quenzor.cfg")),
              (Bytes{0x09, 0x09, 0x09, 0x09, 0x08, 0x08, 0x02, 0x14, 0x09, 0x09}));
}

TEST_F(Config, ValuesRoundTripWithTheSmallestIntegerTag) {
    ProgramSettings s;
    s.animateContinuous = false;
    s.gridVisible = false;
    s.movingDetail = MovingDetail::Detail;
    s.gridSize = 40;
    s.startWindow = false;
    const Bytes bytes = ConfigBytes(s);
    EXPECT_EQ(bytes, (Bytes{0x08, 0x09, 0x08, 0x08, 0x08, 0x09, 0x02, 40, 0x09, 0x08}));
    ProgramSettings read;
    EXPECT_EQ(ApplyConfigBytes(bytes, read), 9);
    EXPECT_EQ(read.movingDetail, MovingDetail::Detail);
    EXPECT_EQ(read.gridSize, 40);
    EXPECT_FALSE(read.startWindow);
    // Wider tags are accepted; the track bar keeps the size within 4..40.
    EXPECT_EQ(ApplyConfigBytes({9, 9, 9, 9, 8, 8, 0x03, 0x10, 0x00, 9, 9}, read), 9);
    EXPECT_EQ(read.gridSize, 16);
    EXPECT_EQ(ApplyConfigBytes({9, 9, 9, 9, 8, 8, 0x04, 99, 0, 0, 0, 9, 9}, read), 9);
    EXPECT_EQ(read.gridSize, 40);
    EXPECT_EQ(ClampGridSize(3), 4);
}

TEST_F(Config, InvalidFileRestoresTheStartValuesItsMessageNames) {
    // A file that breaks off after eight values and one with a wrong tag:
    // nothing read is kept, whatever was set before.
    for (const Bytes& file :
         {Bytes{0x08, 0x08, 0x09, 0x08, 0x09, 0x08, 0x02, 0x0C, 0x08}, Bytes{0x09, 0x02, 0x01}}) {
        Settings().gridSize = 33;
        Settings().startWindow = false;
        platform.messages.Clear();
        WriteConfig(file);
        EXPECT_FALSE(LoadConfig());
        EXPECT_EQ(platform.messages.Texts(),
                  std::vector<std::string>{
                      "The File \"Quenzor.cfg\" is invalid.\rThe default settings become restored."});
        EXPECT_EQ(ConfigBytes(Settings()), ConfigBytes(ProgramSettings{}));
    }
}

TEST_F(Config, MissingFileIsReported) {
    EXPECT_FALSE(LoadConfig());
    EXPECT_EQ(platform.messages.Texts(),
              std::vector<std::string>{"The File \"Quenzor.cfg\" not exists.\r\rA new one will be will "
                                       "be created after closing the application in the directory\r\r" +
                                       home.Path() + "\r"});
}

TEST(SampleTime, TextUnitAndSeconds) {
    TPNObjekt root;
    EXPECT_TRUE(ApplySampleTime(root, "100", 1));
    EXPECT_DOUBLE_EQ(root.sampleTimeSeconds, 0.1);
    EXPECT_EQ(SampleTimeFieldText(root), "100");
    EXPECT_TRUE(ApplySampleTime(root, "100", 0));
    EXPECT_DOUBLE_EQ(root.sampleTimeSeconds, 100);
    EXPECT_TRUE(ApplySampleTime(root, "", 1));
    EXPECT_EQ(root.sampleTimeText, "100");
    EXPECT_EQ(NormaliseSampleTimeText("0.5"), "0,5");
    EXPECT_TRUE(ApplySampleTime(root, "0,5", 0));
    EXPECT_EQ(SampleTimeFieldText(root), "0,5");
    // Model time must move forward and stay a number: each refused one
    // changes nothing.
    for (const char* refused : {"1-2", "-100", "0", "1E400", "1E-400"}) {
        EXPECT_FALSE(ApplySampleTime(root, refused, 1)) << refused;
    }
    EXPECT_DOUBLE_EQ(root.sampleTimeSeconds, 0.5);
    EXPECT_EQ(root.sampleTimeText, "0,5");
    EXPECT_EQ(root.timeUnit, 0);
}

TEST_F(Config, RemarkListsKeepOneBackup) {
    ASSERT_TRUE(SaveRemarkLists({"short"}, {"long", "two"}));
    EXPECT_FALSE(fs::FileExists(home.PathOf("Short-ToDo-Liste.bak")));
    EXPECT_FALSE(fs::FileExists(home.PathOf("Long-ToDo-Liste.bak")));
    auto raw = fs::ReadFile(home.PathOf("Long-ToDo-Liste.Txt"));
    EXPECT_EQ(std::string(raw->begin(), raw->end()), "long\r\ntwo\r\n");

    ASSERT_TRUE(SaveRemarkLists({"short 2"}, {"long 2"}));
    ASSERT_TRUE(SaveRemarkLists({"short 3"}, {"long 3"}));
    // The first backup stays; the lists hold the last text.
    EXPECT_EQ(*fs::ReadTextLines(home.PathOf("Short-ToDo-Liste.bak")), std::vector<std::string>{"short"});
    const RemarkLists lists = LoadRemarkLists();
    EXPECT_TRUE(lists.shortLoaded);
    EXPECT_EQ(lists.shortTerm, std::vector<std::string>{"short 3"});
    EXPECT_EQ(lists.longTerm, std::vector<std::string>{"long 3"});
}

TEST_F(Config, UserConfigurationIsReadAndWrittenInItsOwnDirectory) {
    // The per-user configuration behaves as the one of the program
    // directory does: missing, damaged, written.
    std::filesystem::create_directories(home.PathOf("conf"));
    const fs::ScopedDirectories scope({fs::DirectoryKind::PerUser, home.Path(), home.PathOf("conf/"),
                                       "/usr/lib/quenzor/", ""});
    EXPECT_EQ(ConfigFilePath(), home.PathOf("conf/Quenzor.cfg"));
    EXPECT_FALSE(LoadConfig());
    EXPECT_EQ(platform.messages.Texts().back(),
              std::string(kConfigMissingText) + home.PathOf("conf/") + "\r");
    ASSERT_TRUE(fs::WriteFileAtomically(home.PathOf("conf/Quenzor.cfg"), std::string("\x09\x09\x02")));
    Settings().gridSize = 33;
    EXPECT_FALSE(LoadConfig());
    EXPECT_EQ(platform.messages.Texts().back(), kConfigInvalidText);
    EXPECT_EQ(ConfigBytes(Settings()), ConfigBytes(ProgramSettings{}));
    ASSERT_TRUE(SaveConfig());
    EXPECT_EQ(fs::ReadFile(home.PathOf("conf/Quenzor.cfg"))->size(), 10u);
    EXPECT_FALSE(fs::FileExists(home.PathOf("Quenzor.cfg")));
}

} // namespace
} // namespace qz::test

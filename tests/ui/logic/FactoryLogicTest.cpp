// What the factory window decides without a window.
#include <gtest/gtest.h>

#include <filesystem>

#include "TempHome.h"
#include "library/FactoryLogic.h"

namespace qz::ui::test {
namespace {

namespace stdfs = std::filesystem;

TEST(FactoryLogic, TheFileListStartsInTheDataDirectoryWhenThereIsOne) {
    qz::test::TempHome dir;
    const std::string cwd = dir.PathOf("work");
    stdfs::create_directories(cwd);
    EXPECT_EQ(StartDirectory(cwd).directory, cwd);
    stdfs::create_directories(cwd + "/Data");
    const StartDirectoryChoice data = StartDirectory(cwd);
    EXPECT_EQ(std::make_pair(data.directory, data.failed), std::make_pair(cwd + "/Data", false));
    EXPECT_TRUE(StartDirectory(dir.PathOf("gone")).failed);
}

} // namespace
} // namespace qz::ui::test

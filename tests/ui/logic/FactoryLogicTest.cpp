// What the factory window decides without a window.
#include <gtest/gtest.h>

#include <filesystem>

#include "FakePlatform.h"
#include "TempHome.h"
#include "common/FileSystem.h"
#include "library/FactoryLogic.h"
#include "model/ObjectLibrary.h"
#include "model/TPNObjekt.h"
#include "model/storage/NetFile.h"

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

TEST(FactoryLogic, TheFileListHoldsNetFilesOfAnyCaseSortedWithoutRegardToCase) {
    qz::test::TempHome dir;
    for (const char* name : {"b.pn", "A.PN", "c.pnml", "notes.txt"}) fs::WriteFileAtomically(dir.PathOf(name), "x");
    stdfs::create_directories(dir.PathOf("sub.pn"));
    EXPECT_EQ(NetFilesIn(dir.Path()), (std::vector<std::string>{"A.PN", "b.pn"}));
    EXPECT_EQ(NetFilesIn(dir.PathOf("gone")), std::nullopt);
}

TEST(FactoryLogic, MissingDirectoriesAreNamedWithTheProgramDirectory) {
    EXPECT_EQ(MissingDirectoryText(FactoryDirectory::Data, "/q/"), "The default directory\r/q/Data/\rnot exists.");
    EXPECT_EQ(MissingDirectoryText(FactoryDirectory::Objects, "/q/"), "The default directory\r/q/Objects/\rnot exists.");
    EXPECT_EQ(MissingDirectoryText(FactoryDirectory::Tutorial, "/q/"), "The tutorial directory\r/q/Tutorial/\rnot exists.");
}

// Tank is placed twice in an open plant, derived by Boiler; Valve by nobody.
TEST(FactoryLogic, TheDeleteQuestionNamesWhoUsesTheClassesOfALibraryFile) {
    qz::test::ScopedPlatform platform;
    qz::test::TempHome home;
    InstallNetFileLoader();
    stdfs::create_directories(LibraryDirectory());
    for (auto [name, base] : {std::pair{"Tank", "Empty Object"}, {"Boiler", "Tank"}, {"Valve", "Empty Object"}}) {
        TPNObjekt c;
        c.SetObjectName(name);
        c.baseName = base;
        ASSERT_TRUE(SaveNetFile(c, LibraryDirectory() + name + ".pn"));
    }
    const TObjectLibrary saved = ObjectLibrary();
    ASSERT_TRUE(ObjectLibrary().Rebuild());
    TPNObjekt plant;
    plant.AddChildObject("Tank_1", "Tank", 0, 0);
    plant.AddChildObject("Tank_2", "Tank", 200, 0);
    const std::vector<OpenDocumentRef> open{{"plant.pn", &plant}};
    const std::string tank = LibraryDirectory() + "Tank.pn";
    EXPECT_EQ(DeleteFileQuestion(tank, UsersOfClassFile(tank, ObjectLibrary(), open)),
              "The classes of this file are used by:\r  class Boiler\r  document plant.pn: Tank_1, Tank_2\r"
              "Delete File : \"" + tank + "\" ?");
    const std::string valve = LibraryDirectory() + "Valve.pn";
    EXPECT_EQ(DeleteFileQuestion(valve, UsersOfClassFile(valve, ObjectLibrary(), open)),
              "Delete File : \"" + valve + "\" ?");

    const std::string before = LibraryStamp();
    TPNObjekt pump;
    pump.SetObjectName("Pump");
    ASSERT_TRUE(SaveNetFile(pump, LibraryDirectory() + "Pump.pn"));
    EXPECT_NE(LibraryStamp(), before) << "a save into the library shows";
    ObjectLibrary() = saved;
}

} // namespace
} // namespace qz::ui::test

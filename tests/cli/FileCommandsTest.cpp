#include <gtest/gtest.h>

#include <filesystem>

#include "CliTestSupport.h"
#include "common/ProgramDirectories.h"
#include "TempHome.h"
#include "model/ObjectLibrary.h"
#include "model/TPNObjekt.h"
#include "model/storage/NetFile.h"

namespace qz::test {
namespace {

TEST(DescribeCommand, EmptyDocumentPrintsTheFifteenLinesWithCrLf) {
    TempHome home;
    TPNObjekt root;
    root.timeUnit = 1;
    const std::string net = home.PathOf("empty.pn");
    ASSERT_TRUE(SaveNetFile(root, net));
    const CliRun r = Cli({"describe", net});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "file version: 2,7\r\n=============================\r\nObject: Empty Object\r\n"
              "     - Inherited from: Empty Object\r\n     - Object name: New Object\r\n"
              "Number of child objects: 0\r\n=========================\r\n \r\n \r\nPlaces\r\n"
              " \r\nTransitions\r\n \r\nArcs\r\n \r\n");
    EXPECT_EQ(Cli({"describe", net, "-o", home.PathOf("empty.txt")}).code, 0);
    EXPECT_EQ(ReadAll(home.PathOf("empty.txt")), r.out);
}

// A missing input is refused as the simulate command test pins.
TEST(DescribeCommand, NewerFilesAndMissingArgumentsAreRefused) {
    TempHome home;
    ASSERT_TRUE(fs::WriteFileAtomically(home.PathOf("bad.pn"), std::string("\x06\x03" "9,9")));
    const CliRun r = Cli({"describe", home.PathOf("bad.pn")});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("newer version of Quenzor (9,9)"), std::string::npos);
    EXPECT_EQ(Cli({"describe"}).code, 2);
}

TEST(LibraryCommand, ListsNameAndBase) {
    TempHome home;
    std::filesystem::create_directories(LibraryDirectory());
    for (const auto& [name, base] : {std::pair{"Tank", kEmptyObject}, std::pair{"BigTank", "Tank"}}) {
        TPNObjekt cls;
        cls.SetObjectName(name);
        cls.baseName = base;
        ASSERT_TRUE(SaveNetFile(cls, LibraryDirectory() + name + ".pn"));
    }
    CliRun r = Cli({"library", "--rebuild"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "BigTank\tTank\nTank\tEmpty Object\n");
    EXPECT_EQ(Cli({"library"}).out, r.out);
    EXPECT_EQ(Cli({"library", "--bogus"}).code, 2);
    ObjectLibrary() = TObjectLibrary{};
}

// A staged install writes the index for the place the files will have.
TEST(LibraryCommand, InstalledAsNamesTheClassFilesWhereTheyWillBe) {
    TempHome home;
    std::filesystem::create_directories(LibraryDirectory());
    TPNObjekt cls;
    cls.SetObjectName("Tank");
    ASSERT_TRUE(SaveNetFile(cls, LibraryDirectory() + "Tank.pn"));
    const CliRun r = Cli({"library", "--rebuild", "--installed-as", "/usr/lib/quenzor"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadAll(home.PathOf("ObjFile.dat")), "/usr/lib/quenzor/Objects/Tank.pn\r\n");
    EXPECT_EQ(ReadAll(home.PathOf("ObjName.dat")), "Tank\r\n");
    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"library", "--installed-as", "/usr/lib/quenzor"},
          std::vector<std::string>{"library", "--rebuild", "--installed-as"}}) {
        EXPECT_EQ(Cli(refused).code, 2);
    }
    ObjectLibrary() = TObjectLibrary{};
}

TEST(LibraryCommand, ReadOnlyInstalledDirectoryIsNamedOnceAndTheCommandsWork) {
    TempHome home;
    std::filesystem::create_directories(LibraryDirectory());
    TPNObjekt cls;
    cls.SetObjectName("Tank");
    ASSERT_TRUE(SaveNetFile(cls, LibraryDirectory() + "Tank.pn"));
    const fs::ScopedDirectories readOnly({fs::DirectoryKind::Installed, home.Path(), home.Path(), home.Path(),
                                          "The directory for your own copy\rcannot be used."});
    const auto before = TreeSnapshot(home.Path());
    for (const char* err : {"quenzor-cli: The directory for your own copy cannot be used.\n", ""}) {
        const CliRun r = Cli({"library", "--rebuild"});
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.out, "Tank\tEmpty Object\n");
        EXPECT_EQ(r.err, err);
    }
    EXPECT_EQ(TreeSnapshot(home.Path()), before);
    ObjectLibrary() = TObjectLibrary{};
}

} // namespace
} // namespace qz::test

#include "model/ObjectLibrary.h"

#include <gtest/gtest.h>

#include "NetFixtures.h"
#include "Files.h"
#include "common/FileSystem.h"
#include "common/ProgramDirectories.h"
#include <fstream>

namespace qz::test {
namespace {

class Library : public StorageTest {
protected:
    // A class file whose header holds `name` and `base`.
    void WriteClass(const std::string& file, const std::string& name, const std::string& base) {
        TPNObjekt o;
        o.SetObjectName(name);
        o.baseName = base; // the header only; the class itself is not needed
        std::filesystem::create_directories(LibraryDirectory());
        ASSERT_TRUE(SaveNetFile(o, LibraryDirectory() + file));
    }
};

TEST_F(Library, RebuildReadsHeadersInFileNameOrderAndWritesTheIndex) {
    WriteClass("b.pn", "Valve", "Empty Object");
    WriteClass("a.pn", "Tank", "Empty Object");
    WriteClass("c.pn", "Tank", "Valve");
    std::filesystem::create_directories(LibraryDirectory() + "sub.pn");
    ASSERT_TRUE(std::ofstream(LibraryDirectory() + "notes.txt").good());

    TObjectLibrary& lib = ObjectLibrary();
    ASSERT_TRUE(lib.Rebuild());
    EXPECT_EQ(lib.names, (std::vector<std::string>{"Tank", "Valve", "Tank"}));
    EXPECT_EQ(lib.hierarchy,
              (std::vector<std::string>{"Tank;Empty Object", "Valve;Empty Object", "Tank;Valve"}));
    EXPECT_EQ(lib.files[0], home.Path() + "Objects/a.pn");
    EXPECT_EQ(lib.IndexOf("Tank"), 0);
    auto names = fs::ReadFile(home.PathOf("ObjName.dat"));
    EXPECT_EQ(std::string(names->begin(), names->end()), "Tank\r\nValve\r\nTank\r\n");

    lib.names.clear();
    lib.files.clear();
    lib.LoadIndex();
    EXPECT_EQ(lib.names.size(), 3u);
    EXPECT_EQ(lib.files[2], home.Path() + "Objects/c.pn");
}

TEST_F(Library, EmptyDirectoryGivesEmptyIndexFilesAndTheRootNode) {
    std::filesystem::create_directories(LibraryDirectory());
    ASSERT_TRUE(ObjectLibrary().Rebuild());
    EXPECT_EQ(fs::ReadFile(home.PathOf("ObjName.dat"))->size(), 0u);
    EXPECT_EQ(fs::ReadFile(home.PathOf("ObjFile.dat"))->size(), 0u);
    EXPECT_EQ(ObjectLibrary().tree, (ClassTreeNode{"Empty Object", {}}));
}

TEST_F(Library, TreeGroupsByBaseAndSortsEveryLevel) {
    const ClassTreeNode tree = BuildClassTree({
        "Pump;Machine",   // its base comes later: shown all the same
        "Valve;Empty Object",
        "Machine;Empty Object",
        "tank;Empty Object",
        "Gate ; Valve",
        "Check;Valve",
        "Orphan;Gone",    // no base in the library, or a ring: not shown
        "Ring;Round",
        "Round;Ring",
    });
    const ClassTreeNode expected{
        "Empty Object",
        {{"Machine", {{"Pump", {}}}}, {"tank", {}}, {"Valve", {{"Check", {}}, {"Gate", {}}}}}};
    EXPECT_EQ(tree, expected);
}

std::size_t NodeCount(const ClassTreeNode& n) {
    std::size_t count = 1;
    for (const ClassTreeNode& c : n.children) count += NodeCount(c);
    return count;
}

// Two classes of each name on 20 levels would hang 2^20 nodes under the last.
TEST_F(Library, TreeLeavesOutNamelessEntriesAndStopsAtItsNodeLimit) {
    std::vector<std::string> hierarchy{";Empty Object"};
    for (int level = 0; level < 20; ++level) {
        const std::string base = level ? "C" + std::to_string(level - 1) : "Empty Object";
        hierarchy.insert(hierarchy.end(), 2, "C" + std::to_string(level) + ";" + base);
    }
    const ClassTreeNode tree = BuildClassTree(hierarchy);
    EXPECT_EQ(tree.children.size(), 2u);
    EXPECT_EQ(tree.children[0].text, "C0");
    EXPECT_EQ(NodeCount(tree), kMaxClassTreeNodes);
}

TEST_F(Library, AbstractCurrentObjectAsksUntilTheNameIsFree) {
    WriteClass("Tank.pn", "Tank", "Empty Object");
    TPNObjekt doc; // "New Object" always asks
    AddPlace(doc, "P1", "m1", 0, 0);
    platform.messages.AnswerInput("Tank");   // taken
    platform.messages.AnswerInput("../x");   // no file name of the library: says why
    platform.messages.AnswerInput("Boiler"); // free
    const auto path = AbstractCurrentObject(doc);
    ASSERT_EQ(path, home.Path() + "Objects/Boiler.pn");
    const auto& asked = platform.messages.InputRequests();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(std::tie(asked[0].caption, asked[0].prompt, asked[0].initial, asked[1].initial),
              std::make_tuple("The object name alread exists.", "New Object Name:", "New Object", "Tank"));
    EXPECT_EQ(platform.messages.Texts(),
              std::vector<std::string>{"\"../x\" cannot be the name of a class: it holds \"/\" or \"\\\"."});
    EXPECT_EQ(std::tie(doc.name, doc.fileName), std::make_tuple("Boiler", *path));
    EXPECT_GE(ObjectLibrary().IndexOf("Boiler"), 0);

    // A free name is taken without a question; cancelling stores nothing.
    TPNObjekt other;
    other.SetObjectName("Mixer");
    EXPECT_TRUE(AbstractCurrentObject(other).has_value());
    TPNObjekt again;
    again.SetObjectName("Mixer");
    platform.messages.AnswerInput(std::nullopt);
    EXPECT_EQ(AbstractCurrentObject(again), std::nullopt);

    EXPECT_TRUE(DeleteLibraryFile(*path));
    EXPECT_EQ(ObjectLibrary().IndexOf("Boiler"), -1);
}

TEST_F(Library, UserCopyOfAnInstalledLibraryGetsAnIndexIntoTheCopy) {
    // An installed directory with its index, which the program cannot write.
    const std::string installed = home.PathOf("installed/");
    std::filesystem::create_directories(installed + "Objects");
    for (const auto& [name, base] : {std::pair{"Tank", "Empty Object"}, std::pair{"Valve", "Tank"}}) {
        TPNObjekt o;
        o.SetObjectName(name);
        o.baseName = base;
        ASSERT_TRUE(SaveNetFile(o, installed + "Objects/" + name + ".pn"));
    }
    ASSERT_TRUE(fs::WriteTextLines(installed + "ObjName.dat", {"Tank", "Valve"}));
    ASSERT_TRUE(fs::WriteTextLines(installed + "ObjFile.dat",
                                   {installed + "Objects/Tank.pn", installed + "Objects/Valve.pn"}));
    const auto before = TreeSnapshot(installed);
    const fs::DirectoryInputs inputs{"", installed, home.PathOf("data"), home.PathOf("conf"), ""};
    const auto probe = [&](const std::string& dir) { return dir != installed; };
    const std::string user = home.PathOf("data/quenzor/");
    const std::vector<std::string> expected{user + "Objects/Tank.pn", user + "Objects/Valve.pn"};

    // First start, then a start after the user deleted a class from the copy.
    for (const bool deleteValve : {false, true}) {
        if (deleteValve) std::filesystem::remove(user + "Objects/Valve.pn");
        const fs::ScopedDirectories scope(fs::PrepareDirectories(inputs, probe));
        ASSERT_EQ(fs::ProgramDirectory(), user);
        ClearLibrary();
        ObjectLibrary().LoadIndex();
        EXPECT_EQ(ObjectLibrary().names, (std::vector<std::string>{"Tank", "Valve"}));
        EXPECT_EQ(ObjectLibrary().files, expected);
        EXPECT_EQ(*fs::ReadTextLines(user + "ObjFile.dat"), expected);
        EXPECT_EQ(ObjectLibrary().tree, (ClassTreeNode{"Empty Object", {{"Tank", {{"Valve", {}}}}}}));
    }
    EXPECT_TRUE(platform.messages.Texts().empty());
    EXPECT_EQ(TreeSnapshot(installed), before);
}

} // namespace
} // namespace qz::test

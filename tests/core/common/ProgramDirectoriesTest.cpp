#include "common/ProgramDirectories.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "FakePlatform.h"
#include "Files.h"
#include "TempHome.h"
#include "common/FileSystem.h"
#include "model/ObjectLibrary.h"
#include "model/TPNObjekt.h"
#include "model/storage/NetFile.h"
#include "settings/ConfigFile.h"
#include "settings/RemarkLists.h"

namespace qz::test {
namespace {

using fs::DirectoryKind;

TEST(ProgramDirectories, DecisionTable) {
    struct Row {
        const char* what;
        fs::DirectoryInputs in;
        bool exeWritable;
        DirectoryKind kind;
        const char* program;
        const char* config;
    };
    const Row rows[] = {
        {"QUENZOR_HOME wins", {"/q", "/opt/qz/", "/x/data", "/x/conf", "/home/u"}, false, DirectoryKind::Home, "/q/", "/q/"},
        {"writable executable directory", {"", "/work/qz", "/x/data", "/x/conf", "/home/u"}, true,
         DirectoryKind::Executable, "/work/qz/", "/work/qz/"},
        {"package files are not written, even by root", {"", "/usr/lib/quenzor", "", "", "/root"}, true,
         DirectoryKind::PerUser, "/root/.local/share/quenzor/", "/root/.config/quenzor/"},
        {"installed, XDG set", {"", "/usr/lib/quenzor/", "/x/data/", "/x/conf", "/home/u"}, false,
         DirectoryKind::PerUser, "/x/data/quenzor/", "/x/conf/quenzor/"},
        {"installed, XDG unset", {"", "/usr/lib/quenzor/", "", "", "/home/u"}, false, DirectoryKind::PerUser,
         "/home/u/.local/share/quenzor/", "/home/u/.config/quenzor/"},
        {"relative XDG values are ignored", {"", "/usr/lib/quenzor/", "data", "./conf", "/home/u/"}, false,
         DirectoryKind::PerUser, "/home/u/.local/share/quenzor/", "/home/u/.config/quenzor/"},
        {"no home at all", {"", "/usr/lib/quenzor/", "", "/x/conf", ""}, false, DirectoryKind::Installed,
         "/usr/lib/quenzor/", "/usr/lib/quenzor/"},
    };
    for (const Row& r : rows) {
        const fs::ProgramDirectories d =
            fs::ChooseDirectories(r.in, [&](const std::string&) { return r.exeWritable; });
        EXPECT_EQ(d.kind, r.kind) << r.what;
        EXPECT_EQ(d.program, r.program) << r.what;
        EXPECT_EQ(d.config, r.config) << r.what;
        EXPECT_EQ(d.problem.empty(), r.kind != DirectoryKind::Installed) << r.what;
    }
}

// An installed program directory (never writable for the code under test)
// with the user's data and configuration locations beside it.
class UserCopy : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& [file, text] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"Objects/Tank.pn", "tank"}, {"Objects/Valve.pn", "valve"}, {"Tutorial/01.pn", "one"},
                 {"Data/Plant.pn", "plant"}, {"Help/index.html", "<html>"}, {"Help/img/a.svg", "<svg/>"},
                 {"ObjName.dat", "Tank\r\n"}, {"ObjFile.dat", "/usr/lib/quenzor/Objects/Tank.pn\r\n"},
                 {"Quenzor.cfg", "\x09"}, {"quenzor", "ELF"}}) {
            std::filesystem::create_directories(std::filesystem::path(installed + file).parent_path());
            ASSERT_TRUE(fs::WriteFileAtomically(installed + file, std::string(text)));
        }
        before = TreeSnapshot(installed);
    }
    fs::DirectoryInputs Inputs() const { return {"", installed, base.PathOf("data"), base.PathOf("conf"), "/nowhere"}; }
    // The installed directory is read only whoever runs the tests.
    fs::WritableProbe Probe() const {
        return [this](const std::string& dir) { return dir != installed && fs::DirectoryWritable(dir); };
    }

    TempHome base;
    const std::string installed = base.PathOf("installed/");
    const std::string user = base.PathOf("data/quenzor/");
    std::map<std::string, std::string> before;
};

TEST_F(UserCopy, IsSeededThenCompletedWithoutReplacingWhatTheUserHas) {
    struct Step {
        const char* what;
        std::function<void()> userDoes;
        std::vector<std::string> copied;
        bool indexKept;
    };
    const Step steps[] = {
        {"first start", [] {},
         {"Objects/", "Objects/Tank.pn", "Objects/Valve.pn", "Tutorial/", "Tutorial/01.pn", "Data/", "Data/Plant.pn",
          "Help/", "Help/img/", "Help/img/a.svg", "Help/index.html", "Quenzor.cfg"},
         false},
        {"nothing missing",
         [&] { ASSERT_TRUE(fs::WriteFileAtomically(user + "ObjName.dat", std::string("Tank\r\n"))); }, {}, true},
        {"partly deleted, one file changed",
         [&] {
             std::filesystem::remove(user + "Objects/Valve.pn");
             std::filesystem::remove_all(user + "Tutorial");
             ASSERT_TRUE(fs::WriteFileAtomically(user + "Data/Plant.pn", std::string("mine")));
             ASSERT_TRUE(fs::WriteFileAtomically(user + "Objects/Own.pn", std::string("own")));
         },
         {"Objects/Valve.pn", "Tutorial/", "Tutorial/01.pn"}, false},
    };
    for (const Step& s : steps) {
        s.userDoes();
        const fs::SeedResult r = fs::SeedUserDirectory(installed, user, base.PathOf("conf/"), Probe());
        ASSERT_TRUE(r.ok) << s.what << ": " << r.error;
        EXPECT_EQ(r.copied, s.copied) << s.what;
        // The index is derived from "Objects": never copied, dropped when
        // classes came back, so that it is rebuilt.
        EXPECT_EQ(fs::FileExists(user + "ObjName.dat"), s.indexKept) << s.what;
        EXPECT_FALSE(fs::FileExists(user + "quenzor")) << s.what;
    }
    EXPECT_EQ(ReadAll(user + "Data/Plant.pn"), "mine");
    EXPECT_EQ(ReadAll(user + "Objects/Own.pn"), "own");
    EXPECT_EQ(ReadAll(user + "Help/img/a.svg"), "<svg/>");
    EXPECT_EQ(ReadAll(base.PathOf("conf/Quenzor.cfg")), "\x09");
    EXPECT_EQ(TreeSnapshot(installed), before);
}

TEST_F(UserCopy, UnusableLocationGivesOneMessageAndAReadOnlySession) {
    ASSERT_TRUE(fs::WriteFileAtomically(base.PathOf("afile"), std::string("x")));
    struct Row {
        const char* what;
        std::string dataHome, configHome;
        bool dataWritable;
    };
    const Row rows[] = {
        {"XDG_DATA_HOME is a file", base.PathOf("afile"), base.PathOf("conf"), true},
        {"XDG_CONFIG_HOME below a file", base.PathOf("data"), base.PathOf("afile/conf"), true},
        {"data location not writable", base.PathOf("data"), base.PathOf("conf"), false},
    };
    for (const Row& r : rows) {
        fs::DirectoryInputs in = Inputs();
        in.xdgDataHome = r.dataHome;
        in.xdgConfigHome = r.configHome;
        const fs::ProgramDirectories d = fs::PrepareDirectories(in, [&](const std::string& dir) {
            return dir != installed && (r.dataWritable || dir.find("/data/") == std::string::npos);
        });
        EXPECT_EQ(d.kind, DirectoryKind::Installed) << r.what;
        EXPECT_EQ(d.program, installed) << r.what;
        EXPECT_EQ(d.config, installed) << r.what;
        EXPECT_NE(d.problem.find("cannot be used"), std::string::npos) << r.what;
        EXPECT_NE(d.problem.find(installed), std::string::npos) << r.what;
    }

    // The session runs on the installed files and writes nothing anywhere.
    fs::ProgramDirectories readOnly = fs::PrepareDirectories(Inputs(), [](const std::string&) { return false; });
    ASSERT_EQ(readOnly.kind, DirectoryKind::Installed);
    const fs::ScopedDirectories scope(readOnly);
    ScopedPlatform platform;
    const TObjectLibrary savedLibrary = ObjectLibrary();
    EXPECT_EQ(fs::TakeDirectoryProblem(), readOnly.problem);
    EXPECT_EQ(fs::TakeDirectoryProblem(), "");
    EXPECT_EQ(fs::ProgramDirectory(), installed);
    std::filesystem::remove(installed + "Objects/Tank.pn");
    std::filesystem::remove(installed + "Objects/Valve.pn");
    TPNObjekt tank;
    tank.SetObjectName("Tank");
    ASSERT_TRUE(SaveNetFile(tank, installed + "Objects/Tank.pn"));
    before = TreeSnapshot(installed);

    EXPECT_TRUE(ObjectLibrary().Rebuild());
    EXPECT_EQ(ObjectLibrary().files, std::vector<std::string>{installed + "Objects/Tank.pn"});
    EXPECT_TRUE(SaveConfig());
    EXPECT_FALSE(SaveRemarkLists({"short"}, {"long"}));
    TPNObjekt doc;
    doc.SetObjectName("Pump");
    EXPECT_FALSE(AbstractCurrentObject(doc));
    EXPECT_EQ(platform.messages.Texts(), std::vector<std::string>{kReadOnlyLibraryText});
    EXPECT_EQ(TreeSnapshot(installed), before);
    ObjectLibrary() = savedLibrary;
}

} // namespace
} // namespace qz::test

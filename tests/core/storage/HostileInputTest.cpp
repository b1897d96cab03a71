// What users with bad luck and attackers give the reader: hostile class
// libraries, special files and damaged nets. Every case ends with a
// message, a consistent net and nothing the user had lost.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "NetFixtures.h"
#include "common/BinaryStream.h"

namespace qz::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

// A class file made byte by byte: `name` inheriting `base`, placing one
// instance of each class in `placed`, with no elements of its own.
void ObjectRecord(BinaryWriter& w, const std::string& base, const std::string& name, const Texts& placed) {
    w.TStr(base);
    w.TStr(name);
    w.I32(static_cast<std::int32_t>(placed.size()));
    for (std::size_t i = 0; i < placed.size(); ++i) ObjectRecord(w, placed[i], placed[i] + "_" + std::to_string(i + 1), {});
    for (int i = 0; i < 5; ++i) w.I32(0);
    w.TInt(static_cast<std::int32_t>(placed.size()));
    for (int frames = base == kEmptyObject ? 1 : 2; frames > 0; --frames) { // own frame, base frame
        w.Rect({0, 0, 120, 90});
        w.Raw("\0\0\0\0\2\0\0\0\0", 9); // no interface places, size class 2, no description
    }
}
Bytes ClassBytes(const std::string& name, const std::string& base, const Texts& placed = {}) {
    BinaryWriter w;
    w.Raw("\6\3" "2,7" "\6\3" "100" "\2\1\2\0", 14); // version, sample time, unit, rule
    ObjectRecord(w, base, name, placed);
    return w.Bytes();
}

// "prefix_the_case_name" for the fuzzers' seeds.
std::string SeedName(const std::string& prefix, std::string what) {
    for (char& c : what) c = c == ' ' ? '_' : c;
    return prefix + "_" + what;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(fs::WriteFileAtomically(path, bytes.data(), bytes.size()));
}

class LibraryGraph : public StorageTest {
protected:
    ~LibraryGraph() override { LoadLimits() = ObjectLoadLimits{}; }
    void WriteClass(const std::string& name, const Bytes& bytes) { WriteBytes(LibraryDirectory() + name + ".pn", bytes); }
    // Writes the classes PREFIX0..PREFIXn, class k from make(name k, name k-1),
    // rebuilds the library and seeds the library fuzzer with the document.
    void WriteClasses(const std::string& prefix, int n, const std::function<Bytes(std::string, std::string)>& make,
                      const Bytes& document) {
        std::vector<std::pair<std::string, Bytes>> classes;
        for (int k = 0; k <= n; ++k) {
            classes.emplace_back(prefix + std::to_string(k), make(prefix + std::to_string(k), prefix + std::to_string(k - 1)));
            WriteClass(classes.back().first, classes.back().second);
        }
        ASSERT_TRUE(ObjectLibrary().Rebuild());
        classes.resize(std::min<std::size_t>(classes.size(), 16));
        ToLibraryCorpus("classes_" + prefix, classes, document);
    }
};

TEST_F(LibraryGraph, IndexFilesThatDisagreeAreNotTrusted) {
    WriteClass("a", ClassBytes("Tank", kEmptyObject));
    WriteClass("b", ClassBytes("Two\nlines", kEmptyObject));
    ASSERT_TRUE(ObjectLibrary().Rebuild());
    EXPECT_EQ(platform.messages.Texts(), Texts{UnstorableClassNameText("b.pn")});
    EXPECT_EQ(*fs::ReadTextLines(home.PathOf("ObjName.dat")), Texts{"Tank"});

    ASSERT_TRUE(fs::WriteTextLines(home.PathOf("ObjName.dat"), {"Two", "lines", "Tank"}));
    ObjectLibrary().LoadIndex();
    EXPECT_TRUE(ObjectLibrary().names.empty() && ObjectLibrary().files.empty());
    // Lists that disagree in memory: a name without its file line is not found.
    ObjectLibrary().names = {"Two", "Tank"};
    ObjectLibrary().files = {LibraryDirectory() + "a.pn"};
    TPNObjekt o;
    EXPECT_FALSE(o.SetInherited("Tank"));
    EXPECT_EQ(platform.messages.Texts(),
              (Texts{UnstorableClassNameText("b.pn"), kIndexMismatchText, "Object Tank not found..."}));
}

TEST_F(LibraryGraph, ClassesWithinClassesStopAtTheDepthLimit) {
    const Bytes file = ClassBytes("Doc", "C40");
    WriteClasses("C", 40, [](std::string name, std::string before) {
        return ClassBytes(name, before == "C-1" ? kEmptyObject : before);
    }, file);
    TPNObjekt doc;
    ASSERT_TRUE(LoadNet(doc, file));
    EXPECT_EQ(platform.messages.Texts(), Texts{ClassTooDeepText("C8")});
    EXPECT_TRUE(doc.readWithErrors);
    int loaded = 0;
    const TPNObjekt* o = &doc;
    for (; o->Base() && !o->ClassMissing(); o = o->Base()) ++loaded;
    EXPECT_EQ(loaded, 32) << "the classes within the limit are kept";
    EXPECT_TRUE(o->ClassMissing() && o->baseName == "C8");
    EXPECT_TRUE(SaveNet(doc) == file) << "the base class is kept for the next reading";
}

TEST_F(LibraryGraph, ObjectsMultiplyingThroughClassesStopAtTheObjectLimit) {
    // Each class places two instances of the one before: 2^13 objects from 13 small files.
    LoadLimits().objects = 500;
    const Bytes file = ClassBytes("Doc", kEmptyObject, {"B12"});
    WriteClasses("B", 12, [](std::string name, std::string before) {
        return ClassBytes(name, kEmptyObject, before == "B-1" ? Texts{} : Texts{before, before});
    }, file);
    TPNObjekt doc;
    EXPECT_FALSE(LoadNet(doc, file));
    EXPECT_EQ(platform.messages.Texts(), Texts{TooManyObjectsText()});
    EXPECT_TRUE(doc.readWithErrors);
    EXPECT_EQ(doc.Registry().size(), 1u) << "nothing half-read is left";
}

TEST_F(LibraryGraph, ObjectsOfClassesThatCannotBeLoadedKeepWhatIsStoredForThem) {
    const std::string tank = LibraryDirectory() + "Tank.pn";
    const std::tuple<const char*, std::function<void()>, std::string> cases[] = {
        {"missing", [&] { std::filesystem::remove(tank), ObjectLibrary().Rebuild(); }, "Object Tank not found..."},
        {"cut short", [&] { std::filesystem::resize_file(tank, 30); }, kReadErrorText},
        {"newer", [&] { WriteBytes(tank, {6, 3, '9', ',', '9'}); }, NewerVersionText("9,9")},
        {"a FIFO", [&] { std::filesystem::remove(tank), ::mkfifo(tank.c_str(), 0600); }, kReadErrorText},
    };
    for (const auto& [what, breakClass, message] : cases) {
        std::filesystem::remove(tank);
        WriteTankClass();
        TankUser user;
        Interface(*user.tank, "flow")->SetValue(7);
        Interface(*user.tank, "flow")->side = 1;
        const Bytes saved = SaveNet(user.doc);
        ToLibraryCorpus("placed_class", {{"Tank", *fs::ReadFile(tank)}}, saved);

        breakClass();
        if (fs::FileExists(tank)) ToLibraryCorpus(SeedName("placed_class", what), {{"Tank", *fs::ReadFile(tank)}}, saved);
        platform.messages.Clear();
        TPNObjekt read;
        ASSERT_TRUE(LoadNet(read, saved)) << what;
        EXPECT_EQ(platform.messages.Texts().front(), message) << what;
        EXPECT_TRUE(read.readWithErrors) << what;
        EXPECT_TRUE(read.Net().Children().at(0)->ClassMissing()) << what;
        const Bytes again = SaveNet(read);
        EXPECT_TRUE(again == saved) << what << ": saved as it was read (arcs, start values, sides)";

        std::filesystem::remove(tank);
        WriteTankClass();
        platform.messages.Clear();
        TPNObjekt whole;
        ASSERT_TRUE(LoadNet(whole, again)) << what;
        EXPECT_TRUE(platform.messages.Texts().empty() && !whole.readWithErrors) << what;
        EXPECT_FALSE(whole.Net().Children().at(0)->ClassMissing()) << what;
        EXPECT_TRUE(SaveNet(whole) == saved) << what << ": whole again with the class back";
    }
}

class SpecialFiles : public StorageTest {};

TEST_F(SpecialFiles, FifosDevicesAndHugeFilesAreRefusedWithoutBlockingOrReadingThem) {
    const std::string fifo = home.PathOf("pipe.pn");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero")}) {
        platform.messages.Clear();
        TPNObjekt root;
        EXPECT_FALSE(LoadNetFile(root, path)) << path;
        EXPECT_EQ(platform.messages.Texts(), Texts{kReadErrorText}) << path;
        EXPECT_FALSE(ReadNetFileHeader(path).ok) << path;
    }
    // Index files: a FIFO, and a sparse file of 3 GB whose lines would exhaust memory.
    ASSERT_EQ(::mkfifo(home.PathOf("ObjName.dat").c_str(), 0600), 0);
    WriteBytes(home.PathOf("ObjFile.dat"), {});
    std::filesystem::resize_file(home.PathOf("ObjFile.dat"), 3ull << 30);
    platform.messages.Clear();
    ObjectLibrary().LoadIndex();
    EXPECT_EQ(platform.messages.Texts(),
              (Texts{IndexFileFaultText("ObjName.dat", "'" + home.PathOf("ObjName.dat") + "' is not a regular file"),
                     IndexFileFaultText("ObjFile.dat", "'" + home.PathOf("ObjFile.dat") +
                                                           "' is larger than 16777216 bytes")}));
    EXPECT_TRUE(ObjectLibrary().names.empty());
    // A class file of 3 GB: its header is read from its start alone.
    WriteBytes(LibraryDirectory() + "Huge.pn", ClassBytes("Huge", kEmptyObject));
    std::filesystem::resize_file(LibraryDirectory() + "Huge.pn", 3ull << 30);
    EXPECT_EQ(ReadNetFileHeader(LibraryDirectory() + "Huge.pn").name, "Huge");
}

class DamagedNets : public StorageTest {
protected:
    // A root publishing three places whose frame, at the edge of the
    // coordinates a file may hold, would grow past it to fit them.
    static Bytes FrameAtTheEdge() {
        TPNObjekt doc;
        for (const char* v : {"a", "b", "c"}) AddPlace(doc, v, v, 0, 0)->SetInterfaceFlag(1);
        doc.Frame().SetBounds({0, (1 << 29) - 10, 120, 1 << 29});
        doc.Frame().interfaceSizeClass = 4;
        return SaveNet(doc);
    }
    // P1 -> T1, and with `strayKey` an arc whose target key names no element
    // of the file (its target lies in another net).
    Bytes Document(bool strayKey = false) {
        TPNObjekt other;
        TTransition* stray = AddTransition(other, "X", "0", 0, 0);
        stray->key = 99;
        TPNObjekt doc;
        TPlatz* p = AddPlace(doc, "P1", "m1", 0, 0);
        Connect(doc, p, AddTransition(doc, "T1", "0", 60, 0));
        if (strayKey) Connect(doc, p, stray);
        return SaveNet(doc);
    }
};

TEST_F(DamagedNets, EveryReadErrorMarksTheDocument) {
    const Bytes good = Document();
    Bytes flipped = good, appended = good;
    flipped[3] = ';'; // "2;7" is no version: read as version 1
    appended.push_back(0);
    const std::string text = "Notes on the plant\r\n";
    const std::pair<const char*, Bytes> cases[] = {
        {"flipped version label", flipped},
        {"cut short", Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2))},
        {"a text file", Bytes(text.begin(), text.end())},
        {"data after the end", appended},
        {"arc key of no element", Document(true)},
        {"frame grown out of range", FrameAtTheEdge()},
    };
    for (const auto& [what, bytes] : cases) {
        ToCorpus(SeedName("damaged", what) + ".pn", bytes);
        platform.messages.Clear();
        TPNObjekt root;
        LoadNet(root, bytes);
        EXPECT_TRUE(root.readWithErrors) << what;
        EXPECT_FALSE(platform.messages.Texts().empty()) << what;
        TPNObjekt again;
        LoadNet(again, SaveNet(root));
        EXPECT_FALSE(again.readWithErrors) << what << ": what was kept is saved readably";
    }
}

TEST_F(DamagedNets, SavingOverTheDamagedFileKeepsItsOriginalBeside) {
    const Bytes good = Document();
    const Bytes cut(good.begin(), good.end() - 20);
    const std::string path = home.PathOf("plant.pn");
    for (const std::string& copy : {path + ".damaged", path + ".damaged1"}) {
        WriteBytes(path, cut);
        TPNObjekt doc;
        ASSERT_TRUE(LoadNetFile(doc, path));
        ASSERT_TRUE(doc.readWithErrors);
        platform.messages.Clear();
        std::string kept;
        ASSERT_TRUE(SaveNetFileKeepingOriginal(doc, home.PathOf("backup~.pn"), nullptr, &kept));
        EXPECT_EQ(kept, "") << "saved elsewhere: nothing to keep";
        EXPECT_TRUE(doc.readWithErrors);
        ASSERT_TRUE(SaveNetFileKeepingOriginal(doc, path, nullptr, &kept));
        EXPECT_EQ(kept, copy);
        EXPECT_EQ(platform.messages.Texts(), Texts{KeptOriginalText(copy)});
        EXPECT_TRUE(*fs::ReadFile(copy) == cut);
        EXPECT_TRUE(*fs::ReadFile(path) == SaveNet(doc));
        ASSERT_TRUE(SaveNetFileKeepingOriginal(doc, path, nullptr, &kept));
        EXPECT_EQ(kept, "") << "the document matches its file now";
    }
}

} // namespace
} // namespace qz::test

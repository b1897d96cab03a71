// quenzor-cli export and quenzor-cli examples, run in-process.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "CliTestSupport.h"
#include "model/TNetList.h"

#ifdef QZ_HAVE_RENDER
#include <QImage>
#endif

namespace qz::test {
namespace {

namespace stdfs = std::filesystem;

// A program directory holding the bundled examples and their library.
class ExampleHome : public CliTest {
protected:
    void SetUp() override { CopyExamples(); }
    std::string Example(const std::string& name) const { return home.PathOf(name + ".pn"); }
};

TEST_F(ExampleHome, ExamplesCommandWritesNetsThatReadBackWhole) {
    const std::string dir = home.PathOf("again");
    const CliRun r = Cli({"examples", dir});
    ASSERT_EQ(r.code, cli::kExitOk) << r.err;
    for (const char* name : {"ElementKinds", "Hybrid", "ProducerConsumer", "Plant"}) {
        TPNObjekt fresh, bundled;
        ASSERT_TRUE(LoadNetFile(fresh, dir + "/" + name + ".pn")) << name;
        ASSERT_TRUE(LoadNetFile(bundled, Example(name))) << name;
        EXPECT_EQ(fresh.Net().Count(), bundled.Net().Count()) << name;
        EXPECT_GT(fresh.Net().Count(), 3u) << name;
        // The sample time of a new document window: 100 milliseconds.
        for (const TPNObjekt* net : {&fresh, &bundled}) {
            EXPECT_EQ(std::make_tuple(net->timeUnit, net->sampleTimeText, net->sampleTimeSeconds),
                      std::make_tuple(1, std::string("100"), 0.1)) << name;
        }
    }
    EXPECT_TRUE(stdfs::exists(dir + "/Objects/Tank.pn"));
    EXPECT_TRUE(stdfs::exists(dir + "/Objects/MachineWithBreakdowns.pn"));
    EXPECT_TRUE(stdfs::exists(dir + "/Data/ProductionLine.pn"));
    TPNObjekt plant;
    ASSERT_TRUE(LoadNetFile(plant, Example("Plant")));
    EXPECT_EQ(plant.Net().Children().size(), 2u) << "both tanks are placed from the library";
}

#ifdef QZ_HAVE_RENDER
// Every example in the metafile formats is drawn by the metafile reader tests.
TEST_F(ExampleHome, ExportsInEveryFormat) {
    for (const char* ext : {".emf", ".wmf", ".svg", ".pdf", ".png"}) {
        const std::string picture = home.PathOf(std::string("plant") + ext);
        const CliRun r = Cli({"export", Example("Plant"), picture});
        EXPECT_EQ(r.code, cli::kExitOk) << ext << ": " << r.err;
        EXPECT_GT(stdfs::file_size(picture), 100u) << ext;
    }
}

TEST_F(ExampleHome, ScaleSizesThePng) {
    const std::string one = home.PathOf("one.png"), two = home.PathOf("two.png");
    ASSERT_EQ(Cli({"export", Example("Hybrid"), one}).code, cli::kExitOk);
    ASSERT_EQ(Cli({"export", Example("Hybrid"), two, "--scale", "2"}).code, cli::kExitOk);
    ASSERT_EQ(Cli({"export", Example("Hybrid"), home.PathOf("half.png"), "--scale", "0,5"}).code, cli::kExitOk);
    const QImage a(QString::fromStdString(one)), b(QString::fromStdString(two));
    EXPECT_EQ(b.size(), 2 * a.size());
    EXPECT_EQ(QImage(QString::fromStdString(home.PathOf("half.png"))).width(), (a.width() + 1) / 2);
}

TEST_F(ExampleHome, ValuesShowMarkingsInsteadOfVariableNames) {
    const std::string names = home.PathOf("names.svg"), values = home.PathOf("values.svg");
    ASSERT_EQ(Cli({"export", Example("Hybrid"), names}).code, cli::kExitOk);
    ASSERT_EQ(Cli({"export", Example("Hybrid"), values, "--values"}).code, cli::kExitOk);
    EXPECT_NE(ReadAll(names).find(">supply<"), std::string::npos);
    EXPECT_EQ(ReadAll(values).find(">supply<"), std::string::npos);
    EXPECT_NE(ReadAll(values).find(">100<"), std::string::npos);
}

TEST_F(ExampleHome, RefusesBadArguments) {
    const std::string net = Example("Hybrid");
    const std::vector<std::vector<std::string>> bad = {
        {"export"},
        {"export", net},
        {"export", net, home.PathOf("x.bmp")},
        {"export", net, home.PathOf("x.png"), "--scale"},
        {"export", net, home.PathOf("x.png"), "--scale", "0"},
        {"export", net, home.PathOf("x.png"), "--scale", "abc"},
        {"export", home.PathOf("missing.pn"), home.PathOf("x.png")},
    };
    for (const auto& args : bad) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.code, cli::kExitRefused) << args.size();
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_FALSE(stdfs::exists(home.PathOf("x.png")));
    const CliRun unwritable = Cli({"export", net, "/nonexistent-dir/x.png"});
    EXPECT_EQ(unwritable.code, cli::kExitFailure);
    EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;
}
#endif

} // namespace
} // namespace qz::test

// The tutorial as a user gets it: written by quenzor-cli examples into a
// program directory, read back with its classes from the library, and run.
// Each lesson must do what its labels say.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <map>
#include <sstream>

#include "CliTestSupport.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TSchriftObjekt.h"
#include "model/TutorialNets.h"
#include "simulation/HeadlessRun.h"

namespace qz::test {
namespace {

// The recorded samples of one run: model time and one column per traced place.
struct Samples {
    std::vector<double> time;
    std::map<std::string, std::vector<double>> column;

    // The settled value at model time t: the last sample taken at or before t.
    double At(const std::string& name, double t) const {
        double v = NAN;
        for (std::size_t i = 0; i < time.size() && time[i] <= t + 1e-9; ++i) v = column.at(name)[i];
        return v;
    }
    // The least and the greatest value from model time `from` on.
    std::pair<double, double> Range(const std::string& name, double from = 0) const {
        std::pair<double, double> r{INFINITY, -INFINITY};
        for (std::size_t i = 0; i < time.size(); ++i) {
            if (time[i] < from) continue;
            r = {std::min(r.first, column.at(name)[i]), std::max(r.second, column.at(name)[i])};
        }
        return r;
    }
    int Changes(const std::string& name) const {
        const std::vector<double>& c = column.at(name);
        int n = 0;
        for (std::size_t i = 1; i < c.size(); ++i) n += c[i] != c[i - 1];
        return n;
    }
};

Samples ParseCsv(const std::string& csv, const std::vector<std::string>& names) {
    Samples s;
    std::istringstream in(csv);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
        std::istringstream row(line);
        std::string field;
        std::getline(row, field, ',');
        s.time.push_back(std::stod(field));
        for (const std::string& n : names) {
            std::getline(row, field, ',');
            s.column[n].push_back(std::stod(field));
        }
    }
    return s;
}

class Tutorial : public CliTest {
protected:
    void SetUp() override {
        // A test before may have left the library without its class reader.
        InstallNetFileLoader();
        ASSERT_EQ(Cli({"examples", home.Path()}).code, cli::kExitOk);
        ASSERT_EQ(Cli({"library", "--rebuild"}).code, cli::kExitOk);
    }
    std::string Lesson(const std::string& name) const { return home.PathOf("Tutorial/" + name + ".pn"); }
};

TEST_F(Tutorial, EveryLessonLoadsWholeChecksAndRunsAsItsLabelsSay) {
    using Check = std::function<void(TPNObjekt&, const Samples&)>;
    const struct {
        const char* lesson;
        std::vector<std::string> trace;
        long double until;
        bool enhancedOff;
        Check check;
    } rows[] = {
        {"T01_DiscreteFiring", {"queue", "doneA", "doneB", "urgentDone", "normalDone"}, 200, false,
         [](TPNObjekt&, const Samples& s) {
             // One token a second, each to exactly one side of the conflict.
             EXPECT_EQ(s.At("doneA", 150.5) + s.At("doneB", 150.5), 150);
             EXPECT_GT(std::min(s.At("doneA", 150.5), s.At("doneB", 150.5)), 45) << "both win draws";
             EXPECT_LE(s.Range("queue").second, 1);
             EXPECT_EQ(s.At("urgentDone", 150.5), 150);
             EXPECT_EQ(s.Range("normalDone").second, 0) << "the lower priority never wins";
         }},
        {"T02_TimedTransitions", {"waitingT", "doneT", "waitingR", "doneR"}, 10, false,
         [](TPNObjekt&, const Samples& s) {
             EXPECT_EQ(s.At("waitingT", 1.9), 3) << "a timed transition leaves the token until it fires";
             EXPECT_EQ(s.At("waitingR", 1.9), 2) << "a reserving one takes it at once";
             for (const char* done : {"doneT", "doneR"}) {
                 EXPECT_EQ(s.At(done, 1.9), 0) << done;
                 EXPECT_EQ(s.At(done, 2.05), 1) << done << ": both deliver after 2 s";
                 EXPECT_EQ(s.At(done, 6.05), 3) << done;
             }
         }},
        {"T03_ContinuousFlow", {"supply", "tank"}, 30, false,
         [](TPNObjekt&, const Samples& s) {
             for (double t : {2.5, 5.0}) EXPECT_NEAR(s.At("tank", t), t, 0.15) << "one unit a second";
             EXPECT_NEAR(s.Range("tank").second, 9, 0.15) << "the enhanced rule stops the pump";
             EXPECT_GT(s.Range("supply").first, 0.85);
         }},
        {"T03_ContinuousFlow", {"supply", "tank"}, 30, true,
         [](TPNObjekt&, const Samples& s) {
             EXPECT_NEAR(s.At("tank", 29.95), 29.9, 0.2) << "without the rule nothing stops the pump";
             EXPECT_LT(s.Range("supply").first, -19);
         }},
        {"T04_InhibitorAndTestArcs", {"closed", "open", "queue", "passed", "closedTime"}, 100, false,
         [](TPNObjekt&, const Samples& s) {
             for (std::size_t i = 0; i < s.time.size(); ++i) {
                 ASSERT_EQ(s.column.at("closed")[i] + s.column.at("open")[i], 1) << "at " << s.time[i];
             }
             EXPECT_EQ(s.At("queue", 4.5), 4) << "nothing passes before the gate opens";
             EXPECT_EQ(s.At("queue", 7), 0) << "the whole queue passes when the gate opens";
             EXPECT_EQ(s.At("passed", 14.5), s.At("passed", 10.5)) << "nothing passes a closed gate";
             EXPECT_NEAR(s.At("closedTime", 7.5), 5, 0.15) << "the inhibitor arc holds Count while open";
             EXPECT_NEAR(s.At("closedTime", 99.95), 50, 0.5);
         }},
        {"T05_Formulas", {"level", "wave"}, 20, false,
         [](TPNObjekt&, const Samples& s) {
             // The speed 0.5*level halves the level about every 1,4 s.
             for (double t : {0.0, 2.0, 5.0}) EXPECT_NEAR(s.At("level", t + 1.4) / s.At("level", t), 0.5, 0.02) << t;
             EXPECT_LT(s.At("level", 19.95), 0.001);
             for (std::size_t i = 0; i < s.time.size(); ++i) {
                 ASSERT_NEAR(s.column.at("wave")[i], std::sin(s.time[i]), 0.1) << "at " << s.time[i];
             }
         }},
        {"T06_ObjectsAndInheritance", {"Lamp.on", "Lamp.hours", "Blinker.off", "Blinker.on", "Blinker.hours"}, 60,
         false,
         [](TPNObjekt& root, const Samples& s) {
             TPNObjekt* blinker = root.FindChildByName("Blinker");
             ASSERT_TRUE(blinker);
             EXPECT_FALSE(blinker->ClassMissing());
             for (const char* v : {"off", "on", "hours"}) {
                 EXPECT_TRUE(blinker->Frame().FindInterfacePlace(v)) << "inherited and published: " << v;
             }
             for (double t : {0.5, 2.5, 4.5}) EXPECT_EQ(s.At("Blinker.on", t), 0) << t;
             for (double t : {1.5, 3.5, 5.5}) EXPECT_EQ(s.At("Blinker.on", t), 1) << t;
             EXPECT_NEAR(s.At("Blinker.hours", 59.95), 30, 1);
             EXPECT_EQ(s.At("Lamp.on", 2.5) + s.At("Lamp.on", 6.5), 0) << "switched on from 3 s to 6 s";
             EXPECT_EQ(s.At("Lamp.on", 4.5), 1);
             EXPECT_NEAR(s.At("Lamp.hours", 59.95), 30, 1.5);
         }},
        {"T07_Fusion", {"shared", "Tank_1.level", "Tank_2.level", "Tank_1.alarm", "Tank_2.alarm"}, 30, false,
         [](TPNObjekt&, const Samples& s) {
             for (std::size_t i = 0; i < s.time.size(); ++i) {
                 ASSERT_EQ(s.column.at("Tank_1.level")[i], s.column.at("shared")[i]) << "at " << s.time[i];
                 ASSERT_EQ(s.column.at("Tank_2.level")[i], s.column.at("shared")[i]) << "at " << s.time[i];
             }
             EXPECT_EQ(s.At("Tank_1.alarm", 9.5) + s.At("Tank_2.alarm", 9.5), 0);
             EXPECT_EQ(s.At("Tank_1.alarm", 11) + s.At("Tank_2.alarm", 11), 2);
             EXPECT_NEAR(s.Range("shared").second, 14, 0.15);
         }},
        {"T08_Oscilloscopes", {"temp", "heaterOn"}, 200, false,
         [](TPNObjekt&, const Samples& s) {
             EXPECT_NEAR(s.Range("temp", 20).first, 18, 0.3) << "it swings between 18 and 22";
             EXPECT_NEAR(s.Range("temp", 20).second, 22, 0.3);
             EXPECT_GT(s.Changes("heaterOn"), 20);
         }},
        {"T10_HybridPlant", {"level", "bottles", "Tank_1.level", "Tank_1.alarm", "pumpOn"}, 100, false,
         [](TPNObjekt&, const Samples& s) {
             EXPECT_GE(s.Range("level", 10).first, 2.9);
             EXPECT_LE(s.Range("level").second, 8.3);
             EXPECT_EQ(s.Range("Tank_1.alarm").second, 0);
             EXPECT_EQ(s.At("Tank_1.level", 50), s.At("level", 50));
             EXPECT_GT(s.Changes("pumpOn"), 8);
             EXPECT_NEAR(s.At("bottles", 99.95), 99, 1.5) << "a bottle a second once the level is up";
         }},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.lesson);
        TPNObjekt root;
        ASSERT_TRUE(LoadNetFile(root, Lesson(r.lesson)));
        EXPECT_FALSE(root.readWithErrors);
        HeadlessOptions options;
        options.until = r.until;
        options.trace = r.trace;
        options.csvPath = "-";
        if (r.enhancedOff) options.enhancedRule = false;
        std::ostringstream csv, messages;
        ASSERT_EQ(RunHeadless(root, options, csv, messages), kHeadlessOk) << messages.str();
        EXPECT_EQ(messages.str(), "");
        const Samples s = ParseCsv(csv.str(), r.trace);
        ASSERT_GT(s.time.size(), 10u);
        EXPECT_GT(s.time.back(), r.until - 0.2);
        r.check(root, s);
    }
}

// The commands printed in the ensemble lesson run as printed, and their
// results are the ones the lesson promises.
TEST_F(Tutorial, EnsembleLessonCommandsRunAsPrinted) {
    TPNObjekt root;
    ASSERT_TRUE(LoadNetFile(root, Lesson("T09_Ensembles")));
    std::map<std::string, std::string> csvOf;
    for (TGraphItem* e : root.Net().Elements()) {
        if (e->Kind() != kind::Label) continue;
        std::istringstream words(static_cast<TSchriftObjekt*>(e)->Text());
        std::vector<std::string> args;
        for (std::string w; words >> w;) args.push_back(w);
        if (args.size() < 3 || args[0] != "quenzor-cli" || args[2] != "T09_Ensembles.pn") continue;
        args.erase(args.begin());
        args[1] = Lesson("T09_Ensembles");
        const auto csv = std::find(args.begin(), args.end(), "--csv");
        ASSERT_NE(csv, args.end());
        csvOf[args[0]] = *(csv + 1) = home.PathOf(*(csv + 1));
        const CliRun run = Cli(args);
        ASSERT_EQ(run.code, cli::kExitOk) << args[0] << ": " << run.err;
    }
    ASSERT_EQ(csvOf.size(), 2u) << "a simulate and a sweep command";

    // The mean in the last row of each traced place, keyed by the fields
    // before the time (the sweep's value) and the place.
    auto lastMeans = [](const std::string& path) {
        std::map<std::string, double> mean;
        std::istringstream in(ReadAll(path));
        std::string line;
        std::getline(in, line);
        const std::size_t keys = std::count(line.begin(), line.begin() + line.find("time"), ',');
        while (std::getline(in, line)) {
            std::vector<std::string> f;
            std::istringstream row(line);
            for (std::string x; std::getline(row, x, ',');) f.push_back(x);
            std::string key = f[keys + 1];
            for (std::size_t i = 0; i < keys; ++i) key = f[i] + ":" + key;
            mean[key] = std::stod(f[keys + 4]);
        }
        return mean;
    };
    const auto coins = lastMeans(csvOf.at("simulate"));
    EXPECT_NEAR(coins.at("heads"), 50, 2);
    EXPECT_DOUBLE_EQ(coins.at("heads") + coins.at("tails"), 100);
    const auto sweep = lastMeans(csvOf.at("sweep"));
    for (const char* toss : {"0.5", "1", "1.5", "2"}) {
        EXPECT_NEAR(sweep.at(std::string(toss) + ":heads"), 50 / std::stod(toss), 10 / std::stod(toss)) << toss;
    }
}

// The committed tutorial is what the generator writes now.
TEST_F(Tutorial, CommittedLessonsAreTheGeneratorsOwn) {
    for (const tutorial::Lesson& lesson : tutorial::Lessons()) {
        const std::string committed = std::string(QZ_SOURCE_DIR) + "/examples/Tutorial/" + lesson.file;
        EXPECT_EQ(ReadAll(committed), ReadAll(home.PathOf(std::string("Tutorial/") + lesson.file))) << lesson.file;
    }
    for (const char* cls : {tutorial::kLightClass, tutorial::kBlinkingLightClass}) {
        const std::string file = std::string("Objects/") + cls + ".pn";
        EXPECT_EQ(ReadAll(std::string(QZ_SOURCE_DIR) + "/examples/" + file), ReadAll(home.PathOf(file))) << cls;
    }
}

} // namespace
} // namespace qz::test

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <cctype>
#include <set>
#include <sstream>

#include "FakePlatform.h"
#include "TempHome.h"
#include "diagrams/TraceRecorder.h"
#include "model/LibraryNets.h"
#include "model/ObjectLibrary.h"
#include "model/TGraphItem.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/storage/NetFile.h"
#include "simulation/HeadlessRun.h"

// The shipped library as a user gets it: written into a program directory,
// indexed by a rebuild and read back through the net file reader. Every
// class says what it is and where it comes from; every project simulates
// and does what its labels tell the user to watch.

namespace qz::test {
namespace {

// The library written into a temporary program directory and indexed; the
// program's library is restored afterwards.
class WrittenLibrary {
public:
    WrittenLibrary() : saved_(ObjectLibrary()) {
        std::vector<std::string> written;
        std::string error;
        ok = examples::WriteLibrary(home.Path(), written, error) && ObjectLibrary().Rebuild(&error);
        failure = error;
    }
    ~WrittenLibrary() { ObjectLibrary() = saved_; }
    WrittenLibrary(const WrittenLibrary&) = delete;
    WrittenLibrary& operator=(const WrittenLibrary&) = delete;

    TempHome home;
    bool ok = false;
    std::string failure;

private:
    TObjectLibrary saved_;
};

std::set<std::string> PlaceVariables(const TPNObjekt& o) {
    std::set<std::string> names;
    for (std::size_t i = 0; i < o.CombinedCount(); ++i) {
        if (const TGraphItem* e = o.ElementAt(i); e && e->Kind() == kind::Place) {
            names.insert(static_cast<const TPlatz*>(e)->variableName);
        }
    }
    return names;
}

std::set<std::string> InterfaceVariables(const TObjectFrame& f) {
    std::set<std::string> names;
    for (const auto& ip : f.interfacePlaces) names.insert(ip->innerPlace->variableName);
    return names;
}

// True when `word` stands in `text` as a whole word.
bool NamesWord(const std::string& text, const std::string& word) {
    const auto inWord = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        if ((at == 0 || !inWord(text[at - 1])) && (end == text.size() || !inWord(text[end]))) return true;
    }
    return false;
}

TEST(LibraryNets, EveryClassReadsBackDocumentedWithItsBaseInTheLibrary) {
    ScopedPlatform platform;
    WrittenLibrary library;
    ASSERT_TRUE(library.ok) << library.failure;
    ASSERT_EQ(ObjectLibrary().names.size(), examples::LibraryClasses().size());
    for (const std::string& name : ObjectLibrary().names) {
        SCOPED_TRACE(name);
        TPNObjekt cls;
        ASSERT_TRUE(LoadNetFile(cls, *ObjectLibrary().FileOf(name)));
        EXPECT_EQ(cls.name, name);
        const std::vector<std::string>& doc = cls.Frame().description;
        ASSERT_FALSE(doc.empty());
        EXPECT_EQ(doc.front().rfind(name, 0), 0u) << "the description starts with the class name";
        std::string text;
        for (const std::string& line : doc) text += line + "\n";
        EXPECT_FALSE(cls.Frame().interfacePlaces.empty()) << "nothing to connect it by";
        for (const std::string& v : InterfaceVariables(cls.Frame())) {
            EXPECT_TRUE(NamesWord(text, v))
                << "the description names interface place " << v;
        }
        if (cls.baseName == kEmptyObject) {
            EXPECT_EQ(cls.Base(), nullptr);
            continue;
        }
        EXPECT_GE(ObjectLibrary().IndexOf(cls.baseName), 0) << cls.baseName;
        ASSERT_NE(cls.Base(), nullptr);
        EXPECT_FALSE(cls.ClassMissing());
        EXPECT_NE(doc.front().find("inherits " + cls.baseName), std::string::npos);
        TPNObjekt base;
        ASSERT_TRUE(LoadNetFile(base, *ObjectLibrary().FileOf(cls.baseName)));
        const std::set<std::string> derived = PlaceVariables(cls), own = PlaceVariables(base);
        for (const std::string& v : own) EXPECT_TRUE(derived.count(v)) << "base place " << v;
        EXPECT_GT(derived.size(), own.size()) << "adds places of its own";
        const std::set<std::string> published = InterfaceVariables(cls.Frame());
        for (const std::string& v : InterfaceVariables(base.Frame())) {
            EXPECT_TRUE(published.count(v)) << "base interface " << v;
        }
    }
    EXPECT_TRUE(platform.messages.Shown().empty()) << platform.messages.Texts().front();
}

// The samples of one traced place.
struct Samples {
    std::vector<long double> y;
    long double Min() const { return *std::min_element(y.begin(), y.end()); }
    long double Max() const { return *std::max_element(y.begin(), y.end()); }
    long double Last() const { return y.back(); }
    double ShareAt(long double v) const {
        return static_cast<double>(std::count(y.begin(), y.end(), v)) / static_cast<double>(y.size());
    }
};
using Traces = std::map<std::string, Samples>;

TEST(LibraryNets, EveryProjectRunsAndShowsWhatItsLabelsSay) {
    const struct {
        const char* name;
        std::vector<std::string> trace;
        std::function<void(Traces&)> check;
    } rows[] = {
        {"ProductionLine",
         {"Source_1.created", "Buffer_1.stock", "Machine_1.down", "Machine_1.failures", "Counter_1.total",
          "Sink_1.consumed"},
         [](Traces& t) {
             EXPECT_GT(t["Sink_1.consumed"].Last(), 30) << "parts flow from source to sink";
             EXPECT_EQ(t["Counter_1.total"].Last(), t["Sink_1.consumed"].Last());
             EXPECT_LE(t["Source_1.created"].Last() - t["Sink_1.consumed"].Last(), 14)
                 << "the line holds at most 14 parts: none is lost or made";
             EXPECT_GE(t["Machine_1.failures"].Last(), 1);
             EXPECT_GT(t["Machine_1.down"].ShareAt(1), 0.05) << "time spent broken";
             EXPECT_LT(t["Machine_1.down"].ShareAt(1), 0.6);
             EXPECT_EQ(t["Buffer_1.stock"].Max(), 5) << "fills up to its capacity, never beyond";
         }},
        {"ProcessPlant",
         {"reservoir", "drained", "Tank_1.level", "Tank_2.level", "Tank_1.alarm", "Tank_2.alarm", "Pump_1.on"},
         [](Traces& t) {
             const Samples& level = t["Tank_1.level"];
             EXPECT_GE(level.Max(), 8);
             EXPECT_LT(level.Max(), 8.2) << "the pump stops within a step of 8";
             // Once filled, the level swings between the two switching points.
             const auto full = std::find_if(level.y.begin(), level.y.end(), [](long double v) { return v >= 8; });
             const long double low = *std::min_element(full, level.y.end());
             EXPECT_LT(low, 3);
             EXPECT_GT(low, 2.9) << "the pump starts below 3";
             EXPECT_EQ(t["Pump_1.on"].Min(), 0);
             EXPECT_GT(t["Tank_2.level"].Max(), 1);
             EXPECT_LT(t["Tank_2.level"].Max(), 10);
             EXPECT_EQ(t["Tank_1.alarm"].Max() + t["Tank_2.alarm"].Max(), 0);
             const long double total = t["reservoir"].Last() + t["drained"].Last() + level.Last() +
                                       t["Tank_2.level"].Last();
             EXPECT_NEAR(static_cast<double>(total), 30, 1e-6) << "the circuit neither loses nor makes liquid";
         }},
        {"Bottling",
         {"reservoir", "Tank_1.level", "Tank_1.alarm", "Buffer_1.stock", "Filled.total", "Store.consumed",
          "Bottles.created"},
         [](Traces& t) {
             EXPECT_GT(t["Store.consumed"].Last(), 60);
             EXPECT_EQ(t["Filled.total"].Last(), t["Store.consumed"].Last());
             EXPECT_LT(t["Tank_1.level"].Max(), 8.2);
             EXPECT_EQ(t["Tank_1.alarm"].Max(), 0);
             const long double drink = t["reservoir"].Last() + t["Tank_1.level"].Last() +
                                       0.5L * t["Filled.total"].Last();
             EXPECT_NEAR(static_cast<double>(drink), 40, 1e-6) << "each bottle takes 0,5";
             EXPECT_LE(t["Filled.total"].Last(), 80);
             // The reservoir ran dry: the line has stopped back to the source.
             EXPECT_LT(t["reservoir"].Last(), 0.2);
             EXPECT_LT(t["Tank_1.level"].Last(), 0.5);
             EXPECT_EQ(t["Buffer_1.stock"].Last(), 5);
         }},
    };
    ScopedPlatform platform;
    WrittenLibrary library;
    ASSERT_TRUE(library.ok) << library.failure;
    ASSERT_EQ(examples::LibraryProjects().size(), std::size(rows));
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        TPNObjekt root;
        ASSERT_TRUE(LoadNetFile(root, library.home.PathOf(std::string("Data/") + r.name + ".pn")));
        HeadlessOptions options;
        options.steps = 3000;
        options.seed = 1;
        options.trace = r.trace;
        Traces traces;
        long double lastTime = 0;
        options.onTraces = [&](const std::vector<const diagrams::TTraceRecorder*>& recorders) {
            for (std::size_t i = 0; i < recorders.size(); ++i) {
                Samples& s = traces[r.trace[i]];
                for (const diagrams::TPunkt* p = recorders[i]->trace.First(); p; p = p->next) {
                    s.y.push_back(p->y);
                    lastTime = std::max(lastTime, p->x);
                }
            }
        };
        std::ostringstream out, err;
        ASSERT_EQ(RunHeadless(root, options, out, err), kHeadlessOk) << err.str();
        EXPECT_EQ(err.str(), "");
        ASSERT_EQ(traces.size(), r.trace.size());
        EXPECT_GT(lastTime, 150) << "model time stood still";
        for (const auto& [name, s] : traces) EXPECT_GE(s.Min(), -1e-9L) << name;
        r.check(traces);
    }
    EXPECT_TRUE(platform.messages.Shown().empty());
}

} // namespace
} // namespace qz::test

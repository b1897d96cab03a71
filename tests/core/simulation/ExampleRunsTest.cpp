#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

#include "FakePlatform.h"
#include "ScopedLibrary.h"
#include "diagrams/TraceRecorder.h"
#include "model/ExampleNets.h"
#include "simulation/HeadlessRun.h"

// The examples are what a new user runs first: each one simulates, its
// model time moves on, its markings stay in a sensible range, and it does
// what its name promises.

namespace qz::test {
namespace {

struct Range {
    long double min, max;
};

TEST(ExampleRuns, EachExampleRunsForAFewThousandStepsAndKeepsItsPromise) {
    const struct {
        const char* name;
        void (*build)(TPNObjekt&);
        std::vector<std::string> trace;
        // The range each traced marking must have covered (min and max seen).
        std::map<std::string, Range> promised;
    } rows[] = {
        {"ElementKinds", examples::BuildElementKinds, {"m2", "m4", "b", "x", "y"},
         {{"m2", {0, 1}}, {"m4", {3, 3}}, {"b", {0, 0}}}},
        {"Hybrid", examples::BuildHybrid, {"level", "supply", "drained", "on", "off"},
         {{"on", {0, 1}}, {"off", {0, 1}}}},
        {"ProducerConsumer", examples::BuildProducerConsumer, {"buffer", "free", "consumed"},
         {{"buffer", {1, 5}}, {"free", {0, 4}}}},
        {"Plant", examples::BuildPlant, {"source", "reported", "Tank_1.level", "Tank_1.alarm", "Tank_2.alarm"},
         {{"reported", {0, 1}}, {"Tank_1.alarm", {0, 1}}, {"Tank_2.alarm", {1, 1}}}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ScopedPlatform platform;
        ScopedLibrary library;
        library.Define(examples::kTankClass, examples::BuildTankClass);
        TPNObjekt root;
        r.build(root);
        HeadlessOptions options;
        options.steps = 3000;
        options.trace = r.trace;
        std::map<std::string, Range> seen;
        long double lastTime = 0;
        options.onTraces = [&](const std::vector<const diagrams::TTraceRecorder*>& recorders) {
            for (std::size_t i = 0; i < recorders.size(); ++i) {
                const diagrams::TPunktListe& t = recorders[i]->trace;
                seen[r.trace[i]] = {t.MinY(), t.MaxY()};
                auto& last = const_cast<diagrams::TPunktListe&>(t);
                if (t.Count() > 0) lastTime = std::max(lastTime, last.At(t.Count() - 1)->x);
            }
        };
        std::ostringstream out, err;
        ASSERT_EQ(RunHeadless(root, options, out, err), kHeadlessOk) << err.str();
        EXPECT_EQ(err.str(), "");
        EXPECT_GT(lastTime, 100) << "model time stood still";
        for (const auto& [name, range] : seen) {
            EXPECT_GE(range.min, -1e-9L) << name;
            EXPECT_LE(range.max, 1000) << name;
        }
        for (const auto& [name, range] : r.promised) {
            EXPECT_EQ(seen[name].min, range.min) << name;
            EXPECT_EQ(seen[name].max, range.max) << name;
        }
    }
}

} // namespace
} // namespace qz::test

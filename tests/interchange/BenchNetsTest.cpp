// The benchmark nets of the model checking contest import with the counts
// their README gives.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "FakePlatform.h"
#include "PnmlImporter.h"
#include "model/TGraphItem.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "simulation/SimulationSession.h"

namespace qz::pnml {
namespace {

struct BenchNet {
    const char* name;
    std::size_t places, transitions, arcs;
};

constexpr BenchNet kNets[] = {
    {"ERK-PT-000001", 11, 11, 34},          {"Kanban-PT-00005", 16, 16, 40},
    {"CircadianClock-PT-000001", 14, 16, 58}, {"MAPK-PT-00008", 22, 30, 90},
    {"Angiogenesis-PT-01", 39, 64, 185},     {"Philosophers-PT-000100", 500, 500, 1600},
    {"Eratosthenes-PT-500", 499, 2191, 6573}, {"Peterson-PT-7", 1992, 3096, 9584},
    {"Railroad-PT-100", 1018, 10506, 62728}, {"BART-PT-060", 8130, 12120, 97200},
};

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// shared/ lies beside the checkout (or beside the worktree folder).
std::filesystem::path BenchNetDir() {
    std::filesystem::path dir = QZ_SOURCE_DIR "/../shared/bench-nets";
    if (!std::filesystem::is_directory(dir)) dir = QZ_SOURCE_DIR "/../../shared/bench-nets";
    return dir;
}

TEST(BenchNets, ImportWithTheCountsOfTheirReadme) {
    const std::filesystem::path dir = BenchNetDir();
    if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no benchmark nets beside " << QZ_SOURCE_DIR;
    test::ScopedPlatform platform;
    for (const BenchNet& n : kNets) {
        const std::filesystem::path file = dir / (std::string(n.name) + ".pnml");
        ASSERT_TRUE(std::filesystem::exists(file)) << file;
        if (kSanitized && std::filesystem::file_size(file) > 1'000'000) continue;
        TPNObjekt root;
        const ImportResult r = PnmlImporter::ImportFile(root, file.string());
        ASSERT_TRUE(r.ok) << n.name << ": " << r.error;
        const auto expected = std::make_tuple(n.places, n.transitions, n.arcs, n.arcs, n.arcs);
        EXPECT_EQ(std::make_tuple(r.places, r.transitions, r.arcs, r.arcs, r.arcs), expected) << n.name;
        std::size_t places = 0, transitions = 0, arcs = 0, inEntries = 0, outEntries = 0;
        for (TGraphItem* e : root.Net().Elements()) {
            places += e->Kind() == kind::Place;
            transitions += e->Kind() == kind::Transition;
            arcs += e->Kind() == kind::Arc;
            inEntries += e->InEdgeList.size();
            outEntries += e->OutEdgeList.size();
        }
        EXPECT_EQ(std::make_tuple(places, transitions, arcs, inEntries, outEntries), expected) << n.name;
        EXPECT_TRUE(platform.messages.Shown().empty()) << n.name;
    }
}

// Every marking and chosen flag after each of `steps` steps at "Max Speed".
std::vector<std::string> RunAtMaxSpeed(const std::filesystem::path& file, bool flat, int steps) {
    TPNObjekt root;
    ImportOptions options;
    options.timing = Timing::Immediate;
    EXPECT_TRUE(PnmlImporter::ImportFile(root, file.string(), options).ok);
    TSimulationSession session;
    session.engine.seed = 5;
    session.engine.flatDiscrete = flat;
    session.engine.incrementalFromArcs = 0;
    std::vector<std::string> log;
    if (StartSimulation(root, session) != StartOutcome::Started) return log;
    session.engine.maxSpeed = true;
    for (int i = 0; i < steps; ++i) {
        std::string line = std::to_string(session.engine.Step());
        for (TGraphItem* e : root.Net().Elements()) {
            if (e->Kind() == kind::Place) line += ' ' + std::to_string(static_cast<TPlatz*>(e)->NextMarking());
            if (e->Kind() == kind::Transition) line += static_cast<TTransition*>(e)->chosen ? '*' : '.';
        }
        log.push_back(std::move(line));
    }
    EndSimulation(root, session);
    return log;
}

// Plain nets at "Max Speed" run their immediate phase on dense arrays.
TEST(BenchNets, RunOnDenseArraysAsOnTheGeneralPhases) {
    const std::filesystem::path dir = BenchNetDir();
    if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no benchmark nets beside " << QZ_SOURCE_DIR;
    test::ScopedPlatform platform;
    platform.trace.SetEnabled(false);
    for (const BenchNet& n : kNets) {
        if (n.arcs > 10000 || (kSanitized && n.arcs > 1000)) continue;
        const std::filesystem::path file = dir / (std::string(n.name) + ".pnml");
        const auto general = RunAtMaxSpeed(file, false, 500), flat = RunAtMaxSpeed(file, true, 500);
        ASSERT_EQ(general.size(), flat.size()) << n.name;
        for (std::size_t i = 0; i < general.size(); ++i) ASSERT_EQ(general[i], flat[i]) << n.name << ", step " << i;
    }
}

} // namespace
} // namespace qz::pnml

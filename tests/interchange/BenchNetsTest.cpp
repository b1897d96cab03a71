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

TEST(BenchNets, ImportWithTheCountsOfTheirReadme) {
    // shared/ lies beside the checkout (or beside the worktree folder).
    std::filesystem::path dir = QZ_SOURCE_DIR "/../shared/bench-nets";
    if (!std::filesystem::is_directory(dir)) dir = QZ_SOURCE_DIR "/../../shared/bench-nets";
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

} // namespace
} // namespace qz::pnml

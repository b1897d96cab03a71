// Saving and loading a generated net of 100 000 elements: places,
// transitions and arcs between them (each arc with its weight label).
// Target: under one second each.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "model/FusionRules.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "model/storage/NetFile.h"
#include "platform/Services.h"
#include "settings/ProgramSettings.h"

namespace {

// 25 000 places, 25 000 transitions and 50 000 arcs (place -> transition ->
// next place), laid out on a grid.
std::unique_ptr<qz::TPNObjekt> MakeNet() {
    constexpr int kPairs = 25000;
    qz::Settings().alignToGrid = false;
    auto root = std::make_unique<qz::TPNObjekt>();
    std::vector<qz::TPlatz*> places;
    std::vector<qz::TTransition*> transitions;
    for (int i = 0; i < kPairs; ++i) {
        const int x = (i % 200) * 80, y = (i / 200) * 80;
        auto p = std::make_unique<qz::TPlatz>();
        p->SetName("P" + std::to_string(i));
        p->variableName = "m" + std::to_string(i);
        p->SetInitialMarking(i % 5);
        places.push_back(p.get());
        root->Net().Add(std::move(p));
        places.back()->MoveBy(x, y, nullptr);
        auto t = std::make_unique<qz::TTransition>(&root->Variables());
        t->SetName("T" + std::to_string(i));
        t->SetFunctionText(i % 2 ? "1,5" : "0");
        transitions.push_back(t.get());
        root->Net().Add(std::move(t));
        transitions.back()->MoveBy(x + 40, y, nullptr);
    }
    auto connect = [&root](qz::TGraphItem* from, qz::TGraphItem* to, const std::string& w) {
        auto* a = static_cast<qz::TEdge*>(root->Net().Add(std::make_unique<qz::TEdge>(&root->Variables())));
        a->SetWeightText(w);
        qz::JoinArc(*a, from, to);
    };
    for (int i = 0; i < kPairs; ++i) {
        connect(places[i], transitions[i], std::to_string(1 + i % 3));
        connect(transitions[i], places[(i + 1) % kPairs], "1");
    }
    return root;
}

struct Fixture {
    qz::SilentMessageBoxes boxes;
    qz::PlatformScope scope{qz::PlatformServices{&boxes, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr}};
    std::unique_ptr<qz::TPNObjekt> net = MakeNet();
    std::vector<std::uint8_t> bytes = qz::SaveNet(*net);
};

Fixture& Shared() {
    static Fixture f;
    return f;
}

void BM_SaveNet100k(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        std::vector<std::uint8_t> bytes = qz::SaveNet(*f.net);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["elements"] = static_cast<double>(f.net->Net().Count());
    state.counters["bytes"] = static_cast<double>(f.bytes.size());
}

void BM_LoadNet100k(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        auto root = std::make_unique<qz::TPNObjekt>();
        if (!qz::LoadNet(*root, f.bytes)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(root.get());
        state.PauseTiming();
        root.reset();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_SaveNet100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadNet100k)->Unit(benchmark::kMillisecond);

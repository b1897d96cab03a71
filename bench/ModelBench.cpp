// Net model figures: building the simulation's working lists and conflict
// groups over a large object hierarchy, and the heap taken by one place,
// transition and arc with their labels.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "model/ConflictGroups.h"
#include "model/FusionRules.h"
#include "model/ObjectLibrary.h"
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"

// Every allocation of this program is counted while `g_counting` is set.
namespace {
std::atomic<bool> g_counting{false};
std::atomic<long long> g_bytes{0};
std::atomic<long long> g_blocks{0};
} // namespace

// The replacements pair malloc with free; the compiler cannot see that
// operator new is replaced as a whole.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t n) {
    if (g_counting.load(std::memory_order_relaxed)) {
        g_bytes.fetch_add(static_cast<long long>(n), std::memory_order_relaxed);
        g_blocks.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace qz {
namespace {

std::string Prefixed(char prefix, const std::string& number) {
    std::string s(1, prefix);
    s.append(number);
    return s;
}

TPlatz* AddPlace(TPNObjekt& o, const std::string& variable, bool continuous = false) {
    auto p = std::make_unique<TPlatz>();
    p->continuous = continuous ? 1 : 0;
    p->SetVariableName(variable);
    return static_cast<TPlatz*>(o.Net().Add(std::move(p)));
}

TTransition* AddTransition(TPNObjekt& o, const std::string& text, bool continuous = false) {
    auto t = std::make_unique<TTransition>(&o.Variables());
    t->continuous = continuous ? 1 : 0;
    t->SetFunctionText(text);
    return static_cast<TTransition*>(o.Net().Add(std::move(t)));
}

TEdge* AddArc(TPNObjekt& o, TGraphItem* from, TGraphItem* to) {
    auto* a = static_cast<TEdge*>(o.Net().Add(std::make_unique<TEdge>(&o.Variables())));
    JoinArc(*a, from, to);
    return a;
}

// The class every child object instantiates: 3 places, 4 transitions and 6
// arcs, the input place published.
void FillCell(TPNObjekt& o) {
    TPlatz* in = AddPlace(o, "in");
    in->SetInterfaceFlag(1);
    TPlatz* buf = AddPlace(o, "buf");
    TPlatz* level = AddPlace(o, "level", true);
    TTransition* t1 = AddTransition(o, "0");
    TTransition* t2 = AddTransition(o, "5");
    t2->reservation = 1;
    TTransition* t3 = AddTransition(o, "-1");
    TTransition* tc = AddTransition(o, "1", true);
    AddArc(o, in, t1);
    AddArc(o, in, t2);
    AddArc(o, t1, buf);
    AddArc(o, t2, buf);
    AddArc(o, buf, t3);
    AddArc(o, tc, level);
}

// A root net with `children` instances of the cell; each instance's input
// place is fused with an outer place (kind 1) that also feeds an outer
// transition, and read by another (kind 4). 20 elements per child.
struct Hierarchy {
    explicit Hierarchy(int children) {
        TObjectLibrary& lib = ObjectLibrary();
        lib.names = {"Cell"};
        lib.files = {"Cell.pn"};
        lib.loadClass = [](TPNObjekt& into, const std::string&) {
            FillCell(into);
            return true;
        };
        for (int i = 0; i < children; ++i) {
            const std::string number = std::to_string(i);
            TPNObjekt* c = root.AddChildObject(Prefixed('C', number), "Cell", 0, 0);
            TPlatz* outer = AddPlace(root, Prefixed('p', number));
            TTransition* feed = AddTransition(root, "0");
            feed->priority = i % 3;
            TTransition* reader = AddTransition(root, "0");
            TInterfacePlace* ip = c->Frame().FindInterfacePlace("in");
            ConnectArc(root.Net(), outer, ip);
            ConnectArc(root.Net(), ip, reader);
            AddArc(root, outer, feed);
        }
        root.ResolveFusion();
    }
    TPNObjekt root;
};

void BM_ConflictGroupsAndSimulationLists(benchmark::State& state) {
    Hierarchy h(static_cast<int>(state.range(0)));
    std::size_t groups = 0;
    for (auto _ : state) {
        h.root.ResolveFusion();
        std::vector<ConflictGroup> g;
        BuildConflictGroups(h.root, g);
        SimulationLists lists;
        h.root.CollectSimulationLists(lists);
        groups = g.size();
        benchmark::DoNotOptimize(lists.discrete.data());
    }
    state.counters["elements"] = static_cast<double>(h.root.TotalElementCount());
    state.counters["groups"] = static_cast<double>(groups);
}
BENCHMARK(BM_ConflictGroupsAndSimulationLists)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_ConflictGroupsOnly(benchmark::State& state) {
    Hierarchy h(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::vector<ConflictGroup> g;
        BuildConflictGroups(h.root, g);
        benchmark::DoNotOptimize(g.data());
    }
    state.counters["elements"] = static_cast<double>(h.root.TotalElementCount());
}
BENCHMARK(BM_ConflictGroupsOnly)->Arg(5000)->Unit(benchmark::kMillisecond);

// Heap per element: bytes requested through operator new (and the heap's own
// figure, which includes the allocator's overhead) while `n` elements of
// one kind are created in a net, divided by n.
template <typename Make> void MeasureHeap(benchmark::State& state, Make make) {
    constexpr int n = 20000;
    double bytes = 0, blocks = 0, heap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TPNObjekt owner;
        TPlatz* place = AddPlace(owner, "src");
        TTransition* transition = AddTransition(owner, "0");
        std::vector<std::unique_ptr<TGraphItem>> sink;
        state.ResumeTiming();
        const std::size_t heap0 = mallinfo2().uordblks;
        g_bytes = 0;
        g_blocks = 0;
        g_counting = true;
        for (int i = 0; i < n; ++i) make(owner, place, transition);
        g_counting = false;
        heap = static_cast<double>(mallinfo2().uordblks - heap0) / n;
        bytes = static_cast<double>(g_bytes.load()) / n;
        blocks = static_cast<double>(g_blocks.load()) / n;
    }
    state.counters["bytes_each"] = bytes;
    state.counters["heap_each"] = heap;
    state.counters["blocks_each"] = blocks;
}

void BM_HeapPerPlace(benchmark::State& state) {
    int i = 0;
    MeasureHeap(state, [&i](TPNObjekt& o, TPlatz*, TTransition*) {
        const std::string number = std::to_string(++i);
        TPlatz* p = AddPlace(o, Prefixed('m', number));
        p->SetName(Prefixed('P', number));
    });
}
BENCHMARK(BM_HeapPerPlace)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_HeapPerTransition(benchmark::State& state) {
    int i = 0;
    MeasureHeap(state, [&i](TPNObjekt& o, TPlatz*, TTransition*) {
        TTransition* t = AddTransition(o, "5");
        t->SetName(Prefixed('T', std::to_string(++i)));
    });
}
BENCHMARK(BM_HeapPerTransition)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_HeapPerArc(benchmark::State& state) {
    MeasureHeap(state, [](TPNObjekt& o, TPlatz* p, TTransition* t) { AddArc(o, p, t); });
}
BENCHMARK(BM_HeapPerArc)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace qz

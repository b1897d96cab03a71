// Cost of one maximum-speed simulation step on generated nets of 1 000,
// 10 000 and 100 000 elements (places, transitions and arcs).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "model/FusionRules.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "platform/Services.h"
#include "simulation/SimulationSession.h"

namespace {

using namespace qz;

class Generator {
public:
    explicit Generator(TPNObjekt& net) : net_(net) {}

    TPlatz* Place(double marking, bool continuous) {
        auto p = std::make_unique<TPlatz>();
        const std::string number = std::to_string(++places_);
        p->variableName = std::string("m").append(number);
        p->name = std::string("P").append(number);
        p->continuous = continuous;
        p->SetInitialMarking(marking);
        p->SetMarking(marking);
        return static_cast<TPlatz*>(net_.Net().Add(std::move(p)));
    }
    TTransition* Trans(const std::string& function, bool continuous) {
        auto t = std::make_unique<TTransition>(&net_.Variables());
        t->name = std::string("T").append(std::to_string(++transitions_));
        t->continuous = continuous;
        t->SetFunctionText(function);
        return static_cast<TTransition*>(net_.Net().Add(std::move(t)));
    }
    void Arc(TGraphItem* from, TGraphItem* to) {
        JoinArc(*static_cast<TEdge*>(net_.Net().Add(std::make_unique<TEdge>(&net_.Variables()))), from, to);
        ++arcs_;
    }
    long Arcs() const { return arcs_; }

    // Place -> transition -> next place, 4 elements a stage; every fourth
    // place holds a token, transitions alternate timed (2) and immediate.
    void DiscreteRing(long elements) {
        const long stages = elements / 4;
        TPlatz* first = Place(1, false);
        TPlatz* p = first;
        for (long i = 0; i < stages; ++i) {
            TTransition* t = Trans(i % 2 ? "0" : "2", false);
            Arc(p, t);
            TPlatz* next = i + 1 < stages ? Place((i + 1) % 4 == 0 ? 1 : 0, false) : first;
            Arc(t, next);
            p = next;
        }
    }
    // 11 elements a unit: P feeds two immediate competitors into Q; a timed
    // transition returns the token from Q to P.
    void Conflicts(long elements) {
        for (long i = 0; i < elements / 11; ++i) {
            TPlatz* p = Place(1, false);
            TPlatz* q = Place(0, false);
            for (int k = 0; k < 2; ++k) {
                TTransition* t = Trans("0", false);
                Arc(p, t);
                Arc(t, q);
            }
            TTransition* back = Trans("1", false);
            Arc(q, back);
            Arc(back, p);
        }
    }
    // A ring of tanks, 4 elements a stage: each drains into the next at a
    // speed proportional to its level.
    void Tanks(long elements) {
        const long stages = elements / 4;
        TPlatz* first = Place(1, true);
        TPlatz* p = first;
        for (long i = 0; i < stages; ++i) {
            TTransition* t = Trans(std::string("0.5*").append(p->variableName).append("+0.01"), true);
            Arc(p, t);
            TPlatz* next = i + 1 < stages ? Place(1, true) : first;
            Arc(t, next);
            p = next;
        }
    }

    // Place -> immediate transition -> next place, 4 elements a stage, and
    // not a token: nothing is ever enabled.
    void DeadChain(long elements) {
        TPlatz* p = Place(0, false);
        for (long i = 0; i < elements / 4; ++i) {
            TTransition* t = Trans("0", false);
            Arc(p, t);
            p = Place(0, false);
            Arc(t, p);
        }
    }

private:
    TPNObjekt& net_;
    long places_ = 0, transitions_ = 0, arcs_ = 0;
};

enum class Kind { Ring, Conflicts, Tanks, Mixed, Dead };

void Step(benchmark::State& state, Kind kind) {
    SilentMessageBoxes boxes;
    PlatformServices services{};
    services.messages = &boxes;
    PlatformScope scope(services);
    SimulationBusy() = false;

    TPNObjekt net;
    net.sampleTimeSeconds = 0.1;
    Generator g(net);
    const long n = state.range(0);
    switch (kind) {
    case Kind::Ring: g.DiscreteRing(n); break;
    case Kind::Conflicts: g.Conflicts(n); break;
    case Kind::Tanks: g.Tanks(n); break;
    case Kind::Dead: g.DeadChain(n); break;
    case Kind::Mixed:
        g.DiscreteRing(n / 3);
        g.Conflicts(n / 3);
        g.Tanks(n - 2 * (n / 3));
        break;
    }
    TSimulationSession session;
    session.engine.seed = 1;
    if (StartSimulation(net, session) != StartOutcome::Started) {
        state.SkipWithError("the generated net did not start");
        return;
    }
    session.HighSpeedCheckBoxClick(true);
    session.engine.deferWorkingFields = true; // as a maximum-speed run steps
    for (int i = 0; i < 50; ++i) session.SimulationStep(); // settle
    if (kind == Kind::Dead) {
        for (auto _ : state) benchmark::DoNotOptimize(session.engine.Step()); // the engine's step alone
    } else {
        for (auto _ : state) benchmark::DoNotOptimize(session.SimulationStep());
    }
    state.counters["elements"] = static_cast<double>(net.Net().Count());
    state.counters["arcs"] = static_cast<double>(g.Arcs());
    state.counters["steps/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
    state.counters["s/arc"] = benchmark::Counter(
        static_cast<double>(g.Arcs()) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    EndSimulation(net, session);
}

void BM_DiscreteRing(benchmark::State& s) { Step(s, Kind::Ring); }
void BM_ConflictHeavy(benchmark::State& s) { Step(s, Kind::Conflicts); }
void BM_ContinuousTanks(benchmark::State& s) { Step(s, Kind::Tanks); }
void BM_Mixed(benchmark::State& s) { Step(s, Kind::Mixed); }
// An empty time step: a net in which no transition is ever enabled (ns per step).
void BM_DeadStep(benchmark::State& s) { Step(s, Kind::Dead); }

BENCHMARK(BM_DiscreteRing)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_ConflictHeavy)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_ContinuousTanks)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_Mixed)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_DeadStep)->Arg(1000)->Arg(10000);

} // namespace

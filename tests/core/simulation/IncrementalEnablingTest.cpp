#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "SimFixture.h"

// The engine keeps the structural part of the enabling rule per transition
// and visits only the conflict groups of flagged transitions. These tests run
// generated nets through that path and through the full re-check of every
// transition with the same seed and compare everything observable after
// every step.

namespace qz::test {
namespace {

struct NetShape {
    bool continuousParts = false;
    bool fusion = false;
    bool timedParts = false;
    bool formulaWeights = false;
    // Only normal arcs and unbounded places (at "Max Speed" the immediate
    // phase of such nets runs on dense arrays).
    bool plain = false;
    // The enhanced rule on; continuous transitions read discrete places
    // through test arcs and put only into continuous places, so that the
    // net starts.
    bool enhanced = false;
};

// Builds the same random net for the same seed.
void BuildNet(TPNObjekt& root, std::uint32_t seed, const NetShape& shape) {
    NetBuilder b{root};
    std::mt19937 gen(seed);
    auto pick = [&gen](int n) { return static_cast<int>(gen() % static_cast<unsigned>(n)); };
    const int placeCount = 6 + pick(10);
    std::vector<TPlatz*> places;
    for (int i = 0; i < placeCount; ++i) {
        const bool continuous = shape.continuousParts && pick(5) == 0;
        long double capacity = pick(4) == 0 ? 2 + pick(4) : -1;
        if (shape.plain) capacity = -1;
        // Plain nets hold more: groups whose marking falls below what their
        // still enabled readers need.
        places.push_back(b.Place("P" + std::to_string(i), pick(shape.plain ? 8 : 4), continuous, capacity));
    }
    if (shape.fusion) {
        for (int k = 0; k < 2; ++k) {
            TPlatz* a = places[static_cast<std::size_t>(pick(placeCount))];
            TPlatz* c = places[static_cast<std::size_t>(pick(placeCount))];
            if (a != c && a->continuous == c->continuous && a->markingOwner == a && c->markingOwner == c) {
                c->FuseTo(a);
            }
        }
    }
    const int transCount = 4 + pick(10);
    for (int i = 0; i < transCount; ++i) {
        const bool continuous = shape.continuousParts && pick(6) == 0;
        std::string function = "0";
        if (continuous) {
            function = "0.5";
        } else if (shape.timedParts && pick(3) == 0) {
            function = std::to_string(1 + pick(3));
        }
        TTransition* t = b.Trans("T" + std::to_string(i), function, continuous, 1 + pick(2));
        if (!continuous && function != "0") {
            if (pick(3) == 0) t->timed = 0;
            else if (pick(3) == 0) t->reservation = 1;
        }
        const int inputs = 1 + pick(3);
        for (int k = 0; k < inputs; ++k) {
            std::string weight = std::to_string(1 + pick(2));
            if (shape.formulaWeights && pick(4) == 0) weight = "1+P" + std::to_string(pick(placeCount));
            const int r = shape.plain ? 7 : pick(8);
            std::uint8_t kind = r == 0 ? akInhibitor : r == 1 ? akTest : akNormal;
            TPlatz* place = places[static_cast<std::size_t>(pick(placeCount))];
            if (shape.enhanced && continuous && !place->continuous) kind = akTest;
            b.Arc(place, t, weight, kind);
        }
        const int outputs = pick(3);
        for (int k = 0; k < outputs; ++k) {
            TPlatz* place = places[static_cast<std::size_t>(pick(placeCount))];
            if (shape.enhanced && continuous && !place->continuous) continue;
            b.Arc(t, place, std::to_string(1 + pick(2)));
        }
    }
}

// One run of a generated net; records a line per step with every marking,
// every working flag of every transition and the trace lines of the step.
// `recheckUpTo`: 0 follows every arc condition, a large value re-checks the
// readers of a changed marking whole wherever the net allows it.
std::vector<std::string> RunNet(std::uint32_t netSeed, const NetShape& shape, bool incremental,
                                bool tracing, int steps, std::size_t recheckUpTo = 0) {
    SimRun run;
    auto& [platform, root, session] = run;
    platform.trace.SetEnabled(tracing);
    std::vector<std::string> log;
    root.sampleTimeSeconds = 1;
    root.enhancedFiringRule = shape.enhanced ? 1 : 0;
    BuildNet(root, netSeed, shape);
    session.engine.seed = netSeed * 31u + 1u;
    session.engine.incremental = incremental;
    session.engine.incrementalFromArcs = 0;
    session.engine.recheckUpTo = recheckUpTo;
    // A third of the plain nets keep their groups in conflict up to date.
    session.engine.flatTrackingFrom = netSeed % 3 == 0 ? 0 : 256;
    if (!run.Start()) {
        log.push_back("not started");
        return log;
    }
    // Odd nets fire as a drawn run does, even ones at "Max Speed".
    session.engine.maxSpeed = netSeed % 2 == 0;
    std::mt19937 outside(netSeed);
    for (int i = 0; i < steps; ++i) {
        if (i % 13 == 7) {
            // A marking edited between steps, outside the engine.
            const std::vector<TPlatz*> places = ElementsOf<TPlatz>(root.Net(), kind::Place);
            places[outside() % places.size()]->SetMarking(static_cast<double>(outside() % 4));
        }
        // Some steps run to the event: winners keep their chosen flags.
        session.engine.runToEvent = i % 17 < 3;
        platform.trace.Clear();
        std::ostringstream line;
        try {
            line << session.engine.Step();
        } catch (const std::exception& e) {
            line << "error " << e.what();
        }
        line << " t=" << root.modelTime;
        for (TGraphItem* e : root.Net().Elements()) {
            if (e->Kind() == kind::Place) {
                const auto* p = static_cast<TPlatz*>(e);
                line << ' ' << p->name << '=' << p->Marking() << '/' << p->NextMarking();
            } else if (e->Kind() == kind::Transition) {
                const auto* t = static_cast<TTransition*>(e);
                line << ' ' << t->name << ':' << int{t->fireFlag} << int{t->busy} << int{t->chosen}
                     << int{t->started} << ',' << t->remainingTime << ',' << t->flow;
            }
        }
        for (const std::string& l : platform.trace.Lines()) line << " | " << l;
        log.push_back(line.str());
    }
    return log;
}

void Compare(const NetShape& shape, std::uint32_t firstSeed, int nets, int steps) {
    for (std::uint32_t seed = firstSeed; seed < firstSeed + static_cast<std::uint32_t>(nets); ++seed) {
        for (bool tracing : {false, true}) {
            const auto full = RunNet(seed, shape, false, tracing, steps);
            for (std::size_t recheck : {std::size_t{0}, std::size_t{1000}}) {
                ExpectSameLog(full, RunNet(seed, shape, true, tracing, steps, recheck),
                              "net " + std::to_string(seed) + ", tracing " + std::to_string(tracing) + ", recheck " +
                                  std::to_string(recheck));
                if (::testing::Test::HasFatalFailure()) return;
            }
        }
    }
}

TEST(IncrementalEnabling, ImmediateNetsWithCapacitiesAndArcKindsMatchTheFullCheck) {
    Compare(NetShape{}, 1, 40, 60);
}

TEST(IncrementalEnabling, FusedPlacesAndFormulaWeightsMatchTheFullCheck) {
    Compare(NetShape{false, true, false, true}, 100, 40, 60);
}

TEST(IncrementalEnabling, PlainNetsOnDenseArraysMatchTheFullCheck) {
    Compare(NetShape{false, true, false, false, true}, 300, 60, 80);
}

TEST(IncrementalEnabling, TimedStepwiseReservationAndContinuousPartsMatchTheFullCheck) {
    Compare(NetShape{true, true, true, true}, 200, 40, 60);
}

TEST(IncrementalEnabling, EnhancedRuleAndDiscreteReadersOfFlowsMatchTheFullCheck) {
    Compare(NetShape{true, true, true, true, false, true}, 500, 40, 60);
}

} // namespace
} // namespace qz::test

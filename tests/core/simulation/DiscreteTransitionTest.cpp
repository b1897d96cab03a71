#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "SimFixture.h"

namespace qz::test {
namespace {

// P (1 token) -> T -> P, and T -> Count; returns Count.
TPlatz* Loop(NetBuilder& b, const char* function, TTransition** t = nullptr) {
    TPlatz* p = b.Place("P", 1);
    TPlatz* count = b.Place("Count", 0);
    TTransition* tr = b.Trans("T", function);
    b.Arc(p, tr);
    b.Arc(tr, p);
    b.Arc(tr, count);
    if (t) *t = tr;
    return count;
}

class Discrete : public SimFixture {
protected:
    // P (`marking` tokens) -> T (firing time `function`) -> Q.
    TTransition* Chain(double marking, const char* function) {
        p = b.Place("P", marking);
        q = b.Place("Q", 0);
        TTransition* t = b.Trans("T", function);
        b.Arc(p, t);
        b.Arc(t, q);
        return t;
    }
    // P (1 token) feeds T1 and T2 of the given priorities, which put into
    // `out1` and `out2` when given.
    void Race(int prio1, int prio2, TPlatz* out1 = nullptr, TPlatz* out2 = nullptr) {
        p = b.Place("P", 1);
        TTransition* t1 = b.Trans("T1", "0", false, prio1);
        TTransition* t2 = b.Trans("T2", "0", false, prio2);
        b.Arc(p, t1);
        b.Arc(p, t2);
        if (out1) b.Arc(t1, out1);
        if (out2) b.Arc(t2, out2);
    }
    TPlatz* p = nullptr;
    TPlatz* q = nullptr;
};

TEST_F(Discrete, EnablingRuleForDiscreteTransitions) {
    // Normal and test arcs from discrete places need m != 0 and
    // w <= m + 1E-9; inhibitor arcs need m < w. Each row is a place feeding
    // an immediate transition of its own.
    const struct {
        const char* name;
        double marking;
        bool continuous;
        const char* weight;
        std::uint8_t kind;
        bool enabled;
    } cases[] = {
        {"ZeroWeight", 0, false, "0", akNormal, false},
        {"TestZero", 0, false, "0", akTest, false},
        {"Eps", 2.9999999995, true, "3", akTest, true},
        {"Short", 2.999999998, true, "3", akTest, false},
        {"Inhibited", 1, false, "1", akInhibitor, false},
        {"Free", 0, false, "1", akInhibitor, true},
        {"ContZero", 0, true, "0", akNormal, true}, // a continuous place at 0 passes weight 0
    };
    std::vector<TTransition*> ts;
    for (const auto& c : cases) {
        ts.push_back(b.Trans(c.name, "0"));
        b.Arc(b.Place(std::string("P") + c.name, c.marking, c.continuous), ts.back(), c.weight, c.kind);
    }
    Begin();
    for (std::size_t i = 0; i < ts.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(Engine().IsEnabled(*ts[i]), cases[i].enabled);
    }
}

TEST_F(Discrete, DisablingDropsTheTimer) {
    Chain(1, "2");
    Begin();
    Step(); // time 0: timer starts, runs down to 1
    p->SetMarking(0);
    Step(); // time 1: disabled, timer dropped (else it would fire at 3)
    p->SetMarking(1);
    while (q->Marking() == 0 && Time() < 10) Step();
    EXPECT_EQ(Time(), 4) << "restarted at 2";
}

TEST_F(Discrete, ReservationTakesTokensAtStartAndDeliversAfterTheDelay) {
    TTransition* t = Chain(2, "2");
    t->reservation = 1;
    Begin();
    EXPECT_TRUE(Step()); // time 0: takes the token
    EXPECT_EQ(p->Marking(), 1);
    EXPECT_FALSE(Step()); // 0 -> 1
    EXPECT_FALSE(Step()); // 1 -> 2, delay ran out
    EXPECT_EQ(p->Marking(), 1) << "not enabled again while reserved";
    EXPECT_TRUE(Step()); // delivery at 2
    EXPECT_EQ(q->Marking(), 1);
    EXPECT_EQ(Time(), 2);
    EXPECT_TRUE(Step()); // starts again at 2
    EXPECT_EQ(p->Marking(), 0);
}

TEST_F(Discrete, ImmediateFiringHoldsBackStepwiseUntilTimeAdvances) {
    TPlatz* a = b.Place("A", 1);
    TPlatz* bb = b.Place("B", 0);
    TPlatz* c = b.Place("C", 0);
    TTransition* i = b.Trans("I", "0");
    TTransition* s = b.Trans("S", "-1");
    b.Arc(a, i);
    b.Arc(i, bb);
    b.Arc(bb, s);
    b.Arc(s, c);
    Begin();
    EXPECT_TRUE(Step());
    EXPECT_EQ(bb->Marking(), 1);
    EXPECT_FALSE(Step()) << "S waits for the advance of time";
    EXPECT_EQ(Time(), 1);
    EXPECT_TRUE(Step());
    EXPECT_EQ(c->Marking(), 1);
}

TEST_F(Discrete, ImmediateTransitionsThatReenableEachOtherNeverAdvanceTime) {
    Loop(b, "0");
    Begin();
    for (int i = 0; i < 50; ++i) EXPECT_TRUE(Step());
    EXPECT_EQ(Time(), 0);
}

TEST_F(Discrete, PriorityDecidesAConflict) {
    TPlatz* high = b.Place("High", 0);
    TPlatz* low = b.Place("Low", 0);
    Race(1, 2, low, high);
    platform.messages.Answer(MsgAnswer::Ok);
    Begin();
    EXPECT_EQ(platform.messages.Texts().back(), kConflictWarning);
    for (int trial = 0; trial < 20; ++trial) {
        p->SetMarking(1);
        Step();
        EXPECT_EQ(high->Marking(), trial + 1);
    }
    EXPECT_EQ(low->Marking(), 0);
}

TEST_F(Discrete, EqualPrioritiesAreDrawnAboutHalfAndHalf) {
    TPlatz* a = b.Place("A", 0);
    TPlatz* c = b.Place("C", 0);
    Race(1, 1, a, c);
    Begin();
    constexpr int kTrials = 1000;
    for (int trial = 0; trial < kTrials; ++trial) {
        p->SetMarking(1);
        Step();
        ASSERT_EQ(p->Marking(), 0);
    }
    EXPECT_EQ(a->Marking() + c->Marking(), kTrials);
    EXPECT_GT(a->Marking(), 420);
    EXPECT_GT(c->Marking(), 420);
    EXPECT_EQ(platform.random.ClockSeedCount(), kTrials) << "reseeded at each resolution";
}

TEST_F(Discrete, ThrownOutTransitionIsTracedAndNextMarkingRestored) {
    TPlatz* a = b.Place("A", 0);
    Race(1, 1, a, a);
    Begin();
    platform.trace.Clear();
    platform.random.QueueNextInt(1);
    Step();
    EXPECT_EQ(p->Marking(), 0);
    EXPECT_EQ(p->NextMarking(), 0);
    EXPECT_EQ(platform.trace.Lines(),
              (std::vector<std::string>{"Rauswurf von Kante: P-T1", "Rauswurf von T1",
                                        "Eingangsplätze von T2", "P 0 wurde auf 1 gesetzt",
                                        "Feuerbarkeit von T2: True"}));
}

TEST_F(Discrete, ASeededSessionIsNotReseededFromTheClock) {
    Race(1, 1);
    Engine().seed = 7;
    Begin();
    Step();
    EXPECT_EQ(platform.random.ClockSeedCount(), 0);
}

// P feeds competitors of the given weights, each putting one token into
// Out. After a winner, a competitor needing exactly what is left stays in
// the draw and one needing more is thrown out, whoever wins first: on the
// full check, on the incremental index and on the dense arrays of an
// untraced run at "Max Speed".
TEST(DiscreteConflict, WhatIsLeftServesCompetitorsUpToItsAmount) {
    const struct {
        double marking;
        std::vector<const char*> weights;
        double left, fired;
    } rows[] = {
        {5, {"2", "2", "2"}, 1, 2},
        {2, {"1", "1", "1"}, 0, 2},
        {3, {"1", "2", "2"}, 0, 2},
    };
    for (const auto& r : rows) {
        for (std::uint32_t seed = 1; seed <= 6; ++seed) {
            for (bool tracing : {false, true}) {
                SCOPED_TRACE("marking " + std::to_string(r.marking) + " seed " + std::to_string(seed) + " tracing " +
                             std::to_string(tracing));
                SimRun run;
                run.root.sampleTimeSeconds = 1;
                run.platform.trace.SetEnabled(tracing);
                NetBuilder nb(run.root);
                TPlatz* p = nb.Place("P", r.marking);
                TPlatz* out = nb.Place("Out", 0);
                for (std::size_t i = 0; i < r.weights.size(); ++i) {
                    TTransition* t = nb.Trans("T" + std::to_string(i + 1), "0");
                    nb.Arc(p, t, r.weights[i]);
                    nb.Arc(t, out);
                }
                run.session.engine.seed = seed;
                run.session.engine.incrementalFromArcs = seed % 2 ? 0 : 128;
                ASSERT_TRUE(run.Start());
                run.session.engine.Step();
                EXPECT_EQ(p->Marking(), r.left);
                EXPECT_EQ(out->Marking(), r.fired);
            }
        }
    }
}

// Once (1) -> D takes one token out of Cap (2 tokens) in the first step;
// Src -> T puts two into Cap, which fits once marking plus weight reaches
// the capacity and not when it is one more; without a capacity (-1) it fits
// from the first step on. `room` is whether it fits after the first step.
// On both enabling paths.
TEST(DiscreteCapacity, AnOutputFitsUpToTheCapacity) {
    const struct {
        double capacity;
        bool room;
        double cap;
    } rows[] = {{3, true, 3}, {2, false, 1}, {-1, true, 7}};
    for (const auto& r : rows) {
        for (std::size_t from : {std::size_t{0}, std::size_t{128}}) {
            SCOPED_TRACE("capacity " + std::to_string(r.capacity) + " index from " + std::to_string(from));
            SimRun run;
            run.root.sampleTimeSeconds = 1;
            NetBuilder nb(run.root);
            TPlatz* cap = nb.Place("Cap", 2, false, r.capacity);
            TPlatz* once = nb.Place("Once", 1);
            TTransition* d = nb.Trans("D", "0");
            nb.Arc(once, d);
            nb.Arc(cap, d);
            TTransition* t = nb.Trans("T", "0");
            nb.Arc(nb.Place("Src", 5), t);
            nb.Arc(t, cap, "2");
            run.session.engine.incrementalFromArcs = from;
            ASSERT_TRUE(run.Start());
            run.session.engine.Step();
            EXPECT_EQ(run.session.engine.OutputsHaveRoom(*t), r.room);
            run.session.engine.Step();
            run.session.engine.Step();
            EXPECT_EQ(cap->Marking(), r.cap);
        }
    }
}

TEST_F(Discrete, LosersSharingAnotherInputPlaceAreRechecked) {
    // T1 and T2 compete for P; T2 (the winner) also takes Q's only token,
    // which U competes for too: U must not fire as well.
    p = b.Place("P", 1);
    q = b.Place("Q", 1);
    TPlatz* out = b.Place("Out", 0);
    TTransition* t1 = b.Trans("T1", "0");
    TTransition* t2 = b.Trans("T2", "0", false, 2);
    TTransition* u = b.Trans("U", "0");
    TTransition* v = b.Trans("V", "0"); // only reads Q
    b.Arc(p, t1);
    b.Arc(p, t2);
    b.Arc(q, t2);
    b.Arc(q, u);
    b.Arc(q, v, "1", akTest);
    b.Arc(t2, out);
    b.Arc(u, out);
    Begin();
    platform.trace.Clear();
    Step();
    EXPECT_EQ(q->Marking(), 0);
    EXPECT_EQ(out->Marking(), 1);
    const auto& lines = platform.trace.Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Feuerbarkeit von U: False"), lines.end());
}

TEST_F(Discrete, DueTimerFiresEvenWhenItsInputsWereEmptied) {
    TTransition* t = Chain(1, "1");
    TPlatz* x = b.Place("X", 0);
    b.Arc(x, b.Trans("I", "0"));
    Begin();
    Step(); // timer runs out at once: due
    p->SetMarking(0);
    Step(); // disabled: timer dropped, fire flag kept
    EXPECT_FALSE(t->busy);
    EXPECT_TRUE(t->fireFlag);
    Step();
    EXPECT_EQ(q->Marking(), 0);
    x->SetMarking(1);
    EXPECT_TRUE(Step()); // the next firing round takes T along
    EXPECT_EQ(q->Marking(), 1);
    EXPECT_EQ(p->Marking(), -1) << "the engine does not guard against negative markings";
}

// The step number and model time (to 1E-9 s) of every firing of a fresh
// self-loop with firing time `function`, over `steps` steps.
std::vector<std::pair<int, double>> LoopFirings(const char* function, double sampleTime, int steps) {
    SimRun run;
    run.root.sampleTimeSeconds = sampleTime;
    NetBuilder nb{run.root};
    TPlatz* count = Loop(nb, function);
    EXPECT_TRUE(run.Start());
    std::vector<std::pair<int, double>> firings;
    for (int step = 0; step < steps; ++step) {
        const double before = count->Marking(), time = run.root.modelTime;
        run.session.engine.Step();
        if (count->Marking() != before) firings.emplace_back(step, std::round(time * 1e9) / 1e9);
    }
    return firings;
}

// Firing takes no time: a timer that runs out n steps after its start fires
// in the next step at the same time and restarts there, so the loop fires
// after n and 2n + 1 steps. With sample time 0,1 the remaining time after the
// last step lies a few 1E-17 above zero; the 1E-9 tolerance lets it run out.
// Stepwise fires once per advance of time; a zero-valued time text is timed.
TEST(DiscreteLoop, FiringStepsAndTimesOfTimedStepwiseAndZeroTimedLoops) {
    using Firings = std::vector<std::pair<int, double>>;
    const struct {
        const char* function;
        double sampleTime;
        int steps;
        Firings firings;
    } rows[] = {
        {"2", 1, 9, {{2, 2}, {5, 4}, {8, 6}}},
        {"-1", 1, 7, {{0, 0}, {2, 1}, {4, 2}, {6, 3}}},
        {"0,0", 1, 9, {{2, 2}, {5, 4}, {8, 6}}},
        {"0,4", 0.1, 12, {{4, 0.4}, {9, 0.8}}},
        {"0,7", 0.1, 18, {{7, 0.7}, {15, 1.4}}},
        {"1", 0.1, 24, {{10, 1}, {21, 2}}},
        {"1,3", 0.1, 30, {{13, 1.3}, {27, 2.6}}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.function);
        EXPECT_EQ(LoopFirings(r.function, r.sampleTime, r.steps), r.firings);
    }
}

// The engine writes markings into the owner's cells itself; it must store
// exactly what the place's setter stores.
TEST(MarkingValue, MatchesThePlaceSetter) {
    TPlatz place;
    for (bool continuous : {false, true}) {
        place.continuous = continuous ? 1 : 0;
        for (double v : {0.0, -0.0, 2.5, 3.5, -2.5, 2.9999999995, 3.0000000004, -3.0000000004,
                         4e-10, -4e-10, 1e300, 0.1 + 0.2, -7.49999}) {
            place.SetMarking(v);
            EXPECT_EQ(TSimulationEngine::MarkingValue(!continuous, v), place.Marking())
                << v << (continuous ? " continuous" : " discrete");
        }
    }
}

} // namespace
} // namespace qz::test

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

TEST_F(Discrete, CapacityOfTheOutputPlace) {
    TPlatz* src = b.Place("Src", 5);
    TPlatz* unlimited = b.Place("Unlimited", 1000);
    TPlatz* cap = b.Place("Cap", 2, false, 3);
    TTransition* t = b.Trans("T", "0");
    b.Arc(src, t);
    b.Arc(t, cap, "2");
    TTransition* u = b.Trans("U", "0");
    b.Arc(src, u);
    b.Arc(u, unlimited, "1000");
    Begin();
    EXPECT_FALSE(Engine().OutputsHaveRoom(*t));
    EXPECT_FALSE(Engine().IsEnabled(*t));
    EXPECT_TRUE(Engine().IsEnabled(*u));
    cap->SetMarking(1);
    EXPECT_TRUE(Engine().IsEnabled(*t));
}

TEST_F(Discrete, TimedTransitionFiresEveryFiringTimeWithoutAdvancingTime) {
    TTransition* t = nullptr;
    TPlatz* count = Loop(b, "2", &t);
    Begin();
    // Step at time 0 starts the timer; the step at 2 fires and keeps time at
    // 2; the next step at 2 restarts the full timer.
    EXPECT_FALSE(Step());
    EXPECT_TRUE(t->busy);
    EXPECT_FALSE(Step());
    EXPECT_EQ(Time(), 2);
    EXPECT_TRUE(t->fireFlag);
    EXPECT_TRUE(Step());
    EXPECT_EQ(Time(), 2);
    EXPECT_EQ(count->Marking(), 1);
    EXPECT_EQ(FiringTimes(count, 7), (std::vector<double>{4, 6}));
}

TEST_F(Discrete, StepwiseFiresOncePerAdvanceOfTime) {
    TPlatz* count = Loop(b, "-1");
    Begin();
    EXPECT_EQ(FiringTimes(count, 3), (std::vector<double>{0, 1, 2, 3}));
}

TEST_F(Discrete, DisablingDropsTheTimer) {
    TTransition* t = Chain(1, "2");
    Begin();
    Step(); // time 0: timer starts, runs down to 1
    EXPECT_EQ(t->remainingTime, 1);
    p->SetMarking(0);
    Step(); // time 1: disabled, timer dropped
    EXPECT_FALSE(t->busy);
    EXPECT_EQ(t->remainingTime, 2);
    p->SetMarking(1);
    EXPECT_EQ(FiringTimes(q, 5), (std::vector<double>{4}));
}

TEST_F(Discrete, ReservationTakesTokensAtStartAndDeliversAfterTheDelay) {
    TTransition* t = Chain(2, "2");
    t->reservation = 1;
    Begin();
    EXPECT_TRUE(Step()); // time 0: takes the token
    EXPECT_EQ(p->Marking(), 1);
    EXPECT_EQ(q->Marking(), 0);
    EXPECT_TRUE(t->busy && t->started);
    EXPECT_FALSE(Step()); // 0 -> 1
    EXPECT_FALSE(Step()); // 1 -> 2, delay ran out
    EXPECT_EQ(p->Marking(), 1) << "not enabled again while reserved";
    EXPECT_EQ(Time(), 2);
    EXPECT_TRUE(Step()); // delivery at 2
    EXPECT_EQ(q->Marking(), 1);
    EXPECT_EQ(Time(), 2);
    EXPECT_FALSE(t->busy);
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

TEST_F(Discrete, ZeroValuedTimeTextFiresEverySecondTimeStep) {
    TPlatz* count = Loop(b, "0,0");
    Begin();
    ASSERT_EQ(Engine().Lists().timed.size(), 1u);
    EXPECT_EQ(FiringTimes(count, 6), (std::vector<double>{2, 4, 6}));
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

TEST_F(Discrete, FiveTokensServeTwoOfThreeCompetitorsOfWeightTwo) {
    p = b.Place("P", 5);
    TPlatz* out = b.Place("Out", 0);
    std::vector<TTransition*> ts;
    for (const char* n : {"T1", "T2", "T3"}) {
        ts.push_back(b.Trans(n, "0"));
        b.Arc(p, ts.back(), "2");
        b.Arc(ts.back(), out);
    }
    Begin();
    platform.trace.Clear();
    Step();
    EXPECT_EQ(p->Marking(), 1);
    EXPECT_EQ(out->Marking(), 2);
    int thrown = 0;
    for (const std::string& line : platform.trace.Lines()) thrown += line.rfind("Rauswurf von T", 0) == 0;
    EXPECT_EQ(thrown, 1);
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
    EXPECT_TRUE(t->fireFlag);
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

TEST(DecimalSampleTime, TimersRunOutInTheStepAtTheirFiringTime) {
    // With sample time 0,1 the remaining time after the last step lies a few
    // 1E-17 above zero; the 1E-9 tolerance lets the transition fire n steps
    // after its start and again 2n + 1 steps after it (firing takes no time).
    ScopedPlatform platform;
    for (const auto& [text, n] : {std::pair{"0,4", 4}, {"0,7", 7}, {"1", 10}, {"1,3", 13}}) {
        TPNObjekt root;
        root.sampleTimeSeconds = 0.1;
        NetBuilder b(root);
        TPlatz* count = Loop(b, text);
        TSimulationSession session;
        ASSERT_EQ(StartSimulation(root, session), StartOutcome::Started);
        session.HighSpeedCheckBoxClick(true);
        std::vector<std::pair<int, long>> firings; // step, model time in 1E-12 s
        for (int step = 0; step < 2 * n + 4; ++step) {
            const double before = count->Marking(), time = root.modelTime;
            session.engine.Step();
            if (count->Marking() != before) firings.emplace_back(step, std::lround(time * 1e12));
        }
        EndSimulation(root, session);
        EXPECT_EQ(firings, (std::vector<std::pair<int, long>>{{n, n * 100000000000L}, {2 * n + 1, n * 200000000000L}}))
            << text;
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

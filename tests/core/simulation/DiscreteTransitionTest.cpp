#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "SimFixture.h"

namespace qz::test {
namespace {

using Discrete = SimFixture;

TEST_F(Discrete, EnablingRuleForDiscreteTransitions) {
    // Input arc rows: normal and test arcs from discrete places need m != 0
    // and w <= m + 1E-9; inhibitor arcs need m < w.
    TPlatz* empty = b.Place("Empty", 0);
    TPlatz* edge = b.Place("Edge", 2.9999999995, true);
    TPlatz* below = b.Place("Below", 2.999999998, true);
    TPlatz* one = b.Place("One", 1);
    TTransition* zeroWeight = b.Trans("ZeroWeight", "0");
    b.Arc(empty, zeroWeight, "0");
    TTransition* testZero = b.Trans("TestZero", "0");
    b.Arc(empty, testZero, "0", akTest);
    TTransition* eps = b.Trans("Eps", "0");
    b.Arc(edge, eps, "3", akTest);
    TTransition* short_ = b.Trans("Short", "0");
    b.Arc(below, short_, "3", akTest);
    TTransition* inhibited = b.Trans("Inhibited", "0");
    b.Arc(one, inhibited, "1", akInhibitor);
    TTransition* free_ = b.Trans("Free", "0");
    b.Arc(empty, free_, "1", akInhibitor);
    TTransition* contZero = b.Trans("ContZero", "0");
    TPlatz* cEmpty = b.Place("CEmpty", 0, true);
    b.Arc(cEmpty, contZero, "0");
    Begin();
    EXPECT_FALSE(Engine().IsEnabled(*zeroWeight));
    EXPECT_FALSE(Engine().IsEnabled(*testZero));
    EXPECT_TRUE(Engine().IsEnabled(*eps));
    EXPECT_FALSE(Engine().IsEnabled(*short_));
    EXPECT_FALSE(Engine().IsEnabled(*inhibited));
    EXPECT_TRUE(Engine().IsEnabled(*free_));
    EXPECT_TRUE(Engine().IsEnabled(*contZero)) << "a continuous place at 0 passes weight 0";
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
    TPlatz* p = b.Place("P", 1);
    TPlatz* count = b.Place("Count", 0);
    TTransition* t = b.Trans("T", "2");
    b.Arc(p, t);
    b.Arc(t, p);
    b.Arc(t, count);
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

TEST_F(Discrete, DisablingDropsTheTimer) {
    TPlatz* p = b.Place("P", 1);
    TPlatz* q = b.Place("Q", 0);
    TTransition* t = b.Trans("T", "2");
    b.Arc(p, t);
    b.Arc(t, q);
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
    TPlatz* p = b.Place("P", 2);
    TPlatz* q = b.Place("Q", 0);
    TTransition* t = b.Trans("T", "2");
    t->reservation = 1;
    b.Arc(p, t);
    b.Arc(t, q);
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

TEST_F(Discrete, StepwiseFiresOncePerAdvanceOfTime) {
    TPlatz* p = b.Place("P", 1);
    TPlatz* count = b.Place("Count", 0);
    TTransition* s = b.Trans("S", "-1");
    b.Arc(p, s);
    b.Arc(s, p);
    b.Arc(s, count);
    Begin();
    EXPECT_EQ(FiringTimes(count, 3), (std::vector<double>{0, 1, 2, 3}));
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
    TPlatz* p = b.Place("P", 1);
    TPlatz* count = b.Place("Count", 0);
    TTransition* t = b.Trans("T", "0,0");
    b.Arc(p, t);
    b.Arc(t, p);
    b.Arc(t, count);
    Begin();
    ASSERT_EQ(Engine().Lists().timed.size(), 1u);
    EXPECT_EQ(FiringTimes(count, 6), (std::vector<double>{2, 4, 6}));
}

TEST_F(Discrete, ImmediateTransitionsThatReenableEachOtherNeverAdvanceTime) {
    TPlatz* p = b.Place("P", 1);
    TTransition* t = b.Trans("T", "0");
    b.Arc(p, t);
    b.Arc(t, p);
    Begin();
    for (int i = 0; i < 50; ++i) EXPECT_TRUE(Step());
    EXPECT_EQ(Time(), 0);
}

TEST_F(Discrete, PriorityDecidesAConflict) {
    TPlatz* p = b.Place("P", 1);
    TPlatz* high = b.Place("High", 0);
    TPlatz* low = b.Place("Low", 0);
    TTransition* t1 = b.Trans("T1", "0", false, 1);
    TTransition* t2 = b.Trans("T2", "0", false, 2);
    b.Arc(p, t1);
    b.Arc(t1, low);
    b.Arc(p, t2);
    b.Arc(t2, high);
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
    TPlatz* p = b.Place("P", 1);
    TPlatz* a = b.Place("A", 0);
    TPlatz* c = b.Place("C", 0);
    TTransition* t1 = b.Trans("T1", "0");
    TTransition* t2 = b.Trans("T2", "0");
    b.Arc(p, t1);
    b.Arc(t1, a);
    b.Arc(p, t2);
    b.Arc(t2, c);
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
    TPlatz* p = b.Place("P", 1);
    TPlatz* a = b.Place("A", 0);
    TTransition* t1 = b.Trans("T1", "0");
    TTransition* t2 = b.Trans("T2", "0");
    b.Arc(p, t1);
    b.Arc(t1, a);
    b.Arc(p, t2);
    b.Arc(t2, a);
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
    TPlatz* p = b.Place("P", 1);
    TTransition* t1 = b.Trans("T1", "0");
    TTransition* t2 = b.Trans("T2", "0");
    b.Arc(p, t1);
    b.Arc(p, t2);
    Engine().seed = 7;
    Begin();
    Step();
    EXPECT_EQ(platform.random.ClockSeedCount(), 0);
}

TEST_F(Discrete, FiveTokensServeTwoOfThreeCompetitorsOfWeightTwo) {
    TPlatz* p = b.Place("P", 5);
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
    TPlatz* p = b.Place("P", 1);
    TPlatz* q = b.Place("Q", 1);
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
    TPlatz* p = b.Place("P", 1);
    TPlatz* q = b.Place("Q", 0);
    TPlatz* x = b.Place("X", 0);
    TTransition* t = b.Trans("T", "1");
    TTransition* i = b.Trans("I", "0");
    b.Arc(p, t);
    b.Arc(t, q);
    b.Arc(x, i);
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
        TPlatz* p = b.Place("P", 1);
        TPlatz* count = b.Place("Count", 0);
        TTransition* t = b.Trans("T", text);
        b.Arc(p, t);
        b.Arc(t, p);
        b.Arc(t, count);
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

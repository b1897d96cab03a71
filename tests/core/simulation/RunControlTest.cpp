#include <gtest/gtest.h>

#include "SimFixture.h"
#include "diagrams/TraceRecorder.h"
#include "formula/ParserErrors.h"
#include "ScopedLibrary.h"

namespace qz::test {
namespace {

using diagrams::TTraceRecorder;

class RunControl : public SimFixture {
protected:
    // P (1 token) -> T (timed `function`, with or without reservation) -> Q
    void TimedNet(const char* function = "2", bool reservation = false) {
        p = b.Place("P", 1);
        q = b.Place("Q", 0);
        t = b.Trans("T", function);
        t->reservation = reservation ? 1 : 0;
        b.Arc(p, t);
        out = b.Arc(t, q);
    }
    // The timed net, started at "Max Speed" or on the timer.
    void StartTimed(bool onTimer = false) {
        TimedNet();
        Begin();
        if (onTimer) session.HighSpeedCheckBoxClick(false);
    }
    TTraceRecorder* Watch(TPlatz* place) {
        auto r = std::make_unique<TTraceRecorder>();
        TTraceRecorder* raw = r.get();
        place->SetDiagram(std::move(r));
        return raw;
    }
    static std::vector<std::pair<double, double>> Samples(TTraceRecorder* r) {
        std::vector<std::pair<double, double>> s;
        for (auto* n = r->trace.First(); n; n = n->next) {
            s.emplace_back(static_cast<double>(n->x), static_cast<double>(n->y));
        }
        return s;
    }
    TPlatz* p = nullptr;
    TPlatz* q = nullptr;
    TTransition* t = nullptr;
    TEdge* out = nullptr;
};

TEST_F(RunControl, MaximumSpeedRunStopsAutomaticallyAtTheStopTime) {
    StartTimed();
    session.evaluation = true;
    platform.clock.SetAutoAdvance(1);
    session.RunBtnClick();
    // 2000 time steps and the one firing, each followed by the message pump.
    EXPECT_EQ(std::make_tuple(Time(), session.stepCounter, platform.pump.Calls()), std::make_tuple(2000.0, 2001, 2001));
    EXPECT_EQ(std::make_tuple(Engine().maxSpeed, session.maxSpeedEnabled), std::make_tuple(false, true));
    EXPECT_EQ(std::tie(session.status0, session.status1, session.page), std::make_tuple("Ready", "Time : 2000", "Performance"));
    ASSERT_TRUE(session.statistics);
    EXPECT_EQ(session.statistics->step, "Steps: 2001");
}

// A run shorter than the clock's resolution, and a diagram time estimated
// above the whole run's.
TEST(RunStatisticsTexts, RatesAndTheDiagramShare) {
    const RunStatistics s = ComputeRunStatistics(2000, 500, 50, 3);
    EXPECT_EQ(std::tie(s.allTime, s.step, s.stepSpeed, s.transSpeed),
              std::make_tuple("Total Time: 500", "Steps: 2000", "Steps per sec: 4000,00", "Transitions per sec: 12000,00"));
    const std::pair<RunStatistics, const char*> rows[] = {
        {s, "50,00 (10,00%)"}, {ComputeRunStatistics(10, 0, 0, 1), "0,00 (0,00%)"},
        {ComputeRunStatistics(10, 40, 48, 1), "40,00 (100,00%)"}};
    for (const auto& [r, share] : rows) EXPECT_EQ(r.osziTime, std::string("Time to draw diagramms: ") + share);
}

TEST_F(RunControl, StopFromThePumpEndsAMaximumSpeedRun) {
    StartTimed();
    platform.pump.onProcess = [&] {
        if (platform.pump.Calls() == 5) session.StopBtnClick();
    };
    session.RunBtnClick();
    EXPECT_EQ(session.stepCounter, 5);
    EXPECT_FALSE(session.statistics) << "\"Evaluation\" is off";
}

TEST_F(RunControl, TimerRunIgnoresTheAutomaticStop) {
    StartTimed(true);
    session.StopZeitEditChange("1");
    session.RunBtnClick();
    EXPECT_EQ(std::make_tuple(session.simulationTimer->Enabled(), session.animationTimer->Enabled(), session.maxSpeedEnabled),
              std::make_tuple(true, true, false));
    EXPECT_EQ(session.status0, "Running...");
    for (int i = 0; i < 4; ++i) session.simulationTimer->onTick();
    EXPECT_EQ(Time(), 3) << "0, 1, the firing at 2, 3";
    EXPECT_TRUE(session.simulationTimer->Enabled());
    session.StopBtnClick();
    EXPECT_FALSE(session.simulationTimer->Enabled() || session.animationTimer->Enabled());
}

TEST_F(RunControl, RunToEventStopsBeforeTheFiring) {
    StartTimed();
    session.RunToEventBtnClick();
    EXPECT_EQ(std::make_tuple(Time(), t->fireFlag, q->Marking(), session.stopBold), std::make_tuple(2.0, 1, 0.0, true));
    EXPECT_EQ(session.status0, "Ready");
    session.StepBtnClick();
    EXPECT_EQ(std::make_tuple(Time(), q->Marking()), std::make_tuple(2.0, 1.0));
}

TEST_F(RunControl, RunToEventOnTheTimerStopsAtTheEventTick) {
    StartTimed(true);
    session.RunToEventBtnClick();
    int ticks = 0;
    while (session.simulationTimer->Enabled() && ticks < 10) {
        session.simulationTimer->onTick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(q->Marking(), 0);
    EXPECT_TRUE(t->selected) << "shown selected and unfired";
}

TEST_F(RunControl, ImmediateEventInRunToEventModeLeavesReservationIdle) {
    TimedNet("2", true);
    Begin();
    session.RunToEventBtnClick();
    EXPECT_EQ(std::make_tuple(session.stepCounter, t->busy, t->fireFlag, p->Marking()), std::make_tuple(1, 0, 0, 1.0));
}

// A maximum-speed run ends and hands the error to the caller; a run on the
// timer reports it and goes on.
TEST_F(RunControl, WeightFormulaErrorsEndAMaximumSpeedRunButNotATimerRun) {
    TimedNet();
    b.Arc(b.Place("R", 1), t, "1/(P-1)");
    Begin();
    EXPECT_THROW(session.RunBtnClick(), EArithmeticError);
    EXPECT_EQ(std::make_tuple(Engine().maxSpeed, session.status0), std::make_tuple(false, "Ready"));
    session.HighSpeedCheckBoxClick(false);
    session.RunBtnClick();
    session.simulationTimer->onTick();
    session.simulationTimer->onTick();
    EXPECT_EQ(platform.messages.Texts(),
              (std::vector<std::string>{"Floating point division by zero",
                                        "Floating point division by zero"}));
    EXPECT_TRUE(session.simulationTimer->Enabled());
}

TEST_F(RunControl, SamplesFollowTheStepOrder) {
    // A -> I (immediate) -> B -> T (timed 1) -> C
    TPlatz* a = b.Place("A", 1);
    TPlatz* bb = b.Place("B", 0);
    TPlatz* c = b.Place("C", 0);
    TTransition* i = b.Trans("I", "0");
    TTransition* tt = b.Trans("T", "1");
    b.Arc(a, i);
    b.Arc(i, bb);
    b.Arc(bb, tt);
    b.Arc(tt, c);
    TTraceRecorder* rc = Watch(c);
    Begin();
    for (int k = 0; k < 4; ++k) Step();
    // No sample after the immediate firing; the timed firing at 1 is sampled,
    // and so is the time step that follows it.
    EXPECT_EQ(Samples(rc), (std::vector<std::pair<double, double>>{{0, 0}, {1, 1}, {1, 1}}));
}

TEST_F(RunControl, PlacesInsideObjectsAndFusedPlacesAreRecorded) {
    ScopedLibrary library;
    library.Define("Tank", [](TPNObjekt& into) {
        NetBuilder nb(into);
        nb.Arc(nb.Place("Level", 1, true), nb.Trans("Drain", "2", true));
    });
    TPlatz* outer = b.Place("Outer", 0, true);
    b.Trans("Idle", "1", true);
    TPNObjekt* tank = root.AddChildObject("Tank_1", "Tank", 100, 100);
    ASSERT_TRUE(tank && tank->Base());
    TPlatz* level = ElementsOf<TPlatz>(tank->Base()->Net(), kind::Place).at(0);
    outer->FuseTo(level);
    TTraceRecorder* inner = Watch(level);
    TTraceRecorder* fused = Watch(outer);
    Begin();
    for (int k = 0; k < 3; ++k) Step();
    const std::vector<std::pair<double, double>> expected{{0, 1}, {1, -1}, {2, -3}};
    EXPECT_EQ(Samples(inner), expected);
    EXPECT_EQ(Samples(fused), expected);
}

TEST_F(RunControl, InitNetRestoresTheInitialStateAndOptionallyTheDiagrams) {
    TimedNet();
    TTraceRecorder* rq = Watch(q);
    Begin();
    for (int k = 0; k < 4; ++k) Step();
    ASSERT_EQ(q->Marking(), 1);
    session.InitNet(root, false);
    EXPECT_EQ(std::make_tuple(Time(), q->Marking(), p->Marking(), t->busy, t->remainingTime, rq->trace.Count()),
              std::make_tuple(0.0, 0.0, 1.0, 0, 2.0, 4));
    EXPECT_EQ(session.status1, "Time : 0");
    session.InitNet(root, true);
    EXPECT_EQ(rq->trace.Count(), 0);
}

TEST_F(RunControl, DisplayButtonsCountEachTransitionOnce) {
    p = b.Place("P", 1);
    t = b.Trans("T", "2");
    t->reservation = 1;
    b.Arc(p, t);
    TTransition* c = b.Trans("C", "1", true);
    b.Arc(b.Place("K", 1, true), c);
    Begin();
    EXPECT_EQ(session.ShowDisBtnClick(), 1) << "in the discrete and the timed list";
    EXPECT_EQ(std::make_tuple(session.showDisCaption, t->selected), std::make_tuple("Enabled D-Trans. (1)", 1));
    EXPECT_EQ(session.ShowKonBtnClick(), 0);
    EXPECT_EQ(session.showKonCaption, "Enabled C-Trans. (0)");
    EXPECT_TRUE(Step()) << "the reservation starts: no continuous phase";
    EXPECT_EQ(session.ShowKonBtnClick(), 0);
    session.StepBtnClick(); // with "Max Speed" checked
    EXPECT_EQ(session.status1, "Time : 1");
    EXPECT_EQ(session.ShowKonBtnClick(), 1);
}

// A maximum-speed run keeps the working fields of a transition with a speed
// formula in the engine: the display buttons and "Init Net" see them.
TEST_F(RunControl, DisplayButtonsAndInitNetDuringAMaximumSpeedRun) {
    TTransition* c = b.Trans("C", "K*0+1", true);
    b.Arc(b.Place("K", 1, true), c);
    Begin();
    int shown = -1;
    platform.pump.onProcess = [&] {
        if (platform.pump.Calls() < 3) return;
        shown = session.ShowKonBtnClick();
        session.InitNet(root, false);
        session.StopBtnClick();
    };
    session.RunBtnClick();
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(c->fireFlag) << "Init Net clears every flag";
}

TEST_F(RunControl, DiagramOpenedDuringATimerRunRecordsFromTheNextTick) {
    StartTimed(true);
    session.RunBtnClick();
    session.simulationTimer->onTick();
    TTraceRecorder* rq = Watch(q);
    session.simulationTimer->onTick();
    EXPECT_EQ(Samples(rq), (std::vector<std::pair<double, double>>{{1, 0}}));
}

// Frames and delay at speed 1 are pinned by the arc animation tests.
TEST_F(RunControl, AnimationBookkeeping) {
    EXPECT_EQ(TokenPathIndex(80, 33, 165), 16);
    session.SpeedBarChange(500);
    EXPECT_EQ(session.simulationTimer->Interval(), 500);
    EXPECT_EQ(session.animationTimer->Interval(), 580);

    // A delivery animates its output arcs; a continuous transition's arcs blink.
    TimedNet("1", true);
    TPlatz* k = b.Place("K", 1, true);
    TTransition* c = b.Trans("C", "1", true);
    TEdge* flow = b.Arc(k, c);
    Begin();
    session.HighSpeedCheckBoxClick(false);
    std::vector<TokenAnimation> plans;
    std::vector<std::vector<TEdge*>> outputs;
    Engine().view.animateTokens = [&](const TokenAnimation& a) {
        plans.push_back(a);
        outputs.push_back(*a.outputs);
    };
    std::vector<std::vector<FlowArc>> ticks;
    Engine().view.drawFlowingArcs = [&](const std::vector<FlowArc>& f) { ticks.push_back(f); };
    for (int i = 0; i < 3; ++i) session.StepBtnClick();
    ASSERT_EQ(plans.size(), 1u);
    EXPECT_EQ(std::make_tuple(plans[0].frames, plans[0].delayMs, outputs[0]), std::make_tuple(165, 3, std::vector<TEdge*>{out}));
    session.AnimationTimerTimer();
    session.AnimationTimerTimer();
    ASSERT_EQ(ticks.size(), 2u);
    ASSERT_EQ(ticks[0].size(), 1u);
    EXPECT_EQ(std::make_tuple(ticks[0][0].arc, ticks[0][0].first, ticks[1][0].first), std::make_tuple(flow, true, false));
}

TEST_F(RunControl, HighSpeedAndStopTimeControls) {
    for (bool high : {true, false}) {
        session.HighSpeedCheckBoxClick(high);
        EXPECT_EQ(std::make_tuple(session.evaluationEnabled, session.showTime), std::make_tuple(high, !high));
    }
    // A text that is no number keeps the last stop time.
    for (const char* text : {"12,5", "x"}) {
        session.StopZeitEditChange(text);
        EXPECT_EQ(session.stopTime, 12.5L) << text;
    }
    const std::pair<char, std::optional<char>> keys[] = {{'.', ','}, {'a', std::nullopt}, {'\b', '\b'}, {'7', '7'}};
    for (const auto& [key, typed] : keys) EXPECT_EQ(TSimulationSession::StopZeitEditKeyPress(key), typed) << key;
}

// --- the simulation switch ---------------------------------------------------

TEST_F(RunControl, RefusedStartsLeaveTheSimulatorFree) {
    EXPECT_EQ(StartSimulation(root, session), StartOutcome::EmptyNet);
    EXPECT_FALSE(SimulationBusy());

    TPlatz* d = b.Place("D", 1);
    TTransition* c = b.Trans("C", "1", true);
    TEdge* bad = b.Arc(d, c);
    EXPECT_EQ(StartSimulation(root, session), StartOutcome::InvalidConnections);
    EXPECT_EQ(platform.messages.Texts().back(), "There are 1 invalid connections. See user guide. !");
    EXPECT_TRUE(bad->selected);
    EXPECT_FALSE(SimulationBusy());
    bad->arcKind = akTest;
    c->SetFunctionText("2*(");
    EXPECT_EQ(StartSimulation(root, session), StartOutcome::FormulaErrors);
    EXPECT_FALSE(SimulationBusy());
    c->SetFunctionText("2*D");
    EXPECT_EQ(StartSimulation(root, session), StartOutcome::Started);
    EXPECT_TRUE(SimulationBusy());

    TSimulationSession second;
    TPNObjekt other;
    NetBuilder(other).Place("X", 0);
    EXPECT_EQ(StartSimulation(other, second), StartOutcome::Busy);
    EXPECT_EQ(platform.messages.Texts().back(), kSimulatorBusy);
    EndSimulation(root, session);
    EXPECT_FALSE(SimulationBusy());
}

TEST_F(RunControl, CancelAtTheConflictWarningEndsTheSession) {
    p = b.Place("P", 1);
    b.Arc(p, b.Trans("T1", "0"));
    b.Arc(p, b.Trans("T2", "0"));
    platform.messages.Answer(MsgAnswer::Cancel);
    EXPECT_EQ(StartSimulation(root, session), StartOutcome::Cancelled);
    EXPECT_EQ(platform.messages.Shown().back().buttons, MsgButtons::OkCancel);
    EXPECT_FALSE(session.Active());
    EXPECT_FALSE(SimulationBusy());
}

} // namespace
} // namespace qz::test

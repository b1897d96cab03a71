#include <gtest/gtest.h>

#include "SimFixture.h"
#include "model/storage/NetFile.h"

namespace qz::test {
namespace {

class Continuous : public SimFixture {
protected:
    Continuous() { root.sampleTimeSeconds = 0.1; }
    // In -> T (speed) -> Out, both continuous.
    void Tank(const std::string& speed, double level, const std::string& weight = "1") {
        in = b.Place("In", level, true);
        out = b.Place("Out", 0, true);
        t = b.Trans("T", speed, true);
        b.Arc(this->in, t, weight);
        b.Arc(t, out, weight);
    }
    TPlatz* in = nullptr;
    TPlatz* out = nullptr;
    TTransition* t = nullptr;
};

// In -> T -> Out, both continuous, run for some steps at sample time 0.1.
// The flow is speed times sample time whatever the weights; without the
// enhanced rule the place runs negative; with it and weight 0 one flow ends
// below zero; a speed formula reads markings and time (2, then 0.8*2 + 0.1).
TEST_F(Continuous, TankMarkingsAfterSomeSteps) {
    const struct {
        const char* speed;
        double level;
        const char* weight;
        int rule, steps;
        double in, out;
        bool firing;
    } rows[] = {
        {"2", 1, "1", 0, 1, 0.8, 0.2, true},      {"2", 1, "5", 0, 1, 0.8, 0.2, true},
        {"2", 0.2, "1", 0, 4, -0.6, 0.8, true},   {"2", 1, "0", 1, 20, -0.2, 1.2, false},
        {"In*2+Time", 1, "1", 0, 2, 0.63, 0.37, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.speed) + " weight " + r.weight + " rule " + std::to_string(r.rule) + " steps " +
                     std::to_string(r.steps));
        SimRun run; // sample time 0.1
        run.root.enhancedFiringRule = r.rule;
        NetBuilder nb(run.root);
        TPlatz* a = nb.Place("In", r.level, true);
        TPlatz* z = nb.Place("Out", 0, true);
        TTransition* tr = nb.Trans("T", r.speed, true);
        nb.Arc(a, tr, r.weight);
        nb.Arc(tr, z, r.weight);
        ASSERT_TRUE(run.Start());
        for (int i = 0; i < r.steps; ++i) EXPECT_FALSE(run.session.engine.Step()) << "no event";
        EXPECT_NEAR(a->Marking(), r.in, 1e-12);
        EXPECT_NEAR(z->Marking(), r.out, 1e-12);
        EXPECT_NEAR(run.root.modelTime, 0.1 * r.steps, 1e-12);
        EXPECT_EQ(bool(tr->fireFlag), r.firing);
    }
}

// Two documents open at once, each read from its own file: opening the
// second while the first runs changes nothing in the first, and each keeps
// its own rule when they are simulated in turn (the enhanced rule stops a
// flow below the arc weight).
TEST_F(Continuous, EachDocumentKeepsItsOwnEnhancedRule) {
    Tank("2", 1, "5");
    root.timeUnit = 1;
    root.enhancedFiringRule = 1;
    const std::vector<std::uint8_t> enhancedFile = SaveNet(root);
    root.enhancedFiringRule = 0;
    const std::vector<std::uint8_t> plainFile = SaveNet(root);
    TPNObjekt first, second;
    ASSERT_TRUE(LoadNet(first, enhancedFile));
    TSimulationSession s;
    ASSERT_EQ(StartSimulation(first, s), StartOutcome::Started);
    s.engine.Step();
    ASSERT_TRUE(LoadNet(second, plainFile));
    s.engine.Step();
    EndSimulation(first, s);
    const std::pair<TPNObjekt*, double> turns[] = {{&second, 0.6}, {&first, 1}};
    for (const auto& [doc, marking] : turns) {
        ASSERT_EQ(StartSimulation(*doc, s), StartOutcome::Started);
        s.engine.Step();
        s.engine.Step();
        EndSimulation(*doc, s);
        EXPECT_NEAR(static_cast<TPlatz*>(doc->Net().At(0))->Marking(), marking, 1e-12);
    }
}

TEST_F(Continuous, MarkingsWithinTheToleranceOfZeroSnap) {
    Tank("1", 0.1 + 4e-10);
    TPlatz* other = b.Place("Other", 0.1 - 4e-10, true);
    b.Arc(other, t);
    Begin();
    Step();
    EXPECT_EQ(in->Marking(), 0);
    EXPECT_EQ(other->Marking(), 0);
    EXPECT_FALSE(std::signbit(other->Marking()));
}

TEST_F(Continuous, TwoDrainsTakeTheirFullFlow) {
    TPlatz* p = b.Place("P", 0.05, true);
    TTransition* t1 = b.Trans("T1", "1", true);
    TTransition* t2 = b.Trans("T2", "1", true);
    b.Arc(p, t1);
    b.Arc(p, t2);
    Begin();
    Step();
    EXPECT_NEAR(p->Marking(), -0.15, 1e-12);
}

TEST_F(Continuous, InhibitorAndDiscreteInputsStopAContinuousTransition) {
    Tank("1", 1);
    TPlatz* guard = b.Place("Guard", 0.5, true);
    b.Arc(guard, t, "0.5", akInhibitor);
    root.enhancedFiringRule = 1; // inhibitors on continuous places are then valid
    Begin();
    EXPECT_FALSE(Engine().IsEnabled(*t)) << "0.5 < 0.5 fails";
    guard->SetMarking(0.4);
    EXPECT_TRUE(Engine().IsEnabled(*t));
}

// In (1) -> T (speed 2, weight 0.5) -> Out, and a discrete place D read by
// T through a test arc, set to `d` after two steps; Out after four steps of
// 0.2. Without the enhanced rule an empty D stops the flow and In may run
// below the weight; with it In stops at 0.4. Both on the full check and on
// the incremental index.
TEST(ContinuousEnabling, DiscreteReadersAndTheEnhancedRuleStopTheFlow) {
    const struct {
        int rule;
        double d, out;
    } rows[] = {{0, 0, 0.4}, {0, 1, 0.8}, {1, 1, 0.6}};
    for (const auto& r : rows) {
        for (std::size_t from : {std::size_t{0}, std::size_t{128}}) {
            SCOPED_TRACE("rule " + std::to_string(r.rule) + " d " + std::to_string(r.d) + " index from " +
                         std::to_string(from));
            SimRun run;
            run.root.sampleTimeSeconds = 0.1;
            run.root.enhancedFiringRule = r.rule;
            NetBuilder nb(run.root);
            TPlatz* in = nb.Place("In", 1, true);
            TPlatz* out = nb.Place("Out", 0, true);
            TPlatz* d = nb.Place("D", 1);
            TTransition* t = nb.Trans("T", "2", true);
            nb.Arc(in, t, "0.5");
            nb.Arc(t, out, "0.5");
            nb.Arc(d, t, "1", akTest);
            run.session.engine.incrementalFromArcs = from;
            ASSERT_TRUE(run.Start());
            for (int i = 0; i < 4; ++i) {
                if (i == 2) d->SetMarking(r.d);
                run.session.engine.Step();
            }
            EXPECT_NEAR(out->Marking(), r.out, 1e-12);
        }
    }
}

TEST_F(Continuous, ImmediateFiringLeavesContinuousMarkingsAndTimeAlone) {
    Tank("2", 1);
    TPlatz* a = b.Place("A", 1);
    TTransition* i = b.Trans("I", "0");
    b.Arc(a, i);
    Begin();
    EXPECT_TRUE(Step());
    EXPECT_EQ(in->Marking(), 1);
    EXPECT_EQ(Time(), 0);
}

TEST_F(Continuous, ArithmeticErrorInASpeedFormulaStopsTheRun) {
    Tank("1/(In-1)", 1);
    TTransition* other = b.Trans("Other", "1", true);
    TPlatz* src = b.Place("Src", 1, true);
    b.Arc(src, other);
    Begin();
    session.automaticStop = false;
    session.RunBtnClick();
    const std::string expected =
        "Error !\r\rAn arithmetic error occured.\rPlease correct the formula for the object  \"T\".\r"
        "Now the automatic simulation modus becomes disabled ...";
    ASSERT_EQ(platform.messages.Texts(), std::vector<std::string>{expected});
    EXPECT_EQ(platform.messages.Shown()[0].kind, MsgKind::Error);
    EXPECT_EQ(session.stepCounter, 1) << "the run ends after the failing step";
    EXPECT_FALSE(Engine().maxSpeed);
    EXPECT_TRUE(Engine().arithmeticError);
    EXPECT_TRUE(t->errorMark);
    EXPECT_EQ(in->Marking(), 1) << "flow 0";
    EXPECT_DOUBLE_EQ(src->Marking(), 0.9) << "the other transitions move";
    EXPECT_DOUBLE_EQ(Time(), 0.1);
}

// The step hands the error to the run control, which reports it after the
// step; a single step has no sentence about automatic mode.
TEST_F(Continuous, ArithmeticErrorInASingleStepHasNoAutomaticModeSentence) {
    Tank("1/(In-1)", 1);
    Begin();
    Step();
    ASSERT_EQ(Engine().Faults().size(), 1u);
    EXPECT_EQ(Engine().Faults()[0].transition, t);
    EXPECT_TRUE(platform.messages.Texts().empty());
    EXPECT_TRUE(Engine().stopRequest);
    Engine().TakeFaults();
    session.StepBtnClick();
    EXPECT_EQ(platform.messages.Texts(),
              std::vector<std::string>{"Error !\r\rAn arithmetic error occured.\rPlease correct the "
                                       "formula for the object  \"T\"."});
}

} // namespace
} // namespace qz::test

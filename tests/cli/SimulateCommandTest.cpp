#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

#include "CliTestSupport.h"
#include "ScopedLibrary.h"
#include "simulation/HeadlessRun.h"
#include "simulation/SimulationSession.h"

namespace qz::test {
namespace {

class Simulate : public CliTest {
protected:
    Simulate() { command = "simulate"; }
    ~Simulate() override { SimulationBusy() = false; }
};

TEST_F(Simulate, SameSeedGivesTheSameCsv) {
    const std::string file = ConflictNet();
    const auto csv = [&](const char* seed, const std::string& to) {
        EXPECT_EQ(Run({file, "--seed", seed, "--sample-time", "1", "--until", "200", "--trace", "all",
                       "--csv", to}), 0) << err;
        return to == "-" ? out : ReadAll(to);
    };
    const std::string text = csv("42", home.PathOf("one.csv"));
    EXPECT_EQ(text, csv("42", "-"));
    EXPECT_NE(text, csv("43", "-"));
    EXPECT_EQ(text.substr(0, text.find('\n')), "time,P,A,C");
    // The tokens taken and their split are pinned by the ensemble test.
    EXPECT_EQ(text.substr(text.rfind('\n', text.size() - 2) + 1, 6), "199,0,") << "sampled before the advance to 200";
}

TEST_F(Simulate, ValueExportStatisticsAndSteps) {
    TPNObjekt net;
    NetBuilder b(net);
    TPlatz* in = b.Place("In", 1, true);
    TPlatz* o = b.Place("Out", 0, true);
    TTransition* t = b.Trans("T", "2", true);
    b.Arc(in, t);
    b.Arc(t, o);
    const std::string file = Save(net, "tank.pn");
    const std::string values = home.PathOf("in.txt");
    ASSERT_EQ(Run({file, "--steps", "3", "--sample-time", "0,1", "--trace", "In", "--out", values,
                   "--stats"}), 0) << err;
    EXPECT_EQ(ReadAll(values), "0;1\r\n0,1;0,8\r\n0,2;0,6\r\n");
    EXPECT_NE(out.find("Steps: 3\nTotal Time: "), std::string::npos) << out;
    EXPECT_NE(out.find("Transitions per sec: "), std::string::npos);
    EXPECT_NE(out.find("Time to draw diagramms: "), std::string::npos);
    EXPECT_NE(out.find("Time : 0,3"), std::string::npos);
}

TEST_F(Simulate, RefusesAsTheSimulationSwitchDoes) {
    TPNObjekt empty;
    EXPECT_EQ(Run({Save(empty, "empty.pn")}), 2);
    EXPECT_NE(err.find("empty"), std::string::npos);

    TPNObjekt bad;
    NetBuilder b(bad);
    b.Arc(b.Place("D", 1), b.Trans("C", "1", true));
    EXPECT_EQ(Run({Save(bad, "bad.pn")}), 2);
    EXPECT_NE(err.find("There are 1 invalid connections. See user guide. !"), std::string::npos);

    TPNObjekt formula;
    NetBuilder(formula).Trans("C", "2*(", true);
    EXPECT_EQ(Run({Save(formula, "formula.pn")}), 2);
    EXPECT_NE(err.find("Formula of C"), std::string::npos) << err;

    // Options are checked before the net is read.
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{home.PathOf("missing.pn")}, "cannot read \"" + home.PathOf("missing.pn") + "\""},
        {{"--steps"}, "--steps needs a number"},
        {{home.PathOf("x.pn"), "--enhanced-rule", "maybe"}, "--enhanced-rule takes on or off"},
        {{home.PathOf("x.pn"), "--sample-time", "0"}, "the sample time must be a positive number"},
        {{home.PathOf("x.pn"), "--csv", "x.csv"}, "--csv and --out need --trace"},
    };
    for (const auto& [args, message] : refused) {
        EXPECT_EQ(Run(args), 2) << message;
        EXPECT_NE(err.find(message), std::string::npos) << err;
    }
}

TEST_F(Simulate, ArithmeticErrorStopsTheRunWithStatusOne) {
    TPNObjekt net;
    NetBuilder b(net);
    TPlatz* in = b.Place("In", 1, true);
    TTransition* t = b.Trans("T", "1/(In-1)", true);
    b.Arc(in, t);
    EXPECT_EQ(Run({Save(net, "err.pn"), "--sample-time", "1"}), 1);
    EXPECT_NE(err.find("An arithmetic error occured.\nPlease correct the formula for the object  \"T\"."),
              std::string::npos)
        << err;
    EXPECT_NE(out.find("Time : 1"), std::string::npos) << "stopped after the first step";
}

TEST_F(Simulate, RunToEventStopsBeforeTheFiring) {
    TPNObjekt net;
    NetBuilder b(net);
    TPlatz* p = b.Place("P", 1);
    TPlatz* q = b.Place("Q", 0);
    TTransition* t = b.Trans("T", "2");
    b.Arc(p, t);
    b.Arc(t, q);
    ASSERT_EQ(Run({Save(net, "event.pn"), "--sample-time", "1", "--run-to-event", "--trace", "P,Q",
                   "--csv", "-"}), 0) << err;
    EXPECT_EQ(out, "time,P,Q\n0,1,0\n1,1,0\n2,1,0\n");
}

TEST_F(Simulate, TracesPlacesInsideObjectsByPath) {
    // In process: a class built in memory instead of a library file.
    ScopedLibrary library;
    library.Define("Tank", [](TPNObjekt& into) {
        NetBuilder nb(into);
        nb.Arc(nb.Place("Level", 1, true), nb.Trans("Drain", "1", true));
    });
    TPNObjekt root;
    root.sampleTimeSeconds = 0.5;
    NetBuilder b(root);
    b.Place("Top", 3, true);
    ASSERT_NE(root.AddChildObject("Tank_1", "Tank", 10, 10), nullptr);
    std::ostringstream o, e;
    HeadlessOptions options;
    options.steps = 2;
    options.trace = {"all"};
    options.csvPath = "-";
    EXPECT_EQ(RunHeadless(root, options, o, e), 0) << e.str();
    EXPECT_EQ(o.str().substr(0, o.str().find("Time")),
              "time,Top,Tank_1.Level\n0,3,1\n0.5,3,0.5\n");
    options.trace = {"Tank_1.Nothing"};
    EXPECT_EQ(RunHeadless(root, options, o, e), 2);
    // A place of the base class by the path the net file writes for it.
    TPNObjekt derived;
    ASSERT_TRUE(derived.SetInherited("Tank"));
    options.trace = {"Tank.Level"};
    options.steps = 1;
    o.str("");
    EXPECT_EQ(RunHeadless(derived, options, o, e), 0) << e.str();
    EXPECT_EQ(o.str().substr(0, o.str().find("Time")), "time,Tank.Level\n0,1\n");
    options.trace.clear();
    options.steps.reset();
    root.sampleTimeSeconds = 0;
    EXPECT_EQ(RunHeadless(root, options, o, e), 2) << "a run that could never end is refused";
}

TEST_F(Simulate, RowsAreWrittenWhileTheRunGoesAndARunThatNeverAdvancesSaysWhy) {
    // Standard output notes the model time whenever a row reaches it.
    struct Noting : std::stringbuf {
        const TPNObjekt* root = nullptr;
        std::vector<double> times;
        std::streamsize xsputn(const char* s, std::streamsize n) override {
            if (n > 0 && std::isdigit(static_cast<unsigned char>(*s))) times.push_back(root->modelTime);
            return std::stringbuf::xsputn(s, n);
        }
    } noting;
    std::ostream o(&noting);
    std::ostringstream e;
    HeadlessOptions options;
    options.trace = {"P"};
    options.csvPath = "-";
    options.steps = 3;
    TPNObjekt tank, loop;
    for (TPNObjekt* net : {&tank, &loop}) net->sampleTimeSeconds = 1;
    NetBuilder t(tank), l(loop);
    t.Arc(t.Place("P", 10, true), t.Trans("Drain", "1", true));
    noting.root = &tank;
    EXPECT_EQ(RunHeadless(tank, options, o, e), 0) << e.str();
    EXPECT_EQ(noting.times, (std::vector<double>{0, 1, 2})) << "each row when it is sampled";

    // An immediate transition firing for ever: no sample, and why.
    TPlatz* p = l.Place("P", 1);
    TTransition* again = l.Trans("Again", "0");
    l.Arc(p, again);
    l.Arc(again, p);
    noting.root = &loop;
    noting.str("");
    options.steps = 5;
    EXPECT_EQ(RunHeadless(loop, options, o, e), 0);
    EXPECT_EQ(noting.str().substr(0, noting.str().find("Time")), "time,P\n");
    EXPECT_EQ(e.str(), "quenzor-cli simulate: model time did not advance in the 5 steps that ran: a discrete "
                       "transition fired in every step, and firings take no model time; no sample was taken, "
                       "so the CSV holds its header only\n");
    // Without a step limit it would never end.
    options.steps.reset();
    options.stallSteps = 40;
    e.str("");
    EXPECT_EQ(RunHeadless(loop, options, o, e), 0);
    EXPECT_NE(e.str().find("in the 40 steps that ran: a discrete transition fired in every step, and firings "
                           "take no model time; the run was stopped"),
              std::string::npos)
        << e.str();
}

} // namespace
} // namespace qz::test

// Binding and checking the formulas of a net: scopes, per-element results,
// counters, the property window's rows, the editor's check and variable
// names.
#include <gtest/gtest.h>

#include "../model/ModelTestSupport.h"
#include "formula/FormulaBinding.h"
#include "formula/Parser.h"

namespace qz::test {
namespace {

// The property window's rows as "name|text|value|result".
std::vector<std::string> Rows(const FormulaCheck& check) {
    std::vector<std::string> rows;
    for (const FormulaRow& r : check.rows) {
        rows.push_back(r.name + "|" + r.text + "|" + r.value + "|" + r.result);
    }
    return rows;
}

class FormulaBindingTest : public LibraryTest {
protected:
    FormulaBindingTest() {
        DefineClass("Tank", [](TPNObjekt& o) {
            Published(o, "level", 4);
            NetBuilder{o}.Trans("inner", "level*2");
        });
        root.name = "Plant";
    }

    FormulaCheck Check(bool continuous = false) {
        root.RegisterVariables();
        return CheckTransFunctions(root, continuous);
    }

    TPNObjekt root;
    NetBuilder b{root};
};

TEST_F(FormulaBindingTest, FormulasSeeOnlyTheirOwnObjectsPlaces) {
    TPlatz* m1 = b.Place("m1");
    m1->SetMarking(3);
    TTransition* own = b.Trans("Own", "m1*2+Time");
    TTransition* child = b.Trans("Child", "level+1");
    TPNObjekt* tank = root.AddChildObject("Tank_1", "Tank", 0, 0);
    ASSERT_NE(tank, nullptr);
    FormulaCheck check = Check();
    EXPECT_EQ(std::make_tuple(check.errors, own->formulaValid, own->firingTime, child->formulaValid),
              std::make_tuple(1, 1, 6.0, 0));
    EXPECT_EQ(child->formulaError.rfind("Error parsing expression:\r", 0), 0u) << child->formulaError;

    // A class formula naming the parent's place fails there.
    DefineClass("Reader", [](TPNObjekt& o) { NetBuilder{o}.Trans("r", "m1+1"); });
    ASSERT_NE(root.AddChildObject("R", "Reader", 0, 0), nullptr);
    check = Check();
    EXPECT_EQ(check.errors, 2);
    EXPECT_EQ(check.rows.size(), 2u) << "rows list the root's own net only";
    TTransition* inner = static_cast<TTransition*>(tank->Base()->Net().At(1));
    EXPECT_EQ(std::make_tuple(inner->formulaValid, inner->firingTime), std::make_tuple(1, 8.0));
}

TEST_F(FormulaBindingTest, ResultsRowsAndTraceOfTheTransitionCheck) {
    b.Place("m1")->SetMarking(2);
    b.Trans("Num", "3");
    b.Trans("Expr", "m1*2");
    TTransition* bad = b.Trans("Bad", "m1*");
    b.Trans("Cont", "1,5", true);
    FormulaCheck check = Check();
    EXPECT_EQ(check.errors, 1);
    EXPECT_EQ(Rows(check), (std::vector<std::string>{"Num|3|3|OK", "Expr|m1*2|4|OK",
                                                     "Bad|m1*|N.A.|Error parsing expression:\rM1*"}));
    EXPECT_EQ(bad->formulaError, "Error parsing expression:\rM1*");
    EXPECT_TRUE(bad->errorMark);
    EXPECT_EQ(platform.trace.Lines(),
              std::vector<std::string>{"CheckTransFunctions erfolgreich beendet, Fehler: 1"});

    FormulaCheck cont = Check(true);
    EXPECT_EQ(Rows(cont), std::vector<std::string>{"Cont|1,5|1,5|OK"});
    EXPECT_EQ(cont.errors, 1) << "the counter covers every transition";

    bad->SetFunctionText("m1*3");
    EXPECT_EQ(std::make_tuple(Check().errors, bad->formulaError, bad->errorMark), std::make_tuple(0, "OK", false));
}

TEST_F(FormulaBindingTest, EmptyTextsBecomeOne) {
    TTransition* t = b.Trans("T", "5");
    t->SetFunctionText("   ");
    TPlatz* p = b.Place();
    TEdge* a = b.Arc(p, t);
    a->SetWeightText("");
    EXPECT_EQ(Check().errors, 0);
    EXPECT_EQ(t->functionText, "1");
    EXPECT_EQ(t->firingTime, 1);
    int errors = 0;
    CheckArcFormulas(root, errors);
    EXPECT_EQ(std::make_tuple(errors, a->weightText, a->weight), std::make_tuple(0, "1", 1.0));
}

TEST_F(FormulaBindingTest, ArcCheckCompilesWithoutEvaluating) {
    TPlatz* p = b.Place("m1");
    TTransition* t = b.Trans();
    TEdge* good = b.Arc(p, t);
    good->SetWeightText("1/m1"); // m1 is 0: evaluating would fail
    TEdge* bad = b.Arc(p, t);
    bad->SetWeightText("(m1");
    TEdge* number = b.Arc(p, t);
    number->SetWeightText("2,5");
    root.RegisterVariables();
    FormulaCheck check = CheckArcFunctions(root);
    EXPECT_EQ(check.errors, 1);
    EXPECT_EQ(Rows(check), (std::vector<std::string>{
                               "|1/m1|0|OK", "|(m1|N.A.|Missing brackets in expression", "|2,5|2,5|OK"}));
    EXPECT_EQ(platform.trace.Lines().back(), "CheckArcFunctions erfolgreich beendet, Fehler: 1");
    EXPECT_TRUE(good->parser->HasCompiledList());
    ReleaseFormulas(root);
    EXPECT_FALSE(good->parser->HasCompiledList());
}

TEST_F(FormulaBindingTest, ContinuousSpeedReadsTheMarkingOwner) {
    TPlatz* p = b.Place("m1", 0, true);
    TTransition* t = b.Trans("T", "2*m1", true);
    p->SetMarking(1.5);
    ASSERT_EQ(Check(true).errors, 0);
    EXPECT_EQ(t->parser->Value(), 3);
    p->SetMarking(4);
    EXPECT_EQ(t->parser->Value(), 8);
}

TEST_F(FormulaBindingTest, EditorCheckKnowsOnlyThePlaces) {
    b.Place("m1");
    EXPECT_EQ(CheckFormulaInEditor("m1*2", root.Net()), "No errors in formula");
    EXPECT_NE(CheckFormulaInEditor("STime*2", root.Net()), "No errors in formula");
    EXPECT_NE(CheckFormulaInEditor("Cot(1)", root.Net()), "No errors in formula");
    ASSERT_EQ(platform.messages.Shown().size(), 3u);
    EXPECT_EQ(platform.messages.Shown()[0].kind, MsgKind::Information);
    EXPECT_EQ(platform.messages.Shown()[1].kind, MsgKind::Error);

    // The same formula passes the simulation start.
    TTransition* t = b.Trans("T", "STime*2");
    EXPECT_EQ(Check().errors, 0);
    EXPECT_EQ(t->formulaValid, 1);
}

TEST_F(FormulaBindingTest, VariableNamesMustDifferExactlyWithinTheNet) {
    TPlatz* a = b.Place("m1");
    TPlatz* c = b.Place("m2");
    EXPECT_FALSE(SetPlaceVariableName(*c, "m1"));
    EXPECT_EQ(c->variableName, "m2");
    EXPECT_FALSE(SetPlaceVariableName(*c, " m 1 ")) << "compared after removing blanks";
    EXPECT_EQ(platform.messages.Texts(), std::vector<std::string>(2, "This variable name already exists."));
    EXPECT_TRUE(SetPlaceVariableName(*c, "M1"));
    EXPECT_TRUE(SetPlaceVariableName(*a, "m1")) << "a place may keep its own name";
    EXPECT_TRUE(SetPlaceVariableName(*c, "flow rate"));
    EXPECT_EQ(c->variableName, "flowrate");

    // A name differing only in case is shadowed by the earlier place.
    c->SetVariableName("M1");
    a->SetMarking(1);
    c->SetMarking(9);
    TTransition* t = b.Trans("T", "M1");
    Check();
    EXPECT_EQ(t->firingTime, 1);
}

} // namespace
} // namespace qz::test

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "EditorTestSupport.h"
#include "editor/ElementTables.h"
#include "editor/PropertyGrid.h"
#include "formula/FormulaBinding.h"
#include "model/TObjekt.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"

namespace qz::ui::test {
namespace {

// Places p (discrete, 1 token) and q, a continuous place c, a discrete
// transition t ("2") and a continuous one u ("p*2"), arcs p -> t and c -> u.
struct Page : Editor {
    TPlatz* p = build.Place("p", 1);
    TPlatz* q = build.Place("q");
    TPlatz* c = build.Place("c", 0, true);
    TTransition* t = build.Trans("t", "2");
    TTransition* u = build.Trans("u", "p*2", true);
    TEdge* arc = build.Arc(p, t);
    TEdge* flow = build.Arc(c, u);
    PropertyGrid grid;

    void Show(TGraphItem* e) { grid.Show(e, doc.Root(), {"Tank"}, true); }
    std::string Names() const {
        std::string names;
        for (const PropertyRow& r : grid.Rows()) names += r.name + (r.box == CellBox::Choices ? "[]" : "") + ";";
        return names;
    }
    // Types a value into a row and saves the page; the messages shown.
    std::vector<std::string> Type(TGraphItem* e, const char* row, const std::string& text) {
        Show(e);
        grid.SetValue(std::size_t(grid.RowOf(row)), text);
        Messages().Clear();
        grid.Save();
        return Messages().Texts();
    }
};

TEST(PropertyGrid, EachKindHasItsRowsAndBoxes) {
    Page n;
    auto* label = static_cast<TSchriftObjekt*>(n.Net().Add(std::make_unique<TSchriftObjekt>()));
    auto* shape = static_cast<TObjekt*>(n.Net().Add(std::make_unique<TObjekt>()));
    const struct {
        TGraphItem* element;
        const char* rows;
    } cases[] = {
        {n.p, "Name;Variable;Typ[];Initial Tokens;Show Label:[];Size[];Published[];Capacity;"},
        {n.c, "Name;Variable;Typ[];Initial Tokens;Show Label:[];Size[];Published[];"},
        {n.t, "Name;Delay;Typ[];Color;Show Label[];Size[];Priority;Reservation[];"},
        {n.u, "Name;Speed;Typ[];Color;Show Label[];Size[];"},
        {n.arc, "Arc Weight;Show Label[];Typ[];"},
        {label, "Text;Font (Size: 8);"},
        {shape, "LineWidth;Radius;Typ[];Colour;Pen Mode[];Pen Style[];"},
        {nullptr, "Object Name;Inherited From[];"},
    };
    for (const auto& c : cases) {
        n.Show(c.element);
        EXPECT_EQ(n.Names(), c.rows);
    }
    // Fixed texts, the unlimited capacity, the choices that depend on the
    // element.
    n.Show(n.p);
    EXPECT_EQ(n.grid.Rows()[7].value, "00");
    n.Show(n.t);
    EXPECT_EQ(n.grid.Rows()[3].value, "unused ...");
    EXPECT_FALSE(n.grid.Rows()[3].editable);
    EXPECT_EQ(n.grid.Rows()[4].choices[2], "Only Time");
    EXPECT_EQ(n.grid.Rows()[1].mode, "sec.");
    n.Show(n.u);
    EXPECT_EQ(n.grid.Rows()[4].choices[2], "Only Speed");
    n.Show(n.arc);
    EXPECT_EQ(n.grid.Rows()[2].choices, (std::vector<std::string>{"Normal", "Inhibitor", "Test Arc"}));
    n.Show(nullptr);
    EXPECT_EQ(n.grid.Rows()[1].choices, (std::vector<std::string>{"Empty Object", "Tank"}));
}

struct TypeCase {
    const char* what;
    int element; // 0 p, 1 t, 2 u, 3 arc
    const char* row;
    std::string typed;
    std::vector<std::string> messages;
    std::function<bool(Page&)> holds;
};

TEST(PropertyGrid, TypedValuesAreTakenOrRefusedWithTheirMessage) {
    const TypeCase cases[] = {
        {"a decimal point reads as a comma", 0, "Initial Tokens", "2.5", {},
         [](Page& n) { return n.p->InitialMarking() == 2.5L && n.p->Marking() == 2.0; }},
        {"not a number", 0, "Initial Tokens", "1-2", {"\"1-2\" is not valid !"},
         [](Page& n) { return n.p->InitialMarking() == 1; }},
        {"a variable taken", 0, "Variable", "q", {kVariableNameExists}, [](Page& n) { return n.p->variableName == "p"; }},
        {"an empty variable", 0, "Variable", "", {"\"\" is not a valid name !"},
         [](Page& n) { return n.p->variableName == "p"; }},
        {"a name of two lines", 0, "Name", "a\nb", {"\"a b\" is not a valid name !"},
         [](Page& n) { return n.p->name == "p"; }},
        {"a capacity", 0, "Capacity", "5", {}, [](Page& n) { return n.p->capacity == 5; }},
        {"no type", 0, "Typ", "Blue", {"\"Blue\" is not a valid name !"}, [](Page& n) { return !n.p->continuous; }},
        {"a negative delay", 1, "Delay", "-3", {kWaitingTimeMessage},
         [](Page& n) { return n.t->functionText == "3" && n.t->timed; }},
        {"stepwise", 1, "Delay", "-1", {}, [](Page& n) { return n.t->functionText == "-1" && !n.t->timed; }},
        {"a formula that does not compile", 2, "Speed", "p*(", {"Missing brackets in expression"},
         [](Page& n) { return n.u->functionText == "p*2"; }},
        {"a weight formula over a place", 3, "Arc Weight", "q+1", {},
         [](Page& n) { return n.arc->weightText == "q+1" && n.arc->valueLabel->visible; }},
        {"a weight over an unknown name", 3, "Arc Weight", "zz", {"Error parsing expression:\rZZ"},
         [](Page& n) { return n.arc->weightText == "1"; }},
    };
    for (const TypeCase& c : cases) {
        SCOPED_TRACE(c.what);
        Page n;
        TGraphItem* elements[] = {n.p, n.t, n.u, n.arc};
        EXPECT_EQ(n.Type(elements[c.element], c.row, c.typed), c.messages);
        EXPECT_TRUE(c.holds(n));
    }
}

TEST(PropertyGrid, TheTimeModeBoxWritesTheDelay) {
    Page n;
    n.Show(n.t);
    n.grid.ChooseTimeMode("stepwise");
    ASSERT_TRUE(n.grid.Save());
    EXPECT_EQ(n.t->functionText, "-1");
    n.Show(n.t);
    n.grid.ChooseTimeMode("sec.");
    ASSERT_TRUE(n.grid.Save());
    EXPECT_EQ(n.t->functionText, "0");
}

TEST(ElementTables, CellsChecksAndNextError) {
    Page n;
    n.build.Trans("bad1", "sin(", true);
    n.build.Trans("bad2", "q*", true);
    ElementTables tables;
    tables.Fill(n.doc.Net(), true);
    using T = ElementTables::Table;
    EXPECT_EQ(tables.Rows(T::Places), 3u);
    EXPECT_EQ(tables.Rows(T::Transitions), 3u);
    EXPECT_EQ(tables.Cell(T::Transitions, 0, 2), "0 (Expression)");
    EXPECT_EQ(tables.NextError(T::Transitions, std::nullopt), std::nullopt) << "nothing checked yet";
    n.doc.Root()->RegisterVariables();
    const FormulaCheck check = CheckTransFunctions(*n.doc.Root(), true);
    tables.SetErrors(T::Transitions, check.errors);
    EXPECT_EQ(tables.Errors(T::Transitions), 2);
    EXPECT_EQ(tables.Cell(T::Transitions, 0, 3), "OK");
    EXPECT_EQ(tables.NextError(T::Transitions, 0), 1u);
    EXPECT_EQ(tables.NextError(T::Transitions, 1), 2u);
    EXPECT_EQ(tables.NextError(T::Transitions, 2), 1u) << "wraps to the first data row";
    // A row: the start value sets the marking too, unless the value is typed.
    EXPECT_TRUE(tables.SaveRow(T::Places, 0, {"p", "p", "4", "1"}));
    EXPECT_EQ(std::make_pair(double(n.p->InitialMarking()), n.p->Marking()), std::make_pair(4.0, 4.0));
    EXPECT_TRUE(tables.SaveRow(T::Places, 0, {"p", "p", "4", "7"}));
    EXPECT_EQ(n.p->Marking(), 7.0);
    ReleaseFormulas(*n.doc.Root());
}

} // namespace
} // namespace qz::ui::test

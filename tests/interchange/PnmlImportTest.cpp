// Reading PNML written by other tools: pages, graphics, layout, weights,
// arc types, names, timing and faults.
#include <gtest/gtest.h>

#include <tuple>

#include "FakePlatform.h"
#include "NetBuilder.h"
#include "PnmlImporter.h"
#include "VariableNameMaker.h"
#include "formula/Parser.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"

namespace qz::pnml {
namespace {

std::string Wrap(const std::string& body,
                 const std::string& type = "http://www.pnml.org/version-2009/grammar/ptnet") {
    return "<?xml version=\"1.0\"?>\n<pnml xmlns=\"http://www.pnml.org/version-2009/grammar/pnml\">\n"
           "<net id=\"n\" type=\"" + type + "\">\n" + body + "\n</net>\n</pnml>\n";
}

template <class T>
std::vector<T*> All(const TPNObjekt& root, char k) {
    return test::ElementsOf<T>(root.Net(), k);
}

struct Fixture : ::testing::Test {
    test::ScopedPlatform platform;
    TPNObjekt root;
    ImportResult Import(const std::string& xml, ImportOptions o = {}) {
        return PnmlImporter::ImportText(root, xml, o);
    }
    TPlatz* Place(const std::string& name) {
        for (TPlatz* p : All<TPlatz>(root, kind::Place)) if (p->name == name) return p;
        return nullptr;
    }
    TTransition* Transition(const std::string& name) {
        for (TTransition* t : All<TTransition>(root, kind::Transition)) if (t->name == name) return t;
        return nullptr;
    }
};

using PnmlImport = Fixture;

TEST_F(PnmlImport, NestedPagesFlattenWithNamesMarkingsWeightsAndGraphics) {
    const ImportResult r = Import(Wrap(R"(
      <name><text>Demo</text></name>
      <page id="top">
        <place id="p1"><name><text>Buffer</text></name>
          <graphics><position x="100" y="50.6"/></graphics>
          <initialMarking><text>3</text></initialMarking></place>
        <page id="inner">
          <transition id="t1"><name><text>Take</text></name>
            <graphics><position x="200" y="50"/></graphics></transition>
          <referencePlace id="rp" ref="p1"/>
        </page>
        <arc id="a1" source="rp" target="t1">
          <inscription><text>2</text></inscription>
          <graphics><position x="150" y="20"/><position x="180" y="20"/></graphics>
        </arc>
      </page>)"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(std::make_tuple(r.places, r.transitions, r.arcs), std::make_tuple(std::size_t{1}, std::size_t{1}, std::size_t{1}));
    using S = std::string;
    EXPECT_EQ(std::tie(root.name, root.timeUnit, root.sampleTimeText), std::make_tuple(S("Demo"), 1, S("100")));
    TPlatz* p = Place("Buffer");
    TTransition* t = Transition("Take");
    ASSERT_TRUE(p && t);
    EXPECT_EQ(std::make_tuple(p->GetCenter(), p->Marking(), p->variableName),
              std::make_tuple(TPoint{100, 51}, 3.0, S("Buffer")));
    // Stepwise by default: a token game plots over time.
    EXPECT_EQ(std::make_tuple(t->GetCenter(), t->functionText, int{t->timed}), std::make_tuple(TPoint{200, 50}, S("-1"), 0));
    auto arcs = All<TEdge>(root, kind::Arc);
    ASSERT_EQ(arcs.size(), 1u);
    TEdge* a = arcs[0];
    EXPECT_EQ(std::make_tuple(a->source, a->target, a->connectionKind, a->weightText),
              std::make_tuple(static_cast<TGraphItem*>(p), static_cast<TGraphItem*>(t), ConnectionKind::Plain, S("2")));
    EXPECT_EQ(a->bendPoints, (std::vector<TPunkt>{{150, 20}, {180, 20}}));
}

TEST_F(PnmlImport, DeeplyNestedPagesDoNotExhaustTheStack) {
    std::string body;
    constexpr int kDepth = 50000;
    for (int i = 0; i < kDepth; ++i) body += "<page id=\"g" + std::to_string(i) + "\">";
    body += "<place id=\"deep\"/>";
    for (int i = 0; i < kDepth; ++i) body += "</page>";
    const ImportResult r = Import(Wrap(body));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_NE(Place("deep"), nullptr);
}

// A firing time chosen by the caller is pinned by the convert command test.
TEST_F(PnmlImport, TimingIsChosenByTheCaller) {
    ImportOptions o;
    o.timing = Timing::Immediate;
    ASSERT_TRUE(Import(Wrap(R"(<page id="g"><transition id="t"/></page>)"), o).ok);
    EXPECT_EQ(Transition("t")->functionText, "0");
}

TEST_F(PnmlImport, NodesWithoutGraphicsAreLaidOutWithoutOverlapsBelowPlacedOnes) {
    std::string body = R"(<page id="g"><place id="fixed"><graphics><position x="40" y="40"/></graphics></place>)";
    for (int i = 0; i < 70; ++i) {
        const std::string n = std::to_string(i);
        body += "<place id=\"p" + n + "\"/><transition id=\"t" + n + "\"/><arc id=\"a" + n + "\" source=\"p" + n +
                "\" target=\"t" + n + "\"/>";
        if (i + 1 < 70) body += "<arc id=\"b" + n + "\" source=\"t" + n + "\" target=\"p" + std::to_string(i + 1) + "\"/>";
    }
    body += "</page>";
    ASSERT_TRUE(Import(Wrap(body)).ok);
    std::vector<TRect> rects;
    for (TGraphItem* e : root.Net().Elements()) {
        if (e->Kind() == kind::Place || e->Kind() == kind::Transition) rects.push_back(e->hit);
    }
    ASSERT_EQ(rects.size(), 141u);
    EXPECT_EQ(Place("fixed")->GetCenter(), (TPoint{40, 40}));
    for (std::size_t i = 0; i < rects.size(); ++i) {
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            EXPECT_TRUE(IntersectRect(rects[i], rects[j]) == TRect{}) << i << " overlaps " << j;
        }
        if (i > 0) {
            EXPECT_GT(rects[i].top, Place("fixed")->hit.bottom);
        }
    }
    // A chain is drawn left to right: each step one column further.
    EXPECT_LT(Place("p0")->GetCenter().x, Transition("t0")->GetCenter().x);
    EXPECT_LT(Transition("t0")->GetCenter().x, Place("p1")->GetCenter().x);
}

TEST_F(PnmlImport, InhibitorAndReadArcsInTheCommonDialects) {
    const ImportResult r = Import(Wrap(R"(<page id="g">
      <place id="p"/><transition id="t"/>
      <arc id="a2" source="p" target="t"><type><text>Inhibitor</text></type></arc>
      <arc id="a3" source="p" target="t"><toolspecific tool="X" version="1"><arcType value="inhibitor"/></toolspecific></arc>
      <arc id="a4" source="p" target="t"><type value="read"/></arc>
      <arc id="a5" source="p" target="t"><type value="test"/></arc>
      <arc id="a7" source="p" target="t"><type value="reset"/></arc>
      <arc id="a8" source="p" target="t"><type value="reset"/></arc>
    </page>)"));
    ASSERT_TRUE(r.ok) << r.error;
    auto arcs = All<TEdge>(root, kind::Arc);
    ASSERT_EQ(arcs.size(), 4u);
    const std::vector<int> kinds{akInhibitor, akInhibitor, akTest, akTest};
    for (std::size_t i = 0; i < arcs.size(); ++i) EXPECT_EQ(arcs[i]->arcKind, kinds[i]) << i;
    // Reset arcs are reported once, by name, and skipped.
    EXPECT_EQ(r.arcs, 4u);
    EXPECT_EQ(r.warnings, (std::vector<std::string>{"tool-specific data of \"X\" ignored",
                                                     "arcs of type \"reset\" skipped (2 times)"}));
}

TEST_F(PnmlImport, VariableNamesAreValidUniqueAndCompile) {
    const ImportResult r = Import(Wrap(R"(<page id="g">
      <place id="a"><name><text>Tank level</text></name></place>
      <place id="b"><name><text>tank LEVEL</text></name></place>
      <place id="c"><name><text>3way</text></name></place>
      <place id="d"><name><text>Time</text></name></place>
      <place id="e"><name><text>sin</text></name></place>
      <place id="f"><name><text>???</text></name></place>
      <place id="g1"><name><text>Größe</text></name></place>
      <place id="h"/>
      <place id="i"><name><text>mod</text></name></place>
    </page>)"));
    ASSERT_TRUE(r.ok) << r.error;
    std::vector<std::string> vars;
    for (TPlatz* p : All<TPlatz>(root, kind::Place)) vars.push_back(p->variableName);
    EXPECT_EQ(vars, (std::vector<std::string>{"Tank_level", "tank_LEVEL_2", "p_3way", "Time_v", "sin_v", "f",
                                              "Gr_e", "h", "mod_v"}));
    // Every name reads back through the formula parser as its own place.
    root.RegisterVariables();
    for (TPlatz* p : All<TPlatz>(root, kind::Place)) {
        p->SetMarking(7);
        TParser parser;
        parser.SetVariables(&root.Variables());
        parser.SetExpression(p->variableName + "*2");
        EXPECT_EQ(parser.Value(), 14) << p->variableName;
        p->SetMarking(0);
    }
    // Place names are kept as they are; a place without a name takes its id.
    EXPECT_NE(Place("Tank level"), nullptr);
    EXPECT_NE(Place("h"), nullptr);
}

TEST(VariableNames, EqualNamesNumberOnWithoutTakingUsedNames) {
    VariableNameMaker names;
    names.Reserve("p_3");
    std::vector<std::string> made;
    for (const char* name : {"p", "p", "P", "p", "p_2"}) made.push_back(names.Make(name, "x"));
    EXPECT_EQ(made, (std::vector<std::string>{"p", "p_2", "P_4", "p_5", "p_2_2"}));
}

TEST_F(PnmlImport, UnrepresentableContentIsReportedOnceAndSkipped) {
    const ImportResult r = Import(Wrap(R"(<page id="g">
      <place id="p"><fill color="red"/><initialMarking><text>1</text></initialMarking></place>
      <place id="q"><fill color="red"/></place>
      <transition id="t"><condition/></transition>
      <declaration/>
    </page><net id="second"/>)"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.warnings, (std::vector<std::string>{"<net> in <net> ignored",
                                                     "<declaration> in <page> ignored",
                                                     "<fill> in <place> ignored (2 times)",
                                                     "<condition> in <transition> ignored"}));
}

TEST_F(PnmlImport, FaultsFailWithTheLineAndLeaveAnEmptyNet) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"<pnml><net id=\"n\" type=\"http://www.pnml.org/version-2009/grammar/ptnet\">\n<page id=\"g\">\n"
         "<place id=\"p\">\n</page></net></pnml>",
         "line 4: malformed XML: Start-end tags mismatch"},
        {"", "line 1: malformed XML: No document element found"},
        {"<html/>", "line 1: not a PNML file: the document element is <html>, not <pnml>"},
        {"<pnml>\n<net id=\"n\" type=\"http://www.pnml.org/version-2009/grammar/symmetricnet\"/></pnml>",
         "line 2: the net type \"http://www.pnml.org/version-2009/grammar/symmetricnet\" is not supported "
         "(place/transition nets only)"},
        {Wrap("<page id=\"g\"><place id=\"p\"/><transition id=\"t\"/>\n<arc id=\"a\" source=\"p\" target=\"x\"/>"
              "</page>"),
         "line 5: arc \"a\": target \"x\" does not exist"},
        {Wrap("<page id=\"g\"><place id=\"p\"/><transition id=\"t\"/>\n<referencePlace id=\"r\" ref=\"gone\"/>\n"
              "<arc id=\"a\" source=\"r\" target=\"t\"/></page>"),
         "line 6: arc \"a\": source \"gone\" does not exist"},
        {Wrap("<page id=\"g\"><place id=\"p\"/><place id=\"q\"/>\n<arc id=\"a\" source=\"p\" target=\"q\"/></page>"),
         "line 5: arc \"a\" joins two places"},
        {Wrap("<page id=\"g\"><place id=\"p\"/>\n<transition id=\"p\"/></page>"),
         "line 5: the id \"p\" is used twice"},
        {Wrap("<page id=\"g\">\n<place id=\"p\"><initialMarking><text>lots</text></initialMarking></place></page>"),
         "line 5: initial marking \"lots\" is not a number"},
        {Wrap("<page id=\"g\"><place id=\"p\"><graphics>\n<position x=\"1e12\" y=\"0\"/></graphics></place></page>"),
         "line 5: position out of range"},
        {Wrap("<page id=\"g\"><place id=\"p\"/><transition id=\"t\"/>\n<arc id=\"a\" source=\"t\" target=\"p\">"
              "<toolspecific tool=\"Quenzor\"><arc connection=\"1\" targetPath=\"X.y\"/></toolspecific></arc></page>"),
         "line 5: arc \"a\" does not fit its connection kind"},
        {Wrap("<toolspecific tool=\"Quenzor\"><object>\n" + [] {
             std::string nested;
             for (int i = 0; i < 100; ++i) nested += "<object>";
             for (int i = 0; i < 100; ++i) nested += "</object>";
             return nested;
         }() + "</object></toolspecific>"),
         "line 5: objects nested too deeply"},
        {Wrap("<page id=\"g\"><place id=\"p\"/><transition id=\"t\"/>\n<arc id=\"a\" source=\"t\" target=\"p\">"
              "<type value=\"inhibitor\"/></arc></page>"),
         "line 5: arc \"a\": inhibitor and read arcs must lead from a place to a transition"},
    };
    for (const auto& [xml, error] : cases) {
        const ImportResult r = Import(xml);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, error);
        EXPECT_EQ(root.Net().Count(), 0u);
        root.Clear();
    }
}

} // namespace
} // namespace qz::pnml

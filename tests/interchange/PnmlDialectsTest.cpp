// PNML as other editors write it: each sample imports with what xmllint,
// which shares nothing with the importer, reads from the same file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "FakePlatform.h"
#include "NetBuilder.h"
#include "PnmlImporter.h"
#include "TempHome.h"
#include "XmllintSupport.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"

namespace qz::pnml {
namespace {

using test::Xmllint;

// The sum of the numbers at `xpath`, one node at a time; a value after a
// token class ("Default,3") counts as its number.
double SumAt(const std::string& file, const std::string& xpath) {
    if (xpath.empty()) return 0;
    const int n = std::atoi(Xmllint(file, "count(" + xpath + ")").c_str());
    double sum = 0;
    for (int i = 1; i <= n; ++i) {
        const std::string v = Xmllint(file, "string((" + xpath + ")[" + std::to_string(i) + "])");
        sum += std::stod(v.substr(v.rfind(',') + 1));
    }
    return sum;
}

// Elements by local name; "arc[@type]" -> //*[local-name()='arc'][@type].
std::string All(const std::string& name, const std::string& predicate = "") {
    return "//*[local-name()='" + name + "']" + predicate;
}

// The value of a label: <name><text>..</text></name> or <name><value>..</value></name>.
std::string Label(const std::string& name) {
    return All(name) + "/*[local-name()='text' or local-name()='value']";
}

struct Dialect {
    const char* label;
    std::string xml;
    std::string inhibitors, tests;              // count() of arcs
    std::string weights, markings, capacities; // values to sum
    std::vector<std::string> warnings;
};

const Dialect kDialects[] = {
    {"P/T net with <value> labels and token classes",
     R"x(<?xml version="1.0" encoding="ISO-8859-1"?>
<pnml><net id="Net-One" type="P/T net">
<token id="Default" enabled="true" red="0" green="0" blue="0"/>
<place id="P0"><graphics><position x="105.0" y="120.0"/></graphics>
  <name><value>P0</value><graphics><offset x="0.0" y="0.0"/></graphics></name>
  <initialMarking><value>Default,3</value><graphics><offset x="0.0" y="0.0"/></graphics></initialMarking>
  <capacity><value>Default,4</value></capacity></place>
<place id="P1"><graphics><position x="300.0" y="120.0"/></graphics><name><value>P1</value></name>
  <initialMarking><value>Default,0</value></initialMarking><capacity><value>0</value></capacity></place>
<transition id="T0"><graphics><position x="200.0" y="120.0"/></graphics><name><value>T0</value></name>
  <orientation><value>0</value></orientation><rate><value>1.0</value></rate><timed><value>false</value></timed></transition>
<arc id="P0 to T0" source="P0" target="T0"><graphics/><inscription><value>Default,2</value><graphics/></inscription>
  <tagged><value>false</value></tagged><arcpath id="000" x="111" y="126" curvePoint="false"/>
  <arcpath id="001" x="150" y="60" curvePoint="false"/><arcpath id="002" x="197" y="126" curvePoint="false"/>
  <type value="normal"/></arc>
<arc id="T0 to P1" source="T0" target="P1"><inscription><value>Default,1</value></inscription><type value="normal"/></arc>
<arc id="P1 to T0" source="P1" target="T0"><inscription><value>Default,1</value></inscription><type value="inhibitor"/></arc>
</net></pnml>)x",
     All("arc", "[*[local-name()='type']/@value='inhibitor']"), "", Label("inscription"),
     Label("initialMarking"), Label("capacity"),
     {"<token> in <net> ignored", "<rate> in <transition> ignored", "<timed> in <transition> ignored",
      "<tagged> in <arc> ignored"}},
    {"timed-arc editor with attributes",
     R"x(<?xml version="1.0" encoding="UTF-8" standalone="no"?>
<pnml xmlns="http://www.informatik.hu-berlin.de/top/pnml/ptNetb">
<net active="true" id="N1" type="P/T net">
  <place displayName="true" id="P0" initialMarking="6" invariant="&lt; inf" name="P0" positionX="135" positionY="90"/>
  <place displayName="true" id="P1" initialMarking="0" invariant="&lt; inf" name="P1" positionX="405" positionY="90"/>
  <place displayName="true" id="P2" initialMarking="1" invariant="&lt; inf" name="Guard" positionX="270" positionY="200"/>
  <transition angle="0" displayName="true" id="T0" infiniteServer="false" name="T0" positionX="270" positionY="90" priority="0" urgent="false"/>
  <transition angle="0" displayName="true" id="T1" infiniteServer="false" name="T1" positionX="270" positionY="20" priority="0" urgent="false"/>
  <arc id="P0_to_T0" inscription="[0,inf)" source="P0" target="T0" type="timed" weight="3">
    <arcpath arcPointType="false" id="0" xCoord="147" yCoord="102"/>
    <arcpath arcPointType="false" id="1" xCoord="200" yCoord="40"/>
    <arcpath arcPointType="false" id="2" xCoord="279" yCoord="102"/></arc>
  <arc id="T0_to_P1" inscription="1" source="T0" target="P1" type="normal" weight="1"/>
  <arc id="P2_to_T0" inscription="[0,inf)" source="P2" target="T0" type="tapnInhibitor" weight="2"/>
  <arc id="P1_to_T1" inscription="[0,inf):1" source="P1" target="T1" type="transport" weight="1"/>
  <arc id="T1_to_P0" inscription="[0,inf):1" source="T1" target="P0" type="transport" weight="1"/>
</net>
<k-bound bound="3"/>
</pnml>)x",
     All("arc", "[contains(@type,'nhibitor')]"), "", All("arc") + "/@weight", All("place") + "/@initialMarking", "",
     {"<k-bound> in <pnml> ignored", "timed arcs read as normal arcs: their time intervals are ignored",
      "transport arcs read as pairs of normal arcs: token ages are ignored (2 times)"}},
    {"PNML 2004 with a tool-specific arc type",
     R"x(<?xml version="1.0" encoding="UTF-8"?>
<pnml xmlns="http://www.informatik.hu-berlin.de/top/pnml/ptNetb">
<net id="noID" type="http://www.informatik.hu-berlin.de/top/pntd/ptNetb">
<place id="p1"><name><text>start</text><graphics><offset x="0" y="40"/></graphics></name>
  <graphics><position x="40" y="60"/><dimension x="40" y="40"/></graphics><initialMarking><text>1</text></initialMarking></place>
<place id="p2"><name><text>end</text></name><graphics><position x="200" y="60"/></graphics></place>
<transition id="t1"><name><text>go</text></name><graphics><position x="120" y="60"/></graphics>
  <toolspecific tool="EditorA" version="1.0"><time>0</time><orientation>1</orientation></toolspecific></transition>
<arc id="a1" source="p1" target="t1"><inscription><text>1</text></inscription></arc>
<arc id="a2" source="t1" target="p2"><inscription><text>4</text></inscription></arc>
<arc id="a3" source="p2" target="t1"><inscription><text>1</text></inscription>
  <toolspecific tool="EditorB" version="1"><arcType value="read"/></toolspecific></arc>
</net></pnml>)x",
     "", All("arc", "[.//*[local-name()='arcType']/@value='read']"), Label("inscription"),
     Label("initialMarking"), "",
     {"tool-specific data of \"EditorA\" ignored", "tool-specific data of \"EditorB\" ignored"}},
    {"PNML 2009 with the inhibitorArc spelling and token classes",
     R"x(<pnml xmlns="http://www.pnml.org/version-2009/grammar/pnml">
<net id="n" type="http://www.pnml.org/version-2009/grammar/ptnet"><page id="g">
<place id="a"><initialMarking><text>Default,2</text></initialMarking></place>
<place id="b"><initialMarking><text>5</text></initialMarking></place>
<transition id="t"/>
<arc id="x" source="a" target="t"><inscription><text>Default,2</text></inscription><type value="inhibitorArc"/></arc>
<arc id="y" source="t" target="b"><inscription><text>3</text></inscription></arc>
</page></net></pnml>)x",
     All("arc", "[*[local-name()='type']/@value='inhibitorArc']"), "", Label("inscription"),
     Label("initialMarking"), "", {}},
    {"generalised stochastic net editor with the inhibition spelling",
     R"x(<pnml><net id="g" type="http://www.pnml.org/version-2009/grammar/ptnet"><page id="p">
<place id="a"><initialMarking><text>1</text></initialMarking></place>
<transition id="t"/>
<arc id="x" source="a" target="t"><inscription><text>2</text></inscription><type value="inhibition"/></arc>
</page></net></pnml>)x",
     All("arc", "[*[local-name()='type']/@value='inhibition']"), "", Label("inscription"),
     Label("initialMarking"), "", {}},
    {"workflow editor's extended PNML",
     R"x(<pnml><net type="http://www.informatik.hu-berlin.de/top/pntd/epnml-1.1" id="noID">
<place id="p1"><name><text>start</text></name><initialMarking><text>1</text></initialMarking>
  <toolspecific tool="FlowEditor" version="1.0"><time>0</time></toolspecific></place>
<transition id="t1"><name><text>check</text></name>
  <toolspecific tool="FlowEditor" version="1.0"><operator id="a" type="101"/></toolspecific></transition>
<place id="p2"><name><text>end</text></name></place>
<arc id="a1" source="p1" target="t1"><inscription><text>1</text></inscription></arc>
<arc id="a2" source="t1" target="p2"><inscription><text>1</text></inscription></arc>
<toolspecific tool="FlowEditor" version="1.0"><bounds/><resources/></toolspecific>
</net></pnml>)x",
     "", "", Label("inscription"), Label("initialMarking"), "",
     {"extended PNML read as a place/transition net; left out: tool-specific data of \"FlowEditor\" ignored (3 times)"}},
    {"Quenzor's export of earlier versions (own data in the PNML namespace)",
     R"x(<pnml xmlns="http://www.pnml.org/version-2009/grammar/pnml">
<net id="net1" type="http://www.pnml.org/version-2009/grammar/ptnet"><name><text>Old</text></name>
<toolspecific tool="Quenzor" version="2.7"><document sampleTime="1" timeUnit="0" enhancedFiringRule="0"/><object name="Old"/></toolspecific>
<page id="page1">
<place id="p0"><name><text>A</text></name><graphics><position x="50" y="50"/></graphics><initialMarking><text>4</text></initialMarking>
  <toolspecific tool="Quenzor" version="2.7"><place name="A" variable="A" continuous="0" marking="4" capacity="-1" sizeClass="2" published="0" hit="35 35 65 65" z="0"/></toolspecific></place>
<transition id="t0"><name><text>T</text></name><graphics><position x="150" y="50"/></graphics>
  <toolspecific tool="Quenzor" version="2.7"><transition name="T" function="-1" continuous="0" priority="1" timed="0" reservation="0" sizeClass="2" orientation="1" hit="135 44 165 56" z="1"/></toolspecific></transition>
<arc id="a0" source="p0" target="t0"><inscription><text>2</text></inscription><type value="inhibitor"/>
  <toolspecific tool="Quenzor" version="2.7"><arc kind="1" weight="2" connection="0" z="2"/></toolspecific></arc>
</page></net></pnml>)x",
     All("arc", "[*[local-name()='type']/@value='inhibitor']"), "", Label("inscription"),
     Label("initialMarking"), "", {}},
};

TEST(PnmlDialects, SamplesImportWithWhatAnIndependentReaderFinds) {
    ASSERT_EQ(std::system("command -v xmllint >/dev/null"), 0) << "xmllint is not installed (libxml2-utils)";
    test::ScopedPlatform platform;
    test::TempHome home;
    for (const Dialect& d : kDialects) {
        const std::string file = home.PathOf("sample.pnml");
        std::ofstream(file, std::ios::binary) << d.xml;
        TPNObjekt root;
        const ImportResult r = PnmlImporter::ImportFile(root, file);
        ASSERT_TRUE(r.ok) << d.label << ": " << r.error;
        EXPECT_EQ(r.warnings, d.warnings) << d.label;
        const auto places = test::ElementsOf<TPlatz>(root.Net(), kind::Place);
        const auto arcs = test::ElementsOf<TEdge>(root.Net(), kind::Arc);
        std::size_t inhibitors = 0, tests = 0;
        double weights = 0, markings = 0, capacities = 0;
        for (const TPlatz* p : places) {
            markings += static_cast<double>(p->InitialMarking());
            if (p->capacity > 0) capacities += static_cast<double>(p->capacity);
        }
        for (const TEdge* a : arcs) {
            inhibitors += a->arcKind == akInhibitor;
            tests += a->arcKind == akTest;
            weights += static_cast<double>(a->weight);
        }
        auto count = [&](const std::string& xpath) {
            return xpath.empty() ? std::string("0") : Xmllint(file, "count(" + xpath + ")");
        };
        EXPECT_EQ(std::to_string(places.size()), count(All("place", "[@id]"))) << d.label;
        EXPECT_EQ(std::to_string(test::ElementsOf(root.Net(), kind::Transition).size()), count(All("transition", "[@id]")))
            << d.label;
        EXPECT_EQ(std::to_string(arcs.size()), count(All("arc", "[@id]"))) << d.label;
        EXPECT_EQ(std::to_string(inhibitors), count(d.inhibitors)) << d.label;
        EXPECT_EQ(std::to_string(tests), count(d.tests)) << d.label;
        EXPECT_EQ(weights, SumAt(file, d.weights)) << d.label;
        EXPECT_EQ(markings, SumAt(file, d.markings)) << d.label;
        EXPECT_EQ(capacities, SumAt(file, d.capacities)) << d.label;
    }
}

TEST(PnmlDialects, PlaceTransitionTypesAreReadOthersRefused) {
    test::ScopedPlatform platform;
    const std::pair<const char*, bool> types[] = {
        {"P/T net", true},
        {"PT net", true},
        {"http://www.pnml.org/version-2009/grammar/ptnet", true},
        {"http://www.pnml.org/version-2009/grammar/pnmlcoremodel", true},
        {"http://www.informatik.hu-berlin.de/top/pntd/ptNetb", true},
        {"http://www.pnml.org/version-2009/grammar/pt-hlpng", false},
        {"http://www.pnml.org/version-2009/grammar/highlevelnet", false},
        {"Coloured Petri net", false},
        {"http://example.org/workflow-net", false},
    };
    for (const auto& [type, ptNet] : types) {
        TPNObjekt root;
        const ImportResult r = PnmlImporter::ImportText(
            root, std::string("<pnml><net id=\"n\" type=\"") + type + "\"><page id=\"g\"><place id=\"p\"/></page></net></pnml>");
        EXPECT_EQ(r.ok, ptNet) << type << ": " << r.error;
        if (!ptNet) {
            EXPECT_NE(r.error.find("(place/transition nets only)"), std::string::npos) << r.error;
        }
        EXPECT_TRUE(r.warnings.empty()) << type;
    }
}

} // namespace
} // namespace qz::pnml

// The PNML Quenzor writes is well-formed and its place/transition core reads
// back through xmllint, which shares nothing with the importer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "FakePlatform.h"
#include "NetBuilder.h"
#include "PnmlExporter.h"
#include "PnmlImporter.h"
#include "TempHome.h"
#include "XmllintSupport.h"
#include "model/ExampleNets.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TTransition.h"

namespace qz::pnml {
namespace {

// An XPath below <page>, elements matched by local name: "arc[1]/@source".
std::string PagePath(const std::string& steps) {
    std::string path = "/*/*[local-name()='net']/*[local-name()='page']";
    std::istringstream in(steps);
    for (std::string step; std::getline(in, step, '/');) {
        if (step[0] == '@') {
            path += "/" + step;
            continue;
        }
        const std::size_t predicate = step.find('[');
        path += "/*[local-name()='" + step.substr(0, predicate) + "']" +
                (predicate == std::string::npos ? "" : step.substr(predicate));
    }
    return path;
}

using test::Xmllint;

TEST(PnmlWellFormed, XmllintAcceptsTheFileAndReadsTheCore) {
    test::ScopedPlatform platform;
    test::TempHome home;
    TPNObjekt root;
    const std::string source = R"(<?xml version="1.0"?>
<pnml xmlns="http://www.pnml.org/version-2009/grammar/pnml"><net id="n" type="http://www.pnml.org/version-2009/grammar/ptnet">
<page id="g">
  <place id="a"><name><text>In &lt;&amp;&gt; "put"</text></name><initialMarking><text>4</text></initialMarking></place>
  <place id="b"><name><text>Größe ü</text></name></place>
  <transition id="t"><name><text>Fire]]&gt;</text></name></transition>
  <arc id="x" source="a" target="t"><inscription><text>3</text></inscription></arc>
  <arc id="y" source="t" target="b"/>
</page></net></pnml>)";
    ASSERT_TRUE(PnmlImporter::ImportText(root, source).ok);
    // Texts XML 1.0 cannot carry, and bytes that are not UTF-8.
    static_cast<TTransition*>(root.Net().At(2))->SetFunctionText(std::string("a\x01\xff"));
    const std::string path = home.PathOf("net.pnml");
    ASSERT_TRUE(PnmlExporter::ExportFile(root, path));

    ASSERT_EQ(std::system("command -v xmllint >/dev/null"), 0)
        << "xmllint is not installed (Debian: libxml2-utils)";
    EXPECT_EQ(std::system(("xmllint --noout '" + path + "'").c_str()), 0);

    // The place/transition core as libxml2 sees it; the labels only, not
    // Quenzor's own data.
    const auto arc = [](const std::string& n) {
        const std::string at = "arc[" + n + "]/";
        return "concat(" + PagePath(at + "@source") + ",' '," + PagePath(at + "@target") + ",' '," +
               PagePath(at + "inscription/text") + ")";
    };
    const std::pair<std::string, std::string> core[] = {
        {"count(" + PagePath("place") + ")", "2"},
        {"count(" + PagePath("transition") + ")", "1"},
        {"count(" + PagePath("arc") + ")", "2"},
        {"string(" + PagePath("place[@id='p0']/name/text") + ")", "In <&> \"put\""},
        {"string(" + PagePath("place[@id='p0']/initialMarking/text") + ")", "4"},
        {"string(" + PagePath("place[@id='p1']/name/text") + ")", "Größe ü"},
        {"string(" + PagePath("place[@id='p1']/initialMarking/text") + ")", ""},
        {"string(" + PagePath("transition[@id='t0']/name/text") + ")", "Fire]]>"},
        {arc("1"), "p0 t0 3"},
        {arc("2"), "t0 p1 "}, // no inscription: weight 1
    };
    for (const auto& [xpath, expected] : core) EXPECT_EQ(Xmllint(path, xpath), expected) << xpath;
    // The replaced characters read back as U+FFFD.
    TPNObjekt again;
    ASSERT_TRUE(PnmlImporter::ImportFile(again, path).ok);
    EXPECT_EQ(static_cast<TTransition*>(again.Net().At(2))->functionText, "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(PnmlWellFormed, ExportsAreValidPlaceTransitionNetsWithOwnDataApart) {
    std::filesystem::path grammar = QZ_SOURCE_DIR "/../shared/pnml-grammar/ptnet.pntd";
    if (!std::filesystem::exists(grammar)) grammar = QZ_SOURCE_DIR "/../../shared/pnml-grammar/ptnet.pntd";
    if (!std::filesystem::exists(grammar)) GTEST_SKIP() << "no PNML grammar beside " << QZ_SOURCE_DIR;
    test::ScopedPlatform platform;
    test::TempHome home;
    for (void (*build)(TPNObjekt&) : {examples::BuildElementKinds, examples::BuildHybrid}) {
        TPNObjekt root;
        build(root);
        const std::size_t places = test::ElementsOf(root.Net(), kind::Place).size();
        std::size_t inhibitors = 0, tests = 0;
        for (const TEdge* a : test::ElementsOf<TEdge>(root.Net(), kind::Arc)) {
            inhibitors += a->arcKind == akInhibitor;
            tests += a->arcKind == akTest;
        }
        ASSERT_GT(inhibitors + tests, 0u) << root.name;
        const std::string path = home.PathOf("valid.pnml"), labelled = home.PathOf("labelled.pnml");
        ASSERT_TRUE(PnmlExporter::ExportFile(root, path));
        ASSERT_TRUE(PnmlExporter::ExportFile(root, labelled, nullptr, ExportOptions{.arcTypeLabels = true}));
        EXPECT_EQ(std::system(("xmllint --noout --relaxng '" + grammar.string() + "' '" + path + "' 2>/dev/null").c_str()), 0)
            << root.name;
        // A reader that looks for places anywhere in the PNML namespace finds
        // each once.
        EXPECT_EQ(Xmllint(path, "count(//*[local-name()='place'][namespace-uri()='http://www.pnml.org/version-2009/grammar/pnml'])"),
                  std::to_string(places));
        EXPECT_EQ(Xmllint(path, "count(//*[local-name()='type'])"), "0");
        EXPECT_EQ(Xmllint(labelled, "count(//*[local-name()='arc']/*[local-name()='type'][@value='inhibitor'])"),
                  std::to_string(inhibitors));
        EXPECT_EQ(Xmllint(labelled, "count(//*[local-name()='arc']/*[local-name()='type'][@value='read'])"),
                  std::to_string(tests));
    }
}

} // namespace
} // namespace qz::pnml

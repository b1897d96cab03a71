// The PNML Quenzor writes is well-formed (xmllint agrees) and its
// place/transition core reads back with a reader that shares nothing with
// the importer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

#include "FakePlatform.h"
#include "PnmlExporter.h"
#include "PnmlImporter.h"
#include "TempHome.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"

namespace qz::pnml {
namespace {

// The core of a P/T net as a plain reader sees it: ids, names, markings,
// arcs with weights. Only elements directly under <page> count.
struct Core {
    std::map<std::string, std::pair<std::string, int>> places; // id -> name, marking
    std::map<std::string, std::string> transitions;              // id -> name
    std::vector<std::tuple<std::string, std::string, int>> arcs; // source, target, weight
};

std::string Unescape(std::string s) {
    const std::pair<const char*, const char*> table[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
    for (auto [from, to] : table) {
        for (std::size_t i = s.find(from); i != std::string::npos; i = s.find(from, i + 1)) {
            s.replace(i, std::string(from).size(), to);
        }
    }
    return s;
}

// The text between `open` and the next `close` at or after `from`; npos-safe.
std::string Between(const std::string& s, std::size_t from, const std::string& open, const std::string& close,
                    std::size_t limit) {
    const std::size_t a = s.find(open, from);
    if (a == std::string::npos || a >= limit) return {};
    const std::size_t b = s.find(close, a + open.size());
    return b == std::string::npos ? std::string() : s.substr(a + open.size(), b - a - open.size());
}

std::string Attribute(const std::string& tag, const std::string& name) {
    const std::size_t a = tag.find(" " + name + "=\"");
    if (a == std::string::npos) return {};
    const std::size_t v = a + name.size() + 3;
    return tag.substr(v, tag.find('"', v) - v);
}

// Each node or arc element up to the first end tag of its name: the
// standard labels come before Quenzor's data, which is not looked at.
Core ParseCore(const std::string& xml) {
    Core core;
    const std::size_t page = xml.find("<page ");
    for (const std::string element : {"place", "transition", "arc"}) {
        for (std::size_t at = xml.find("<" + element + " id=", page); at != std::string::npos;
             at = xml.find("<" + element + " id=", at + 1)) {
            const std::string tag = xml.substr(at, xml.find('>', at) - at);
            const std::size_t end = xml.find("</" + element + ">", at);
            const std::string name = Unescape(Between(xml, at, "<name>", "</name>", end));
            const std::string text = Between(name, 0, "<text>", "</text>", std::string::npos);
            if (element == "place") {
                const std::string m = Between(Between(xml, at, "<initialMarking>", "</initialMarking>", end), 0,
                                              "<text>", "</text>", std::string::npos);
                core.places[Attribute(tag, "id")] = {text, m.empty() ? 0 : std::stoi(m)};
            } else if (element == "transition") {
                core.transitions[Attribute(tag, "id")] = text;
            } else {
                const std::string w = Between(Between(xml, at, "<inscription>", "</inscription>", end), 0, "<text>",
                                              "</text>", std::string::npos);
                core.arcs.emplace_back(Attribute(tag, "source"), Attribute(tag, "target"), w.empty() ? 1 : std::stoi(w));
            }
        }
    }
    return core;
}

TEST(PnmlWellFormed, XmllintAcceptsTheFileAndAPlainReaderSeesTheCore) {
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

    const std::string command = "xmllint --noout '" + path + "' 2>&1";
    if (std::system("command -v xmllint >/dev/null 2>&1") == 0) {
        EXPECT_EQ(std::system(command.c_str()), 0);
    } else {
        ADD_FAILURE() << "xmllint is not installed (Debian: libxml2-utils)";
    }

    std::ifstream in(path, std::ios::binary);
    const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const Core core = ParseCore(xml);
    ASSERT_EQ(core.places.size(), 2u);
    ASSERT_EQ(core.transitions.size(), 1u);
    EXPECT_EQ(core.places.at("p0"), (std::pair<std::string, int>{"In <&> \"put\"", 4}));
    EXPECT_EQ(core.places.at("p1"), (std::pair<std::string, int>{"Größe ü", 0}));
    EXPECT_EQ(core.transitions.at("t0"), "Fire]]>");
    EXPECT_EQ(core.arcs, (std::vector<std::tuple<std::string, std::string, int>>{{"p0", "t0", 3}, {"t0", "p1", 1}}));
    // The replaced characters read back as U+FFFD.
    TPNObjekt again;
    ASSERT_TRUE(PnmlImporter::ImportFile(again, path).ok);
    EXPECT_EQ(static_cast<TTransition*>(again.Net().At(2))->functionText, "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

} // namespace
} // namespace qz::pnml

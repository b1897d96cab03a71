#include <gtest/gtest.h>

#include <fstream>

#include "CliTestSupport.h"
#include "model/TNetList.h"

#ifdef QZ_HAVE_INTERCHANGE
#include "LoadAnyNet.h"

namespace qz::test {
namespace {

class Convert : public CliTest {
protected:
    Convert() { command = "convert"; }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(home.PathOf(name), std::ios::binary) << text;
    }
};

constexpr const char* kPnml = R"(<pnml><net id="n" type="http://www.pnml.org/version-2009/grammar/ptnet">
<page id="g"><place id="p"><initialMarking><text>2</text></initialMarking></place><transition id="t"/>
<arc id="a" source="p" target="t"/><arc id="b" source="t" target="p"><type value="reset"/></arc>
<arc id="c" source="p" target="t"><type value="inhibitor"/></arc></page></net></pnml>)";

TEST_F(Convert, PnmlToNetFileAndBackKeepsTheNetWithArcTypeLabelsOnlyWhenAskedFor) {
    Write("in.pnml", kPnml);
    ASSERT_EQ(Run({home.PathOf("in.pnml"), home.PathOf("net.pn"), "--timing", "0.5"}), cli::kExitOk) << err;
    EXPECT_EQ(out, home.PathOf("in.pnml") + " -> " + home.PathOf("net.pn") + ": 1 places, 1 transitions, 2 arcs\n");
    EXPECT_EQ(err, "warning: " + home.PathOf("in.pnml") + ": arcs of type \"reset\" skipped\n");

    TPNObjekt net;
    ASSERT_TRUE(LoadNetFile(net, home.PathOf("net.pn")));
    ASSERT_EQ(net.Net().Count(), 4u);
    auto* t = static_cast<TTransition*>(net.Net().At(1));
    EXPECT_EQ(t->functionText, "0,5");
    EXPECT_EQ(static_cast<TPlatz*>(net.Net().At(0))->InitialMarking(), 2);

    ASSERT_EQ(Run({home.PathOf("net.pn"), home.PathOf("out.pnml")}), cli::kExitOk) << err;
    ASSERT_EQ(Run({home.PathOf("net.pn"), home.PathOf("labelled.pnml"), "--arc-type-labels"}), cli::kExitOk) << err;
    EXPECT_EQ(ReadAll(home.PathOf("out.pnml")).find("<type value="), std::string::npos);
    EXPECT_NE(ReadAll(home.PathOf("labelled.pnml")).find("<type value=\"inhibitor\"/>"), std::string::npos);
    ASSERT_EQ(Run({home.PathOf("out.pnml"), home.PathOf("again.pn")}), cli::kExitOk) << err;
    EXPECT_EQ(ReadAll(home.PathOf("again.pn")), ReadAll(home.PathOf("net.pn")));
}

TEST_F(Convert, RefusesBadArgumentsAndUnreadableInput) {
    Write("bad.pnml", "<pnml>\n<net id=\"n\" type=\"http://www.pnml.org/version-2009/grammar/ptnet\">\n<page>\n</net></pnml>");
    EXPECT_EQ(Run({home.PathOf("bad.pnml"), home.PathOf("x.pn")}), cli::kExitRefused);
    EXPECT_EQ(err, "error: " + home.PathOf("bad.pnml") + ": line 4: malformed XML: Start-end tags mismatch\n");
    EXPECT_FALSE(std::ifstream(home.PathOf("x.pn")).good());
    for (const std::vector<std::string>& args : {std::vector<std::string>{"a.txt", "b.pn"}, {"a.pn"},
                                                 {"a.pnml", "b.pn", "--timing", "soon"}, {"a.pnml", "b.pn", "--fast"}}) {
        EXPECT_EQ(Run(args), cli::kExitRefused) << args.back();
    }
    EXPECT_TRUE(IsPnmlPath("dir.pn/NET.PNML"));
    EXPECT_FALSE(IsPnmlPath("dir.pnml/net"));
}

} // namespace
} // namespace qz::test
#endif

// Merging another net into a net: what a paste of the whole net brings, in
// its own place, renamed as a paste renames.
#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "model/Pasting.h"
#include "model/TEdge.h"
#include "model/TTransition.h"

namespace qz::test {
namespace {

class MergeTest : public LibraryTest {};

TEST_F(MergeTest, ClashingVariablesAreRenamedInFormulasAndEverythingStaysWhereItWas) {
    TPNObjekt doc, file;
    NetBuilder d{doc}, f{file};
    TPlatz* kept = d.Place("level");
    kept->SetSelected(true);
    TPlatz* level = f.Place("level");
    f.Place("flow");
    level->SetBounds({300, 200, 330, 230});
    TTransition* t = f.Trans("T", "level*flow+Level2");
    f.Arc(level, t, "LEVEL/2");
    DefineClass("Tank", [](TPNObjekt& c) { Published(c, "x"); });
    TPNObjekt* placed = file.AddChildObject("Tank_1", "Tank", 0, 0);
    f.Arc(t, Ip(*placed, "x"));

    std::size_t leftOut = 0;
    const std::vector<TGraphItem*> merged = MergeNet(doc.Net(), file.Net(), &leftOut);
    ASSERT_EQ(merged.size(), 4u);
    EXPECT_EQ(leftOut, 2u) << "the frame and the arc to its interface place";
    const auto places = ElementsOf<TPlatz>(doc.Net(), kind::Place);
    ASSERT_EQ(places.size(), 3u);
    EXPECT_FALSE(kept->selected) << "the earlier selection is cleared";
    TPlatz* newLevel = places[1]->name == "level" ? places[1] : places[2];
    EXPECT_EQ(newLevel->variableName, "level1");
    EXPECT_EQ(newLevel->hit, level->hit);
    const auto* mergedT = ElementsOf<TTransition>(doc.Net(), kind::Transition).at(0);
    EXPECT_EQ(mergedT->functionText, "level1*flow1+Level2") << "every place renamed; whole words, case-blind";
    EXPECT_EQ(ElementsOf<TEdge>(doc.Net(), kind::Arc).at(0)->weightText, "level1/2");
    EXPECT_EQ(doc.Net().SelectedCount(), 4u);
}

} // namespace
} // namespace qz::test

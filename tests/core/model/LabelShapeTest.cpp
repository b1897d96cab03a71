// Labels (line splitting, measuring) and shapes (sizing by kind).
#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "model/TObjekt.h"
#include "model/TSchriftObjekt.h"

namespace qz::test {
namespace {

using LabelShapeTest = ModelTest;

// The recording canvas measures 6 units per character and 13 per line at size 8.
TEST_F(LabelShapeTest, MeasuresThroughItsOwnCanvasKeepingLeftAndTop) {
    RecordingCanvas own;
    own.font.size = 20;
    TSchriftObjekt l;
    l.SetCanvas(&own);
    l.SetBounds({5, 7, 5, 7});
    l.SetText("Empty Label|Click on me to edit.");
    EXPECT_EQ(l.Lines().size(), 2u);
    EXPECT_EQ(l.bounds, (TRect{5, 7, 5 + 130, 7 + 2 * 13})); // 120 + 10
    EXPECT_EQ(l.hit, l.bounds);
    EXPECT_EQ(own.font.size, 20) << "the surface gets its font back";

    l.SetText("");
    EXPECT_EQ(l.bounds, (TRect{5, 7, 15, 20})) << "one empty line: width 10, one line high";
    l.SetText("A|B|");
    EXPECT_EQ(l.Lines(), (std::vector<std::string>{"A", "B", ""})) << "every bar splits";
    EXPECT_EQ(l.Height(), 3 * 13);
    EXPECT_EQ(l.Width(), 10) << "lines narrower than 10 keep the minimum";
    l.SetText("ab");
    EXPECT_EQ(l.Width(), 12 + 10);
}

TEST_F(LabelShapeTest, WidthGrowsOnlyForWiderLinesAndFontChangesMeasureAgain) {
    TSchriftObjekt l; // measured on the installed surface
    l.SetText("abcde|abcdef");
    // 30 -> 40; then 36 is not wider than 40.
    EXPECT_EQ(l.Width(), 40);
    l.SetText("abcdef|abcde");
    EXPECT_EQ(l.Width(), 46);

    l.SetText("abc");
    TFont big;
    big.size = 16;
    l.SetFont(big);
    EXPECT_EQ(l.Width(), 3 * 12 + 10);
    EXPECT_EQ(l.Height(), 26);

    // Element names and values are measured when set.
    TPlatz p;
    p.SetName("Buffer");
    EXPECT_EQ(p.nameLabel->Width(), 46);
    TTransition t(nullptr);
    t.SetFunctionText("12,5");
    EXPECT_EQ(t.valueLabel->Width(), 34);
}

// A line is lineWidth + 2 across; a side shorter than 10 * lineWidth grows
// to 100.
TEST_F(LabelShapeTest, ShapeKindSizesStripsAndRectangles) {
    struct Case {
        int lineWidth;
        TRect before;
        std::uint8_t kind;
        TRect after;
    } cases[] = {
        {1, {10, 20, 110, 120}, skVerticalLine, {10, 20, 13, 120}},
        {1, {10, 20, 110, 120}, skHorizontalLine, {10, 20, 110, 23}},
        {1, {10, 20, 110, 23}, skRoundRect, {10, 20, 110, 120}},
        {1, {10, 20, 13, 120}, skRect, {10, 20, 110, 120}}, // 3 is less than 10 * 1
        {5, {0, 0, 40, 60}, skRect, {0, 0, 100, 60}},       // 40 < 50 grows, 60 >= 50 stays
        {5, {0, 0, 100, 60}, skVerticalLine, {0, 0, 7, 60}},
    };
    for (const Case& c : cases) {
        TObjekt s;
        s.lineWidth = c.lineWidth;
        s.SetBounds(c.before);
        s.SetShapeKind(c.kind);
        EXPECT_EQ(s.bounds, c.after) << int(c.kind) << " from " << c.before.right;
    }
    // Both sides short; a shape not placed before counts as placed.
    TObjekt tiny;
    tiny.SetBounds({0, 0, 5, 5});
    tiny.placed = 0;
    tiny.SetShapeKind(skVerticalLine);
    EXPECT_EQ(tiny.bounds, (TRect{0, 0, 3, 100}));
    EXPECT_EQ(tiny.placed, 1);
}

} // namespace
} // namespace qz::test

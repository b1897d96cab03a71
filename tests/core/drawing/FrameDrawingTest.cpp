// Object frames and interface places on the recording canvas: the parts of
// a frame, the layout of the interface places and their labels and tokens.
#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "RecordingCanvas.h"
#include "model/ExampleNets.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "platform/Window.h"

namespace qz::test {
namespace {

class FrameDrawing : public ::testing::Test {
protected:
    ScopedPlatform platform;
    RecordingCanvas canvas; // outlives the elements drawing on it
    TPNObjekt object;
    TObjectFrame& frame = object.Frame();
    TPlatz* level = examples::AddPlace(object.Net(), 50, 50, "Level", "level", 2.5, true);
    TPlatz* count = examples::AddPlace(object.Net(), 150, 50, "Count", "count", 1);
    TPlatz* spare = examples::AddPlace(object.Net(), 250, 50, "Spare", "spare");

    void SetUp() override {
        object.name = "Tank";
        for (TPlatz* p : {level, count, spare}) p->SetInterfaceFlag(1);
        frame.SetCaption("Tank_1");
        frame.SetBounds({0, 0, 120, 90});
    }
    void Paint(TObjectFrame* which = nullptr) {
        TObjectFrame& f = which ? *which : frame;
        f.SetCanvas(&canvas);
        f.SetShown(true);
        canvas.Clear();
        f.Draw();
    }
    TInterfacePlace& Ip(const char* variable) { return *frame.FindInterfacePlace(variable); }
};

TEST_F(FrameDrawing, InterfacePlacesStackOnTheirStrips) {
    // Height 90: margin 11, strips from 31 to 79; side 14 in a strip of 18.
    EXPECT_EQ(frame.leftStrip, (TRect{0, 31, 18, 79}));
    EXPECT_EQ(frame.rightStrip, (TRect{102, 31, 120, 79}));
    EXPECT_EQ(Ip("level").hit, (TRect{2, 34, 16, 48}));
    EXPECT_EQ(Ip("count").hit, (TRect{2, 49, 16, 63}));
    EXPECT_EQ(Ip("spare").hit, (TRect{2, 64, 16, 78}));
    EXPECT_EQ(frame.minimumBottom, 20 + 22 + 3 * 17);

    Ip("count").selected = 1;
    frame.ToggleSideOfSelected();
    EXPECT_EQ(Ip("count").hit, (TRect{104, 34, 118, 48}));
    EXPECT_EQ(Ip("spare").hit, (TRect{2, 49, 16, 63}));
    EXPECT_EQ(frame.minimumBottom, 20 + 22 + 2 * 17);

    frame.SetShowOnlyUsed(1);
    EXPECT_EQ(Ip("level").visible, 0);
    EXPECT_EQ(frame.minimumBottom, 20 + 22);
    Paint();
    EXPECT_EQ(canvas.CallsOf("Rectangle").size(), 0u) << "unused interface places are not drawn";
    EXPECT_EQ(canvas.Texts().front(), "Tank_1)");
}

TEST_F(FrameDrawing, HeadBodyStripsCaptionAndGrip) {
    Paint();
    const auto rounded = canvas.CallsOf("RoundRect");
    ASSERT_EQ(rounded.size(), 4u);
    // d = 18 div 2 - 1 = 8
    EXPECT_EQ(rounded[0].args, (std::vector<int>{8, 0, 112, 20, 15, 15}));
    EXPECT_EQ(rounded[0].brush.color, colors::Green);
    EXPECT_EQ(rounded[0].pen.color, colors::Black);
    EXPECT_EQ(rounded[1].args, (std::vector<int>{8, 20, 112, 90, 15, 15}));
    EXPECT_EQ(rounded[1].brush.color, colors::Silver);
    EXPECT_EQ(rounded[2].args, (std::vector<int>{0, 31, 18, 79, 15, 15}));
    EXPECT_EQ(rounded[3].args, (std::vector<int>{102, 31, 120, 79, 15, 15}));
    EXPECT_EQ(rounded[3].brush.color, colors::White);
    const auto caption = canvas.CallsOf("TextOut").front();
    EXPECT_EQ(caption.text, "Tank_1");
    EXPECT_EQ(caption.font.color, colors::White);
    // Centred on 60: 6 characters of width 6.
    EXPECT_EQ(caption.args[0], 42);
    const auto grip = canvas.CallsOf("Polygon");
    ASSERT_EQ(grip.size(), 1u);
    EXPECT_EQ(grip[0].points, (std::vector<TPoint>{{107, 85}, {102, 85}, {107, 80}}));
    EXPECT_EQ(grip[0].brush.color, colors::Black);

    frame.inherited = 1;
    Paint();
    EXPECT_EQ(canvas.CallsOf("RoundRect")[0].brush.color, colors::Gray);
    EXPECT_EQ(canvas.CallsOf("RoundRect")[0].pen.color, colors::Gray);
    frame.selected = 1;
    Paint();
    EXPECT_EQ(canvas.CallsOf("RoundRect")[0].pen.color, colors::Blue);
}

TEST_F(FrameDrawing, InterfacePlaceSquaresLabelsAndTokens) {
    Ip("count").side = 1;
    frame.LayoutInterface();
    Paint();
    auto squares = canvas.CallsOf("Rectangle");
    // level (continuous: two squares), count, spare.
    ASSERT_EQ(squares.size(), 4u);
    EXPECT_EQ(squares[0].args, (std::vector<int>{2, 34, 16, 48}));
    EXPECT_EQ(squares[1].args, (std::vector<int>{4, 36, 14, 46})) << "inset 14 div 7";
    EXPECT_EQ(squares[0].brush.color, colors::White);
    auto texts = canvas.CallsOf("TextOut");
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[1].text, "level");
    EXPECT_EQ(texts[1].args[0], 16 + 5) << "right of a left-side place";
    EXPECT_EQ(texts[2].text, "count");
    EXPECT_EQ(texts[2].args[0], 104 - 5 - 30) << "left of a right-side place";

    frame.SetShowValues(1);
    count->SetMarking(1);
    Paint();
    texts = canvas.CallsOf("TextOut");
    EXPECT_EQ(texts[1].text, "level = 2,50");
    EXPECT_EQ(texts[2].text, "count");
    auto tokens = canvas.CallsOf("Ellipse");
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(tokens[0].args, (std::vector<int>{108, 38, 114, 44}));
    count->SetMarking(3);
    Paint();
    texts = canvas.CallsOf("TextOut");
    EXPECT_EQ(canvas.Count("Ellipse"), 0u);
    EXPECT_EQ(texts[3].text, "3");
    EXPECT_EQ(texts[3].font.size, 7);

    Ip("spare").selected = 1;
    Paint();
    EXPECT_EQ(canvas.CallsOf("Rectangle").back().brush.color, colors::Blue);
}

TEST_F(FrameDrawing, InvalidatingAnInterfacePlaceCoversItsLabelOnEitherSide) {
    struct Recorder : Window {
        TRect last{};
        Canvas* Surface() override { return nullptr; }
        void InvalidateRect(const TRect& r) override { last = r; }
        void InvalidateAll() override {}
        std::string ComponentName() const override { return "Recorder"; }
    } window;
    // Whether the label drawn last (6 units a character, 13 high) lies inside.
    const auto covered = [&] {
        const CanvasCall c = canvas.CallsOf("TextOut")[1];
        const TRect& w = window.last;
        return w.left <= c.args[0] && w.top <= c.args[1] && c.args[0] + 6 * int(c.text.size()) <= w.right &&
               c.args[1] + 13 <= w.bottom;
    };
    frame.SetShowValues(1);
    for (const std::uint8_t side : {0, 1}) {
        Ip("level").side = side;
        frame.LayoutInterface();
        level->SetMarking(2.5);
        Paint();
        level->SetMarking(1e9); // the value changes: the old text must go, the new one come
        Ip("level").Invalidate(&window);
        EXPECT_TRUE(covered()) << "side " << int(side);
        Paint();
        EXPECT_TRUE(covered()) << "side " << int(side);
    }
}

TEST_F(FrameDrawing, InheritedInterfacePlacesNameTheirObject) {
    TPNObjekt derived;
    for (auto& ip : frame.interfacePlaces) {
        auto copy = std::make_unique<TInterfacePlace>(&derived.Frame(), ip->innerPlace);
        copy->inherited = 1;
        derived.Frame().interfacePlaces.push_back(std::move(copy));
    }
    derived.Frame().LayoutInterface();
    Paint(&derived.Frame());
    EXPECT_EQ(canvas.Texts()[1], "Tank.level");
    EXPECT_EQ(canvas.CallsOf("Rectangle")[0].pen.color, colors::Gray);
}

} // namespace
} // namespace qz::test

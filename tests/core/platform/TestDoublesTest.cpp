#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "FakePlatform.h"
#include "RecordingCanvas.h"
#include "TempHome.h"
#include "common/FileSystem.h"

using namespace qz;
using namespace qz::test;

TEST(RecordingCanvas, RecordsCallsWithTheStateAtEachCall) {
    RecordingCanvas c;
    c.pen.color = colors::Red;
    c.Rectangle(1, 2, 3, 4);
    c.pen.width = 3;
    c.transparentText = false;
    c.TextOut(5, 6, "Ä1");
    c.MoveTo(0, 0);
    c.LineTo(10, 0);
    c.LineTo(10, 5); // continues from the pen position

    ASSERT_EQ(c.Calls().size(), 4u);
    EXPECT_EQ(c.Calls()[0].args, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(c.Calls()[0].pen.width, 1);
    EXPECT_EQ(c.Calls()[0].pen.color, colors::Red);
    EXPECT_FALSE(c.Calls()[1].transparentText);
    EXPECT_EQ(c.Texts(), std::vector<std::string>{"Ä1"});
    const auto lines = c.CallsOf("Line");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].args, (std::vector<int>{10, 0, 10, 5}));
    EXPECT_EQ(lines[1].pen.width, 3);
    c.Clear();
    EXPECT_EQ(c.Count("Line"), 0u);
    EXPECT_EQ(c.pen.width, 3); // the state survives Clear
}

TEST(RecordingCanvas, MetricsAndMappingChanges) {
    RecordingCanvas c;
    EXPECT_EQ(c.TextWidth("abc"), 18);
    EXPECT_EQ(c.TextWidth("€ä"), 12); // code points, not bytes
    EXPECT_EQ(c.TextHeight(""), 13);
    c.font.size = 10;
    EXPECT_EQ(c.TextWidth("ab"), 14);
    EXPECT_EQ(c.TextHeight("x"), 16);

    c.SetMapMode(MapMode::Isotropic);
    c.SetWindowExt(100, 50);
    ASSERT_EQ(c.MappingChanges().size(), 2u);
    EXPECT_EQ(c.MappingChanges()[0].windowExt, (TPoint{1, 1}));
    EXPECT_EQ(c.MappingChanges()[1].windowExt, (TPoint{100, 50}));
    EXPECT_EQ(c.MappingChanges()[1].mode, MapMode::Isotropic);
}

TEST(ScriptedMessageBoxes, AnswersFromTheQueueThenWithDefaults) {
    ScriptedMessageBoxes boxes;
    boxes.Answer(MsgAnswer::No);
    EXPECT_EQ(boxes.Show("Save changes?", MsgKind::Confirmation, MsgButtons::YesNoCancel),
              MsgAnswer::No);
    EXPECT_EQ(boxes.Show("Again?", MsgKind::Confirmation, MsgButtons::YesNo), MsgAnswer::Yes);
    boxes.Error("Broken");
    ASSERT_EQ(boxes.Shown().size(), 3u);
    EXPECT_EQ(boxes.Shown()[2].kind, MsgKind::Error);
    EXPECT_EQ(boxes.Shown()[2].answer, MsgAnswer::Ok);

    boxes.AnswerInput("Place1");
    boxes.AnswerInput(std::nullopt);
    EXPECT_EQ(boxes.InputQuery("Name", "New name:", "P"), "Place1");
    EXPECT_EQ(boxes.InputQuery("Name", "New name:", "P"), std::nullopt);
    EXPECT_EQ(boxes.InputQuery("Size", "Grid:", "20"), std::nullopt); // queue empty
    ASSERT_EQ(boxes.InputRequests().size(), 3u);
    EXPECT_EQ(boxes.InputRequests()[2].initial, "20");
}

TEST(FakeTimers, TickOnlyWhenEnabledAndSurviveSelfDestruction) {
    FakeTimerFactory factory;
    std::unique_ptr<Timer> a = factory.CreateTimer();
    std::unique_ptr<Timer> b = factory.CreateTimer();
    int ticksA = 0, ticksB = 0;
    a->onTick = [&] { ++ticksA; };
    b->onTick = [&] {
        ++ticksB;
        a.reset(); // a handler that stops and frees another timer
    };
    EXPECT_EQ(factory.TickAll(), 0); // both disabled
    a->SetEnabled(true);
    b->SetEnabled(true);
    b->SetInterval(50);
    EXPECT_EQ(factory.Timers()[1]->Interval(), 50);
    EXPECT_EQ(factory.TickAll(), 2);
    EXPECT_EQ(factory.Timers().size(), 1u);
    EXPECT_EQ(factory.TickAll(), 1);
    EXPECT_EQ(ticksA, 1);
    EXPECT_EQ(ticksB, 2);
    b->onTick = [&] { b.reset(); };
    EXPECT_TRUE(factory.Timers()[0]->Tick());
    EXPECT_TRUE(factory.Timers().empty());
    EXPECT_EQ(factory.CreatedCount(), 2u);
}

TEST(ScopedPlatform, InstallsTheDoublesAndRestores) {
    PlatformServices before = Platform();
    {
        ScopedPlatform p;
        EXPECT_EQ(Platform().messages, &p.messages);
        p.clock.Set(1000);
        p.clock.SetAutoAdvance(10);
        EXPECT_EQ(Platform().clock->Milliseconds(), 1000u);
        EXPECT_EQ(Platform().clock->Milliseconds(), 1010u);
        p.random.QueueNextInt(2);
        Platform().random->SeedFromClock();
        EXPECT_EQ(Platform().random->NextInt(3), 2);
        EXPECT_EQ(p.random.ClockSeedCount(), 1);
        Platform().trace->Trace("fire T1");
        EXPECT_EQ(p.trace.Lines(), std::vector<std::string>{"fire T1"});
    }
    EXPECT_EQ(Platform().messages, before.messages);
    EXPECT_EQ(Platform().clock, before.clock);
    EXPECT_EQ(Platform().clipboard, before.clipboard);
}

TEST(TempHome, SetsAndRestoresTheProgramDirectory) {
    ::setenv("QUENZOR_HOME", "/previous", 1);
    std::string path;
    {
        TempHome home;
        path = home.Path();
        EXPECT_EQ(fs::ProgramDirectory(), path);
        ASSERT_TRUE(fs::WriteFileAtomically(home.PathOf("Quenzor.cfg"), "x"));
        ::mkdir(home.PathOf("locked").c_str(), 0);
    }
    EXPECT_FALSE(fs::DirectoryExists(path));
    EXPECT_STREQ(std::getenv("QUENZOR_HOME"), "/previous");
    ::unsetenv("QUENZOR_HOME");
    { TempHome home; }
    EXPECT_EQ(std::getenv("QUENZOR_HOME"), nullptr);
}

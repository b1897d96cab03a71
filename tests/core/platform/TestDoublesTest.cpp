#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "FakePlatform.h"
#include "RecordingCanvas.h"
#include "TempHome.h"
#include "common/FileSystem.h"

using namespace qz;
using namespace qz::test;

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

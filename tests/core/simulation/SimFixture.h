#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "FakePlatform.h"
#include "NetBuilder.h"
#include "settings/ProgramSettings.h"
#include "simulation/SimulationSession.h"

namespace qz::test {

// A root net, a session at "Max Speed" (nothing is drawn) and the platform
// doubles. Sample time 1 unless a test sets another.
class SimFixture : public ::testing::Test {
protected:
    SimFixture() {
        Settings().animateContinuous = true;
        SimulationBusy() = false;
        root.sampleTimeSeconds = 1;
    }
    ~SimFixture() override {
        if (session.Active()) EndSimulation(root, session);
        SimulationBusy() = false;
    }

    void Begin() {
        ASSERT_EQ(StartSimulation(root, session), StartOutcome::Started);
        session.HighSpeedCheckBoxClick(true);
    }
    bool Step() { return session.engine.Step(); }
    double Time() const { return root.modelTime; }
    TSimulationEngine& Engine() { return session.engine; }

    // Steps until model time reaches `until`; returns "time:marking" for
    // each step in which `t` fired (seen as a change of `counter`).
    std::vector<double> FiringTimes(TPlatz* counter, double until, int maxSteps = 1000) {
        std::vector<double> times;
        for (int i = 0; i < maxSteps && Time() <= until; ++i) {
            const double before = counter->Marking();
            const double now = Time();
            Step();
            if (counter->Marking() != before) times.push_back(now);
        }
        return times;
    }

    ScopedPlatform platform;
    TPNObjekt root;
    NetBuilder b{root};
    TSimulationSession session;
};

// A root net with its own session and platform doubles, for tests that run
// several nets one after another; the session ends with the object.
struct SimRun {
    SimRun() { SimulationBusy() = false; }
    ~SimRun() {
        if (session.Active()) EndSimulation(root, session);
        SimulationBusy() = false;
    }
    // Starts the session at "Max Speed"; false when the start is refused.
    bool Start() {
        if (StartSimulation(root, session) != StartOutcome::Started) return false;
        session.HighSpeedCheckBoxClick(true);
        return true;
    }
    ScopedPlatform platform;
    TPNObjekt root;
    TSimulationSession session;
};

} // namespace qz::test

#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakePlatform.h"
#include "NetBuilder.h"
#include "settings/ProgramSettings.h"
#include "simulation/SimulationSession.h"

namespace qz::test {

// A root net with its own session and platform doubles; the session ends
// with the object. Tests that run several nets one after another take one each.
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

// A root net run at "Max Speed" (nothing is drawn), with a builder for it.
// Sample time 1 unless a test sets another.
class SimFixture : public ::testing::Test, protected SimRun {
protected:
    SimFixture() {
        Settings().animateContinuous = true;
        root.sampleTimeSeconds = 1;
    }

    void Begin() { ASSERT_TRUE(Start()); }
    bool Step() { return session.engine.Step(); }
    double Time() const { return root.modelTime; }
    TSimulationEngine& Engine() { return session.engine; }

    NetBuilder b{root};
};

// The logs of a reference run and of a faster path agree line by line.
inline void ExpectSameLog(const std::vector<std::string>& reference, const std::vector<std::string>& fast,
                          const std::string& what) {
    ASSERT_EQ(reference.size(), fast.size()) << what;
    for (std::size_t i = 0; i < reference.size(); ++i) ASSERT_EQ(reference[i], fast[i]) << what << ", line " << i;
}

} // namespace qz::test

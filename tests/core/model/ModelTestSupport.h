#pragma once
#include <gtest/gtest.h>

#include <string>

#include "FakePlatform.h"
#include "NetBuilder.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "platform/TextMetrics.h"
#include "RecordingCanvas.h"
#include "settings/ProgramSettings.h"

namespace qz::test {

// Every model test runs with scripted message boxes, default settings and the
// recording canvas as the measuring surface (6 x 13 per character at size 8).
class ModelTest : public ::testing::Test {
protected:
    ModelTest() {
        Settings() = ProgramSettings{};
        SetMeasuringSurface(&metrics);
    }
    ~ModelTest() override {
        SetMeasuringSurface(nullptr);
        Settings() = ProgramSettings{};
    }

    ScopedPlatform platform;
    RecordingCanvas metrics;
};

} // namespace qz::test

#include "ScopedLibrary.h"
#include "model/TInterfacePlace.h"
#include "model/TObjectFrame.h"

namespace qz::test {

// A model test with an object library in memory (see ScopedLibrary).
class LibraryTest : public ModelTest {
protected:
    void DefineClass(const std::string& name, ScopedLibrary::Filler fill) { library_.Define(name, std::move(fill)); }

    // A published place of `o`.
    static TPlatz* Published(TPNObjekt& o, const std::string& variable, long double initial = 0,
                             bool continuous = false) {
        TPlatz* p = NetBuilder{o}.Place(variable, static_cast<double>(initial), continuous);
        p->SetInitialMarking(initial);
        p->SetInterfaceFlag(1);
        return p;
    }

    static TInterfacePlace* Ip(TPNObjekt& o, const std::string& variable) {
        return o.Frame().FindInterfacePlace(variable);
    }

private:
    ScopedLibrary library_;
};

} // namespace qz::test

#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FakePlatform.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
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

// Builds small nets in an object's own net.
struct NetBuilder {
    TPNObjekt& object;

    TNetList& net() { return object.Net(); }

    TPlatz* Place(const std::string& variable = "m1", bool continuous = false) {
        auto p = std::make_unique<TPlatz>();
        p->continuous = continuous ? 1 : 0;
        p->SetVariableName(variable);
        p->SetName(variable);
        return static_cast<TPlatz*>(net().Add(std::move(p)));
    }
    TTransition* Transition(const std::string& name = "T", const std::string& text = "0",
                            bool continuous = false) {
        auto t = std::make_unique<TTransition>(&object.Variables());
        t->continuous = continuous ? 1 : 0;
        t->SetName(name);
        t->SetFunctionText(text);
        return static_cast<TTransition*>(net().Add(std::move(t)));
    }
    // A plain arc (connection kind 0) entered into its ends' lists.
    TEdge* Arc(TGraphItem* from, TGraphItem* to, std::uint8_t arcKind = akNormal) {
        auto a = std::make_unique<TEdge>(&object.Variables());
        a->arcKind = arcKind;
        a->SetSource(from);
        a->SetTarget(to);
        from->OutEdgeList.push_back(a.get());
        to->InEdgeList.push_back(a.get());
        return static_cast<TEdge*>(net().Add(std::move(a)));
    }
};

} // namespace qz::test

#include <functional>
#include <map>

#include "model/ObjectLibrary.h"
#include "model/TInterfacePlace.h"
#include "model/TObjectFrame.h"

namespace qz::test {

// A model test with an object library in memory: DefineClass registers a
// class name and file, and loading that file runs the given filler on the
// fresh base object. The program's library is restored afterwards.
class LibraryTest : public ModelTest {
protected:
    using Filler = std::function<void(TPNObjekt&)>;

    LibraryTest() : saved_(ObjectLibrary()) {
        ObjectLibrary() = TObjectLibrary{};
        ObjectLibrary().loadClass = [this](TPNObjekt& into, const std::string& file) {
            auto it = classes_.find(file);
            if (it == classes_.end()) return false;
            it->second(into);
            return true;
        };
    }
    ~LibraryTest() override { ObjectLibrary() = saved_; }

    void DefineClass(const std::string& name, Filler fill) {
        ObjectLibrary().names.push_back(name);
        ObjectLibrary().files.push_back(name + ".pn");
        classes_[name + ".pn"] = std::move(fill);
    }

    // A published place of `o`.
    static TPlatz* Published(TPNObjekt& o, const std::string& variable, long double initial = 0,
                             bool continuous = false) {
        NetBuilder b{o};
        TPlatz* p = b.Place(variable, continuous);
        p->SetInitialMarking(initial);
        p->SetMarking(static_cast<double>(initial));
        p->SetInterfaceFlag(1);
        return p;
    }

    static TInterfacePlace* Ip(TPNObjekt& o, const std::string& variable) {
        return o.Frame().FindInterfacePlace(variable);
    }

private:
    TObjectLibrary saved_;
    std::map<std::string, Filler> classes_;
};

} // namespace qz::test

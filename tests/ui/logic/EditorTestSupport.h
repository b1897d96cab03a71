#pragma once
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "NetBuilder.h"
#include "editor/Document.h"
#include "editor/DocumentCommands.h"
#include "editor/EditGestures.h"
#include "editor/PopupMenus.h"
#include "model/TPNObjekt.h"
#include "settings/ProgramSettings.h"
#include "workspace/Workspace.h"

namespace qz::ui::test {

// A document window without a window: records what the gestures and
// commands ask of it.
class FakeHost final : public EditorHost {
public:
    explicit FakeHost(TDocument& d) : doc(d) {}
    void SelectElement(TGraphItem* e) override {
        doc.current = doc.anchor = e;
        if (e && !e->selected) doc.Net()->SetSelected(e, true);
    }
    void SetCurrentElement(TGraphItem* e) override { doc.current = e; }
    TGraphItem* CurrentElement() const override { return doc.current; }
    void SelectionChanged() override {}
    void ClearProperties() override {}
    bool TextEditorOpen() const override { return textEditor; }
    bool ResizeFrameOpen() const override { return false; }
    void CloseTextEditor() override { textEditor = false; }
    void CommitResizeFrame() override {}
    void Modified() override { doc.SetModified(true); }
    void ShowValues() override { doc.SetShowValues(true); }
    void RefreshPropertyList() override {}
    void Redraw() override {}
    void OverlayChanged() override {}
    void FormResize() override {}
    void ChooseSelectTool() override { selectToolChosen = true; }
    void ZoomAt(bool, int, int) override {}
    void ZoomArea(const TRect& r) override { zoomAreas.push_back(r); }
    void Hand(int, int, int, int) override {}
    void ShowPopup(const PopupChoice& c, int, int) override { popups.push_back(c); }
    void LeaveSimulation() override { doc.simulationMode = false; }
    void SetStatusText(const std::string&) override {}
    void ReloadProperties() override {}

    TDocument& doc;
    bool textEditor = false;
    bool selectToolChosen = false;
    std::vector<TRect> zoomAreas;
    std::vector<PopupChoice> popups;
};

// A document at 1:1 with the gestures and commands on it, the platform's
// test doubles and the program's settings at their start values (no grid).
struct Editor {
    qz::test::ScopedPlatform platform;
    TWorkspace workspace;
    TDocument doc{workspace, nullptr};
    FakeHost host{doc};
    EditGestures gestures{doc, host};
    DocumentCommands commands{doc, host};
    qz::test::NetBuilder build{*doc.Root()};

    Editor() {
        Settings() = ProgramSettings{};
        Settings().alignToGrid = false;
        TViewState::SetScale(1.0);
        doc.view.SetClientSize(800, 600);
    }
    ~Editor() { Settings() = ProgramSettings{}; }

    TNetList& Net() { return *doc.Net(); }
    void Click(int x, int y, bool shift = false) {
        gestures.Press(MouseButton::Left, {x, y, shift});
        gestures.Release(MouseButton::Left, {x, y, shift});
    }
    void Drag(int x0, int y0, int x1, int y1, int steps = 4) {
        gestures.Press(MouseButton::Left, {x0, y0});
        for (int i = 1; i <= steps; ++i) {
            gestures.Move({x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps});
        }
        gestures.Release(MouseButton::Left, {x1, y1});
    }
    qz::test::ScriptedMessageBoxes& Messages() { return platform.messages; }
};

} // namespace qz::ui::test

#include "editor/DocumentCommands.h"

#include "editor/Document.h"
#include "editor/EditorHost.h"
#include "model/BendPoints.h"
#include "model/ClassPlacement.h"
#include "model/FusionRules.h"
#include "model/ObjectLibrary.h"
#include "model/Pasting.h"
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TObjectFrame.h"
#include "model/TPNObjekt.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "platform/Services.h"
#include "workspace/Workspace.h"

namespace qz::ui {

namespace {

template <class T>
T* As(TGraphItem* e, char k) {
    return e && e->Kind() == k ? static_cast<T*>(e) : nullptr;
}

void InvalidateArcsOf(TGraphItem& e) {
    for (TEdge* a : e.InEdgeList) a->geometryValid = 0;
    for (TEdge* a : e.OutEdgeList) a->geometryValid = 0;
}

} // namespace

DocumentCommands::DocumentCommands(TDocument& document, EditorHost& host) : doc_(document), host_(host) {}

bool DocumentCommands::Refused() const {
    if (doc_.MayEdit()) return false;
    Platform().messages->Info(doc_.RefusalText());
    return true;
}

template <class F>
void DocumentCommands::Change(const std::string& what, F change) {
    if (!doc_.Net() || Refused()) return;
    doc_.BeginChange(what);
    if (change()) {
        host_.Modified();
        host_.Redraw();
    }
    doc_.EndChange();
}

// ---------------------------------------------------------------------------
// Clipboard

void DocumentCommands::Copy() {
    if (!doc_.Net()) return;
    auto& clipboard = doc_.Workspace().clipboard;
    clipboard.clear();
    doc_.Net()->CopySelected(clipboard);
}

std::vector<TGraphItem*> DocumentCommands::Paste(bool ask) {
    std::vector<TGraphItem*> pasted;
    auto& clipboard = doc_.Workspace().clipboard;
    if (!doc_.Net() || clipboard.empty() || Refused()) return pasted;
    if (ask && doc_.simulationMode &&
        Platform().messages->Show(kPasteInSimulation, MsgKind::Confirmation, MsgButtons::YesNo) == MsgAnswer::Yes) {
        host_.LeaveSimulation();
    }
    Change("Paste", [&] {
        host_.SelectElement(nullptr);
        pasted = PasteClipboard(*doc_.Net(), clipboard);
        host_.SelectionChanged();
        host_.RefreshPropertyList();
        return !pasted.empty();
    });
    return pasted;
}

void DocumentCommands::PasteAt(TPoint topLeft) {
    if (!doc_.Net() || Refused()) return;
    doc_.BeginChange("Paste");
    const std::vector<TGraphItem*> pasted = Paste(false);
    if (!pasted.empty()) {
        MoveElementsTo(*doc_.Net(), pasted, topLeft);
        host_.FormResize();
        host_.Redraw();
    }
    doc_.EndChange();
}

void DocumentCommands::Duplicate() {
    if (!doc_.Net() || doc_.Net()->SelectedCount() == 0 || Refused()) return;
    doc_.BeginChange("Duplicate");
    Copy();
    Paste(false);
    doc_.EndChange();
}

void DocumentCommands::Delete() {
    TNetList* net = doc_.Net();
    if (!net || net->SelectedCount() == 0 || Refused()) return;
    if (doc_.simulationMode) {
        Platform().messages->Info(kDeleteInSimulation);
        host_.LeaveSimulation();
    }
    Change("Delete", [&] {
        host_.SelectElement(nullptr);
        if (!net->DeleteSelected()) return false;
        host_.SelectionChanged();
        host_.RefreshPropertyList();
        return true;
    });
}

void DocumentCommands::SelectAll() {
    if (!doc_.Net()) return;
    doc_.Net()->SelectAll();
    host_.SelectionChanged();
    host_.Redraw();
}

// ---------------------------------------------------------------------------
// Arrangement

void DocumentCommands::Align(Alignment a) {
    TNetList* net = doc_.Net();
    if (!net || !doc_.anchor || Refused()) return;
    if (net->SelectedCount() == 1) {
        Platform().messages->Info(kNothingToArrange);
        return;
    }
    Change("Align", [&] {
        net->AlignSelected(doc_.anchor, a);
        net->InvalidateAll();
        return true;
    });
}

void DocumentCommands::SetSizeClass(int sizeClass) {
    Change("Size", [&] {
        doc_.Net()->SetSizeClassOfSelected(sizeClass);
        host_.ReloadProperties();
        return true;
    });
}

void DocumentCommands::Turn(TPoint at) {
    auto* t = As<TTransition>(doc_.Root() ? doc_.Root()->FindElementAt(at) : nullptr, kind::Transition);
    if (!t) return;
    Change("Turn", [&] {
        t->SetOrientation(t->orientation ? 0 : 1);
        InvalidateArcsOf(*t);
        return true;
    });
}

void DocumentCommands::ToFront() {
    if (!doc_.current) return;
    Change("To Front", [&] {
        doc_.Net()->BringToFront(doc_.current);
        return true;
    });
}

void DocumentCommands::ToBack() {
    if (!doc_.current) return;
    Change("To Back", [&] {
        doc_.Net()->SendToBack(doc_.current);
        return true;
    });
}

void DocumentCommands::ArrangeLabel() {
    TGraphItem* e = doc_.current;
    if (!e) return;
    TSchriftObjekt* label = e->Kind() == kind::Arc ? e->valueLabel.get() : e->nameLabel.get();
    if (!label) return;
    Change(e->Kind() == kind::Arc ? "Arrange Weight" : "Arrange Name", [&] {
        label->userPositioned = 0;
        return true;
    });
}

// ---------------------------------------------------------------------------
// Arcs

void DocumentCommands::ChangeDirection() {
    auto* arc = As<TEdge>(doc_.current, kind::Arc);
    if (!arc) return;
    Change("Change Direction", [&] { return ReverseArc(*arc); });
}

void DocumentCommands::SetArcKind(std::uint8_t arcKind) {
    auto* arc = As<TEdge>(doc_.current, kind::Arc);
    if (!arc || arc->arcKind == arcKind) return;
    Change("Arc Type", [&] {
        arc->arcKind = arcKind;
        host_.ReloadProperties();
        return true;
    });
}

void DocumentCommands::DeleteAllPoints() {
    auto* arc = As<TEdge>(doc_.current, kind::Arc);
    if (!arc || arc->bendPoints.empty()) return;
    Change("Delete All Points", [&] {
        DeleteAllBendPoints(*arc);
        return true;
    });
}

void DocumentCommands::DeletePoint(std::size_t index) {
    auto* arc = As<TEdge>(doc_.current, kind::Arc);
    if (!arc || index >= arc->bendPoints.size()) return;
    Change("Delete Selected Point", [&] {
        DeleteBendPoint(*arc, index);
        return true;
    });
}

// ---------------------------------------------------------------------------
// Names

void DocumentCommands::NamePlaces() {
    Change("Name Places", [&] {
        doc_.Net()->NamePlacesAutomatically();
        host_.RefreshPropertyList();
        return true;
    });
}

void DocumentCommands::NameTransitions() {
    Change("Name Transitions", [&] {
        doc_.Net()->NameTransitionsAutomatically();
        host_.RefreshPropertyList();
        return true;
    });
}

void DocumentCommands::NameObjects() {
    Change("Name Objects", [&] {
        doc_.Net()->NamePlacesAutomatically();
        doc_.Net()->NameTransitionsAutomatically();
        host_.RefreshPropertyList();
        return true;
    });
}

// ---------------------------------------------------------------------------
// Frames

template <class F>
void DocumentCommands::ChangeFrame(const std::string& what, F change) {
    if (auto* frame = As<TObjectFrame>(doc_.current, kind::Frame)) {
        Change(what, [&] {
            change(*frame);
            return true;
        });
    }
}

void DocumentCommands::ChangeSide() {
    ChangeFrame("Change Side", [](TObjectFrame& f) { f.ToggleSideOfSelected(); });
}

void DocumentCommands::BringUp() {
    ChangeFrame("Bring Up", [](TObjectFrame& f) { f.MoveSelectedUp(); });
}

void DocumentCommands::BringDown() {
    ChangeFrame("Bring Down", [](TObjectFrame& f) { f.MoveSelectedDown(); });
}

void DocumentCommands::SetShowOnlyUsed(bool on) {
    ChangeFrame("Show Only Used Attributes", [on](TObjectFrame& f) { f.SetShowOnlyUsed(on ? 1 : 0); });
}

void DocumentCommands::SetInitialValue(const std::string& answer) {
    auto* frame = As<TObjectFrame>(doc_.current, kind::Frame);
    if (!frame) return;
    Change("Set Initial Value", [&] { return frame->SetSelectedValueFromText(answer); });
}

void DocumentCommands::InitSize() {
    ChangeFrame("Init Size", [](TObjectFrame& f) {
        f.InitSize();
        for (auto& ip : f.interfacePlaces) InvalidateArcsOf(*ip);
    });
}

// ---------------------------------------------------------------------------
// Classes dropped on the net

std::string DocumentCommands::DocumentClass() const {
    const TDocument& owner = doc_.Owner() ? *doc_.Owner() : doc_;
    return owner.Root() ? owner.Root()->name : std::string();
}

bool DocumentCommands::MayPlaceClass() const { return doc_.Root() && !doc_.simulationMode && doc_.MayEdit(); }

TPNObjekt* DocumentCommands::PlaceClass(const std::string& className, TPoint at) {
    TPNObjekt* target = doc_.Root();
    if (!target || className.empty() || Refused()) return nullptr;
    if (doc_.simulationMode) return nullptr;
    // The class the document is saved as may not end up inside itself: not
    // as itself, not as a class derived from it, and not inside a class
    // placed in the one dropped (which the library's index does not tell).
    const std::string documentClass = DocumentClass();
    if (WouldContainItself(documentClass, className, ObjectLibrary().hierarchy)) {
        Platform().messages->Error(ContainsItselfText(className));
        return nullptr;
    }
    doc_.BeginChange("Place Object");
    TPNObjekt* placed = target->AddChildObject(target->UniqueChildName(className), className, at.x, at.y);
    if (placed && UsesClass(*placed, documentClass)) {
        target->Net().Remove(&placed->Frame());
        placed = nullptr;
        Platform().messages->Error(ContainsItselfText(className));
    }
    if (placed) {
        host_.Modified();
        host_.RefreshPropertyList();
        host_.FormResize();
        host_.Redraw();
    }
    doc_.EndChange();
    return placed;
}

} // namespace qz::ui

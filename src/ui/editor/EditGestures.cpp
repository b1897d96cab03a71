#include "editor/EditGestures.h"

#include <algorithm>
#include <cmath>

#include "editor/Document.h"
#include "editor/PopupMenus.h"
#include "model/Connecting.h"
#include "model/ElementCreation.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"

namespace qz::ui {

namespace {

int Round(double v) { return static_cast<int>(std::nearbyint(std::clamp(v, -1e9, 1e9))); }

// A move by a mouse delta of `pixels` at scale s, in world units.
int WorldDelta(int pixels, double s) { return Round(pixels * s); }

int SnapDelta(int v, int g) { return g > 0 ? Round(double(v) / g) * g : v; }

TRect Normalised(TPoint a, TPoint b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

bool LabelSelected(const TGraphItem& e) {
    return (e.nameLabel && e.nameLabel->selected) || (e.valueLabel && e.valueLabel->selected);
}

// A quick move of this lone element moves it at once instead of an outline:
// labels, shapes, and elements whose own label is being dragged.
bool MovesDirectly(const TGraphItem& e) {
    switch (e.Kind()) {
    case kind::Label:
    case kind::Shape: return true;
    case kind::Arc:
    case kind::Place:
    case kind::Transition: return LabelSelected(e);
    default: return false;
    }
}

NewElementKind CreationKind(int t) {
    switch (t) {
    case tool::ContinuousPlace: return NewElementKind::ContinuousPlace;
    case tool::DiscreteTransition: return NewElementKind::DiscreteTransition;
    case tool::ContinuousTransition: return NewElementKind::ContinuousTransition;
    case tool::Label: return NewElementKind::Label;
    case tool::Shape: return NewElementKind::Shape;
    default: return NewElementKind::DiscretePlace;
    }
}

const char* CreationName(int t) {
    switch (t) {
    case tool::DiscretePlace:
    case tool::ContinuousPlace: return "New Place";
    case tool::DiscreteTransition:
    case tool::ContinuousTransition: return "New Transition";
    case tool::Label: return "New Label";
    default: return "New Graphical Object";
    }
}

} // namespace

EditGestures::EditGestures(TDocument& document, EditorHost& host) : doc_(document), host_(host) {}

TPoint EditGestures::LastWorld() const { return doc_.view.ScreenToWorld(last_.x, last_.y); }

void EditGestures::Reset() {
    state_ = State::Idle;
    bendArc_ = nullptr;
    connectSource_ = nullptr;
    popupBend_ = {};
    outlineShown_ = directMove_ = moved_ = false;
    if (changing_) {
        changing_ = false;
        doc_.EndChange();
    }
    SetOverlay({});
}

void EditGestures::SetOverlay(const Overlay& o) {
    if (overlay_ == o) return;
    overlay_ = o;
    host_.OverlayChanged();
}

TRect EditGestures::WorldToClient(const TRect& r) const {
    const double s = TViewState::Scale();
    const TPoint o = doc_.view.Origin();
    return {Round((r.left - o.x) / s), Round((r.top - o.y) / s), Round((r.right - o.x) / s),
            Round((r.bottom - o.y) / s)};
}

MovingDetail EditGestures::ModeOfThisDrag() const {
    const MovingDetail mode = Settings().movingDetail;
    if (mode != MovingDetail::Automatic) return mode;
    return doc_.Net()->SelectedCount() < 2 ? MovingDetail::Detail : MovingDetail::Quick;
}

// ---------------------------------------------------------------------------
// Press

void EditGestures::Press(MouseButton button, const PointerEvent& e) {
    if (!doc_.Net() || state_ != State::Idle) return;
    if (button == MouseButton::Right) {
        PressRight(e);
        return;
    }
    if (button != MouseButton::Left) return;
    const bool editingTool = tool_ == tool::Select || tool_ == tool::Arcs || tool_ == tool::Token;
    if (editingTool && doc_.MayEdit()) {
        PressLeft(e);
        return;
    }
    // A window that may not change its net says so where the user tries.
    if ((editingTool || tool::Creates(tool_)) && !doc_.MayEdit()) host_.SetStatusText(doc_.RefusalText());
    last_ = press_ = {e.x, e.y};
    switch (tool_) {
    case tool::ZoomIn:
    case tool::ZoomOut: host_.ZoomAt(tool_ == tool::ZoomIn, e.x, e.y); break;
    case tool::Hand:
    case tool::ZoomArea:
        doc_.Net()->DeselectAll();
        host_.Redraw();
        state_ = State::RubberBand;
        break;
    default: break;
    }
}

void EditGestures::PressLeft(const PointerEvent& e) {
    TNetList& net = *doc_.Net();
    firstMove_ = true;
    offsetX_ = offsetY_ = 0;
    const TPoint world = doc_.view.ScreenToWorld(e.x, e.y);
    if (TGraphItem* hit = doc_.Root()->FindElementAt(world)) {
        PressOnElement(hit, e, world);
        return;
    }
    if (host_.ResizeFrameOpen()) {
        host_.CommitResizeFrame();
        if (TGraphItem* current = host_.CurrentElement()) net.SetSelected(current, false);
        host_.SelectElement(nullptr);
        return;
    }
    if (host_.TextEditorOpen()) {
        host_.CloseTextEditor();
        return;
    }
    net.DeselectAll();
    host_.ClearProperties();
    host_.SelectElement(nullptr);
    host_.Redraw();
    state_ = State::RubberBand;
    last_ = press_ = {e.x, e.y};
}

void EditGestures::PressOnElement(TGraphItem* hit, const PointerEvent& e, TPoint world) {
    TNetList& net = *doc_.Net();
    if (host_.TextEditorOpen() || host_.ResizeFrameOpen()) return;
    if (e.shift) {
        // The element goes in or out of the selection; picked, it is the
        // current element.
        net.SetSelected(hit, !hit->selected);
        if (hit->selected) {
            host_.SelectElement(hit);
        } else {
            host_.SetCurrentElement(nullptr);
        }
        host_.SelectionChanged();
        host_.Redraw();
        return;
    }
    if (e.alt || ConnectFlag()) {
        if (hit->Kind() == kind::Arc) return;
        connectSource_ = hit;
        host_.SelectElement(hit);
        state_ = State::Connect;
        last_ = press_ = {e.x, e.y};
        return;
    }
    const bool tokenTool = tool_ == tool::Token && hit->Kind() == kind::Place;
    if (hit->selected) {
        if (hit->Kind() == kind::Arc && net.SelectedCount() == 1) {
            const BendHit bend = HitBendPoint(*static_cast<TEdge*>(hit), world);
            if (bend.Hit()) StartBendDrag(static_cast<TEdge*>(hit), bend);
        }
        if (tokenTool) AddToken(hit);
    } else {
        if (tokenTool) AddToken(hit);
        if (hit->Kind() == kind::Label) host_.SetCurrentElement(hit);
        net.DeselectAll();
    }
    if (state_ != State::BendDrag) state_ = State::Dragging;
    moved_ = false;
    host_.SelectElement(hit);
    // A drag never makes a grid-aligned element jump.
    net.AnchorSelectedDragPositions();
    host_.Redraw();
    last_ = press_ = {e.x, e.y};
}

void EditGestures::AddToken(TGraphItem* place) {
    const bool simulating = doc_.simulationMode;
    if (!simulating) doc_.BeginChange("Whole Token");
    AddWholeToken(*static_cast<TPlatz*>(place), simulating);
    host_.ShowValues();
    host_.Redraw();
    if (!simulating) {
        host_.Modified();
        doc_.EndChange();
    }
    host_.RefreshPropertyList();
}

void EditGestures::StartBendDrag(TEdge* arc, const BendHit& bend) {
    state_ = State::BendDrag;
    bendArc_ = arc;
    insertPending_ = bend.kind == BendHit::Kind::Segment;
    bendIndex_ = insertPending_ ? std::size_t(bend.segment - 1) : bend.point;
    bendLast_ = insertPending_ ? TPoint{INT32_MIN, INT32_MIN} : arc->bendPoints[bend.point];
    // The arc's points no longer follow the selection when it is moved.
    arc->groupMark = 0;
}

void EditGestures::PressRight(const PointerEvent& e) {
    host_.ChooseSelectTool();
    last_ = press_ = popupPixel_ = {e.x, e.y};
    popupWorld_ = doc_.view.ScreenToWorld(e.x, e.y);
    popupBend_ = {};
    if (host_.TextEditorOpen() || host_.ResizeFrameOpen()) return;
    TNetList& net = *doc_.Net();
    TGraphItem* hit = doc_.Root()->FindElementAt(popupWorld_);
    if (hit && !hit->selected) {
        net.DeselectAll();
        host_.SelectElement(hit);
        host_.Redraw();
    } else if (hit) {
        host_.SelectElement(hit);
    } else {
        net.DeselectAll();
        host_.SelectElement(nullptr);
        host_.Redraw();
    }
    if (hit && hit->Kind() == kind::Arc) popupBend_ = HitBendPoint(*static_cast<TEdge*>(hit), popupWorld_);
    host_.ShowPopup(ChoosePopup(hit, popupBend_, doc_.simulationMode), e.x, e.y);
}

// ---------------------------------------------------------------------------
// Move

void EditGestures::Move(const PointerEvent& e) {
    const TPoint at{e.x, e.y};
    switch (state_) {
    case State::BendDrag: {
        TPoint p = doc_.view.ScreenToWorld(e.x, e.y);
        if (Settings().alignToGrid) p = SnapToGrid(p, Settings().gridSize);
        MoveBendPoint(p);
        break;
    }
    case State::Dragging:
        if (at != last_) DragSelection(e);
        break;
    case State::Connect: {
        SetOverlay({Overlay::Kind::Line, press_.x, press_.y, e.x, e.y});
        // A frame under the mouse shows which interface place it offers.
        const TPoint w = doc_.view.ScreenToWorld(e.x, e.y);
        if (TGraphItem* over = doc_.Root()->FindElementAt(w); over && over->Kind() == kind::Frame) host_.Redraw();
        break;
    }
    case State::RubberBand:
        SetOverlay({tool_ == tool::Hand ? Overlay::Kind::Line : Overlay::Kind::Rectangle, press_.x, press_.y, e.x,
                    e.y});
        break;
    case State::Idle: break;
    }
    last_ = at;
}

void EditGestures::MoveBendPoint(TPoint p) {
    if (p == bendLast_ || !bendArc_) return;
    if (!changing_) {
        changing_ = true;
        doc_.BeginChange(insertPending_ ? "Insert Point" : "Move Point");
    }
    moved_ = true;
    if (insertPending_) {
        InsertBendPoint(*bendArc_, bendIndex_, p);
        insertPending_ = false;
    } else {
        bendArc_->SetBendPoint(bendIndex_, p.x, p.y, bendArc_->window);
    }
    bendLast_ = p;
    host_.Redraw();
}

void EditGestures::DragSelection(const PointerEvent& e) {
    TNetList& net = *doc_.Net();
    const double s = TViewState::Scale();
    if (!changing_) {
        changing_ = true;
        doc_.BeginChange("Move");
    }
    moved_ = true;
    const int stepX = WorldDelta(e.x - last_.x, s), stepY = WorldDelta(e.y - last_.y, s);
    if (ModeOfThisDrag() == MovingDetail::Detail) {
        firstMove_ = false;
        net.MoveSelected(stepX, stepY);
        host_.Redraw();
        return;
    }
    if (firstMove_) {
        firstMove_ = false;
        directMove_ = false;
        if (net.SelectedCount() == 1) {
            for (TGraphItem* el : net.Elements()) {
                if (el->selected) directMove_ = MovesDirectly(*el);
            }
        }
        if (!directMove_) {
            outline_ = net.BoundsOfSelection();
            outlineShown_ = true;
            const TRect r = WorldToClient(outline_);
            SetOverlay({Overlay::Kind::Rectangle, r.left, r.top, r.right, r.bottom});
            return;
        }
    }
    if (directMove_) {
        net.MoveSelected(stepX, stepY);
        host_.Redraw();
        return;
    }
    int dx = WorldDelta(e.x - press_.x, s), dy = WorldDelta(e.y - press_.y, s);
    if (Settings().alignToGrid) {
        dx = SnapDelta(dx, Settings().gridSize);
        dy = SnapDelta(dy, Settings().gridSize);
        if (dx == offsetX_ && dy == offsetY_) return;
    }
    offsetX_ = dx;
    offsetY_ = dy;
    const TRect r = WorldToClient(outline_.Offset(dx, dy));
    SetOverlay({Overlay::Kind::Rectangle, r.left, r.top, r.right, r.bottom});
}

// ---------------------------------------------------------------------------
// Release

void EditGestures::Release(MouseButton button, const PointerEvent& e) {
    last_ = {e.x, e.y};
    const State state = state_;
    state_ = State::Idle;
    firstMove_ = true;
    switch (state) {
    case State::Dragging:
    case State::BendDrag: ReleaseDrag(); break;
    case State::RubberBand: ReleaseRubberBand(e); break;
    case State::Connect: ReleaseConnect(e); break;
    case State::Idle:
        if (button == MouseButton::Left && doc_.MayEdit() && tool::Creates(tool_) && doc_.Net()) Create(e);
        break;
    }
    bendArc_ = nullptr;
    connectSource_ = nullptr;
}

void EditGestures::ReleaseDrag() {
    TNetList& net = *doc_.Net();
    SetOverlay({});
    outlineShown_ = false;
    if (offsetX_ != 0 || offsetY_ != 0) {
        net.MoveSelected(offsetX_, offsetY_);
        offsetX_ = offsetY_ = 0;
    }
    if (moved_) host_.Modified();
    if (!host_.CurrentElement()) host_.FormResize();
    host_.Redraw();
    if (changing_) {
        changing_ = false;
        doc_.EndChange();
    }
    moved_ = directMove_ = false;
}

void EditGestures::ReleaseRubberBand(const PointerEvent& e) {
    SetOverlay({});
    const TRect pixels = Normalised(press_, {e.x, e.y});
    if (tool_ == tool::ZoomArea) {
        host_.ZoomArea({press_.x, press_.y, e.x, e.y});
        return;
    }
    if (tool_ == tool::Hand) {
        host_.Hand(press_.x, press_.y, e.x, e.y);
        return;
    }
    const TPoint a = doc_.view.ScreenToWorld(pixels.left, pixels.top);
    const TPoint b = doc_.view.ScreenToWorld(pixels.right, pixels.bottom);
    host_.SelectElement(nullptr);
    doc_.Net()->SelectInRect({a.x, a.y, b.x, b.y});
    host_.SelectionChanged();
    host_.Redraw();
}

void EditGestures::ReleaseConnect(const PointerEvent& e) {
    SetOverlay({});
    TGraphItem* source = connectSource_;
    TGraphItem* target = doc_.Root()->FindElementAt(doc_.view.ScreenToWorld(e.x, e.y));
    host_.Redraw();
    if (!source || !target) return;
    doc_.BeginChange("New Arc");
    if (ConnectElements(*doc_.Net(), source, target, doc_.Root()->enhancedFiringRule != 0)) {
        host_.SelectElement(nullptr);
        host_.RefreshPropertyList();
        host_.Modified();
    }
    doc_.EndChange();
    host_.Redraw();
}

void EditGestures::Create(const PointerEvent& e) {
    const TPoint click = doc_.view.ScreenToWorld(e.x, e.y);
    const TPoint gridPoint = doc_.view.ScreenToWorld(e.x + 15, e.y + 15);
    const NewElementKind what = CreationKind(tool_);
    const TPoint corner =
        NewElementCorner(what, click, gridPoint, Settings().alignToGrid, Settings().gridSize);
    doc_.BeginChange(CreationName(tool_));
    CreateElement(*doc_.Net(), what, corner, doc_.ShowValues());
    host_.Redraw();
    host_.RefreshPropertyList();
    host_.Modified();
    doc_.EndChange();
    // The label and shape tools are used once.
    if (tool_ == tool::Label || tool_ == tool::Shape) host_.ChooseSelectTool();
}

} // namespace qz::ui

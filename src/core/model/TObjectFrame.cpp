#include "model/TObjectFrame.h"

#include <algorithm>

#include "common/NumberFormat.h"

#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"

namespace qz {

TObjectFrame::TObjectFrame(TPNObjekt* obj) : TGraphItem(kind::Frame, false), object(obj) {
    bounds = {0, 0, 120, 90};
    hit = bounds;
    ++LiveInstances().frames;
    LayoutInterface();
}

TObjectFrame::~TObjectFrame() { --LiveInstances().frames; }

void TObjectFrame::SetBounds(const TRect& r) {
    TGraphItem::SetBounds(r);
    LayoutInterface();
}

void TObjectFrame::SetCanvas(Canvas* c) {
    canvas = c;
    for (auto& ip : interfacePlaces) ip->SetCanvas(c);
}

void TObjectFrame::SetSelected(bool on) {
    selected = on ? 1 : 0;
    if (!on) hovered = nullptr;
    if (shown) {
        Invalidate(window);
        Draw();
    }
}

void TObjectFrame::SetShown(bool on) {
    shown = on ? 1 : 0;
    for (auto& ip : interfacePlaces) ip->SetShown(on);
}

void TObjectFrame::ReleaseArcs(TInterfacePlace& ip) {
    if (ip.InEdgeList.empty() && ip.OutEdgeList.empty()) return;
    if (owner) owner->Net().RemoveArcsOfInterfacePlace(ip);
}

namespace {

// Hands the arcs of an interface place over to its replacement.
void MoveArcs(TInterfacePlace& from, TInterfacePlace& to) {
    for (TEdge* a : from.InEdgeList) {
        if (a->interfaceTarget == &from) a->interfaceTarget = &to;
        if (a->target == &from) a->target = &to;
        a->geometryValid = 0;
        to.InEdgeList.push_back(a);
    }
    for (TEdge* a : from.OutEdgeList) {
        if (a->interfaceSource == &from) a->interfaceSource = &to;
        if (a->source == &from) a->source = &to;
        a->geometryValid = 0;
        to.OutEdgeList.push_back(a);
    }
    from.InEdgeList.clear();
    from.OutEdgeList.clear();
}

} // namespace

void TObjectFrame::RebuildInterface() {
    // Arcs of the parent net at the old interface places go over to the new
    // interface place of the same inner place; the others are removed.
    std::vector<std::unique_ptr<TInterfacePlace>> old = std::move(interfacePlaces);
    interfacePlaces.clear();
    hovered = nullptr;
    if (object) {
        TNetList& net = object->Net();
        for (TGraphItem* e : net.Elements()) {
            if (e->Kind() != kind::Place) continue;
            auto* p = static_cast<TPlatz*>(e);
            if (!p->interfaceFlag) continue;
            auto ip = std::make_unique<TInterfacePlace>(this, p);
            ip->SetCanvas(canvas);
            ip->SetShown(shown);
            ip->SetSizeClass(interfaceSizeClass);
            interfacePlaces.push_back(std::move(ip));
        }
        if (TPNObjekt* base = object->Base()) {
            for (auto& baseIp : base->Frame().interfacePlaces) {
                auto ip = std::make_unique<TInterfacePlace>(this, baseIp->innerPlace);
                ip->SetCanvas(canvas);
                ip->SetShown(shown);
                ip->SetSizeClass(interfaceSizeClass);
                ip->inherited = 1;
                interfacePlaces.push_back(std::move(ip));
            }
        }
    }
    for (auto& before : old) {
        TInterfacePlace* after = FindInterfacePlaceOf(before->innerPlace);
        if (after) {
            MoveArcs(*before, *after);
        } else {
            ReleaseArcs(*before);
        }
    }
    old.clear();
    Relayout();
}

void TObjectFrame::DropInheritedInterfacePlaces() {
    hovered = nullptr;
    for (auto& ip : interfacePlaces) {
        if (ip->inherited) ReleaseArcs(*ip);
    }
    std::erase_if(interfacePlaces, [](const auto& ip) { return ip->inherited != 0; });
    LayoutInterface();
}

TInterfacePlace* TObjectFrame::FindInterfacePlaceOf(const TPlatz* inner) const {
    for (const auto& ip : interfacePlaces) {
        if (ip->innerPlace == inner) return ip.get();
    }
    return nullptr;
}

void TObjectFrame::LayoutInterface() {
    const TRect& b = bounds;
    const int w = stripWidth;
    const int s = kInterfaceSides[interfaceSizeClass];
    const int m = (b.bottom - b.top) / 8;
    topMargin = m;
    leftStrip = {b.left, b.top + 20 + m, b.left + w, b.bottom - m};
    rightStrip = {b.right - w, b.top + 20 + m, b.right, b.bottom - m};
    int kL = 0, kR = 0;
    for (auto& ip : interfacePlaces) {
        // Arcs at interface places follow them to their new slots.
        for (TEdge* e : ip->InEdgeList) e->geometryValid = 0;
        for (TEdge* e : ip->OutEdgeList) e->geometryValid = 0;
        const bool used = !ip->InEdgeList.empty() || !ip->OutEdgeList.empty();
        if (showOnlyUsed && !used) {
            ip->visible = 0;
            continue;
        }
        ip->visible = 1;
        if (ip->side == 1) {
            ip->PlaceAt(rightStrip.left + (w - s) / 2, rightStrip.top + 3 + (s + 1) * kR);
            ++kR;
        } else {
            ip->PlaceAt(leftStrip.left + (w - s) / 2, leftStrip.top + 3 + (s + 1) * kL);
            ++kL;
        }
    }
    minimumBottom = b.top + 20 + 2 * m + std::max(kL, kR) * (s + 3);
}

void TObjectFrame::Relayout() {
    LayoutInterface();
    if (shown) {
        Invalidate(window);
        Draw();
    }
}

void TObjectFrame::SetInterfaceSizeClass(int c) {
    if (c < 0 || c > 4) return;
    interfaceSizeClass = static_cast<std::uint8_t>(c);
    stripWidth = kFrameStripWidths[c];
    cornerRadius = kFrameCornerRadii[c];
    for (auto& ip : interfacePlaces) ip->SetSizeClass(c);
    LayoutInterface();
    // The margins grow with the frame, so one step to the minimum bottom may
    // still leave the last places off their strip: grow until they fit.
    while (bounds.bottom < minimumBottom) {
        bounds.bottom = minimumBottom + 4;
        hit = bounds;
        LayoutInterface();
    }
}

void TObjectFrame::SetShowOnlyUsed(std::uint8_t on) {
    showOnlyUsed = on ? 1 : 0;
    Relayout();
}

void TObjectFrame::SetShowValues(std::uint8_t on) {
    showValues = on ? 1 : 0;
    for (auto& ip : interfacePlaces) ip->showValue = showValues;
}

void TObjectFrame::AddOrRemoveInterfacePlace(TPlatz* place, bool on) {
    auto it = std::find_if(interfacePlaces.begin(), interfacePlaces.end(),
                           [place](const auto& ip) { return ip->innerPlace == place; });
    if (it == interfacePlaces.end() && on) {
        auto ip = std::make_unique<TInterfacePlace>(this, place);
        ip->SetCanvas(canvas);
        ip->SetShown(shown);
        ip->SetSizeClass(interfaceSizeClass);
        interfacePlaces.push_back(std::move(ip));
    } else if (it != interfacePlaces.end() && !on) {
        if (hovered == it->get()) hovered = nullptr;
        // Arcs of the parent net must not outlive the interface place.
        ReleaseArcs(**it);
        interfacePlaces.erase(it);
    }
    Relayout();
}

void TObjectFrame::ToggleSideOfSelected() {
    for (auto& ip : interfacePlaces) {
        if (ip->selected) ip->side = ip->side ? 0 : 1;
    }
    Relayout();
}

void TObjectFrame::MoveSelectedUp() {
    for (std::size_t i = 0; i < interfacePlaces.size(); ++i) {
        if (!interfacePlaces[i]->selected) continue;
        if (i > 0) std::swap(interfacePlaces[i], interfacePlaces[i - 1]);
        break;
    }
    Relayout();
}

void TObjectFrame::MoveSelectedDown() {
    for (std::size_t i = 0; i < interfacePlaces.size(); ++i) {
        if (!interfacePlaces[i]->selected) continue;
        if (i + 1 < interfacePlaces.size()) std::swap(interfacePlaces[i], interfacePlaces[i + 1]);
        break;
    }
    Relayout();
}

TInterfacePlace* TObjectFrame::FirstSelectedInterfacePlace() const {
    for (const auto& ip : interfacePlaces) {
        if (ip->selected) return ip.get();
    }
    return nullptr;
}

std::string TObjectFrame::SelectedValueText() const {
    const TInterfacePlace* ip = FirstSelectedInterfacePlace();
    return ip ? num::FormatGeneral(ip->Value(), 15) : std::string();
}

bool TObjectFrame::SetSelectedValueFromText(const std::string& answer) {
    TInterfacePlace* ip = FirstSelectedInterfacePlace();
    if (!ip || answer.empty()) return false;
    const std::optional<long double> v = num::ParseNumber(answer);
    if (!v) return false;
    ip->SetValue(*v);
    if (shown) ip->Invalidate(window);
    return true;
}

void TObjectFrame::SetCaption(const std::string& n) {
    caption = n;
    if (shown) {
        Invalidate(window);
        Draw();
    }
}

TInterfacePlace* TObjectFrame::FindInterfacePlace(const std::string& variableName) const {
    for (const auto& ip : interfacePlaces) {
        if (ip->innerPlace && ip->innerPlace->variableName == variableName) return ip.get();
    }
    return nullptr;
}

void TObjectFrame::InitSize() {
    if (shown) Invalidate(window);
    SetBounds({bounds.left, bounds.top, bounds.left + 100, bounds.top + 100});
    if (shown) Invalidate(window);
}

TRect TObjectFrame::GripRect() const {
    const int w = stripWidth;
    return {bounds.right - w / 2 - 15, bounds.bottom - 15, bounds.right - w / 2 - 3, bounds.bottom - 3};
}

bool TObjectFrame::HitTest(TPoint p) {
    const bool inFrame = bounds.Contains(p);
    gripHit = GripRect().Contains(p) ? 1 : 0;
    hovered = nullptr;
    for (auto& ip : interfacePlaces) {
        if (ip->HitTest(p)) hovered = ip.get();
    }
    return inFrame;
}

bool TObjectFrame::MoveBy(int dx, int dy, Window* w) {
    if (gripHit) {
        TRect r = bounds;
        const int newWidth = r.Width() + dx;
        if (dx > 0 || (dx < 0 && newWidth > 4 * stripWidth)) r.right += dx;
        const int newBottom = r.bottom + dy;
        if (dy > 0 || (dy < 0 && newBottom > minimumBottom)) r.bottom = newBottom;
        if (r == bounds) return false;
        if (shown) Invalidate(w);
        TGraphItem::SetBounds(r);
        LayoutInterface();
        if (shown) Invalidate(w);
        return true;
    }
    if (shown) Invalidate(w);
    bounds = bounds.Offset(dx, dy);
    hit = bounds;
    LayoutInterface();
    for (auto& ip : interfacePlaces) {
        for (TEdge* e : ip->InEdgeList) e->geometryValid = 0;
        for (TEdge* e : ip->OutEdgeList) e->geometryValid = 0;
    }
    if (shown) Invalidate(w);
    return true;
}

void TObjectFrame::Invalidate(Window* w) {
    InvalidateWorld(w, {bounds.left - 200, bounds.top - 2, bounds.right + 200, bounds.bottom + 2});
}

} // namespace qz

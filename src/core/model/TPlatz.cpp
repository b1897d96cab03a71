#include "model/TPlatz.h"

#include <cmath>

#include "diagrams/Oscilloscope.h"
#include "model/LabelPlacement.h"
#include "model/TEdge.h"
#include "model/TObjectFrame.h"
#include "model/TPNObjekt.h"
#include "model/TSchriftObjekt.h"

namespace qz {

TPlatz::TPlatz() : TGraphItem(kind::Place, true) {
    nameLabel->SetText(name);
    valueLabel->visible = 0;
    ++LiveInstances().places;
}

TPlatz::~TPlatz() {
    ResetFusion();
    if (interfaceFlag) SetInterfaceFlag(0);
    if (shown) Invalidate(window);
    --LiveInstances().places;
}

void TPlatz::SetName(const std::string& n) {
    name = n;
    nameLabel->SetText(n);
}

void TPlatz::SetMarking(double v) {
    if (continuous == 0) v = std::nearbyint(v); // half to even
    const double whole = std::trunc(v);
    if (std::fabs(static_cast<long double>(v) - whole) < 1e-9L) v = whole;
    markingOwner->marking_ = v;
    markingOwner->nextMarking_ = v;
    markingWrites.fetch_add(1, std::memory_order_relaxed);
}

void TPlatz::SetInterfaceFlag(std::uint8_t on) {
    interfaceFlag = on ? 1 : 0;
    if (owner) owner->SetInterfacePlace(this, on != 0);
}

void TPlatz::SetSizeClass(int c) {
    if (c < 0 || c > 4) return;
    sizeClass = static_cast<std::uint8_t>(c);
    diameter = kPlaceDiameters[c];
    const TPoint centre = GetCenter();
    const int h = diameter / 2;
    const TRect r{centre.x - h, centre.y - h, centre.x + h, centre.y + h};
    bounds = r;
    hit = r;
}

void TPlatz::FuseTo(TPlatz* source) {
    if (source == this) return;
    // A source whose chain leads back here would close a ring: it then
    // starts a chain of its own, as a fresh source does.
    for (TPlatz* p = source; p; p = (p->link == p) ? nullptr : p->link) {
        if (p == this) {
            source->ResetFusion();
            break;
        }
    }
    link = source;
    markingOwner = source;
}

void TPlatz::ResetFusion() {
    link = this;
    markingOwner = this;
    rootFlag = 1;
}

void TPlatz::ResolveFusion() {
    // A corrupt ring of links (only a damaged file can make one) must not
    // hang here: such a place keeps its own marking.
    constexpr int kMaxChain = 1 << 20;
    TPlatz* p = this;
    int steps = 0;
    while (p->link != p) {
        p = p->link;
        if (++steps > kMaxChain || p == this) {
            ResetFusion();
            return;
        }
    }
    markingOwner = p;
    rootFlag = p == this ? 1 : 0;
}

std::unique_ptr<TGraphItem> TPlatz::Copy(int dx, int dy) const {
    auto c = std::make_unique<TPlatz>();
    c->SetName(name);
    c->variableName = variableName;
    c->continuous = continuous;
    c->SetSizeClass(sizeClass);
    c->SetInitialMarking(InitialMarking());
    c->SetMarking(Marking());
    c->capacity = capacity;
    c->showValues = showValues;
    c->bounds = bounds.Offset(dx, dy);
    c->hit = hit.Offset(dx, dy);
    return c;
}

int TPlatz::IncomingFusionArcs() const {
    int n = 0;
    for (const TEdge* e : InEdgeList) {
        if (e->connectionKind == ConnectionKind::InterfaceToPlace) ++n;
    }
    return n;
}

bool TPlatz::MoveBy(int dx, int dy, Window* w) {
    if (DragSelectedLabel(*nameLabel, dx, dy, w, shown)) return false;
    if (shown) Invalidate(w);
    const TRect oldHit = hit;
    TPoint c;
    switch (MoveDragPosition(dx, dy, diameter / 2.0, diameter / 2.0, c)) {
    case GridMove::Stay:
        return false;
    case GridMove::Snapped: {
        const int half = diameter / 2;
        hit = {c.x - half, c.y - half, c.x - half + diameter, c.y - half + diameter};
        break;
    }
    case GridMove::Free:
        break;
    }
    if (!KeepLabelOffset(*nameLabel, hit.left - oldHit.left, hit.top - oldHit.top)) {
        PositionPlaceNameLabel(*nameLabel, hit);
    }
    if (shown) Invalidate(w);
    return true;
}

void TPlatz::Invalidate(Window* w) {
    if (!shown) ReportInvalidInvalidate("TPlatz");
    InvalidateWorld(w, hit);
    if (nameLabel->visible) InvalidateWorld(w, nameLabel->hit);
}

void TPlatz::SetDiagram(std::unique_ptr<Oscilloscope> o) {
    oscilloscope_ = std::move(o);
    diagramChanges.fetch_add(1, std::memory_order_relaxed);
}

std::unique_ptr<Oscilloscope> TPlatz::TakeDiagram() {
    if (oscilloscope_) diagramChanges.fetch_add(1, std::memory_order_relaxed);
    return std::move(oscilloscope_);
}

void TPlatz::UpdateOscilloscopeCaption() {
    if (oscilloscope_) oscilloscope_->SetCaptions("Place: " + name, variableName, continuous ? 0 : 1);
}

void TPlatz::DetachOscilloscope(const Oscilloscope* o) {
    if (oscilloscope_.get() != o) return;
    (void)oscilloscope_.release(); // its owner is destroying it
    diagramChanges.fetch_add(1, std::memory_order_relaxed);
}

} // namespace qz

#include "model/TEdge.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/NumberFormat.h"
#include "formula/FormulaText.h"
#include "formula/Parser.h"
#include "model/LabelPlacement.h"
#include "model/TInterfacePlace.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "settings/ProgramSettings.h"

namespace qz {

TEdge::TEdge(TVariableTable* variables)
    : TGraphItem(kind::Arc, true), parser(std::make_unique<TParser>()) {
    parser->SetVariables(variables);
    nameLabel->visible = 0;
    valueLabel->visible = 0;
    valueLabel->SetText(weightText);
    ++LiveInstances().arcs;
}

TEdge::~TEdge() {
    parser->SetVariables(nullptr);
    --LiveInstances().arcs;
}

void TEdge::BindVariables(TVariableTable* variables) { parser->SetVariables(variables); }

std::unique_ptr<TGraphItem> TEdge::Copy(int dx, int dy) const {
    auto c = std::make_unique<TEdge>(owner ? &owner->Variables() : nullptr);
    c->SetWeightText(weightText);
    c->valueLabel->visible = valueLabel->visible;
    c->arcKind = arcKind;
    c->groupMark = 1;
    for (const TPunkt& p : bendPoints) c->bendPoints.push_back({p.x + dx, p.y + dy});
    return c;
}

void TEdge::SetWeightText(const std::string& text) {
    if (text != weightText) valueLabel->visible = 1;
    weightText = text;
    std::optional<long double> n = num::ParseNumber(text);
    if (!n) {
        const std::size_t dot = text.find('.');
        if (dot != std::string::npos) {
            std::string retry = text;
            retry[dot] = num::kDecimalSeparator;
            n = num::ParseNumber(retry);
        }
    }
    if (n) {
        weight = *n;
        isExpression = 0;
    } else {
        weight = 0;
        isExpression = 1;
        weightText = FormulaTextOf(weightText);
    }
    valueLabel->SetText(weightText);
}

void TEdge::SetBendPoint(std::size_t index, int x, int y, Window* w) {
    if (index >= bendPoints.size()) return;
    if (shown) Invalidate(w);
    bendPoints[index] = {x, y};
    geometryValid = 0;
    ComputeGeometry();
    if (shown) Invalidate(w);
}

TGraphItem* TEdge::DrawnSource() const {
    if (connectionKind == ConnectionKind::InterfaceToTransition && interfaceSource) return interfaceSource;
    return source;
}

TGraphItem* TEdge::DrawnTarget() const {
    if (connectionKind == ConnectionKind::TransitionToInterface && interfaceTarget) return interfaceTarget;
    return target;
}

namespace {

TInterfacePlace* AsInterfacePlace(TGraphItem* e) {
    return e && e->Kind() == kind::InterfacePlace ? static_cast<TInterfacePlace*>(e) : nullptr;
}

} // namespace

TInterfacePlace* TEdge::SourceInterfacePlace() const { return AsInterfacePlace(DrawnSource()); }
TInterfacePlace* TEdge::TargetInterfacePlace() const { return AsInterfacePlace(DrawnTarget()); }

bool TEdge::FromPlace() const { return source && source->Kind() == kind::Place; }

TPlatz* TEdge::PlaceEnd() const {
    if (IsFusion(connectionKind)) return nullptr;
    if (source && source->Kind() == kind::Place) return static_cast<TPlatz*>(source);
    if (target && target->Kind() == kind::Place) return static_cast<TPlatz*>(target);
    return nullptr;
}

TTransition* TEdge::TransitionEnd() const {
    if (source && source->Kind() == kind::Transition) return static_cast<TTransition*>(source);
    if (target && target->Kind() == kind::Transition) return static_cast<TTransition*>(target);
    return nullptr;
}

namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;

int Trunc(double v) { return static_cast<int>(std::trunc(v)); }

// Diameter used to move an end from the centre onto the element's outline.
double EndDiameter(const TGraphItem* e, ConnectionKind connection) {
    if (IsFusion(connection)) return e->hit.Height();
    if (e->Kind() == kind::InterfacePlace) return static_cast<const TInterfacePlace*>(e)->sideLength;
    if (e->Kind() == kind::Place) return static_cast<const TPlatz*>(e)->diameter;
    return e->hit.Height();
}

// The point where a segment with angle phiDeg leaves (start) or meets (end)
// a transition bar.
TPoint BarPoint(const TTransition& t, double phiDeg, bool atEnd) {
    const TPoint c = t.GetCenter();
    const double w = t.orientation ? t.longSide : t.shortSide;
    const double h = t.orientation ? t.shortSide : t.longSide;
    const double alpha = std::atan(h / w) * kDegrees;
    const double tanPhi = std::tan(phiDeg / kDegrees);
    // Edge 0 right, 1 top, 2 left, 3 bottom.
    int edge;
    if (phiDeg >= -alpha && phiDeg < alpha) {
        edge = atEnd ? 2 : 0;
    } else if (phiDeg >= alpha && phiDeg < 180 - alpha) {
        edge = atEnd ? 3 : 1;
    } else if (phiDeg >= 180 - alpha || phiDeg < alpha - 180) {
        edge = atEnd ? 0 : 2;
    } else {
        edge = atEnd ? 1 : 3;
    }
    switch (edge) {
    case 0: return {Trunc(c.x + w / 2), Trunc(c.y - tanPhi * w / 2)};
    case 1: return {Trunc(c.x + (h / 2) / tanPhi), Trunc(c.y - h / 2)};
    case 2: return {Trunc(c.x - w / 2), Trunc(c.y + tanPhi * w / 2)};
    default: return {Trunc(c.x - (h / 2) / tanPhi), Trunc(c.y + h / 2)};
    }
}

} // namespace

void TEdge::ComputeGeometry() {
    TGraphItem* from = DrawnSource();
    TGraphItem* to = DrawnTarget();
    if (!from || !to) return;
    const TPoint a = from->GetCenter();
    const TPoint b = to->GetCenter();
    const TPoint firstTo = bendPoints.empty() ? b : bendPoints.front();
    const TPoint lastFrom = bendPoints.empty() ? a : bendPoints.back();
    const double phiS = std::atan2(double(a.y) - firstTo.y, double(firstTo.x) - a.x);
    const double phiE = std::atan2(double(lastFrom.y) - b.y, double(b.x) - lastFrom.x);
    firstAngle = phiS;
    lastAngle = phiE;
    lastAngleDegrees = phiE * kDegrees;

    if (from->Kind() == kind::Transition) {
        startPoint = BarPoint(*static_cast<TTransition*>(from), phiS * kDegrees, false);
    } else {
        const double d = EndDiameter(from, connectionKind);
        startPoint = {Trunc(a.x + std::cos(phiS) * d / 2), Trunc(a.y - std::sin(phiS) * d / 2)};
    }
    if (to->Kind() == kind::Transition) {
        endPoint = BarPoint(*static_cast<TTransition*>(to), phiE * kDegrees, true);
    } else {
        const double d = EndDiameter(to, connectionKind);
        endPoint = {Trunc(b.x - std::cos(phiE) * d / 2), Trunc(b.y + std::sin(phiE) * d / 2)};
    }
    const TTransition* t = TransitionEnd();
    continuous = t ? t->continuous : 0;
    geometryValid = 1;
}

TPoint TEdge::StartPoint() {
    if (!geometryValid) ComputeGeometry();
    return startPoint;
}

TPoint TEdge::EndPoint() {
    if (!geometryValid) ComputeGeometry();
    return endPoint;
}

TRect TEdge::GetBounds() {
    if (!geometryValid) ComputeGeometry();
    TRect r{startPoint.x, startPoint.y, startPoint.x, startPoint.y};
    auto extend = [&r](TPoint p) {
        r.left = std::min(r.left, p.x);
        r.top = std::min(r.top, p.y);
        r.right = std::max(r.right, p.x);
        r.bottom = std::max(r.bottom, p.y);
    };
    extend(endPoint);
    for (const TPunkt& p : bendPoints) extend(p);
    if (r.left == r.right) {
        r.left -= 2;
        r.right += 2;
    }
    if (r.top == r.bottom) {
        r.top -= 2;
        r.bottom += 2;
    }
    hit = r;
    return r;
}

void TEdge::SetSelected(bool on) {
    selected = on ? 1 : 0;
    if (shown) {
        Invalidate(window);
        Draw();
    }
}

namespace {

double DistanceToSegment(TPoint p, TPoint a, TPoint b) {
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((double(p.x) - a.x) * dx + (double(p.y) - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double cx = a.x + t * dx - p.x, cy = a.y + t * dy - p.y;
    return std::sqrt(cx * cx + cy * cy);
}

} // namespace

bool TEdge::HitTest(TPoint p) {
    if (!geometryValid) ComputeGeometry();
    const double band = (arcKind == akInhibitor ? 6.0 : 3.0) * Settings().viewScale;
    TPoint prev = startPoint;
    auto near = [&](TPoint next) {
        const bool h = DistanceToSegment(p, prev, next) <= band;
        prev = next;
        return h;
    };
    bool hitAny = false;
    for (const TPunkt& bp : bendPoints) hitAny = near(bp) || hitAny;
    hitAny = near(endPoint) || hitAny;
    if (valueLabel->visible) {
        const bool inLabel = valueLabel->bounds.Contains(p);
        valueLabel->selected = inLabel ? 1 : 0;
        hitAny = hitAny || inLabel;
    }
    return hitAny;
}

bool TEdge::MoveBy(int dx, int dy, Window* w) {
    if (DragSelectedLabel(*valueLabel, dx, dy, w, shown)) return true;
    if (!groupMark) return false;
    if (shown) Invalidate(w);
    for (TPunkt& p : bendPoints) p = {p.x + dx, p.y + dy};
    if (valueLabel->userPositioned) {
        valueLabel->bounds = valueLabel->bounds.Offset(dx, dy);
        valueLabel->hit = valueLabel->bounds;
    }
    geometryValid = 0;
    if (shown) Invalidate(w);
    return true;
}

void TEdge::Invalidate(Window* w) {
    if (!shown) ReportInvalidInvalidate("TEdge");
    const TRect r = GetBounds();
    InvalidateWorld(w, {r.left - 10, r.top - 10, r.right + 10, r.bottom + 10});
    if (valueLabel->visible) InvalidateWorld(w, valueLabel->hit);
}

} // namespace qz

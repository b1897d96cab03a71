#include "model/ElementCreation.h"

#include <cmath>
#include <memory>
#include <set>
#include <string>

#include "model/LabelPlacement.h"
#include "model/TNetList.h"
#include "model/TObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"

namespace qz {

namespace {

int SnapCoordinate(int v, int g) { return static_cast<int>(std::nearbyint(static_cast<double>(v) / g)) * g; }

// "<prefix><n>" with the smallest n >= 1 that no element of that kind is
// named with yet.
template <class Element>
std::string NextFreeName(const TNetList& net, char k, const std::string& prefix) {
    std::set<std::string> taken;
    for (TGraphItem* e : net.Elements()) {
        if (e->Kind() == k) taken.insert(static_cast<Element*>(e)->name);
    }
    for (long n = 1;; ++n) {
        std::string candidate = prefix + std::to_string(n);
        if (!taken.count(candidate)) return candidate;
    }
}

TRect RectAt(TPoint corner, int width, int height) {
    return {corner.x, corner.y, corner.x + width, corner.y + height};
}

std::unique_ptr<TGraphItem> NewPlace(const TNetList& net, bool continuous, TPoint corner, bool showValues) {
    auto p = std::make_unique<TPlatz>();
    p->continuous = continuous ? 1 : 0;
    p->sizeClass = 2;
    p->diameter = kPlaceDiameters[2];
    p->SetBounds(RectAt(corner, p->diameter, p->diameter));
    p->SetName(NextFreeName<TPlatz>(net, kind::Place, "P"));
    net.MakeUniqueVariableName(p.get());
    p->showValues = showValues ? 1 : 0;
    PositionPlaceNameLabel(*p->nameLabel, p->hit);
    return p;
}

std::unique_ptr<TGraphItem> NewTransition(const TNetList& net, bool continuous, TPoint corner) {
    auto t = std::make_unique<TTransition>(net.Variables());
    t->SetBounds(RectAt(corner, t->longSide, t->shortSide));
    t->SetName(NextFreeName<TTransition>(net, kind::Transition, "T"));
    if (continuous) {
        t->continuous = 1;
        t->SetFunctionText("1");
    }
    PositionTransitionNameLabel(*t->nameLabel, t->hit);
    PositionTransitionValueLabel(*t->valueLabel, t->hit, t->GetCenter());
    return t;
}

std::unique_ptr<TGraphItem> NewLabel(TPoint corner) {
    auto l = std::make_unique<TSchriftObjekt>();
    l->SetBounds(RectAt(corner, 0, 0));
    l->SetText(kNewLabelText); // measures from the corner
    l->visible = 1;
    return l;
}

} // namespace

TPoint SnapToGrid(TPoint p, int gridSize) {
    if (gridSize <= 0) return p;
    return {SnapCoordinate(p.x, gridSize), SnapCoordinate(p.y, gridSize)};
}

TPoint NewElementCorner(NewElementKind kind, TPoint click, TPoint gridPoint, bool alignToGrid, int gridSize) {
    switch (kind) {
    case NewElementKind::DiscretePlace:
    case NewElementKind::ContinuousPlace:
    case NewElementKind::Shape:
        return alignToGrid ? SnapToGrid(click, gridSize) : TPoint{click.x - 15, click.y - 15};
    case NewElementKind::DiscreteTransition:
    case NewElementKind::ContinuousTransition:
        return alignToGrid ? SnapToGrid(gridPoint, gridSize) : click;
    case NewElementKind::Label:
        break;
    }
    return click;
}

TGraphItem* CreateElement(TNetList& net, NewElementKind kind, TPoint corner, bool showValues) {
    switch (kind) {
    case NewElementKind::DiscretePlace:
    case NewElementKind::ContinuousPlace:
        return net.Add(NewPlace(net, kind == NewElementKind::ContinuousPlace, corner, showValues), true);
    case NewElementKind::DiscreteTransition:
    case NewElementKind::ContinuousTransition:
        return net.Add(NewTransition(net, kind == NewElementKind::ContinuousTransition, corner), true);
    case NewElementKind::Label:
        return net.Add(NewLabel(corner), true);
    case NewElementKind::Shape: {
        auto s = std::make_unique<TObjekt>();
        s->SetBounds(RectAt(corner, 100, 100));
        TGraphItem* shape = net.Add(std::move(s), true);
        net.SendToBack(shape);
        return shape;
    }
    }
    return nullptr;
}

void AddWholeToken(TPlatz& place, bool simulationMode) {
    if (simulationMode) {
        place.SetMarking(place.Marking() + 1);
    } else {
        place.SetInitialMarking(place.InitialMarking() + 1);
        place.SetMarking(static_cast<double>(place.InitialMarking()));
    }
    place.InvalidateIfShown();
}

} // namespace qz

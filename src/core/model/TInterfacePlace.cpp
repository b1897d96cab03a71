#include "model/TInterfacePlace.h"

#include "model/TObjectFrame.h"
#include "model/TPlatz.h"

namespace qz {

TInterfacePlace::TInterfacePlace(TObjectFrame* f, TPlatz* inner)
    : TGraphItem(kind::InterfacePlace, false), frame(f), innerPlace(inner) {
    ++LiveInstances().interfacePlaces;
    SetSizeClass(2);
}

TInterfacePlace::~TInterfacePlace() { --LiveInstances().interfacePlaces; }

void TInterfacePlace::SetSizeClass(int c) {
    if (c < 0 || c > 4) return;
    sizeClass = static_cast<std::uint8_t>(c);
    sideLength = kInterfaceSides[c];
    inset = sideLength / 7;
    textOffset1 = (sideLength >> 4) + 5;
    textOffset2 = (sideLength >> 4) + 7;
    PlaceAt(hit.left, hit.top);
}

void TInterfacePlace::PlaceAt(int x, int y) {
    const TRect r{x, y, x + sideLength, y + sideLength};
    bounds = r;
    hit = r;
}

bool TInterfacePlace::HitTest(TPoint p) {
    const bool h = visible && hit.Contains(p);
    selected = h ? 1 : 0;
    return h;
}

long double TInterfacePlace::Value() const { return innerPlace ? innerPlace->InitialMarking() : 0; }

void TInterfacePlace::SetValue(long double v) {
    if (!innerPlace) return;
    innerPlace->SetInitialMarking(v);
    innerPlace->SetMarking(static_cast<double>(v));
}

void TInterfacePlace::Invalidate(Window* w) {
    InvalidateWorld(w, {hit.left - 1, hit.top - 1, hit.right + 200, hit.bottom + 1});
}

} // namespace qz

#include "model/TInterfacePlace.h"

#include <algorithm>

#include "platform/TextMetrics.h"

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
    // The square and its label, which stands beside it towards the inside of
    // the frame: right of a left-side place, left of a right-side one. The
    // label drawn last and the one drawn next are measured; the wider and
    // taller counts (and 200 units at least).
    Canvas& c = canvas ? *canvas : MeasuringSurface();
    const TFont font = c.font;
    c.font = TFont{};
    int width = 200, height = sideLength;
    for (const std::string& text : {labelText, CurrentLabel()}) {
        width = std::max(width, textOffset1 + c.TextWidth(text) + 1);
        height = std::max(height, c.TextHeight(text));
    }
    c.font = font;
    const int dy = (height - sideLength) / 2 + 2;
    const TRect r = side == 0 ? TRect{hit.left - 1, hit.top - dy, hit.right + width, hit.bottom + dy}
                              : TRect{hit.left - width, hit.top - dy, hit.right + 1, hit.bottom + dy};
    InvalidateWorld(w, r);
}

} // namespace qz

#include "model/TObjekt.h"

#include <cmath>

#include "platform/Canvas.h"

namespace qz {

TObjekt::TObjekt() : TGraphItem(kind::Shape, false) {
    bounds = {0, 0, 100, 100};
    hit = bounds;
    ++LiveInstances().shapes;
}

TObjekt::~TObjekt() { --LiveInstances().shapes; }

std::unique_ptr<TGraphItem> TObjekt::Copy(int dx, int dy) const {
    auto c = std::make_unique<TObjekt>();
    c->SetBounds(bounds.Offset(dx, dy));
    c->lineWidth = lineWidth;
    c->radius = radius;
    c->SetShapeKind(shapeKind);
    c->penMode = penMode;
    c->penStyle = penStyle;
    return c;
}

void TObjekt::SetBounds(const TRect& r) {
    TGraphItem::SetBounds(r);
    placed = 1;
}

bool TObjekt::MoveBy(int dx, int dy, Window* w) {
    const bool moved = TGraphItem::MoveBy(dx, dy, w);
    placed = 1;
    return moved;
}

void TObjekt::SetShapeKind(std::uint8_t k) {
    TRect r = bounds;
    const int lw = lineWidth;
    switch (k) {
    case skRect:
    case skRoundRect:
        if (r.bottom - r.top < 10 * lw) r.bottom = r.top + 100;
        if (r.right - r.left < 10 * lw) r.right = r.left + 100;
        break;
    case skVerticalLine:
        r.right = r.left + lw + 2;
        if (r.bottom - r.top < 10 * lw) r.bottom = r.top + 100;
        break;
    case skHorizontalLine:
        r.bottom = r.top + lw + 2;
        if (r.right - r.left < 10 * lw) r.right = r.left + 100;
        break;
    default:
        return; // unknown kinds change nothing
    }
    shapeKind = k;
    SetBounds(r);
}

namespace {
int RoundHalfEven(double v) { return static_cast<int>(std::nearbyint(v)); }
} // namespace

void TObjekt::Draw() {
    if (!shown || !placed || !canvas) return;
    hit = bounds;
    const TRect& b = bounds;
    const int lw = lineWidth;
    TColor colour = colors::Black;
    if (selected) colour = errorMark ? colors::Blue : colors::Red;
    canvas->pen = TPen{colour, lw, static_cast<PenStyle>(penStyle <= 2 ? penStyle : 0),
                       static_cast<PenMode>(penMode <= 15 ? penMode : 4)};
    canvas->brush = TBrush{colors::White, BrushStyle::Solid};
    const double half = lw / 2.0;
    switch (shapeKind) {
    case skRect:
        canvas->Rectangle(b.left + lw, b.top + lw, b.right - lw, b.bottom - lw);
        break;
    case skRoundRect:
        canvas->RoundRect(b.left + lw, b.top + lw, b.right - lw, b.bottom - lw, radius, radius);
        break;
    case skVerticalLine:
        canvas->MoveTo(RoundHalfEven(b.left + half), RoundHalfEven(b.top + half));
        canvas->LineTo(RoundHalfEven(b.left + half), RoundHalfEven(b.bottom - half));
        break;
    case skHorizontalLine:
        canvas->MoveTo(RoundHalfEven(b.left + half), RoundHalfEven(b.top + half));
        canvas->LineTo(RoundHalfEven(b.right - half), RoundHalfEven(b.top + half));
        break;
    default:
        break;
    }
    if (!selected) return;
    canvas->pen.style = PenStyle::Clear;
    canvas->brush = TBrush{errorMark ? colors::Yellow : colors::White, BrushStyle::Solid};
    const TRect& h = hit;
    switch (shapeKind) {
    case skVerticalLine:
        canvas->FillRect({h.left, h.top, h.left + lw, h.top + 5});
        canvas->FillRect({h.left, h.bottom - 5, h.left + lw, h.bottom});
        break;
    case skHorizontalLine:
        canvas->FillRect({h.left, h.top, h.left + 3, h.bottom});
        canvas->FillRect({h.right - 3, h.top, h.right, h.bottom});
        break;
    default:
        canvas->FillRect({h.left, h.top, h.left + 5, h.top + 5});
        canvas->FillRect({h.right - 5, h.top, h.right, h.top + 5});
        canvas->FillRect({h.left, h.bottom - 5, h.left + 5, h.bottom});
        canvas->FillRect({h.right - 5, h.bottom - 5, h.right, h.bottom});
        break;
    }
}

bool TObjekt::HitTest(TPoint p) { return bounds.Contains(p); }

void TObjekt::Invalidate(Window* w) {
    if (!shown) ReportInvalidInvalidate("TObjekt");
    const TRect r = hit;
    InvalidateWorld(w, {r.left - 1, r.top - 1, r.right + 1, r.bottom + 1});
}

} // namespace qz

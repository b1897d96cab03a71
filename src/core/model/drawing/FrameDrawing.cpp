// How an object frame and its interface places paint themselves.
#include <cmath>
#include <string>

#include "common/NumberFormat.h"
#include "model/TInterfacePlace.h"
#include "model/TObjectFrame.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/drawing/DrawingGeometry.h"
#include "platform/Canvas.h"

namespace qz {

namespace {
constexpr int kHeadHeight = 20;
constexpr int kHeadCorner = 15;
} // namespace

void TObjectFrame::Draw() {
    if (!shown || !canvas) return;
    Canvas& c = *canvas;
    const TRect& r = bounds;
    const int w = stripWidth;
    const int d = w / 2 - 1;
    const TColor outline = selected ? SelectionColour(*this) : inherited ? colors::Gray : colors::Black;

    c.pen = TPen{outline, 1, PenStyle::Solid, PenMode::Copy};
    c.brush = TBrush{inherited ? colors::Gray : colors::Green, BrushStyle::Solid};
    c.RoundRect(r.left + d, r.top, r.right - d, r.top + kHeadHeight, kHeadCorner, kHeadCorner);

    c.font = TFont{"Arial", 8, colors::White, 0};
    c.transparentText = true;
    const std::string text = showOnlyUsed ? caption + ")" : caption;
    const int textY = r.top + RoundHalfEven((kHeadHeight - c.TextHeight(text)) / 2.0);
    DrawCentredText(c, (r.left + r.right) / 2, textY, text);
    c.font = TFont{};

    c.brush = TBrush{colors::Silver, BrushStyle::Solid};
    c.RoundRect(r.left + d, r.top + kHeadHeight, r.right - d, r.bottom, kHeadCorner, kHeadCorner);

    c.brush = TBrush{colors::White, BrushStyle::Solid};
    for (const TRect& s : {leftStrip, rightStrip}) {
        c.RoundRect(s.left, s.top, s.right, s.bottom, cornerRadius, cornerRadius);
    }

    c.pen.color = colors::Black;
    c.brush = TBrush{colors::Black, BrushStyle::Solid};
    const TPoint grip[3] = {{r.right - d - 5, r.bottom - 5},
                            {r.right - d - 10, r.bottom - 5},
                            {r.right - d - 5, r.bottom - 10}};
    c.Polygon(grip);

    for (auto& ip : interfacePlaces) ip->Draw();
}

namespace {

// The text beside an interface place.
} // namespace

std::string TInterfacePlace::CurrentLabel() const {
    if (!innerPlace) return std::string();
    const TPlatz& inner = *innerPlace;
    if (showValue) {
        if (inner.continuous) return inner.variableName + " = " + num::FormatFixed(inner.Marking(), 5, 2);
        return inner.variableName;
    }
    if (inherited && inner.owner) return inner.owner->name + "." + inner.variableName;
    return inner.variableName;
}

void TInterfacePlace::Draw() {
    if (!shown || !canvas || !visible || !innerPlace) return;
    Canvas& c = *canvas;
    const TRect& r = hit;
    c.pen = TPen{inherited ? colors::Gray : colors::Black, 1, PenStyle::Solid, PenMode::Copy};
    c.brush = TBrush{selected ? colors::Blue : colors::White, BrushStyle::Solid};
    c.Rectangle(r.left, r.top, r.right, r.bottom);
    if (innerPlace->continuous) {
        c.Rectangle(r.left + inset, r.top + inset, r.right - inset, r.bottom - inset);
    }

    labelText = CurrentLabel();
    c.font = TFont{};
    c.transparentText = true;
    const int textWidth = c.TextWidth(labelText);
    const int textY = r.top + RoundHalfEven((sideLength - c.TextHeight(labelText)) / 2.0);
    const int textX = side == 0 ? r.right + textOffset1 : r.left - textOffset1 - textWidth;
    c.TextOut(textX, textY, labelText);

    if (showValue && !innerPlace->continuous) {
        const double m = innerPlace->Marking();
        if (m == 1) {
            c.pen = TPen{colors::Black, 1, PenStyle::Solid, PenMode::Copy};
            c.brush = TBrush{colors::Black, BrushStyle::Solid};
            c.Ellipse(r.left + 4, r.top + 4, r.right - 4, r.bottom - 4);
        } else if (m != 0) {
            c.font.size -= 1;
            const std::string n = num::FormatGeneral(std::nearbyint(m), 15);
            const int y = r.top + RoundHalfEven((sideLength - c.TextHeight(n)) / 2.0);
            DrawCentredText(c, (r.left + r.right) / 2, y, n);
            c.font = TFont{};
        }
    }
}

} // namespace qz

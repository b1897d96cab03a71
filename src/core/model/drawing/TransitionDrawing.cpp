// How a transition paints itself: the bar, its priority and reservation
// mark, its labels, selection squares and the highlight ring of a run.
#include <string>

#include "model/LabelPlacement.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "model/drawing/DrawingGeometry.h"
#include "platform/Canvas.h"

namespace qz {

void TTransition::Draw() {
    if (!shown || !canvas) return;
    Canvas& c = *canvas;
    const TRect& h = hit;
    const TRect& b = bounds;
    const TPoint centre = GetCenter();

    c.pen = TPen{colors::Black, 1, PenStyle::Solid, PenMode::Copy};
    c.brush = TBrush{colors::Black, BrushStyle::Solid};
    c.font = TFont{};
    c.transparentText = true;
    if (!selected) c.FillRect(h);

    if (!continuous) {
        if (selected) c.brush.color = SelectionColour(*this);
        c.Rectangle(h.left + 1, h.top + 1, h.right - 1, h.bottom - 1);
        if (priority != 1) {
            c.font = TFont{"Arial", 6, colors::White, 0};
            const std::string text = std::to_string(priority);
            const int y = h.top + RoundHalfEven((h.Height() - c.TextHeight("1")) / 2.0);
            c.TextOut(h.left + 2, y, text);
            c.font = TFont{};
        }
    } else {
        c.brush = TBrush{colors::White, BrushStyle::Solid};
        c.pen.color = SelectionColour(*this, colors::Black);
        c.Rectangle(h.left + 1, h.top + 1, h.right - 1, h.bottom - 1);
    }

    if (nameLabel->visible) {
        if (!nameLabel->userPositioned) PositionTransitionNameLabel(*nameLabel, h);
        DrawLabel(nameLabel.get());
    }
    if (valueLabel->visible) {
        if (!valueLabel->userPositioned) PositionTransitionValueLabel(*valueLabel, h, centre);
        DrawLabel(valueLabel.get());
    }

    if (selected) DrawCornerSquares(c, h, errorMark ? colors::Yellow : colors::White);

    if (reservation) {
        c.font = TFont{"Arial", 7, colors::White, 0};
        c.transparentText = true;
        const int x = RoundHalfEven(centre.x - c.TextWidth("R") / 2.0);
        const int y = RoundHalfEven(centre.y - c.TextHeight("R") / 2.0);
        c.TextOut(x, y, "R");
        c.font = TFont{};
    }

    if (highlight) {
        c.pen = TPen{colors::Red, 5, PenStyle::Solid, PenMode::Mask};
        c.brush = TBrush{colors::Yellow, BrushStyle::Solid};
        if (orientation) {
            c.Ellipse(b.left - 30, b.top - 10, b.right + 30, b.bottom + 10);
        } else {
            c.Ellipse(b.left - 10, b.top - 30, b.right + 10, b.bottom + 30);
        }
        c.pen = TPen{};
    }
}

} // namespace qz

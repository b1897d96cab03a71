// How a place paints itself: circle, tokens or marking, variable name,
// capacity, name label and selection squares.

#include "common/NumberFormat.h"
#include "model/LabelPlacement.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/drawing/DrawingGeometry.h"
#include "platform/Canvas.h"

namespace qz {

namespace {
constexpr std::size_t kMaxShownChars = 20;
} // namespace

void TPlatz::Draw() {
    if (!shown || !canvas) return;
    Canvas& c = *canvas;
    const TRect& h = hit;
    const TPoint centre = GetCenter();
    const double m = Marking();

    c.pen = TPen{SelectionColour(*this, colors::Black), 1, PenStyle::Solid, PenMode::Copy};
    c.brush = TBrush{interfaceFlag ? colors::Yellow : colors::White, BrushStyle::Solid};
    c.font = TFont{};
    c.transparentText = true;

    c.Ellipse(h.left + 1, h.top + 1, h.right - 1, h.bottom - 1);
    if (continuous) {
        c.brush = TBrush{colors::White, BrushStyle::Solid};
        c.Ellipse(h.left + 5, h.top + 5, h.right - 5, h.bottom - 5);
    }

    const int textTop = centre.y - 8;
    if (continuous) {
        const std::string text = showValues ? num::FormatGeneral(m, 5) : variableName;
        DrawCentredText(c, centre.x, textTop, TruncateText(text, kMaxShownChars));
    } else if (showValues) {
        c.pen = TPen{colors::Black, 1, PenStyle::Solid, PenMode::Copy};
        c.brush = TBrush{colors::Black, BrushStyle::Solid};
        const std::vector<TRect> tokens =
            (m == 1 || m == 2 || m == 3 || m == 4)
                ? TokenBoxes(static_cast<int>(m), centre.x, centre.y, diameter)
                : std::vector<TRect>{};
        if (!tokens.empty()) {
            for (const TRect& t : tokens) c.Ellipse(t.left, t.top, t.right, t.bottom);
        } else if (m != 0) {
            c.brush = TBrush{colors::White, BrushStyle::Solid};
            c.transparentText = false;
            DrawCentredText(c, centre.x, textTop, TruncateText(num::FormatGeneral(m, 5), kMaxShownChars));
            c.transparentText = true;
        }
    } else {
        DrawCentredText(c, centre.x, textTop, TruncateText(variableName, kMaxShownChars));
        if (capacity != -1) {
            c.font.size = 5;
            DrawCentredText(c, centre.x, centre.y + 4, "(" + num::FormatGeneral(capacity) + ")");
            c.font = TFont{};
        }
    }

    if (nameLabel->visible) {
        if (!nameLabel->userPositioned) PositionPlaceNameLabel(*nameLabel, h);
        DrawLabel(nameLabel.get());
    }

    if (selected) DrawCornerSquares(c, h, errorMark ? colors::Yellow : colors::White);
}

} // namespace qz

// How an arc paints itself: the polyline, selection and insertion squares,
// the arrow head or inhibitor circle, and its weight label.
#include <vector>

#include "model/LabelPlacement.h"
#include "model/TEdge.h"
#include "model/TSchriftObjekt.h"
#include "model/drawing/DrawingGeometry.h"
#include "platform/Canvas.h"

namespace qz {

namespace {

void Square(Canvas& c, TPoint p, int half) {
    c.Rectangle(p.x - half, p.y - half, p.x + half, p.y + half);
}

TPoint Midpoint(TPoint a, TPoint b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

} // namespace

void TEdge::Draw() {
    if (!shown || !canvas) return;
    if (!DrawnSource() || !DrawnTarget()) return;
    Canvas& c = *canvas;
    const TPoint start = StartPoint();
    const TPoint end = EndPoint();
    const TColor colour = SelectionColour(*this, colors::Black);
    const bool test = arcKind == akTest;

    c.pen = TPen{colour, 1, test ? PenStyle::Dot : PenStyle::Solid, PenMode::Copy};
    c.brush = TBrush{test && !selected ? colors::White : colors::Black, BrushStyle::Solid};

    std::vector<TPoint> line;
    line.reserve(bendPoints.size() + 2);
    line.push_back(start);
    line.insert(line.end(), bendPoints.begin(), bendPoints.end());
    line.push_back(end);
    c.Polyline(line);

    if (selected) {
        const TColor handle = errorMark ? colors::Yellow : colors::White;
        c.pen = TPen{colors::Black, 1, PenStyle::Solid, PenMode::Copy};
        c.brush = TBrush{handle, BrushStyle::Solid};
        if (bendPoints.empty()) {
            Square(c, Midpoint(start, end), 3);
        } else {
            for (const TPunkt& p : bendPoints) Square(c, p, 3);
            c.brush = TBrush{colors::Blue, BrushStyle::Solid};
            for (std::size_t i = 0; i + 1 < line.size(); ++i) Square(c, Midpoint(line[i], line[i + 1]), 2);
        }
    }

    // The head is drawn solid in the arc's colour, also for dotted test arcs.
    c.pen = TPen{colour, 1, PenStyle::Solid, PenMode::Copy};
    c.brush = TBrush{colour, BrushStyle::Solid};
    if (arcKind == akInhibitor) {
        const std::array<TPoint, 3> head = ArrowHead(InhibitorArrowTip(end, lastAngle), lastAngle);
        c.Polygon(head);
        const TRect circle = InhibitorCircle(end, lastAngle);
        c.brush = TBrush{colors::White, BrushStyle::Solid};
        c.Ellipse(circle.left, circle.top, circle.right, circle.bottom);
    } else {
        const std::array<TPoint, 3> head = ArrowHead(end, lastAngle);
        c.Polygon(head);
    }

    if (valueLabel->visible) {
        if (!valueLabel->userPositioned) PositionArcValueLabel(*this);
        DrawLabel(valueLabel.get());
    }
}

} // namespace qz

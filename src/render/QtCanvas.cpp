#include "QtCanvas.h"

#include <QPaintEngine>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>
#include <cstdlib>

#include "FontSupport.h"

namespace qz::render {

QColor ToQColor(TColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

namespace {

Qt::PenStyle ToQtPenStyle(PenStyle s) {
    switch (s) {
    case PenStyle::Solid: return Qt::SolidLine;
    case PenStyle::Dash: return Qt::DashLine;
    case PenStyle::Dot: return Qt::DotLine;
    case PenStyle::DashDot: return Qt::DashDotLine;
    case PenStyle::DashDotDot: return Qt::DashDotDotLine;
    case PenStyle::Clear: return Qt::NoPen;
    }
    return Qt::SolidLine;
}

QPainter::CompositionMode ToRasterOp(PenMode m) {
    switch (m) {
    case PenMode::Not: return QPainter::RasterOp_NotDestination;
    case PenMode::NotCopy: return QPainter::RasterOp_NotSource;
    case PenMode::MergePenNot: return QPainter::RasterOp_SourceOrNotDestination;
    case PenMode::MaskPenNot: return QPainter::RasterOp_SourceAndNotDestination;
    case PenMode::MergeNotPen: return QPainter::RasterOp_NotSourceOrDestination;
    case PenMode::MaskNotPen: return QPainter::RasterOp_NotSourceAndDestination;
    case PenMode::Merge: return QPainter::RasterOp_SourceOrDestination;
    case PenMode::NotMerge: return QPainter::RasterOp_NotSourceAndNotDestination;
    case PenMode::Mask: return QPainter::RasterOp_SourceAndDestination;
    case PenMode::NotMask: return QPainter::RasterOp_NotSourceOrNotDestination;
    case PenMode::Xor: return QPainter::RasterOp_SourceXorDestination;
    case PenMode::NotXor: return QPainter::RasterOp_NotSourceXorDestination;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

} // namespace

QtCanvas::QtCanvas(QPainter& painter)
    : painter_(painter),
      rasterOps_(painter.paintEngine() && painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
    MappingChanged();
}

int QtCanvas::TextWidth(std::string_view text) { return MeasureTextWidth(font, text); }

int QtCanvas::TextHeight(std::string_view) { return MeasureTextHeight(font); }

void QtCanvas::MappingChanged() {
    const TMapping& m = Mapping();
    if (m.mode == MapMode::Text) {
        painter_.setWindow(QRect(m.windowOrg.x, m.windowOrg.y, 1, 1));
        painter_.setViewport(QRect(m.viewportOrg.x, m.viewportOrg.y, 1, 1));
        return;
    }
    int vx = m.viewportExt.x, vy = m.viewportExt.y;
    const int wx = m.windowExt.x ? m.windowExt.x : 1, wy = m.windowExt.y ? m.windowExt.y : 1;
    if (m.mode == MapMode::Isotropic) {
        // Both axes take the smaller of the two scales.
        const double sx = std::abs(double(vx) / wx), sy = std::abs(double(vy) / wy);
        const double s = std::min(sx, sy);
        vx = static_cast<int>(std::lround(std::abs(wx) * s)) * (vx < 0 ? -1 : 1);
        vy = static_cast<int>(std::lround(std::abs(wy) * s)) * (vy < 0 ? -1 : 1);
    }
    painter_.setWindow(QRect(m.windowOrg.x, m.windowOrg.y, wx, wy));
    painter_.setViewport(QRect(m.viewportOrg.x, m.viewportOrg.y, vx, vy));
}

bool QtCanvas::Prepare(bool withBrush) {
    PenMode mode = pen.mode;
    TColor penColour = pen.color;
    TColor brushColour = brush.color;
    if (mode == PenMode::Nop) return false;
    if (mode == PenMode::Black) penColour = brushColour = colors::Black, mode = PenMode::Copy;
    if (mode == PenMode::White) penColour = brushColour = colors::White, mode = PenMode::Copy;
    bool clearWhiteFill = false;
    if (rasterOps_) {
        painter_.setCompositionMode(ToRasterOp(mode));
    } else {
        painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        clearWhiteFill = mode == PenMode::Mask;
    }
    if (pen.style == PenStyle::Clear) {
        painter_.setPen(Qt::NoPen);
    } else {
        QPen p(ToQColor(penColour));
        p.setWidth(std::max(pen.width, 1));
        p.setStyle(ToQtPenStyle(pen.style));
        p.setCapStyle(Qt::FlatCap);
        p.setJoinStyle(Qt::MiterJoin);
        painter_.setPen(p);
    }
    if (withBrush && brush.style == BrushStyle::Solid &&
        !(clearWhiteFill && brushColour == colors::White)) {
        painter_.setBrush(ToQColor(brushColour));
    } else {
        painter_.setBrush(Qt::NoBrush);
    }
    return true;
}

// Figures cover left..right-1; an outline of width 1 runs through the
// centres of the border pixels.
QRectF QtCanvas::FigureRect(int left, int top, int right, int bottom) const {
    if (pen.style == PenStyle::Clear) return QRectF(left, top, right - left, bottom - top);
    const double inset = std::max(pen.width, 1) / 2.0;
    return QRectF(left + inset, top + inset, right - left - 2 * inset, bottom - top - 2 * inset);
}

void QtCanvas::Polyline(std::span<const TPoint> points) {
    if (points.size() < 2 || !Prepare(false)) return;
    QPolygonF poly;
    poly.reserve(qsizetype(points.size()));
    for (const TPoint& p : points) poly << QPointF(p.x + 0.5, p.y + 0.5);
    painter_.drawPolyline(poly);
}

void QtCanvas::Polygon(std::span<const TPoint> points) {
    if (points.size() < 2 || !Prepare(true)) return;
    QPolygonF poly;
    poly.reserve(qsizetype(points.size()));
    for (const TPoint& p : points) poly << QPointF(p.x + 0.5, p.y + 0.5);
    painter_.drawPolygon(poly);
}

void QtCanvas::DrawLine(TPoint from, TPoint to) {
    if (!Prepare(false)) return;
    painter_.drawLine(QPointF(from.x + 0.5, from.y + 0.5), QPointF(to.x + 0.5, to.y + 0.5));
}

void QtCanvas::Rectangle(int left, int top, int right, int bottom) {
    if (!Prepare(true)) return;
    painter_.drawRect(FigureRect(left, top, right, bottom));
}

void QtCanvas::RoundRect(int left, int top, int right, int bottom, int ew, int eh) {
    if (!Prepare(true)) return;
    painter_.drawRoundedRect(FigureRect(left, top, right, bottom), ew / 2.0, eh / 2.0);
}

void QtCanvas::Ellipse(int left, int top, int right, int bottom) {
    if (!Prepare(true)) return;
    painter_.drawEllipse(FigureRect(left, top, right, bottom));
}

void QtCanvas::TextOut(int x, int y, std::string_view utf8) {
    if (utf8.empty()) return;
    if (smallestText > 0 && TextHeight(utf8) * std::abs(painter_.combinedTransform().m22()) < smallestText) return;
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QString s = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    if (!transparentText) {
        painter_.fillRect(QRectF(x, y, TextWidth(utf8), TextHeight(utf8)), ToQColor(brush.color));
    }
    painter_.setFont(CachedQFont(font));
    painter_.setPen(ToQColor(font.color));
    painter_.drawText(QPointF(x, y + MeasureAscent(font)), s);
}

void QtCanvas::FillRect(const TRect& r) {
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (brush.style == BrushStyle::Clear) return;
    painter_.fillRect(QRectF(r.left, r.top, r.Width(), r.Height()), ToQColor(brush.color));
}

void QtCanvas::SetPixel(int x, int y, TColor color) {
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.fillRect(QRectF(x, y, 1, 1), ToQColor(color));
}

} // namespace qz::render

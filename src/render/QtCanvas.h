#pragma once
#include <QPainter>

#include "platform/Canvas.h"

namespace qz::render {

// A canvas on a QPainter (images, SVG, PDF, a window). The logical-to-device
// mapping is applied through the painter's window and viewport; the pen
// modes become raster operations where the paint device supports them
// (images), and are approximated elsewhere: the mask mode, which leaves the
// background showing through white fills, draws white fills as clear.
class QtCanvas final : public Canvas {
public:
    explicit QtCanvas(QPainter& painter);

    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;

    void Polyline(std::span<const TPoint> points) override;
    void Polygon(std::span<const TPoint> points) override;
    void Rectangle(int left, int top, int right, int bottom) override;
    void RoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                   int ellipseHeight) override;
    void Ellipse(int left, int top, int right, int bottom) override;
    void TextOut(int x, int y, std::string_view utf8) override;
    void FillRect(const TRect& r) override;
    void SetPixel(int x, int y, TColor color) override;

    QPainter& Painter() { return painter_; }

    // Text that would stand less than this many device pixels high is left
    // out (0: all text is drawn). A picture of a whole net reduced to a
    // small window sets it: such text shows only as grey noise there, and
    // shaping it costs more than everything else.
    double smallestText = 0;

protected:
    void DrawLine(TPoint from, TPoint to) override;
    void MappingChanged() override;

private:
    // Sets up pen, brush and composition for a figure; false when the pen
    // mode draws nothing.
    bool Prepare(bool withBrush);
    QRectF FigureRect(int left, int top, int right, int bottom) const;

    QPainter& painter_;
    bool rasterOps_;
};

QColor ToQColor(TColor c);

} // namespace qz::render

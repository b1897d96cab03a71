#pragma once
#include "platform/Canvas.h"

namespace qz {

// A surface that only measures text: every drawing operation does nothing.
class MeasuringCanvas : public Canvas {
public:
    void Polyline(std::span<const TPoint>) override {}
    void Polygon(std::span<const TPoint>) override {}
    void Rectangle(int, int, int, int) override {}
    void RoundRect(int, int, int, int, int, int) override {}
    void Ellipse(int, int, int, int) override {}
    void TextOut(int, int, std::string_view) override {}
    void FillRect(const TRect&) override {}
    void SetPixel(int, int, TColor) override {}

protected:
    void DrawLine(TPoint, TPoint) override {}
};

// The scratch surface labels measure themselves on when their element has no
// surface of its own. The window and the renderers install a real one; the
// headless default has fixed metrics that approximate Arial.
Canvas& MeasuringSurface();
void SetMeasuringSurface(Canvas* surface); // nullptr restores the default

} // namespace qz

#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/Canvas.h"

namespace qz::test {

// One drawing call with the canvas state it saw.
struct CanvasCall {
    // "Rectangle", "RoundRect", "Ellipse", "Polygon", "Polyline", "Line",
    // "TextOut", "FillRect" or "SetPixel".
    std::string op;
    // Integer arguments in call order: the four coordinates of rectangle-like
    // calls (plus the two ellipse extents of RoundRect), x and y of TextOut
    // and SetPixel, x1 y1 x2 y2 of a line. Empty for Polygon and Polyline.
    std::vector<int> args;
    std::vector<TPoint> points; // Polygon, Polyline; both ends of a Line
    std::string text;           // TextOut
    TColor color = 0;           // SetPixel
    TPen pen;
    TBrush brush;
    TFont font;
    bool transparentText = true;
};

// A canvas that draws nothing and records everything, with text metrics that
// do not depend on installed fonts: every code point is font.size * 3 / 4
// wide and every text font.size * 13 / 8 high (6 and 13 at size 8).
class RecordingCanvas : public Canvas {
public:
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

    const std::vector<CanvasCall>& Calls() const { return calls_; }
    std::vector<CanvasCall> CallsOf(std::string_view op) const;
    std::size_t Count(std::string_view op) const;
    // The texts of all TextOut calls, in order.
    std::vector<std::string> Texts() const;
    // Forgets the recorded calls; the state stays.
    void Clear() { calls_.clear(); }

protected:
    void DrawLine(TPoint from, TPoint to) override;

private:
    CanvasCall& Record(const char* op);

    std::vector<CanvasCall> calls_;
};

} // namespace qz::test

#include "RecordingCanvas.h"

namespace qz::test {

int RecordingCanvas::TextWidth(std::string_view text) {
    int codePoints = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++codePoints;
    }
    return codePoints * (font.size * 3 / 4);
}

int RecordingCanvas::TextHeight(std::string_view) { return font.size * 13 / 8; }

CanvasCall& RecordingCanvas::Record(const char* op) {
    CanvasCall& c = calls_.emplace_back();
    c.op = op;
    c.pen = pen;
    c.brush = brush;
    c.font = font;
    c.transparentText = transparentText;
    return c;
}

void RecordingCanvas::Polyline(std::span<const TPoint> points) {
    Record("Polyline").points.assign(points.begin(), points.end());
}

void RecordingCanvas::Polygon(std::span<const TPoint> points) {
    Record("Polygon").points.assign(points.begin(), points.end());
}

void RecordingCanvas::Rectangle(int left, int top, int right, int bottom) {
    Record("Rectangle").args = {left, top, right, bottom};
}

void RecordingCanvas::RoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                                int ellipseHeight) {
    Record("RoundRect").args = {left, top, right, bottom, ellipseWidth, ellipseHeight};
}

void RecordingCanvas::Ellipse(int left, int top, int right, int bottom) {
    Record("Ellipse").args = {left, top, right, bottom};
}

void RecordingCanvas::TextOut(int x, int y, std::string_view utf8) {
    CanvasCall& c = Record("TextOut");
    c.args = {x, y};
    c.text = utf8;
}

void RecordingCanvas::FillRect(const TRect& r) {
    Record("FillRect").args = {r.left, r.top, r.right, r.bottom};
}

void RecordingCanvas::SetPixel(int x, int y, TColor color) {
    CanvasCall& c = Record("SetPixel");
    c.args = {x, y};
    c.color = color;
}

void RecordingCanvas::DrawLine(TPoint from, TPoint to) {
    CanvasCall& c = Record("Line");
    c.args = {from.x, from.y, to.x, to.y};
    c.points = {from, to};
}

std::vector<CanvasCall> RecordingCanvas::CallsOf(std::string_view op) const {
    std::vector<CanvasCall> out;
    for (const CanvasCall& c : calls_) {
        if (c.op == op) out.push_back(c);
    }
    return out;
}

std::size_t RecordingCanvas::Count(std::string_view op) const {
    std::size_t n = 0;
    for (const CanvasCall& c : calls_) n += c.op == op;
    return n;
}

std::vector<std::string> RecordingCanvas::Texts() const {
    std::vector<std::string> out;
    for (const CanvasCall& c : calls_) {
        if (c.op == "TextOut") out.push_back(c.text);
    }
    return out;
}

} // namespace qz::test

#include "model/drawing/DrawingGeometry.h"

#include <cmath>
#include <span>

#include "model/TGraphItem.h"
#include "platform/Canvas.h"

namespace qz {

int RoundHalfEven(double v) { return static_cast<int>(std::nearbyint(v)); }

int TruncToInt(double v) { return static_cast<int>(std::trunc(v)); }

namespace {

// Token box offsets from the centre in 1/40 of the diameter (x from, x to,
// y from, y to), so that the boxes come out exact in integer arithmetic.
struct Box {
    int x0, x1, y0, y1;
};
constexpr Box kOne[] = {{-6, 6, -6, 6}};
constexpr Box kTwo[] = {{-14, -2, -6, 6}, {2, 14, -6, 6}};
constexpr Box kThree[] = {{-14, -2, -1, 11}, {2, 14, -1, 11}, {-6, 6, -12, 0}};
constexpr Box kFour[] = {{-13, -1, 1, 13}, {1, 13, 1, 13}, {-13, -1, -13, -1}, {1, 13, -13, -1}};

// trunc(c + k * d / 40) without rounding errors; C++ division truncates
// towards zero.
int BoxCoordinate(int c, int k, int d) {
    return static_cast<int>((40LL * c + static_cast<long long>(k) * d) / 40);
}

} // namespace

std::vector<TRect> TokenBoxes(int tokens, int cx, int cy, int d) {
    std::span<const Box> boxes;
    switch (tokens) {
    case 1: boxes = kOne; break;
    case 2: boxes = kTwo; break;
    case 3: boxes = kThree; break;
    case 4: boxes = kFour; break;
    default: return {};
    }
    std::vector<TRect> out;
    for (const Box& b : boxes) {
        out.push_back({BoxCoordinate(cx, b.x0, d), BoxCoordinate(cy, b.y0, d),
                       BoxCoordinate(cx, b.x1, d), BoxCoordinate(cy, b.y1, d)});
    }
    return out;
}

std::array<TPoint, 3> ArrowHead(TPoint tip, double phi) {
    constexpr double kLength = 8, kOpening = 0.2;
    return {tip,
            TPoint{RoundHalfEven(tip.x - kLength * std::cos(phi - kOpening)),
                   RoundHalfEven(tip.y + kLength * std::sin(phi - kOpening))},
            TPoint{RoundHalfEven(tip.x - kLength * std::cos(phi + kOpening)),
                   RoundHalfEven(tip.y + kLength * std::sin(phi + kOpening))}};
}

TPoint InhibitorArrowTip(TPoint tip, double phi) {
    return {RoundHalfEven(tip.x - 8 * std::cos(phi)), RoundHalfEven(tip.y + 8 * std::sin(phi))};
}

TRect InhibitorCircle(TPoint tip, double phi) {
    const int cx = RoundHalfEven(tip.x - 4 * std::cos(phi));
    const int cy = RoundHalfEven(tip.y + 4 * std::sin(phi));
    return {cx - 4, cy - 4, cx + 4, cy + 4};
}

std::string TruncateText(std::string_view utf8, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;
        if (chars == maxChars) return std::string(utf8.substr(0, i));
        ++chars;
    }
    return std::string(utf8);
}

TColor SelectionColour(const TGraphItem& e, TColor normal) {
    if (!e.selected) return normal;
    return e.errorMark ? colors::Red : colors::Blue;
}

void DrawCornerSquares(Canvas& c, const TRect& r, TColor fill) {
    c.pen = TPen{colors::Black, 1, PenStyle::Solid, PenMode::Copy};
    c.brush = TBrush{fill, BrushStyle::Solid};
    c.Rectangle(r.left, r.top, r.left + 6, r.top + 6);
    c.Rectangle(r.right - 6, r.top, r.right, r.top + 6);
    c.Rectangle(r.left, r.bottom - 6, r.left + 6, r.bottom);
    c.Rectangle(r.right - 6, r.bottom - 6, r.right, r.bottom);
}

void DrawCentredText(Canvas& c, int cx, int y, std::string_view text) {
    const int x = RoundHalfEven(cx - c.TextWidth(text) / 2.0);
    c.TextOut(x, y, text);
}

} // namespace qz

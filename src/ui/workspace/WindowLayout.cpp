#include "workspace/WindowLayout.h"

#include <algorithm>
#include <cmath>

namespace qz::ui {

namespace {

// The start and length of a span of the given length placed at start and
// pushed back inside [low, high).
void FitSpan(std::int32_t& start, std::int32_t& length, std::int32_t low, std::int32_t high) {
    length = std::clamp(length, 0, std::max(0, high - low));
    start = std::clamp(start, low, high - length);
}

} // namespace

TRect FitInto(const TRect& window, const TRect& area) {
    std::int32_t x = window.left, y = window.top, w = window.Width(), h = window.Height();
    FitSpan(x, w, area.left, area.right);
    FitSpan(y, h, area.top, area.bottom);
    return {x, y, x + w, y + h};
}

std::vector<TRect> TileRects(int n, const TRect& area) {
    std::vector<TRect> out;
    if (n <= 0) return out;
    const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
    const int rows = (n + columns - 1) / columns;
    out.reserve(static_cast<std::size_t>(n));
    for (int row = 0; row < rows; ++row) {
        const int inRow = std::min(columns, n - row * columns);
        const std::int32_t top = area.top + area.Height() * row / rows;
        const std::int32_t bottom = area.top + area.Height() * (row + 1) / rows;
        for (int c = 0; c < inRow; ++c) {
            out.push_back({area.left + area.Width() * c / inRow, top, area.left + area.Width() * (c + 1) / inRow,
                           bottom});
        }
    }
    return out;
}

std::vector<TRect> CascadeRects(int n, const TRect& area, int step) {
    std::vector<TRect> out;
    if (n <= 0) return out;
    step = std::max(1, step);
    const std::int32_t w = std::max(area.Width() - (n - 1) * step, area.Width() / 2);
    const std::int32_t h = std::max(area.Height() - (n - 1) * step, area.Height() / 2);
    // How many windows fit before a step would leave the area.
    const int fit = 1 + std::min((area.Width() - w) / step, (area.Height() - h) / step);
    out.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const std::int32_t offset = (i % fit) * step;
        out.push_back({area.left + offset, area.top + offset, area.left + offset + w, area.top + offset + h});
    }
    return out;
}

} // namespace qz::ui

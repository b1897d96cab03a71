#pragma once
#include <cstdint>

namespace qz {

// A point of the net's integer world coordinates (y grows downwards).
struct TPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// A rectangle as left, top, right, bottom.
struct TRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    bool Contains(TPoint p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    TRect Offset(std::int32_t dx, std::int32_t dy) const {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Smallest rectangle holding both; an all-zero rectangle counts as "none".
inline TRect UnionRect(const TRect& a, const TRect& b) {
    const TRect none{};
    if (a == none) return b;
    if (b == none) return a;
    return {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
            a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

inline TRect IntersectRect(const TRect& a, const TRect& b) {
    TRect r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
            a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    if (r.right <= r.left || r.bottom <= r.top) return {};
    return r;
}

} // namespace qz

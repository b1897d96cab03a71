#include "editor/NavigatorView.h"

#include <algorithm>
#include <cmath>

namespace qz::ui {

namespace {

// The share of the limiting side left free around the net.
constexpr double kMargin = 1.05;

// To nearest, halves to even, as the document view rounds; values far
// outside any net saturate instead of overflowing.
int Round(double v) {
    constexpr double kLimit = 1e9;
    return static_cast<int>(std::nearbyint(std::clamp(v, -kLimit, kLimit)));
}

} // namespace

TMapping NavigatorView::Mapping(int areaWidth, int areaHeight) const {
    // Extents in 1/64 units where they stay well inside int, so that the
    // far edge of the picture lies where the mark arithmetic puts it.
    const int w = std::max(1, areaWidth), h = std::max(1, areaHeight);
    const int fraction = double(std::max(w, h)) * scale * 64 < 1e9 ? 64 : 1;
    TMapping m;
    m.mode = MapMode::Isotropic;
    m.windowExt = {std::max(1, Round(w * scale * fraction)), std::max(1, Round(h * scale * fraction))};
    m.viewportExt = {w * fraction, h * fraction};
    m.windowOrg = origin;
    return m;
}

NavigatorView NavigatorViewOf(const TRect& netBounds, bool hasElements, int areaWidth, int areaHeight,
                              const DocumentViewport& document) {
    NavigatorView view;
    if (!hasElements || areaWidth <= 0 || areaHeight <= 0) return view;
    view.empty = false;
    // A net of one line still has a size to scale by.
    const double w = std::max(1, netBounds.right - netBounds.left);
    const double h = std::max(1, netBounds.bottom - netBounds.top);
    const double W = areaWidth, H = areaHeight;
    view.scale = H / h < W / w ? h * kMargin / H : w * kMargin / W;
    view.origin = {Round(netBounds.left - (W * view.scale - w) / 2), Round(netBounds.top - (H * view.scale - h) / 2)};
    const double s0 = document.scale > 0 ? document.scale : 1;
    const auto px = [&view](double world, int origin) { return Round((world - origin) / view.scale); };
    view.mark = {px(document.origin.x, view.origin.x), px(document.origin.y, view.origin.y),
                 px(document.origin.x + document.clientWidth * s0, view.origin.x),
                 px(document.origin.y + document.clientHeight * s0, view.origin.y)};
    return view;
}

TPoint NavigatorDragScroll(const NavigatorView& view, TPoint press, TPoint release, int h, int v,
                           double documentScale) {
    if (view.empty) return {h, v};
    const double s0 = documentScale > 0 ? documentScale : 1;
    return {Round(h + Round((release.x - press.x) * view.scale) / s0),
            Round(v + Round((release.y - press.y) * view.scale) / s0)};
}

} // namespace qz::ui

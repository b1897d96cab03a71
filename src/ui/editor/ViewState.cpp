#include "editor/ViewState.h"

#include <algorithm>
#include <cmath>

#include "common/NumberFormat.h"
#include "settings/ProgramSettings.h"

namespace qz::ui {

namespace {

// To nearest, halves to even; values far outside any net saturate instead
// of overflowing.
int Round(double v) {
    constexpr double kLimit = 1e9;
    return static_cast<int>(std::nearbyint(std::clamp(v, -kLimit, kLimit)));
}

} // namespace

double TViewState::Scale() { return Settings().viewScale; }

void TViewState::SetScale(double s) {
    Settings().viewScale = std::isfinite(s) ? std::clamp(s, kMinScale, kMaxScale) : 1.0;
}

TPoint TViewState::Origin() const { return {Round(h_ * Scale()), Round(v_ * Scale())}; }

TPoint TViewState::ScreenToWorld(int x, int y) const {
    const TPoint o = Origin();
    return {Round(x * Scale() + o.x), Round(y * Scale() + o.y)};
}

TMapping TViewState::Mapping(int clientWidth, int clientHeight) const {
    // Window extent (client size x s) onto viewport extent (client size),
    // both in 1/64 units: extents rounded to whole world units would put the
    // far edge of the drawing up to half a world unit away from where
    // ScreenToWorld finds it, many pixels at a large zoom.
    constexpr int kFraction = 64;
    TMapping m;
    m.mode = MapMode::Isotropic;
    const int w = std::max(1, clientWidth), h = std::max(1, clientHeight);
    m.windowExt = {std::max(1, Round(w * Scale() * kFraction)), std::max(1, Round(h * Scale() * kFraction))};
    m.viewportExt = {w * kFraction, h * kFraction};
    m.windowOrg = Origin();
    return m;
}

void TViewState::SetClientSize(int width, int height) {
    clientWidth_ = std::max(0, width);
    clientHeight_ = std::max(0, height);
    Clamp();
}

int TViewState::HorzMax() const { return std::max(0, hRange_ - clientWidth_); }
int TViewState::VertMax() const { return std::max(0, vRange_ - clientHeight_); }

void TViewState::Clamp() {
    h_ = std::clamp(h_, 0, HorzMax());
    v_ = std::clamp(v_, 0, VertMax());
}

void TViewState::SetPositions(int h, int v) {
    h_ = h;
    v_ = v;
    Clamp();
}

void TViewState::UpdateRanges(const TRect& allBounds, bool hasElements) {
    // An empty net keeps the ranges it had, also through zooming.
    hasBounds_ = hasElements;
    if (!hasElements) return;
    bounds_ = allBounds;
    hasBounds_ = true;
    RecomputeRanges();
}

void TViewState::ScaleChanged() { RecomputeRanges(); }

void TViewState::RecomputeRanges() {
    if (hasBounds_) {
        hRange_ = std::max(0, Round(bounds_.right / Scale() + 50));
        vRange_ = std::max(0, Round(bounds_.bottom / Scale() + 100));
    }
    Clamp();
}

void TViewState::SavePrevious() {
    previousValid_ = true;
    previousScale_ = Scale();
    previousH_ = h_;
    previousV_ = v_;
}

void TViewState::ZoomIn() {
    SavePrevious();
    SetScale(Scale() * kZoomStep);
    RecomputeRanges();
}

void TViewState::ZoomOut() {
    SavePrevious();
    SetScale(Scale() / kZoomStep);
    RecomputeRanges();
}

void TViewState::OneToOne() {
    SavePrevious();
    SetScale(1.0);
    RecomputeRanges();
}

TPoint TViewState::StepAt(bool in, int x, int y) {
    const TPoint w = ScreenToWorld(x, y);
    if (in) {
        ZoomIn();
    } else {
        ZoomOut();
    }
    return w;
}

void TViewState::ZoomAt(bool in, int x, int y) {
    const TPoint w = StepAt(in, x, y);
    const double s = Scale();
    SetPositions(Round((w.x - clientWidth_ / 2.0 * s) / s), Round((w.y - clientHeight_ / 2.0 * s) / s));
}

void TViewState::ZoomAbout(bool in, int x, int y) {
    const TPoint w = StepAt(in, x, y);
    const double s = Scale();
    SetPositions(Round(w.x / s - x), Round(w.y / s - y));
}

bool TViewState::ZoomArea(const TRect& pixels) {
    const int dx = std::abs(pixels.right - pixels.left);
    const int dy = std::abs(pixels.bottom - pixels.top);
    if (dx == 0 || clientWidth_ <= 0 || clientHeight_ <= 0) return false;
    const TPoint corner =
        ScreenToWorld(std::min(pixels.left, pixels.right), std::min(pixels.top, pixels.bottom));
    SavePrevious();
    SetScale(dy <= dx ? Scale() * dx / clientWidth_ : Scale() * dy / clientHeight_);
    RecomputeRanges();
    const double s = Scale();
    SetPositions(Round(corner.x / s), Round(corner.y / s));
    return true;
}

void TViewState::Hand(int x0, int y0, int x1, int y1) { SetPositions(h_ - (x1 - x0), v_ - (y1 - y0)); }

bool TViewState::Previous() {
    if (!previousValid_) return false;
    previousValid_ = false;
    SetScale(previousScale_);
    RecomputeRanges();
    SetPositions(previousH_, previousV_);
    return true;
}

std::string TViewState::ScaleText() { return "Scale: " + num::FormatFixed(Scale(), 3, 2); }

std::string ElementsText(std::size_t own, std::size_t total) {
    return "Elements : " + std::to_string(own) + " of " + std::to_string(total);
}

std::string FileVersionText(const std::string& version) { return "File version: " + version; }

GridDots GridDotsOf(const TViewState& view, int gridSize) {
    if (gridSize <= 0 || gridSize / TViewState::Scale() < kMinGridSpacing) return {};
    const TPoint near = view.Origin();
    const TPoint far = view.ScreenToWorld(view.ClientWidth(), view.ClientHeight());
    // Dots left of or above the origin lie outside the client: start at the
    // first multiple of g at or after it.
    const auto first = [gridSize](int w) { return w <= 0 ? 0 : (w + gridSize - 1) / gridSize; };
    const auto last = [gridSize](int w) { return w < 0 ? -1 : w / gridSize; };
    return {first(near.x), last(far.x), first(near.y), last(far.y)};
}

} // namespace qz::ui

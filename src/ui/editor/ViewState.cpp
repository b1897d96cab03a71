#include "editor/ViewState.h"

#include <algorithm>
#include <cmath>

#include "common/NumberFormat.h"
#include "settings/ProgramSettings.h"

namespace qz::ui {

namespace {
int Round(double v) { return static_cast<int>(std::lround(v)); }
} // namespace

double TViewState::Scale() { return Settings().viewScale; }

void TViewState::SetScale(double s) { Settings().viewScale = s; }

TPoint TViewState::Origin() const { return {Round(h_ * Scale()), Round(v_ * Scale())}; }

TPoint TViewState::ScreenToWorld(int x, int y) const {
    const TPoint o = Origin();
    return {Round(x * Scale() + o.x), Round(y * Scale() + o.y)};
}

TMapping TViewState::Mapping(int clientWidth, int clientHeight) const {
    TMapping m;
    m.mode = MapMode::Isotropic;
    m.windowExt = {std::max(1, Round(clientWidth * Scale())), std::max(1, Round(clientHeight * Scale()))};
    m.viewportExt = {std::max(1, clientWidth), std::max(1, clientHeight)};
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
    if (!hasElements) return;
    bounds_ = allBounds;
    hasBounds_ = true;
    RecomputeRanges();
    Clamp();
}

void TViewState::RecomputeRanges() {
    if (!hasBounds_) return;
    hRange_ = std::max(0, Round(bounds_.right / Scale() + 50));
    vRange_ = std::max(0, Round(bounds_.bottom / Scale() + 100));
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

void TViewState::ZoomAt(bool in, int x, int y) {
    const TPoint w = ScreenToWorld(x, y);
    if (in) {
        ZoomIn();
    } else {
        ZoomOut();
    }
    const double s = Scale();
    // The ranges follow the new scale before the position is set, as the
    // window's resize does after every zoom.
    RecomputeRanges();
    SetPositions(Round((w.x - clientWidth_ / 2.0 * s) / s), Round((w.y - clientHeight_ / 2.0 * s) / s));
}

bool TViewState::ZoomArea(const TRect& pixels) {
    const int dx = std::abs(pixels.right - pixels.left);
    const int dy = std::abs(pixels.bottom - pixels.top);
    if (dx == 0 || clientWidth_ <= 0 || clientHeight_ <= 0) return false;
    const TPoint corner =
        ScreenToWorld(std::min(pixels.left, pixels.right), std::min(pixels.top, pixels.bottom));
    SavePrevious();
    const double s = dy <= dx ? Scale() * dx / clientWidth_ : Scale() * dy / clientHeight_;
    SetScale(s);
    RecomputeRanges();
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
    if (gridSize <= 0) return {};
    const TPoint near = view.Origin();
    const TPoint far = view.ScreenToWorld(view.ClientWidth(), view.ClientHeight());
    // Dots left of or above the origin are outside the client and not drawn.
    const auto first = [gridSize](int w) { return w <= 0 ? 0 : (w + gridSize - 1) / gridSize; };
    return {first(near.x), far.x < 0 ? -1 : far.x / gridSize, first(near.y),
            far.y < 0 ? -1 : far.y / gridSize};
}

} // namespace qz::ui

#include "model/TGraphItem.h"

#include <cmath>
#include <cstdlib>

#include "common/BinaryStream.h"
#include "model/TSchriftObjekt.h"
#include "platform/Canvas.h"
#include "platform/Services.h"
#include "platform/Window.h"
#include "settings/ProgramSettings.h"

namespace qz {

InstanceCounts& LiveInstances() {
    static InstanceCounts counts;
    return counts;
}

TGraphItem::TGraphItem(char kind, bool withLabels) : kind_(kind) {
    if (withLabels) {
        nameLabel = std::make_unique<TSchriftObjekt>();
        valueLabel = std::make_unique<TSchriftObjekt>();
        nameLabel->visible = 1;
        valueLabel->visible = 1;
        LiveInstances().edgeLists += 2;
    }
}

TGraphItem::~TGraphItem() {
    if (nameLabel) LiveInstances().edgeLists -= 2;
}

TRect TGraphItem::GetBounds() { return bounds; }

void TGraphItem::SetBounds(const TRect& r) {
    bounds = r;
    SetHitRect(r);
}

TPoint TGraphItem::GetCenter() const {
    return {(hit.left + hit.right) / 2, (hit.top + hit.bottom) / 2};
}

void TGraphItem::SetCanvas(Canvas* c) {
    canvas = c;
    if (nameLabel) nameLabel->SetCanvas(c);
    if (valueLabel) valueLabel->SetCanvas(c);
}

void TGraphItem::SetSizeClass(int c) {
    if (c >= 0 && c <= 4) sizeClass = static_cast<std::uint8_t>(c);
}

void TGraphItem::SetSelected(bool on) {
    if ((selected != 0) == on) return;
    if (on) {
        selected = 1;
        if (highlight && shown) Invalidate(window);
        highlight = 0;
        Draw();
    } else {
        highlight = 0;
        if (shown) Invalidate(window);
        selected = 0;
    }
}

void TGraphItem::SetHighlight(bool on) { highlight = on ? 1 : 0; }

void TGraphItem::SetShown(bool on) {
    shown = on ? 1 : 0;
    if (nameLabel) nameLabel->SetShown(on);
    if (valueLabel) valueLabel->SetShown(on);
}

void TGraphItem::Draw() {
    if (!shown || !canvas) return;
    canvas->pen = TPen{selected ? colors::Blue : colors::Black, 1, PenStyle::Solid, PenMode::Copy};
    canvas->brush.style = BrushStyle::Clear;
    canvas->Rectangle(bounds.left, bounds.top, bounds.right, bounds.bottom);
}

bool TGraphItem::HitTest(TPoint p) {
    bool hitAny = hit.Contains(p);
    for (TSchriftObjekt* label : {nameLabel.get(), valueLabel.get()}) {
        if (!label || !label->visible) continue;
        const bool inLabel = label->bounds.Contains(p);
        label->selected = inLabel ? 1 : 0;
        hitAny = hitAny || inLabel;
    }
    return hitAny;
}

bool TGraphItem::MoveBy(int dx, int dy, Window* w) {
    if (shown) Invalidate(w);
    bounds = bounds.Offset(dx, dy);
    hit = hit.Offset(dx, dy);
    if (shown) Invalidate(w);
    return true;
}

TGraphItem::GridMove TGraphItem::MoveDragPosition(int dx, int dy, double halfWidth,
                                                  double halfHeight, TPoint& centre) {
    bounds = bounds.Offset(dx, dy);
    const ProgramSettings& s = Settings();
    if (!s.alignToGrid) {
        hit = bounds;
        return GridMove::Free;
    }
    const int g = s.gridSize > 0 ? s.gridSize : 1;
    if (std::abs(bounds.left - hit.left) < g && std::abs(bounds.top - hit.top) < g) {
        return GridMove::Stay;
    }
    centre = {g * static_cast<int>(std::trunc((bounds.left + halfWidth) / g)),
              g * static_cast<int>(std::trunc((bounds.top + halfHeight) / g))};
    return GridMove::Snapped;
}

bool TGraphItem::KeepLabelOffset(TSchriftObjekt& label, int dx, int dy) {
    if (!label.userPositioned) return false;
    label.bounds = label.bounds.Offset(dx, dy);
    label.hit = label.bounds;
    return true;
}

void TGraphItem::SaveToStream(BinaryWriter& out) const { out.Rect(bounds); }

void TGraphItem::LoadFromStream(BinaryReader& in, const std::string&) { bounds = in.Rect(); }

void TGraphItem::Invalidate(Window* w) { InvalidateWorld(w, hit); }

void TGraphItem::ResetLabels(Window* w) {
    for (TSchriftObjekt* label : {nameLabel.get(), valueLabel.get()}) {
        if (!label) continue;
        label->visible = 1;
        label->userPositioned = 0;
        label->thirdFlag = 1;
    }
    if (shown) {
        Invalidate(w);
        Draw();
    }
}

void TGraphItem::SetErrorMark(bool on) {
    const std::uint8_t v = on ? 1 : 0;
    const bool changed = errorMark != v;
    errorMark = v;
    if (on) SetSelected(true);
    if (changed && shown) {
        Invalidate(window);
        Draw();
    }
}

std::unique_ptr<TGraphItem> TGraphItem::Copy(int, int) const { return nullptr; }

void TGraphItem::ShowPropertyDialog() {
    Platform().messages->Info("Für das Testobjekt gibt es keinen Eigenschaften-Dialog.");
}

void TGraphItem::DrawLabel(TSchriftObjekt* label) {
    if (label) label->Draw();
}

void TGraphItem::ReportInvalidInvalidate(const char* className) const {
    Platform().messages->Error(std::string("Ungültiger Aufruf von ") + className + ".Invalidate");
}

void TGraphItem::InvalidateWorld(Window* w, const TRect& r) const {
    if (w) w->InvalidateRect(r);
}

} // namespace qz

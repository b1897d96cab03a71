#include "model/TTransition.h"

#include <algorithm>
#include <cmath>

#include "common/NumberFormat.h"
#include "formula/FormulaText.h"
#include "formula/Parser.h"
#include "model/LabelPlacement.h"
#include "model/TPNObjekt.h"
#include "model/TSchriftObjekt.h"
#include "platform/Services.h"

namespace qz {

TTransition::TTransition(TVariableTable* variables)
    : TGraphItem(kind::Transition, true), parser(std::make_unique<TParser>()) {
    bounds = {0, 0, 30, 12};
    hit = bounds;
    parser->SetVariables(variables);
    nameLabel->SetText(name);
    valueLabel->SetText(functionText);
    ++LiveInstances().transitions;
}

TTransition::~TTransition() {
    parser->SetVariables(nullptr);
    --LiveInstances().transitions;
}

void TTransition::BindVariables(TVariableTable* variables) { parser->SetVariables(variables); }

std::unique_ptr<TGraphItem> TTransition::Copy(int dx, int dy) const {
    auto c = std::make_unique<TTransition>(owner ? &owner->Variables() : nullptr);
    c->SetName(name);
    c->continuous = continuous;
    c->SetSizeClass(sizeClass);
    c->SetFunctionText(functionText);
    c->orientation = orientation;
    c->nameLabel->visible = nameLabel->visible;
    c->valueLabel->visible = valueLabel->visible;
    c->bounds = bounds.Offset(dx, dy);
    c->hit = hit.Offset(dx, dy);
    for (auto [from, to] : {std::pair{nameLabel.get(), c->nameLabel.get()}, {valueLabel.get(), c->valueLabel.get()}}) {
        to->bounds = from->bounds.Offset(dx, dy);
        to->hit = to->bounds;
    }
    c->reservation = reservation;
    c->priority = priority;
    c->timed = timed;
    return c;
}

void TTransition::SetName(const std::string& n) {
    name = n;
    nameLabel->SetText(n);
}

namespace {

// A number with the decimal comma; failing that, with the first "." read as
// the comma.
std::optional<long double> ParseLenient(const std::string& text) {
    if (auto v = num::ParseNumber(text)) return v;
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos) return std::nullopt;
    std::string retry = text;
    retry[dot] = num::kDecimalSeparator;
    return num::ParseNumber(retry);
}

} // namespace

void TTransition::SetFunctionText(const std::string& text) {
    functionText = text;
    started = 0;
    if (continuous == 0) {
        if (auto n = num::ParseNumber(text)) {
            remainingTime = static_cast<double>(*n);
            if (remainingTime < 0 && remainingTime != -1) {
                Platform().messages->Show(kWaitingTimeMessage, MsgKind::Warning, MsgButtons::Ok);
            }
            firingTime = remainingTime;
            isExpression = 0;
            value = *n;
            if (*n <= 0) reservation = 0;
            timed = (value == -1) ? 0 : 1;
        } else {
            isExpression = 1;
            functionText = FormulaTextOf(functionText);
        }
    } else {
        reservation = 0;
        timed = 1;
        if (auto n = ParseLenient(text)) {
            value = *n;
            isExpression = 0;
        } else {
            value = 0;
            isExpression = 1;
            functionText = FormulaTextOf(functionText);
        }
    }
    valueLabel->SetText(functionText);
}

void TTransition::RebuildBar() {
    const TPoint c = GetCenter();
    const double halfLong = longSide / 2.0;
    const double halfShort = shortSide / 2.0;
    const double hw = orientation ? halfLong : halfShort;
    const double hh = orientation ? halfShort : halfLong;
    const TRect r{static_cast<int>(std::nearbyint(c.x - hw)), static_cast<int>(std::nearbyint(c.y - hh)),
                  static_cast<int>(std::nearbyint(c.x + hw)), static_cast<int>(std::nearbyint(c.y + hh))};
    bounds = r;
    hit = r;
}

void TTransition::SetSizeClass(int c) {
    if (c < 0 || c > 4) return;
    sizeClass = static_cast<std::uint8_t>(c);
    longSide = kTransitionLongSides[c];
    shortSide = static_cast<int>(std::trunc(longSide / 2.5));
    if (shown) Invalidate(window);
    RebuildBar();
    if (shown) Invalidate(window);
}

void TTransition::SetOrientation(std::uint8_t o) {
    orientation = o ? 1 : 0;
    RebuildBar();
}

void TTransition::SetHighlight(bool on) {
    if ((highlight != 0) == on) return;
    if (shown && highlight) Invalidate(window);
    highlight = on ? 1 : 0;
    if (shown) {
        Invalidate(window);
        Draw();
    }
}

bool TTransition::MoveBy(int dx, int dy, Window* w) {
    if (DragSelectedLabel(*nameLabel, dx, dy, w, shown) ||
        DragSelectedLabel(*valueLabel, dx, dy, w, shown)) {
        return false;
    }
    if (shown) Invalidate(w);
    const TRect oldHit = hit;
    TPoint c;
    switch (MoveDragPosition(dx, dy, bounds.Width() / 2.0, bounds.Height() / 2.0, c)) {
    case GridMove::Stay:
        return false;
    case GridMove::Snapped: {
        const double hw = (orientation ? longSide : shortSide) / 2.0;
        const double hh = (orientation ? shortSide : longSide) / 2.0;
        hit = {static_cast<int>(std::nearbyint(c.x - hw)), static_cast<int>(std::nearbyint(c.y - hh)),
               static_cast<int>(std::nearbyint(c.x + hw)), static_cast<int>(std::nearbyint(c.y + hh))};
        break;
    }
    case GridMove::Free:
        break;
    }
    const int ox = hit.left - oldHit.left, oy = hit.top - oldHit.top;
    if (!KeepLabelOffset(*nameLabel, ox, oy)) PositionTransitionNameLabel(*nameLabel, hit);
    if (!KeepLabelOffset(*valueLabel, ox, oy)) PositionTransitionValueLabel(*valueLabel, hit, GetCenter());
    if (shown) Invalidate(w);
    return true;
}

void TTransition::Invalidate(Window* w) {
    if (!shown) ReportInvalidInvalidate("TTransition");
    TRect r = hit;
    if (highlight) r = {bounds.left - 35, bounds.top - 35, bounds.right + 35, bounds.bottom + 35};
    InvalidateWorld(w, r);
    if (nameLabel->visible) InvalidateWorld(w, nameLabel->hit);
    if (valueLabel->visible) InvalidateWorld(w, valueLabel->hit);
}

} // namespace qz

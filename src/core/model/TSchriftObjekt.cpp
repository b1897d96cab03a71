#include "model/TSchriftObjekt.h"

#include "platform/Canvas.h"
#include "platform/TextMetrics.h"

namespace qz {

TSchriftObjekt::TSchriftObjekt() : TGraphItem(kind::Label, false) {
    bounds = {0, 0, 0, 0};
    hit = {0, 0, 8, 10};
    ++LiveInstances().labels;
}

TSchriftObjekt::~TSchriftObjekt() { --LiveInstances().labels; }

std::unique_ptr<TGraphItem> TSchriftObjekt::Copy(int dx, int dy) const {
    auto c = std::make_unique<TSchriftObjekt>();
    c->SetText(text_);
    c->bounds = bounds.Offset(dx, dy);
    c->hit = hit.Offset(dx, dy);
    c->visible = 1;
    c->SetFont(font_);
    return c;
}

std::vector<std::string> TSchriftObjekt::SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t bar = text.find('|'); bar != std::string::npos; bar = text.find('|', start)) {
        lines.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

void TSchriftObjekt::SetText(const std::string& text) {
    text_ = text;
    lines_ = SplitLines(text);
    Measure();
}

void TSchriftObjekt::SetFont(const TFont& f) {
    font_ = f;
    Measure();
}

void TSchriftObjekt::Measure() {
    Canvas& surface = canvas ? *canvas : MeasuringSurface();
    const TFont saved = surface.font;
    surface.font = font_;
    int width = 10;
    for (const std::string& line : lines_) {
        const int w = surface.TextWidth(line);
        if (w > width) width = w + 10;
    }
    const int lineHeight = surface.TextHeight("H");
    const int height = static_cast<int>(lines_.empty() ? 1 : lines_.size()) * lineHeight;
    surface.font = saved;
    const TRect r{bounds.left, bounds.top, bounds.left + width, bounds.top + height};
    bounds = r;
    hit = r;
}

void TSchriftObjekt::Draw() {
    if (!shown || !canvas) return;
    hit = bounds;
    if (visible) {
        canvas->transparentText = true;
        TFont f = font_;
        if (selected) f.color = errorMark ? colors::Red : colors::Blue;
        canvas->font = f;
        const int h = canvas->TextHeight(lines_.empty() ? std::string() : lines_.front());
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            canvas->TextOut(bounds.left, bounds.top + static_cast<int>(i) * h, lines_[i]);
        }
        canvas->font = TFont{};
        if (selected) {
            canvas->pen = TPen{errorMark ? colors::Yellow : colors::Black, 1, PenStyle::Solid,
                               PenMode::Copy};
            canvas->brush.style = BrushStyle::Clear;
            canvas->Rectangle(hit.left, hit.top, hit.right, hit.bottom);
        }
    } else {
        canvas->brush = TBrush{colors::White, BrushStyle::Solid};
        canvas->FillRect(bounds);
    }
}

bool TSchriftObjekt::HitTest(TPoint p) { return bounds.Contains(p); }

void TSchriftObjekt::Invalidate(Window* w) {
    if (!shown) ReportInvalidInvalidate("TSchriftObjekt");
    const TRect r = hit;
    InvalidateWorld(w, {r.left - 1, r.top - 1, r.right + 1, r.bottom + 1});
}

} // namespace qz

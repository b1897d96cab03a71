#include "GdiRecordingCanvas.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "FontSupport.h"

namespace qz::render {

int GdiRecordingCanvas::RasterOp(PenMode m) {
    // pmBlack .. pmNotXor in order.
    static constexpr int kR2[16] = {1, 16, 11, 6, 13, 4, 14, 5, 12, 3, 15, 2, 9, 8, 7, 10};
    const auto i = static_cast<std::size_t>(m);
    return i < 16 ? kR2[i] : 13;
}

void GdiRecordingCanvas::Fail(const std::string& what) {
    if (!failure_) failure_ = what;
}

double GdiRecordingCanvas::ScaleX() const {
    const TMapping& m = Mapping();
    if (m.mode == MapMode::Text || m.windowExt.x == 0) return 1;
    const double sx = double(m.viewportExt.x) / m.windowExt.x;
    if (m.mode == MapMode::Isotropic && m.windowExt.y != 0) {
        const double sy = double(m.viewportExt.y) / m.windowExt.y;
        return std::copysign(std::min(std::abs(sx), std::abs(sy)), sx);
    }
    return sx;
}

double GdiRecordingCanvas::ScaleY() const {
    const TMapping& m = Mapping();
    if (m.mode == MapMode::Text || m.windowExt.y == 0) return 1;
    const double sy = double(m.viewportExt.y) / m.windowExt.y;
    if (m.mode == MapMode::Isotropic && m.windowExt.x != 0) {
        const double sx = double(m.viewportExt.x) / m.windowExt.x;
        return std::copysign(std::min(std::abs(sx), std::abs(sy)), sy);
    }
    return sy;
}

TPoint GdiRecordingCanvas::Map(TPoint p) const {
    const TMapping& m = Mapping();
    return {static_cast<int>(std::lround((p.x - m.windowOrg.x) * ScaleX())) + m.viewportOrg.x,
            static_cast<int>(std::lround((p.y - m.windowOrg.y) * ScaleY())) + m.viewportOrg.y};
}

TRect GdiRecordingCanvas::MapRect(int l, int t, int r, int b) const {
    const TPoint a = Map({l, t}), c = Map({r, b});
    return {a.x, a.y, c.x, c.y};
}

int GdiRecordingCanvas::MapLength(int v) const {
    return static_cast<int>(std::lround(v * std::abs(ScaleX())));
}

int GdiRecordingCanvas::TextWidth(std::string_view text) { return MeasureTextWidth(font, text); }

int GdiRecordingCanvas::TextHeight(std::string_view) { return MeasureTextHeight(font); }

void GdiRecordingCanvas::SyncPenOnly(const TPen& logical) {
    TPen p = logical;
    p.width = logical.width <= 1 ? logical.width : std::max(1, MapLength(logical.width));
    p.mode = PenMode::Copy;
    if (!selectedPen_ || !(*selectedPen_ == p)) {
        SelectPen(p);
        selectedPen_ = p;
    }
    const int rop = RasterOp(logical.mode);
    if (rop != selectedRop_) {
        SetRop2(rop);
        selectedRop_ = rop;
    }
}

void GdiRecordingCanvas::SyncBrushOnly(const TBrush& b) {
    if (!selectedBrush_ || !(*selectedBrush_ == b)) {
        SelectBrush(b);
        selectedBrush_ = b;
    }
}

void GdiRecordingCanvas::SyncFigureState(bool withBrush) {
    SyncPenOnly(pen);
    SyncBrushOnly(withBrush ? brush : TBrush{brush.color, BrushStyle::Clear});
}

void GdiRecordingCanvas::Polyline(std::span<const TPoint> points) {
    if (points.size() < 2) return;
    SyncFigureState(false);
    std::vector<TPoint> pts;
    pts.reserve(points.size());
    for (const TPoint& p : points) pts.push_back(Map(p));
    WritePolyline(pts);
}

void GdiRecordingCanvas::DrawLine(TPoint from, TPoint to) {
    const TPoint pts[2] = {from, to};
    Polyline(pts);
}

void GdiRecordingCanvas::Polygon(std::span<const TPoint> points) {
    if (points.size() < 2) return;
    SyncFigureState(true);
    std::vector<TPoint> pts;
    pts.reserve(points.size());
    for (const TPoint& p : points) pts.push_back(Map(p));
    WritePolygon(pts);
}

void GdiRecordingCanvas::Rectangle(int left, int top, int right, int bottom) {
    SyncFigureState(true);
    WriteRectangle(MapRect(left, top, right, bottom));
}

void GdiRecordingCanvas::RoundRect(int left, int top, int right, int bottom, int ew, int eh) {
    SyncFigureState(true);
    WriteRoundRect(MapRect(left, top, right, bottom), MapLength(ew),
                   static_cast<int>(std::lround(eh * std::abs(ScaleY()))));
}

void GdiRecordingCanvas::Ellipse(int left, int top, int right, int bottom) {
    SyncFigureState(true);
    WriteEllipse(MapRect(left, top, right, bottom));
}

void GdiRecordingCanvas::FillRect(const TRect& r) {
    if (brush.style == BrushStyle::Clear) return;
    SyncPenOnly(TPen{brush.color, 1, PenStyle::Clear, PenMode::Copy});
    SyncBrushOnly(brush);
    // Without an outline a rectangle leaves out its right and bottom edge.
    const TRect d = MapRect(r.left, r.top, r.right, r.bottom);
    WriteRectangle({d.left, d.top, d.right + 1, d.bottom + 1});
}

void GdiRecordingCanvas::SetPixel(int x, int y, TColor color) { WritePixel(Map({x, y}), color); }

void GdiRecordingCanvas::TextOut(int x, int y, std::string_view utf8) {
    if (utf8.empty()) return;
    const int pixelHeight =
        std::max(1, static_cast<int>(std::lround(FontPixelSize(font.size) * std::abs(ScaleY()))));
    if (!selectedFont_ || !(*selectedFont_ == font) || selectedFontHeight_ != pixelHeight) {
        SelectFont(font, pixelHeight);
        selectedFont_ = font;
        selectedFontHeight_ = pixelHeight;
    }
    if (!textColour_ || *textColour_ != font.color) {
        SetTextColour(font.color);
        textColour_ = font.color;
    }
    const std::pair<bool, TColor> bg{!transparentText, brush.color};
    if (!textBackground_ || *textBackground_ != bg) {
        SetTextBackground(bg.first, bg.second);
        textBackground_ = bg;
    }
    // Character advances from the same metrics that measured the labels, so
    // that readers place every glyph where the screen does.
    const QString s = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    QFontMetricsF fm(ToQFont(font));
    std::vector<int> advances;
    advances.reserve(std::size_t(s.size()));
    double pos = 0;
    int placed = 0;
    const double sx = std::abs(ScaleX());
    for (qsizetype i = 0; i < s.size(); ++i) {
        pos += fm.horizontalAdvance(s.at(i)) * sx;
        const int next = static_cast<int>(std::lround(pos));
        advances.push_back(next - placed);
        placed = next;
    }
    WriteText(Map({x, y}), utf8, advances);
}

GdiRecordingCanvas::~GdiRecordingCanvas() { std::free(memory_); }

bool GdiRecordingCanvas::CollectInMemory(std::FILE*& stream) {
    std::fclose(stream);
    stream = ::open_memstream(&memory_, &memorySize_);
    if (!stream) Fail("not enough memory for the picture");
    return stream != nullptr;
}

std::vector<std::uint8_t> GdiRecordingCanvas::Collected() const {
    return std::vector<std::uint8_t>(memory_, memory_ + memorySize_);
}

} // namespace qz::render

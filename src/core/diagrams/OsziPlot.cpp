#include "diagrams/OsziPlot.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>
#include <vector>

#include "common/NumberFormat.h"
#include "diagrams/TPunktListe.h"
#include "platform/Services.h"

namespace qz::diagrams {

namespace {

// No grid walk draws more lines than this, whatever the borders are.
constexpr int kMaxGridLines = 2000;
// The full curve draws about this many samples.
constexpr int kCurveSamples = 750;
// Pixel coordinates are kept within this range (far-away samples of a
// zoomed-in plot, infinite borders).
constexpr long double kPixelLimit = 1e9L;

// Rounding to nearest, ties to even.
long double RoundNearest(long double v) {
    return std::nearbyint(v);
}

// v truncated toward zero as an int in [lo, hi]; NaN gives lo.
int ClampedInt(long double v, int lo, int hi) {
    if (!(v >= lo))
        return lo;
    if (v > hi)
        return hi;
    return static_cast<int>(v);
}

int ToPixel(long double v) {
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::clamp(v, -kPixelLimit, kPixelLimit));
}

bool Ordered(long double lo, long double hi) {
    return lo < hi || lo > hi;
}

void Line(Canvas& c, int x0, int y0, int x1, int y1) {
    c.MoveTo(x0, y0);
    c.LineTo(x1, y1);
}

// Calls `at` for every multiple of `step` from lo up to hi except 0: the
// grid lines of one axis. Gives up on steps that cannot walk the span.
template <class At> void ForEachGridValue(long double lo, long double hi, long double step, At at) {
    if (!(step > 0) || !std::isfinite(step) || !std::isfinite(lo) || !std::isfinite(hi))
        return;
    long double i = RoundNearest(lo / step + 0.4999L);
    if (!std::isfinite(i))
        return;
    long double previous = -std::numeric_limits<long double>::infinity();
    for (int n = 0; n < kMaxGridLines; ++n, i += 1) {
        const long double v = i * step;
        if (!(v <= hi) || !(v > previous))
            break;
        previous = v;
        if (v != 0)
            at(v);
    }
}

std::string Label(long double v, int decimals) {
    return num::FormatGeneral(v, std::clamp(decimals + 3, 1, 18));
}

// Borders that cannot be drawn become +-1: equal ones silently (all four),
// ones that are not numbers per axis with a message.
void RepairBorders(PlotBorders& b) {
    if (b.xmin == b.xmax || b.ymin == b.ymax) {
        b.xmax = 1;
        b.xmin = -1;
        b.ymax = 1;
        b.ymin = -1;
    }
    if (!Ordered(b.xmin, b.xmax)) {
        Platform().messages->Show(kXBordersInvalid, MsgKind::Information, MsgButtons::Ok);
        b.xmax = 1;
        b.xmin = -1;
    }
    if (!Ordered(b.ymin, b.ymax)) {
        Platform().messages->Show(kYBordersInvalid, MsgKind::Information, MsgButtons::Ok);
        b.ymax = 1;
        b.ymin = -1;
    }
}

struct Frame {
    int width, height;
    const PlotSettings& settings;
    const PlotBorders& b;
    PlotMapping m;
    bool xAxis, yAxis; // the x axis (y = 0) and the y axis (x = 0) are drawn

    Frame(int w, int h, const PlotSettings& s, const PlotBorders& borders)
        : width(w), height(h), settings(s), b(borders), m(borders, w, h),
          xAxis(s.axesVisible && b.ymin <= 0 && 0 <= b.ymax),
          yAxis(s.axesVisible && b.xmin <= 0 && 0 <= b.xmax) {}
};

void DrawAxes(Canvas& c, const Frame& f) {
    c.pen = TPen{f.settings.axesColor, 1, PenStyle::Solid, PenMode::Copy};
    if (f.yAxis)
        Line(c, f.m.originColumn, 0, f.m.originColumn, f.height);
    if (f.xAxis)
        Line(c, 0, f.m.originRow, f.width, f.m.originRow);
}

void DrawVerticalGrid(Canvas& c, const Frame& f) {
    const long double dx = f.b.xmax - f.b.xmin;
    const int decimals = LabelDecimals(dx, true);
    const long double cell = c.TextWidth("99999999") + 0.00004L * dx;
    const int nx = ClampedInt(RoundNearest(f.width / cell), 1, std::max(1, f.width));
    const TPen grid{f.settings.gridColor, 1, PenStyle::Dot, PenMode::Copy};
    const TPen ticks{f.settings.axesColor, 1, PenStyle::Solid, PenMode::Copy};
    const int row = f.m.originRow;
    ForEachGridValue(f.b.xmin, f.b.xmax, GridStep(dx, nx), [&](long double x) {
        const int px = f.m.X(x);
        if (f.settings.gridVisible) {
            c.pen = grid;
            Line(c, px, 0, px, f.height);
        }
        if (f.xAxis) {
            c.pen = ticks;
            Line(c, px, row - 2, px, row);
        }
        if (f.settings.valuesVisible) {
            const std::string text = Label(x, decimals);
            int y = row + 2;
            if (!f.xAxis)
                y = f.b.ymin >= 0 ? f.height - c.TextHeight(text) - 2 : 2;
            c.TextOut(px - 7, y, text);
        }
    });
}

void DrawHorizontalGrid(Canvas& c, const Frame& f) {
    const long double dy = f.b.ymax - f.b.ymin;
    const int decimals = LabelDecimals(dy, false);
    const int textHeight = c.TextHeight("9");
    const int ny =
        textHeight > 0 ? std::clamp(f.height / (2 * textHeight), 1, std::max(1, f.height)) : 1;
    const TPen grid{f.settings.gridColor, 1, PenStyle::Dot, PenMode::Copy};
    const TPen ticks{f.settings.axesColor, 1, PenStyle::Solid, PenMode::Copy};
    const int column = f.m.originColumn;
    ForEachGridValue(f.b.ymin, f.b.ymax, GridStep(dy, ny), [&](long double y) {
        const int py = f.m.Y(y);
        if (f.settings.gridVisible) {
            c.pen = grid;
            Line(c, 0, py, f.width, py);
        }
        if (f.yAxis) {
            c.pen = ticks;
            Line(c, column + 1, py, column + 3, py);
        }
        if (f.settings.valuesVisible) {
            const std::string text = Label(y, decimals);
            int x = column + 4;
            if (!f.yAxis)
                x = f.b.xmin >= 0 ? 2 : f.width - c.TextWidth(text) - 2;
            c.TextOut(x, py - 6, text);
        }
    });
}

void DrawAxisNames(Canvas& c, const Frame& f) {
    const std::string& xName = f.settings.xName;
    if (!xName.empty()) {
        const int th = c.TextHeight(xName);
        int y = f.m.originRow - th - 2;
        if (!f.xAxis)
            y = f.b.ymin >= 0 ? f.height - th - 2 : 2;
        c.TextOut(f.width - c.TextWidth(xName) - 2, y, xName);
    }
    const std::string& yName = f.settings.yName;
    if (!yName.empty()) {
        int x = f.m.originColumn - 15;
        if (!f.yAxis)
            x = f.b.xmin > 0 ? 30 : f.width - 30;
        c.TextOut(x, 2, yName);
    }
}

bool Inside(const TPunkt& p, const PlotBorders& b) {
    return p.x >= b.xmin && p.x <= b.xmax && p.y >= b.ymin && p.y <= b.ymax;
}

void DrawCurve(Canvas& c, TPunktListe& trace, const PlotSettings& s, const PlotBorders& b,
               const PlotMapping& m) {
    if (trace.Count() < 2)
        return;
    c.pen = TPen{colors::Black, 1, PenStyle::Solid, PenMode::Copy};
    const int stride = SampleStride(trace.Count());
    TPunkt* p = trace.First();
    c.MoveTo(m.X(p->x), m.Y(p->y));
    for (std::int32_t i = stride; (p = trace.At(i)) != nullptr; i += stride) {
        if (s.curve == TKurveTyp::Balken) {
            c.LineTo(m.X(p->x), m.Y(p->previous->y));
            c.LineTo(m.X(p->x), m.Y(p->y));
        } else if (Inside(*p, b)) {
            c.LineTo(m.X(p->x), m.Y(p->y));
        } else {
            c.MoveTo(m.X(p->x), m.Y(p->y));
        }
    }
}

} // namespace

bool PlotBorders::SetXMax(long double v) {
    if (!(v > xmin))
        return false;
    xmax = v;
    return true;
}

bool PlotBorders::SetXMin(long double v) {
    if (!(v < xmax))
        return false;
    xmin = v;
    return true;
}

bool PlotBorders::SetYMax(long double v) {
    if (!(v > ymin))
        return false;
    ymax = v;
    return true;
}

bool PlotBorders::SetYMin(long double v) {
    if (!(v < ymax))
        return false;
    ymin = v;
    return true;
}

void PlotBorders::Init() {
    xmax = 1;
    ymax = 1;
    xmin = -1;
    ymin = -1;
}

PlotMapping::PlotMapping(const PlotBorders& b, int width, int height)
    : b_(b), width_(width), height_(height) {
    originColumn = ToPixel(-b.xmin * width / (b.xmax - b.xmin));
    originRow = ToPixel(b.ymax * height / (b.ymax - b.ymin));
}

int PlotMapping::X(long double x) const {
    return ToPixel(x * width_ / (b_.xmax - b_.xmin) + originColumn);
}

int PlotMapping::Y(long double y) const {
    return ToPixel(originRow - y * height_ / (b_.ymax - b_.ymin));
}

long double PlotMapping::DataX(int px) const {
    return width_ > 0 ? (px - originColumn) * (b_.xmax - b_.xmin) / width_ : b_.xmin;
}

long double PlotMapping::DataY(int py) const {
    return height_ > 0 ? (originRow - py) * (b_.ymax - b_.ymin) / height_ : b_.ymin;
}

void AutoScale(TPunktListe& trace, PlotBorders& b) {
    if (trace.Count() < 2) {
        b.Init();
        return;
    }
    long double m = (trace.Last()->x - trace.First()->x) / 10;
    if (m != 0) {
        b.xmax = trace.Last()->x + m;
        b.xmin = trace.First()->x - m;
    }
    const long double lo = trace.MinY(), hi = trace.MaxY();
    m = (hi - lo) / 10;
    if (std::fabs(m) > 0.00001L) {
        b.ymax = hi + m;
        b.ymin = lo - m;
    }
}

int LabelDecimals(long double span, bool xAxis) {
    int decimals = xAxis && span > 16 ? 1 : 2;
    if (span < 1)
        decimals = ClampedInt(std::fabs(std::log10(span) + 0.000001L) + 3, 0, 15);
    return decimals;
}

long double GridStep(long double span, int intervals) {
    if (!(span > 0) || !std::isfinite(span) || intervals < 1)
        return 0;
    const long double magnitude = std::pow(10.0L, RoundNearest(std::log10(span / 2)));
    long double k = magnitude / (span / intervals);
    if (k > 5) {
        if (k >= 10) {
            if (std::fmod(k, 10) != 0)
                k = std::pow(10.0L, RoundNearest(std::log10(k)));
        } else {
            k = 5;
        }
    }
    if (k < 1)
        k = 1;
    const long double step = magnitude / RoundNearest(k);
    return std::isfinite(step) && step > 0 ? step : 0;
}

int SampleStride(int count) {
    return std::max(count, 0) / kCurveSamples + 1;
}

void ZoomIn(PlotBorders& b, long double cx, long double cy) {
    const long double w = b.xmax - b.xmin, h = b.ymax - b.ymin;
    b.xmax = cx + w / 4;
    b.xmin = cx - w / 4;
    b.ymax = cy + h / 4;
    b.ymin = cy - h / 4;
}

void ZoomOut(PlotBorders& b, long double cx, long double cy) {
    const long double w = b.xmax - b.xmin, h = b.ymax - b.ymin;
    b.xmax = cx + w;
    b.xmin = cx - w;
    b.ymax = cy + h;
    b.ymin = cy - h;
}

void ZoomRect(PlotBorders& b, long double x0, long double y0, long double x1, long double y1) {
    if (x0 == x1 || y0 == y1)
        return;
    b.xmax = std::max(x0, x1);
    b.xmin = std::min(x0, x1);
    b.ymax = std::max(y0, y1);
    b.ymin = std::min(y0, y1);
}

void Move(PlotBorders& b, int dpx, int dpy, int width, int height) {
    const long double w = b.xmax - b.xmin, h = b.ymax - b.ymin;
    if (width > 0) {
        b.xmin -= w * dpx / width;
        b.xmax = b.xmin + w;
    }
    if (height > 0) {
        b.ymin += h * dpy / height;
        b.ymax = b.ymin + h;
    }
}

void CenterAxis(PlotBorders& b) {
    b.xmax = (b.xmax - b.xmin) / 2;
    b.xmin = -b.xmax;
    b.ymax = (b.ymax - b.ymin) / 2;
    b.ymin = -b.ymax;
}

void PasteFormat(PlotBorders& b, const WindowFormat& f) {
    b.SetXMax(f.xmax);
    b.SetYMax(f.ymax);
    b.SetXMin(f.xmin);
    b.SetYMin(f.ymin);
}

namespace {

constexpr std::string_view kFormatTag = "Quenzor window format";
constexpr int kMinFormatSide = 20, kMaxFormatSide = 10000;

std::vector<std::string_view> SplitFields(std::string_view text) {
    std::vector<std::string_view> out;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(';', start);
        out.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return out;
        start = end + 1;
    }
}

} // namespace

std::string FormatText(const WindowFormat& f) {
    std::string text(kFormatTag);
    for (long double v : {f.xmax, f.ymax, f.xmin, f.ymin})
        text += ';' + num::FormatGeneral(v, 18);
    text += ';' + std::to_string(f.width) + ';' + std::to_string(f.height);
    return text;
}

std::optional<WindowFormat> ParseFormatText(const std::string& text) {
    std::string_view line(text);
    while (!line.empty() &&
           std::string_view(" \t\r\n").find(line.back()) != std::string_view::npos) {
        line.remove_suffix(1);
    }
    const std::vector<std::string_view> fields = SplitFields(line);
    if (fields.size() != 7 || fields[0] != kFormatTag)
        return std::nullopt;
    long double values[4];
    for (int i = 0; i < 4; ++i) {
        const std::optional<long double> v = num::ParseNumber(fields[1 + i]);
        if (!v || !std::isfinite(*v))
            return std::nullopt;
        values[i] = *v;
    }
    const std::optional<long long> width = num::ParseInteger(fields[5]);
    const std::optional<long long> height = num::ParseInteger(fields[6]);
    for (const auto& side : {width, height}) {
        if (!side || *side < kMinFormatSide || *side > kMaxFormatSide)
            return std::nullopt;
    }
    WindowFormat f{values[0],
                   values[1],
                   values[2],
                   values[3],
                   static_cast<int>(*width),
                   static_cast<int>(*height)};
    if (!(f.xmax > f.xmin) || !(f.ymax > f.ymin))
        return std::nullopt;
    return f;
}

void PaintPlot(Canvas& canvas, int width, int height, TPunktListe& trace,
               const PlotSettings& settings, PlotBorders& borders) {
    canvas.brush = TBrush{settings.background, BrushStyle::Solid};
    canvas.FillRect(TRect{0, 0, width, height});
    if (settings.autoScale)
        AutoScale(trace, borders);
    RepairBorders(borders);
    const Frame frame(width, height, settings, borders);
    DrawAxes(canvas, frame);
    canvas.font = settings.font;
    canvas.transparentText = true;
    DrawVerticalGrid(canvas, frame);
    DrawHorizontalGrid(canvas, frame);
    DrawAxisNames(canvas, frame);
    DrawCurve(canvas, trace, settings, borders, frame.m);
}

void PaintLastSegment(Canvas& canvas, int width, int height, TPunktListe& trace,
                      const PlotSettings& settings, const PlotBorders& borders) {
    PaintNewSegments(canvas, width, height, trace, settings, borders, 1);
}

void PaintNewSegments(Canvas& canvas, int width, int height, TPunktListe& trace, const PlotSettings& settings,
                      const PlotBorders& borders, int newest) {
    newest = std::min(newest, trace.Count() - 1);
    if (newest < 1)
        return;
    const PlotMapping m(borders, width, height);
    const TPunkt* from = trace.Last();
    for (int i = 0; i < newest; ++i)
        from = from->previous;
    canvas.pen = TPen{colors::Black, 1, PenStyle::Solid, PenMode::Copy};
    canvas.MoveTo(m.X(from->x), m.Y(from->y));
    for (const TPunkt* p = from->next; p; p = p->next) {
        if (settings.curve == TKurveTyp::Balken)
            canvas.LineTo(m.X(p->x), m.Y(p->previous->y));
        canvas.LineTo(m.X(p->x), m.Y(p->y));
    }
}

} // namespace qz::diagrams

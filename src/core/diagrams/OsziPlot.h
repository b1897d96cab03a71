#pragma once
#include <optional>
#include <string>

#include "platform/Canvas.h"

namespace qz::diagrams {

class TPunktListe;

// How a trace is drawn: a polyline through the samples, or steps.
enum class TKurveTyp : int { Glatt = 0, Balken = 1 };

// The visible borders of a plot. The setters keep the order of the borders:
// a new xmax is taken only when it is greater than xmin, a new xmin only when
// it is less than xmax (the same for y); a refused value is dropped.
struct PlotBorders {
    long double xmin = -1, xmax = 1, ymin = -1, ymax = 1;

    bool SetXMax(long double v);
    bool SetXMin(long double v);
    bool SetYMax(long double v);
    bool SetYMin(long double v);
    // xmax 1, ymax 1, xmin -1, ymin -1 ("Init Axis", also what invalid
    // borders fall back to).
    void Init();
    friend bool operator==(const PlotBorders&, const PlotBorders&) = default;
};

// What a plot shows and how (the panel's published properties, with the
// values a new oscilloscope starts with).
struct PlotSettings {
    bool axesVisible = true;   // AchsenVisible
    bool valuesVisible = true; // WerteVisible
    bool gridVisible = false;  // RasterVisible
    bool manual = false;       // Manuell: edit fields at the axis ends
    bool autoScale = true;     // AutoScale
    TColor axesColor = colors::Black;          // AchsenColor
    TColor gridColor = RGB(0xC0, 0xC0, 0xC0);  // RasterColor (silver)
    TColor background = colors::White;
    TFont font;                // AchsenFont, 8 point
    std::string xName = "t";   // XAchseName
    std::string yName;         // YAchseName
    TKurveTyp curve = TKurveTyp::Glatt;
};

// Data coordinates <-> panel pixels for a panel of width x height pixels
// (truncation toward zero, as the plot draws):
//   origin column = trunc(-xmin * width / (xmax - xmin)),
//   origin row    = trunc(ymax * height / (ymax - ymin)),
//   pixel x = trunc(x * width / (xmax - xmin) + origin column),
//   pixel y = trunc(origin row - y * height / (ymax - ymin)).
struct PlotMapping {
    PlotMapping(const PlotBorders& b, int width, int height);
    int originColumn = 0, originRow = 0;
    int X(long double x) const;
    int Y(long double y) const;
    long double DataX(int px) const;
    long double DataY(int py) const;

private:
    PlotBorders b_;
    int width_, height_;
};

// Automatic scaling: with fewer than 2 samples the borders become +-1;
// otherwise the x borders lie a tenth of the time span beyond the first and
// last sample (kept when the span is 0), the y borders a tenth of the value
// span beyond the smallest and largest value (kept when that tenth is not
// above 0,00001).
void AutoScale(TPunktListe& trace, PlotBorders& borders);

// Label decimals: x: 1 when the span is above 16, else 2; y: 2; either,
// for a span below 1, trunc(|log10(span) + 0,000001| + 3).
int LabelDecimals(long double span, bool xAxis);
// The grid step for a span cut into about `intervals` intervals: a power of
// ten divided by 1, 2, 5 or 10 (the rounded k of the plot's rule).
long double GridStep(long double span, int intervals);
// Every how-many-th sample the full curve draws: trunc(count / 750) + 1.
int SampleStride(int count);

// The mouse modes of the plot, on data coordinates (c the clicked point).
// Zoom in halves both spans around c, zoom out doubles them around c; a
// zoom rectangle takes the two corners (ignored unless they differ in both
// x and y); a move shifts by a mouse movement of (dpx, dpy) pixels on a
// panel of width x height (moving up raises the values).
void ZoomIn(PlotBorders& b, long double cx, long double cy);
void ZoomOut(PlotBorders& b, long double cx, long double cy);
void ZoomRect(PlotBorders& b, long double x0, long double y0, long double x1, long double y1);
void Move(PlotBorders& b, int dpx, int dpy, int width, int height);
// "Center Axis": the spans stay, the origin moves to the middle.
void CenterAxis(PlotBorders& b);

// The window-format clipboard ("Window Format" -> "Copy", "Paste").
struct WindowFormat {
    long double xmax = 1, ymax = 1, xmin = -1, ymin = -1;
    int width = 0, height = 0;
};
// Applies a pasted format through the setters in the order xmax, ymax, xmin,
// ymin (each refused value is dropped: a new xmax below the current xmin
// stays the old one, and then xmin is set).
void PasteFormat(PlotBorders& b, const WindowFormat& f);
// The format as a text (one line of six numbers, decimal comma) for the
// system clipboard, and read back from a text; none for a text that is no
// such format (from another program, damaged, out of range).
std::string FormatText(const WindowFormat& f);
std::optional<WindowFormat> ParseFormatText(const std::string& text);

inline constexpr char kXBordersInvalid[] = "The x borders are invalid. Now default values are loaded ...";
inline constexpr char kYBordersInvalid[] = "The y borders are invalid. Now default values are loaded ...";

// Draws a plot of `trace` on a canvas of width x height pixels (text
// mapping, origin at the top left): background, automatic scaling when on,
// axes, grid, ticks, value labels, axis names and the curve (at most about
// 750 samples by striding), as the oscilloscope panel paints. Borders that
// are equal are set back to +-1; borders that are not numbers are reported
// (kXBordersInvalid, kYBordersInvalid) and set to +-1.
void PaintPlot(Canvas& canvas, int width, int height, TPunktListe& trace, const PlotSettings& settings,
               PlotBorders& borders);
// Draws only the newest part of the curve: with at least 2 samples, the
// last segment (Glatt) or the last step (Balken).
void PaintLastSegment(Canvas& canvas, int width, int height, TPunktListe& trace, const PlotSettings& settings,
                      const PlotBorders& borders);
// Draws the segments (or steps) that end in the newest `newest` samples, for
// a window that has drawn the rest already.
void PaintNewSegments(Canvas& canvas, int width, int height, TPunktListe& trace, const PlotSettings& settings,
                      const PlotBorders& borders, int newest);

} // namespace qz::diagrams

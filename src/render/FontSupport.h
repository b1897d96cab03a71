#pragma once
#include <QFont>

#include "platform/Canvas.h"
#include "platform/TextMetrics.h"

namespace qz::render {

// Nets name "Arial"; Arial is drawn with the metric-compatible
// "Liberation Sans" when it is installed, so that labels measure the same on
// every machine. Sizes are points at 96 logical units per inch, as the
// screen shows them.
QString FontFamilyFor(const std::string& name);
int FontPixelSize(int points);
QFont ToQFont(const TFont& f);

// Creates the QGuiApplication that fonts need, when none exists (command-line
// use). Safe to call repeatedly.
void EnsureGuiApplication();

// Measures text with Qt's font metrics; draws nothing.
class QtTextMeasurer final : public MeasuringCanvas {
public:
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;
};

// Installs a Qt measuring surface for labels (qz::SetMeasuringSurface) for
// the lifetime of the object, restoring the previous surface afterwards.
class ScopedQtMeasuring {
public:
    ScopedQtMeasuring();
    ~ScopedQtMeasuring();
    ScopedQtMeasuring(const ScopedQtMeasuring&) = delete;
    ScopedQtMeasuring& operator=(const ScopedQtMeasuring&) = delete;

private:
    QtTextMeasurer measurer_;
    Canvas* previous_;
};

// Text width and height of a font in logical units.
int MeasureTextWidth(const TFont& f, std::string_view utf8);
int MeasureTextHeight(const TFont& f);
int MeasureAscent(const TFont& f);
// The Qt font for a canvas font, cached for the last font asked for.
const QFont& CachedQFont(const TFont& f);

} // namespace qz::render

#include "platform/TextMetrics.h"

#include <cmath>

#include "platform/Canvas.h"

namespace qz {
namespace {

// Measures only. An average Arial advance is a little over half the em, a
// line a little over the em, in pixels at 96 dpi.
class HeadlessMetrics final : public MeasuringCanvas {
public:
    int TextWidth(std::string_view text) override {
        int chars = 0;
        for (unsigned char c : text) {
            if ((c & 0xC0) != 0x80) ++chars;
        }
        return static_cast<int>(std::lround(chars * PixelSize() * 0.55));
    }
    int TextHeight(std::string_view) override {
        return static_cast<int>(std::lround(PixelSize() * 1.15));
    }

private:
    double PixelSize() const { return font.size * 96.0 / 72.0; }
};

Canvas* g_surface = nullptr;

} // namespace

Canvas& MeasuringSurface() {
    static HeadlessMetrics fallback;
    return g_surface ? *g_surface : fallback;
}

void SetMeasuringSurface(Canvas* surface) { g_surface = surface; }

} // namespace qz

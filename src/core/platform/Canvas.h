#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/Geometry.h"
#include "platform/Color.h"

namespace qz {

enum class PenStyle : std::uint8_t { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, Clear = 5 };

// Raster operations of the pen, numbered as the shape records of net files
// store them (4 = copy, 12 = mask).
enum class PenMode : std::uint8_t {
    Black = 0, White, Nop, Not, Copy, NotCopy, MergePenNot, MaskPenNot,
    MergeNotPen, MaskNotPen, Merge, NotMerge, Mask, NotMask, Xor, NotXor
};

enum class BrushStyle : std::uint8_t { Solid, Clear };

enum FontStyleBits : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

struct TPen {
    TColor color = colors::Black;
    int width = 1;
    PenStyle style = PenStyle::Solid;
    PenMode mode = PenMode::Copy;
    friend bool operator==(const TPen&, const TPen&) = default;
};

struct TBrush {
    TColor color = colors::White;
    BrushStyle style = BrushStyle::Solid;
    friend bool operator==(const TBrush&, const TBrush&) = default;
};

struct TFont {
    std::string name = "Arial";
    int size = 8; // points
    TColor color = colors::Black;
    std::uint8_t style = 0; // FontStyleBits
    friend bool operator==(const TFont&, const TFont&) = default;
};

enum class MapMode : std::uint8_t { Text, Isotropic, Anisotropic };

// Logical-to-device mapping: device = (logical - windowOrg) * viewportExt /
// windowExt + viewportOrg; isotropic mode keeps both axes at the same scale.
struct TMapping {
    MapMode mode = MapMode::Text;
    TPoint windowOrg{};
    TPoint windowExt{1, 1};
    TPoint viewportOrg{};
    TPoint viewportExt{1, 1};
    friend bool operator==(const TMapping&, const TMapping&) = default;
};

// A drawing surface. Elements set the public pen, brush and font and then
// call the drawing operations, which use the state as it is at the call.
// Rectangle-like operations follow the usual raster convention: the right
// and bottom edges are excluded; closed figures are outlined with the pen and
// filled with the brush.
class Canvas {
public:
    TPen pen;
    TBrush brush;
    TFont font;
    // Text is drawn without a background box when set.
    bool transparentText = true;

    virtual ~Canvas() = default;

    virtual int TextWidth(std::string_view text) = 0;
    virtual int TextHeight(std::string_view text) = 0;

    void MoveTo(int x, int y) { penPos_ = {x, y}; }
    void LineTo(int x, int y) {
        DrawLine(penPos_, {x, y});
        penPos_ = {x, y};
    }
    TPoint PenPos() const { return penPos_; }

    virtual void Polyline(std::span<const TPoint> points) = 0;
    virtual void Polygon(std::span<const TPoint> points) = 0;
    virtual void Rectangle(int left, int top, int right, int bottom) = 0;
    virtual void RoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                           int ellipseHeight) = 0;
    virtual void Ellipse(int left, int top, int right, int bottom) = 0;
    virtual void TextOut(int x, int y, std::string_view utf8) = 0;
    // Fills with the brush, without outline.
    virtual void FillRect(const TRect& r) = 0;
    virtual void SetPixel(int x, int y, TColor color) = 0;

    const TMapping& Mapping() const { return mapping_; }
    void SetMapMode(MapMode m) { mapping_.mode = m; MappingChanged(); }
    void SetWindowOrg(int x, int y) { mapping_.windowOrg = {x, y}; MappingChanged(); }
    void SetWindowExt(int w, int h) { mapping_.windowExt = {w, h}; MappingChanged(); }
    void SetViewportOrg(int x, int y) { mapping_.viewportOrg = {x, y}; MappingChanged(); }
    void SetViewportExt(int w, int h) { mapping_.viewportExt = {w, h}; MappingChanged(); }
    void SetMapping(const TMapping& m) { mapping_ = m; MappingChanged(); }

protected:
    virtual void DrawLine(TPoint from, TPoint to) = 0;
    virtual void MappingChanged() {}

private:
    TPoint penPos_{};
    TMapping mapping_{};
};

} // namespace qz

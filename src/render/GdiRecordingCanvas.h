#pragma once
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace qz::render {

// The common part of the metafile canvases: applies the canvas mapping to
// every coordinate (the files are written in picture pixels, so that
// readers need no mapping support and far-away world coordinates fit the
// 16-bit records of ".wmf"), tracks which pen, brush, font, raster operation
// and text background are selected in the file, and measures text with the
// same font metrics as the screen. Subclasses write the records.
class GdiRecordingCanvas : public Canvas {
public:
    // R2 raster operation codes of the pen modes.
    static int RasterOp(PenMode m);

    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;

    void Polyline(std::span<const TPoint> points) override;
    void Polygon(std::span<const TPoint> points) override;
    void Rectangle(int left, int top, int right, int bottom) override;
    void RoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                   int ellipseHeight) override;
    void Ellipse(int left, int top, int right, int bottom) override;
    void TextOut(int x, int y, std::string_view utf8) override;
    void FillRect(const TRect& r) override;
    void SetPixel(int x, int y, TColor color) override;

    // The first failure of the record writer, if any.
    const std::optional<std::string>& Failure() const { return failure_; }

    ~GdiRecordingCanvas() override;

protected:
    GdiRecordingCanvas() = default;

    // libUEMF writes to the file it opened (/dev/null here): swaps that
    // stream for one that collects the bytes in memory. False, with the
    // failure noted, when there is none.
    bool CollectInMemory(std::FILE*& stream);
    // What the stream collected, once libUEMF has closed it.
    std::vector<std::uint8_t> Collected() const;

    // Pen, brush and font in picture pixels.
    virtual void SelectPen(const TPen& p) = 0;
    virtual void SelectBrush(const TBrush& b) = 0;
    virtual void SelectFont(const TFont& f, int pixelHeight) = 0;
    virtual void SetRop2(int r2) = 0;
    virtual void SetTextBackground(bool opaque, TColor colour) = 0;
    virtual void SetTextColour(TColor c) = 0;
    virtual void WritePolyline(const std::vector<TPoint>& pts) = 0;
    virtual void WritePolygon(const std::vector<TPoint>& pts) = 0;
    virtual void WriteRectangle(const TRect& r) = 0;
    virtual void WriteRoundRect(const TRect& r, int ew, int eh) = 0;
    virtual void WriteEllipse(const TRect& r) = 0;
    // Advances: one per UTF-16 unit of the text, in picture pixels.
    virtual void WriteText(TPoint p, std::string_view utf8, const std::vector<int>& advances) = 0;
    virtual void WritePixel(TPoint p, TColor c) = 0;

    void DrawLine(TPoint from, TPoint to) override;
    void Fail(const std::string& what);

private:
    TPoint Map(TPoint p) const;
    TRect MapRect(int l, int t, int r, int b) const;
    int MapLength(int v) const;
    double ScaleX() const;
    double ScaleY() const;
    void SyncFigureState(bool withBrush);
    void SyncPenOnly(const TPen& p);
    void SyncBrushOnly(const TBrush& b);

    char* memory_ = nullptr;
    std::size_t memorySize_ = 0;
    std::optional<TPen> selectedPen_;
    std::optional<TBrush> selectedBrush_;
    std::optional<TFont> selectedFont_;
    int selectedFontHeight_ = 0;
    int selectedRop_ = -1;
    std::optional<std::pair<bool, TColor>> textBackground_;
    std::optional<TColor> textColour_;
    std::optional<std::string> failure_;
};

} // namespace qz::render

#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "GdiRecordingCanvas.h"

namespace qz::render {

// Records the drawing as an enhanced metafile (".emf") with libUEMF, in
// memory. The picture is width x height pixels; its frame, the size it is
// shown at, is `frameScale` hundredths of a millimetre per pixel (0: 96 dpi).
// `name` describes the picture in the header ("Quenzor" and the name).
class EmfCanvas final : public GdiRecordingCanvas {
public:
    EmfCanvas(int width, int height, int frameScale = 0, std::string_view name = "Net");
    ~EmfCanvas() override;
    // Writes the end record and gives the file's bytes; false with `error`
    // set on failure.
    bool Finish(std::vector<std::uint8_t>& bytes, std::string* error = nullptr);

protected:
    void SelectPen(const TPen& p) override;
    void SelectBrush(const TBrush& b) override;
    void SelectFont(const TFont& f, int pixelHeight) override;
    void SetRop2(int r2) override;
    void SetTextBackground(bool opaque, TColor colour) override;
    void SetTextColour(TColor c) override;
    void WritePolyline(const std::vector<TPoint>& pts) override;
    void WritePolygon(const std::vector<TPoint>& pts) override;
    void WriteRectangle(const TRect& r) override;
    void WriteRoundRect(const TRect& r, int ew, int eh) override;
    void WriteEllipse(const TRect& r) override;
    void WriteText(TPoint p, std::string_view utf8, const std::vector<int>& advances) override;
    void WritePixel(TPoint p, TColor c) override;

private:
    struct State;
    void Append(char* record, const char* what);
    std::unique_ptr<State> s_;
};

} // namespace qz::render

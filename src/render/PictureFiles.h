#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace qz::render {

enum class PictureFormat { Emf, Wmf, Svg, Pdf, Png };

// The format named by a file's extension (".emf", ".wmf", ".svg", ".pdf",
// ".png", any case); none for other names.
std::optional<PictureFormat> PictureFormatOf(const std::string& path);

// Raster pictures are drawn and encoded in horizontal strips of about this
// many bytes (at least one row), so that memory stays small whatever their
// size; for tests of the strip seams.
void SetRasterStripBytes(std::size_t bytes);

// What the pictures of nets and of diagrams share: a drawing on a canvas
// made into a file of one of the picture formats.

// A picture's size in pixels and the mapping its drawing is made with.
struct PictureSetup {
    int width = 1, height = 1;
    TMapping mapping;
};

// How the files describe themselves.
struct PictureLabels {
    const char* svgTitle = "Quenzor net";
    const char* emfName = "Net"; // follows "Quenzor" in the header
    int emfFrameScale = 0;       // see EmfCanvas
};

// Draws a picture on a canvas whose mapping is set up. For a raster picture
// it is called once per strip with the strip's pixel rows [top, bottom) and
// the mapping shifted to them: it may draw only what reaches into them, or
// everything. Vector pictures are drawn once, with the rows of the whole.
using PictureDrawing = std::function<void(Canvas& canvas, int top, int bottom)>;

// The same drawing in parts that, drawn one after another, make the whole
// (a net's elements in groups). An SVG draws each part with a painter of its
// own and joins them, so that a large picture is never held in memory whole.
struct PictureParts {
    std::size_t count = 0;
    std::function<void(Canvas& canvas, std::size_t part)> draw;
};

// A vector picture (EMF, WMF, SVG, PDF) made in memory; none with `error`
// set when it cannot be made.
std::optional<std::vector<std::uint8_t>>
VectorPicture(const PictureSetup& setup, PictureFormat format, const PictureDrawing& draw,
              const PictureLabels& labels, std::string* error);

// Writes the picture to `path`, replacing the file only when it was written
// whole; PNG is drawn and encoded strip by strip, SVG and PDF as they are
// drawn, straight into the file (SVG part by part when `parts` are given).
// False with the reason in `error` ("cannot write <path>: ..." when the file
// fails).
bool WritePictureFile(const std::string& path, const PictureSetup& setup, PictureFormat format,
                      const PictureDrawing& draw, const PictureLabels& labels, std::string* error,
                      const PictureParts& parts = {});

// Sets `error` to `text` (when given); false.
bool FailWith(std::string* error, const std::string& text);

} // namespace qz::render

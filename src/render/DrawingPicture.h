#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace qz::render {

// Writes a picture of width x height pixels that `draw` paints on a canvas
// (text mapping, origin at the top left), in the format of the path's
// extension (.emf, .wmf, .svg, .pdf, .png); replaces the file only when it was
// written whole. False with the reason in *error. A PNG is drawn in strips:
// `draw` is then called once per strip and must paint the same each time.
bool WriteDrawing(const std::string& path, int width, int height,
                  const std::function<void(Canvas&)>& draw, std::string* error = nullptr);

// The drawing as an enhanced metafile in memory (for the clipboard), its
// frame `frameScale` hundredths of a millimetre per pixel (31 for the
// oscilloscope's copy).
std::optional<std::vector<std::uint8_t>> DrawingMetafile(int width, int height,
                                                         const std::function<void(Canvas&)>& draw,
                                                         int frameScale,
                                                         std::string* error = nullptr);

} // namespace qz::render

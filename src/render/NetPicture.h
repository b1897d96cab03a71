#pragma once
#include <optional>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "PictureFiles.h"
#include "common/Geometry.h"

namespace qz {
class Canvas;
class TNetList;
} // namespace qz

namespace qz::render {

// Draws the elements of `net` (only the selected ones when `selectedOnly`)
// in drawing order on `canvas`, as they look unselected; every element's
// surface, shown flag and selection are restored afterwards.
void DrawNetElements(Canvas& canvas, TNetList& net, bool selectedOnly);

// Lets every label of the net find its automatic position (labels are placed
// when their element draws) so that the net's bounds are those of the
// picture.
void LayoutLabels(TNetList& net);

// The world rectangle a picture shows: the bounds of the drawn elements with
// their labels.
TRect PictureBounds(TNetList& net, bool selectedOnly);

// How the document view shows the net: world units per screen pixel and the
// client size in pixels (0 means the size of the picture).
struct ViewGeometry {
    double scale = 1;
    int clientWidth = 0;
    int clientHeight = 0;
};

// Writes a picture of the selected elements (of the whole net when nothing is
// selected) with a margin of 10 world units, in the format of the path's
// extension: the picture is round((width + 20) / s) x round((height + 20) / s)
// pixels and maps the world through window extent (round(client width x s),
// round(client height x s)) onto viewport extent (client width, client
// height) from window origin (left - 10, top - 10). False with `error` set
// when the picture cannot be written.
bool ErstelleMetaFile(TNetList& net, const ViewGeometry& view, const std::string& path,
                      std::string* error = nullptr);

// The same picture as an enhanced metafile in memory, for the clipboard
// (Platform().clipboard->SetMetafile); none with `error` set on failure.
std::optional<std::vector<std::uint8_t>> SelectionMetafile(TNetList& net, const ViewGeometry& view,
                                                           std::string* error = nullptr);

// The whole net, with the 10-unit margin, at `scale` picture pixels per
// world unit (used for PNG; vector formats are written at scale 1).
bool ExportNetPicture(TNetList& net, const std::string& path, double scale = 1,
                      std::string* error = nullptr);

// Large pictures are drawn in parts of this many elements (see
// PictureParts); for tests of the part seams.
void SetElementsPerPicturePart(std::size_t count);

} // namespace qz::render

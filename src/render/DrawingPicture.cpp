#include "DrawingPicture.h"

#include "FontSupport.h"
#include "PictureFiles.h"

namespace qz::render {

namespace {

constexpr PictureLabels kDiagramLabels{"Quenzor diagram", "Diagram", 0};

// Also makes sure fonts can be measured: drawings lay out their texts.
bool SizeFits(int width, int height, std::string* error) {
    EnsureGuiApplication();
    if (width >= 1 && height >= 1)
        return true;
    return FailWith(error, "the picture needs at least 1 x 1 pixels, not " + std::to_string(width) +
                               " x " + std::to_string(height));
}

PictureDrawing Whole(const std::function<void(Canvas&)>& draw) {
    return [&draw](Canvas& canvas, int, int) { draw(canvas); };
}

} // namespace

bool WriteDrawing(const std::string& path, int width, int height,
                  const std::function<void(Canvas&)>& draw, std::string* error) {
    const std::optional<PictureFormat> format = PictureFormatOf(path);
    if (!format)
        return FailWith(error,
                        "unknown picture type: " + path + " (use .emf, .wmf, .svg, .pdf or .png)");
    if (!SizeFits(width, height, error))
        return false;
    return WritePictureFile(path, PictureSetup{width, height, {}}, *format, Whole(draw),
                            kDiagramLabels, error);
}

std::optional<std::vector<std::uint8_t>> DrawingMetafile(int width, int height,
                                                         const std::function<void(Canvas&)>& draw,
                                                         int frameScale, std::string* error) {
    if (!SizeFits(width, height, error))
        return std::nullopt;
    PictureLabels labels = kDiagramLabels;
    labels.emfFrameScale = frameScale;
    return VectorPicture(PictureSetup{width, height, {}}, PictureFormat::Emf, Whole(draw), labels,
                         error);
}

} // namespace qz::render

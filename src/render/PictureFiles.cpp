#include "PictureFiles.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>
#include <fstream>
#include <limits>

#include "EmfCanvas.h"
#include "PngStream.h"
#include "QtCanvas.h"
#include "WmfCanvas.h"
#include "common/FileSystem.h"

namespace qz::render {

namespace {

std::size_t stripBytes = std::size_t{32} << 20;
// The largest raster picture written: sides and pixels (a few seconds of
// encoding per billion pixels).
constexpr int kMaxRasterSide = 1 << 20;
constexpr double kMaxRasterPixels = 4e9;

// Draws onto a QPainter device.
bool PaintOn(QPaintDevice& device, const TMapping& mapping, const PictureDrawing& draw, int top,
             int bottom) {
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QtCanvas canvas(painter);
    canvas.SetMapping(mapping);
    draw(canvas, top, bottom);
    return painter.end();
}

// Free memory the system can give without swapping, in bytes (0: unknown).
std::uint64_t AvailableMemory() {
    std::ifstream in("/proc/meminfo");
    std::string key;
    std::uint64_t kb = 0;
    while (in >> key >> kb) {
        if (key == "MemAvailable:")
            return kb * 1024;
        in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return 0;
}

// A PNG drawn strip by strip straight into the file.
bool WritePng(const PictureSetup& setup, const std::string& path, const PictureDrawing& draw,
              std::string* error) {
    if (setup.width > kMaxRasterSide || setup.height > kMaxRasterSide ||
        double(setup.width) * setup.height > kMaxRasterPixels) {
        return FailWith(error, "the picture is too large (" + std::to_string(setup.width) + " x " +
                                   std::to_string(setup.height) + " pixels)");
    }
    const std::size_t rowBytes = std::size_t{4} * static_cast<std::size_t>(setup.width);
    const int stripRows = static_cast<int>(
        std::clamp<std::size_t>(stripBytes / rowBytes, 1, std::size_t(setup.height)));
    const std::uint64_t available = AvailableMemory();
    if (available != 0 && rowBytes * static_cast<std::size_t>(stripRows) > available / 2) {
        return FailWith(error, "not enough memory for the picture (" + std::to_string(setup.width) +
                                   " x " + std::to_string(setup.height) + " pixels)");
    }
    QImage strip(setup.width, stripRows, QImage::Format_RGB32);
    if (strip.isNull())
        return FailWith(error, "not enough memory for the picture");
    std::string why;
    const bool written = fs::WriteFileAtomically(
        path,
        [&](int fd, std::string* failure) {
            PngStream png(fd, setup.width, setup.height);
            for (int y0 = 0; y0 < setup.height; y0 += stripRows) {
                const int rows = std::min(stripRows, setup.height - y0);
                strip.fill(Qt::white);
                TMapping shifted = setup.mapping;
                shifted.viewportOrg.y -= y0;
                if (!PaintOn(strip, shifted, draw, y0, y0 + rows)) {
                    *failure = "the picture cannot be drawn";
                    return false;
                }
                if (!png.WriteRows(strip, rows, failure))
                    return false;
            }
            return png.Finish(failure);
        },
        &why);
    return written || FailWith(error, "cannot write " + path + ": " + why);
}

} // namespace

bool FailWith(std::string* error, const std::string& text) {
    if (error)
        *error = text;
    return false;
}

void SetRasterStripBytes(std::size_t bytes) {
    stripBytes = bytes;
}

std::optional<PictureFormat> PictureFormatOf(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    if (ext == "emf")
        return PictureFormat::Emf;
    if (ext == "wmf")
        return PictureFormat::Wmf;
    if (ext == "svg")
        return PictureFormat::Svg;
    if (ext == "pdf")
        return PictureFormat::Pdf;
    if (ext == "png")
        return PictureFormat::Png;
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>>
VectorPicture(const PictureSetup& setup, PictureFormat format, const PictureDrawing& draw,
              const PictureLabels& labels, std::string* error) {
    std::vector<std::uint8_t> bytes;
    auto record = [&](auto& canvas) -> bool {
        canvas.SetMapping(setup.mapping);
        draw(canvas, 0, setup.height);
        return canvas.Finish(bytes, error);
    };
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    switch (format) {
    case PictureFormat::Emf: {
        EmfCanvas canvas(setup.width, setup.height, labels.emfFrameScale, labels.emfName);
        if (!record(canvas))
            return std::nullopt;
        return bytes;
    }
    case PictureFormat::Wmf: {
        if (setup.width > 32767 || setup.height > 32767) {
            FailWith(error, "the picture is too large for a .wmf file; use .emf");
            return std::nullopt;
        }
        WmfCanvas canvas(setup.width, setup.height);
        if (!record(canvas))
            return std::nullopt;
        return bytes;
    }
    case PictureFormat::Svg: {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(setup.width, setup.height));
        svg.setViewBox(QRect(0, 0, setup.width, setup.height));
        svg.setResolution(96);
        svg.setTitle(labels.svgTitle);
        if (!PaintOn(svg, setup.mapping, draw, 0, setup.height))
            break;
        return std::vector<std::uint8_t>(buffer.data().begin(), buffer.data().end());
    }
    case PictureFormat::Pdf: {
        {
            QPdfWriter pdf(&buffer);
            pdf.setResolution(96);
            pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
            pdf.setPageSize(QPageSize(QSizeF(setup.width * 72.0 / 96, setup.height * 72.0 / 96),
                                      QPageSize::Point, QString(), QPageSize::ExactMatch));
            pdf.setCreator("Quenzor");
            if (!PaintOn(pdf, setup.mapping, draw, 0, setup.height))
                break;
        }
        return std::vector<std::uint8_t>(buffer.data().begin(), buffer.data().end());
    }
    case PictureFormat::Png:
        break;
    }
    FailWith(error, "the picture cannot be drawn");
    return std::nullopt;
}

bool WritePictureFile(const std::string& path, const PictureSetup& setup, PictureFormat format,
                      const PictureDrawing& draw, const PictureLabels& labels, std::string* error) {
    if (format == PictureFormat::Png)
        return WritePng(setup, path, draw, error);
    const std::optional<std::vector<std::uint8_t>> bytes =
        VectorPicture(setup, format, draw, labels, error);
    if (!bytes)
        return false;
    std::string why;
    if (!fs::WriteFileAtomically(path, bytes->data(), bytes->size(), &why)) {
        return FailWith(error, "cannot write " + path + ": " + why);
    }
    return true;
}

} // namespace qz::render

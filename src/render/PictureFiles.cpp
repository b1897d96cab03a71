#include "PictureFiles.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <future>
#include <system_error>
#include <unistd.h>
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

// What a painter's drawing leaves for the next painter that goes on with it.
struct PainterState {
    QPen pen;
    QBrush brush;
    QFont font;
};

// Draws onto a QPainter device. A drawing continued from an earlier painter
// starts from the state in `carried` and leaves its own there.
bool PaintOn(QPaintDevice& device, const TMapping& mapping, const PictureDrawing& draw, int top,
             int bottom, std::optional<PainterState>* carried = nullptr) {
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    if (carried && *carried) {
        painter.setPen((*carried)->pen);
        painter.setBrush((*carried)->brush);
        painter.setFont((*carried)->font);
    }
    QtCanvas canvas(painter);
    canvas.SetMapping(mapping);
    draw(canvas, top, bottom);
    if (carried)
        *carried = PainterState{painter.pen(), painter.brush(), painter.font()};
    return painter.end();
}

// A device writing straight to a file descriptor, through a buffer of its
// own; it remembers the first failure.
class DescriptorDevice final : public QIODevice {
public:
    explicit DescriptorDevice(int fd) : fd_(fd) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }
    // Writes out what is buffered; false once anything failed.
    bool Flush() {
        if (failure_.empty() && !pending_.empty() && !fs::WriteAll(fd_, pending_.data(), pending_.size()))
            failure_ = std::strerror(errno);
        pending_.clear();
        return failure_.empty();
    }
    // Starts the file afresh.
    bool Restart() {
        pending_.clear();
        if (failure_.empty() && (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0))
            failure_ = std::strerror(errno);
        return failure_.empty();
    }
    const std::string& Failure() const { return failure_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (!failure_.empty())
            return -1;
        pending_.append(data, static_cast<std::size_t>(size));
        if (pending_.size() >= kBuffer && !Flush())
            return -1;
        return size;
    }

private:
    static constexpr std::size_t kBuffer = std::size_t{1} << 16;
    int fd_;
    std::string pending_;
    std::string failure_;
};

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
    if (available != 0 && 2 * rowBytes * static_cast<std::size_t>(stripRows) > available / 2) {
        return FailWith(error, "not enough memory for the picture (" + std::to_string(setup.width) +
                                   " x " + std::to_string(setup.height) + " pixels)");
    }
    // Two strips: one is encoded on a second thread while the next is drawn.
    QImage strips[2] = {QImage(setup.width, stripRows, QImage::Format_RGB32),
                        QImage(setup.width, std::min(stripRows, setup.height - stripRows),
                               QImage::Format_RGB32)};
    if (strips[0].isNull() || (setup.height > stripRows && strips[1].isNull()))
        return FailWith(error, "not enough memory for the picture");
    std::string why;
    const bool written = fs::WriteFileAtomically(
        path,
        [&](int fd, std::string* failure) {
            PngStream png(fd, setup.width, setup.height);
            // The strip being encoded; its rows stay untouched until it is
            // done. Strips are encoded one after another, in order.
            std::future<bool> encoding;
            std::string encodeFailure;
            auto encoded = [&]() {
                if (!encoding.valid() || encoding.get())
                    return true;
                *failure = encodeFailure;
                return false;
            };
            for (int y0 = 0, k = 0; y0 < setup.height; y0 += stripRows, k ^= 1) {
                QImage& strip = strips[k];
                const int rows = std::min(stripRows, setup.height - y0);
                strip.fill(Qt::white);
                TMapping shifted = setup.mapping;
                shifted.viewportOrg.y -= y0;
                const bool drawn = PaintOn(strip, shifted, draw, y0, y0 + rows);
                if (!encoded())
                    return false;
                if (!drawn) {
                    *failure = "the picture cannot be drawn";
                    return false;
                }
                auto encode = [&png, &strip, rows, &encodeFailure] {
                    return png.WriteRows(strip, rows, &encodeFailure);
                };
                try {
                    encoding = std::async(std::launch::async, encode);
                } catch (const std::system_error&) {
                    // No thread to be had: encoded here and now.
                    encoding = std::async(std::launch::deferred, encode);
                    encoding.wait();
                }
            }
            return encoded() && png.Finish(failure);
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

namespace {

// Paints an SVG or PDF picture onto `device` as the picture is drawn, so that
// a large picture goes to its file without being held in memory.
bool PaintQtVector(QIODevice& device, const PictureSetup& setup, PictureFormat format,
                   const PictureDrawing& draw, const PictureLabels& labels,
                   std::optional<PainterState>* carried = nullptr) {
    if (format == PictureFormat::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&device);
        svg.setSize(QSize(setup.width, setup.height));
        svg.setViewBox(QRect(0, 0, setup.width, setup.height));
        svg.setResolution(96);
        svg.setTitle(labels.svgTitle);
        return PaintOn(svg, setup.mapping, draw, 0, setup.height, carried);
    }
    // The writer finishes the file when it goes.
    QPdfWriter pdf(&device);
    pdf.setResolution(96);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setPageSize(QPageSize(QSizeF(setup.width * 72.0 / 96, setup.height * 72.0 / 96),
                              QPageSize::Point, QString(), QPageSize::ExactMatch));
    pdf.setCreator("Quenzor");
    return PaintOn(pdf, setup.mapping, draw, 0, setup.height);
}

} // namespace

std::optional<std::vector<std::uint8_t>>
VectorPicture(const PictureSetup& setup, PictureFormat format, const PictureDrawing& draw,
              const PictureLabels& labels, std::string* error) {
    std::vector<std::uint8_t> bytes;
    auto record = [&](auto& canvas) -> bool {
        canvas.SetMapping(setup.mapping);
        draw(canvas, 0, setup.height);
        return canvas.Finish(bytes, error);
    };
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
    case PictureFormat::Svg:
    case PictureFormat::Pdf: {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (!PaintQtVector(buffer, setup, format, draw, labels))
            break;
        const QByteArray& data = buffer.data();
        return std::vector<std::uint8_t>(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                         reinterpret_cast<const std::uint8_t*>(data.constData()) +
                                             data.size());
    }
    case PictureFormat::Png:
        break;
    }
    FailWith(error, "the picture cannot be drawn");
    return std::nullopt;
}

namespace {

// The SVG generator keeps the whole body of its picture in memory, as
// UTF-16, until it ends. A picture in parts is therefore made part by part,
// each part's painter going on from the pen, brush and font the one before
// left. Each part's file is the same head, the part's groups (one per change
// of pen, brush or font, each stating all three) and the same tail, so the
// whole is the head, every part's groups and the tail, where a part's first
// group is the last one before it going on when they state the same. False
// when a part's file is not built that way, with nothing meant to be kept in
// `file`.
bool WriteSvgInParts(DescriptorDevice& file, const PictureSetup& setup, const PictureParts& parts,
                     const PictureLabels& labels, bool& drawn) {
    static const QByteArray kTail = "</g>\n</svg>\n", kGroupEnd = "</g>\n", kHeadEnd = "\n>\n";
    QByteArray head;
    QByteArray lastGroup;        // the opening tag of the last group written
    bool groupOpen = false;      // its end is not written yet
    std::optional<PainterState> carried;
    for (std::size_t part = 0; part < parts.count; ++part) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const PictureDrawing draw = [&](Canvas& canvas, int, int) { parts.draw(canvas, part); };
        drawn = PaintQtVector(buffer, setup, PictureFormat::Svg, draw, labels, &carried);
        if (!drawn)
            return false;
        const QByteArray& svg = buffer.data();
        if (part == 0) {
            // The head ends with the line that opens the outermost group.
            const qsizetype defs = svg.indexOf("</defs>\n");
            const qsizetype line = defs < 0 ? -1 : svg.indexOf('\n', defs + 8);
            if (line < 0 || !svg.mid(defs + 8).startsWith("<g "))
                return false;
            head = svg.left(line + 1);
        }
        if (!svg.startsWith(head) || !svg.endsWith(kTail) || svg.size() < head.size() + kTail.size())
            return false;
        QByteArrayView groups(svg.constData() + head.size(), svg.size() - head.size() - kTail.size());
        if (groups.isEmpty())
            continue;
        // "\n<g ...\n>\n" ... "</g>\n", one after another.
        const qsizetype firstEnd = groups.indexOf(kHeadEnd);
        const qsizetype lastStart = groups.lastIndexOf(QByteArrayView("\n<g "));
        const qsizetype lastEnd = lastStart < 0 ? -1 : groups.indexOf(kHeadEnd, lastStart);
        if (!groups.startsWith(QByteArrayView("\n<g ")) || !groups.endsWith(kGroupEnd) || firstEnd < 0 ||
            lastEnd < 0)
            return false;
        const QByteArrayView firstGroup = groups.first(firstEnd + kHeadEnd.size());
        if (groupOpen && firstGroup == lastGroup)
            groups = groups.sliced(firstGroup.size());
        else if (groupOpen)
            file.write(kGroupEnd);
        lastGroup = svg.mid(head.size() + lastStart, lastEnd + kHeadEnd.size() - lastStart);
        if (part == 0)
            file.write(head);
        file.write(groups.data(), groups.size() - kGroupEnd.size());
        groupOpen = true;
        if (!file.Failure().empty())
            return true; // reported by the caller
    }
    if (groupOpen)
        file.write(kGroupEnd);
    file.write(kTail);
    return true;
}

// An SVG or PDF written straight into the file as it is drawn.
bool WriteQtVector(const std::string& path, const PictureSetup& setup, PictureFormat format,
                   const PictureDrawing& draw, const PictureLabels& labels, const PictureParts& parts,
                   std::string* error) {
    bool drawn = true;
    std::string why;
    const bool written = fs::WriteFileAtomically(
        path,
        [&](int fd, std::string* failure) {
            DescriptorDevice file(fd);
            bool whole = true;
            if (format == PictureFormat::Svg && parts.count > 1) {
                whole = !WriteSvgInParts(file, setup, parts, labels, drawn);
                if (!drawn)
                    return false;
                // Not built as expected: the picture is made in one piece.
                if (whole)
                    file.Restart();
            }
            if (whole && file.Failure().empty())
                drawn = PaintQtVector(file, setup, format, draw, labels);
            if (!drawn)
                return false;
            if (!file.Flush()) {
                *failure = file.Failure();
                return false;
            }
            return true;
        },
        &why);
    if (!drawn)
        return FailWith(error, "the picture cannot be drawn");
    return written || FailWith(error, "cannot write " + path + ": " + why);
}

} // namespace

bool WritePictureFile(const std::string& path, const PictureSetup& setup, PictureFormat format,
                      const PictureDrawing& draw, const PictureLabels& labels, std::string* error,
                      const PictureParts& parts) {
    if (format == PictureFormat::Png)
        return WritePng(setup, path, draw, error);
    if (format == PictureFormat::Svg || format == PictureFormat::Pdf)
        return WriteQtVector(path, setup, format, draw, labels, parts, error);
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

#include "NetPicture.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <limits>
#include <vector>

#include "EmfCanvas.h"
#include "FontSupport.h"
#include "PngStream.h"
#include "QtCanvas.h"
#include "WmfCanvas.h"
#include "common/FileSystem.h"
#include "model/TGraphItem.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TSchriftObjekt.h"

namespace qz::render {

namespace {

std::size_t stripBytes = std::size_t{32} << 20;
// The largest raster picture written: sides and pixels (a few seconds of
// encoding per billion pixels).
constexpr int kMaxRasterSide = 1 << 20;
constexpr double kMaxRasterPixels = 4e9;

// Binds elements to a picture canvas for one drawing and puts everything
// back afterwards.
class PictureBinding {
public:
    PictureBinding(Canvas& canvas, const std::vector<TGraphItem*>& elements) {
        for (TGraphItem* e : elements) {
            Saved s{e, e->canvas, e->shown != 0, e->selected, {}, {}};
            for (TSchriftObjekt* l : {e->nameLabel.get(), e->valueLabel.get()}) {
                if (l) s.labelSelected.push_back(l->selected);
            }
            if (e->Kind() == kind::Frame) {
                for (auto& ip : static_cast<TObjectFrame*>(e)->interfacePlaces) {
                    s.interfaceSelected.push_back(ip->selected);
                    ip->selected = 0;
                }
            }
            saved_.push_back(std::move(s));
            e->SetCanvas(&canvas);
            e->SetShown(true);
            e->selected = 0;
            for (TSchriftObjekt* l : {e->nameLabel.get(), e->valueLabel.get()}) {
                if (l) l->selected = 0;
            }
        }
    }
    ~PictureBinding() {
        for (Saved& s : saved_) {
            TGraphItem* e = s.element;
            e->SetCanvas(s.canvas);
            e->SetShown(s.shown);
            e->selected = s.selected;
            std::size_t i = 0;
            for (TSchriftObjekt* l : {e->nameLabel.get(), e->valueLabel.get()}) {
                if (l) l->selected = s.labelSelected[i++];
            }
            if (e->Kind() == kind::Frame) {
                auto& ips = static_cast<TObjectFrame*>(e)->interfacePlaces;
                for (std::size_t k = 0; k < ips.size() && k < s.interfaceSelected.size(); ++k) {
                    ips[k]->selected = s.interfaceSelected[k];
                }
            }
        }
    }
    PictureBinding(const PictureBinding&) = delete;
    PictureBinding& operator=(const PictureBinding&) = delete;

    void Draw() {
        for (Saved& s : saved_) s.element->Draw();
    }

private:
    struct Saved {
        TGraphItem* element;
        Canvas* canvas;
        bool shown;
        std::uint8_t selected;
        std::vector<std::uint8_t> labelSelected;
        std::vector<std::uint8_t> interfaceSelected;
    };
    std::vector<Saved> saved_;
};

bool AnySelected(const TNetList& net) {
    return std::any_of(net.Elements().begin(), net.Elements().end(),
                       [](const TGraphItem* e) { return e->selected != 0; });
}

std::vector<TGraphItem*> ElementsToDraw(TNetList& net, bool selectedOnly) {
    std::vector<TGraphItem*> out;
    for (TGraphItem* e : net.Elements()) {
        if (!selectedOnly || e->selected) out.push_back(e);
    }
    return out;
}

void DrawElements(Canvas& canvas, const std::vector<TGraphItem*>& elements) {
    PictureBinding binding(canvas, elements);
    binding.Draw();
}

int RoundHalfEven(double v) { return static_cast<int>(std::nearbyint(v)); }

struct PictureSetup {
    int width = 1, height = 1;
    TMapping mapping;
};

bool Fail(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

// Draws onto a QPainter device of the given size.
bool PaintOn(QPaintDevice& device, const std::vector<TGraphItem*>& elements, const TMapping& mapping) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QtCanvas canvas(painter);
    canvas.SetMapping(mapping);
    DrawElements(canvas, elements);
    return painter.end();
}

// The picture of a vector format, made in memory.
std::optional<std::vector<std::uint8_t>> VectorPicture(const std::vector<TGraphItem*>& elements,
                                                       const PictureSetup& setup, PictureFormat format,
                                                       std::string* error) {
    std::vector<std::uint8_t> bytes;
    auto record = [&](auto& canvas) -> bool {
        canvas.SetMapping(setup.mapping);
        DrawElements(canvas, elements);
        return canvas.Finish(bytes, error);
    };
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    switch (format) {
    case PictureFormat::Emf: {
        EmfCanvas canvas(setup.width, setup.height);
        if (!record(canvas)) return std::nullopt;
        return bytes;
    }
    case PictureFormat::Wmf: {
        if (setup.width > 32767 || setup.height > 32767) {
            Fail(error, "the picture is too large for a .wmf file; use .emf");
            return std::nullopt;
        }
        WmfCanvas canvas(setup.width, setup.height);
        if (!record(canvas)) return std::nullopt;
        return bytes;
    }
    case PictureFormat::Svg: {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(setup.width, setup.height));
        svg.setViewBox(QRect(0, 0, setup.width, setup.height));
        svg.setResolution(96);
        svg.setTitle("Quenzor net");
        if (!PaintOn(svg, elements, setup.mapping)) break;
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
            if (!PaintOn(pdf, elements, setup.mapping)) break;
        }
        return std::vector<std::uint8_t>(buffer.data().begin(), buffer.data().end());
    }
    case PictureFormat::Png: break;
    }
    Fail(error, "the picture cannot be drawn");
    return std::nullopt;
}

// Free memory the system can give without swapping, in bytes (0: unknown).
std::uint64_t AvailableMemory() {
    std::ifstream in("/proc/meminfo");
    std::string key;
    std::uint64_t kb = 0;
    while (in >> key >> kb) {
        if (key == "MemAvailable:") return kb * 1024;
        in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return 0;
}

// A PNG drawn strip by strip straight into the file: each strip draws only
// the elements that reach into it.
bool WritePng(const std::vector<TGraphItem*>& elements, const PictureSetup& setup, const std::string& path,
              std::string* error) {
    if (setup.width > kMaxRasterSide || setup.height > kMaxRasterSide ||
        double(setup.width) * setup.height > kMaxRasterPixels) {
        return Fail(error, "the picture is too large (" + std::to_string(setup.width) + " x " +
                               std::to_string(setup.height) + " pixels)");
    }
    const std::size_t rowBytes = std::size_t{4} * static_cast<std::size_t>(setup.width);
    const int stripRows = static_cast<int>(std::clamp<std::size_t>(stripBytes / rowBytes, 1, std::size_t(setup.height)));
    const std::uint64_t available = AvailableMemory();
    if (available != 0 && rowBytes * static_cast<std::size_t>(stripRows) > available / 2) {
        return Fail(error, "not enough memory for the picture (" + std::to_string(setup.width) + " x " +
                               std::to_string(setup.height) + " pixels)");
    }
    QImage strip(setup.width, stripRows, QImage::Format_RGB32);
    if (strip.isNull()) return Fail(error, "not enough memory for the picture");
    // Pixel rows each element reaches, with a margin for pens and text.
    const TMapping& m = setup.mapping;
    const double sy = double(m.viewportExt.y) / (m.windowExt.y ? m.windowExt.y : 1);
    std::vector<std::pair<int, int>> reach;
    reach.reserve(elements.size());
    for (TGraphItem* e : elements) {
        TRect r = TNetList::ExtentOf(e);
        if (e->Kind() == kind::Frame) {
            for (auto& ip : static_cast<TObjectFrame*>(e)->interfacePlaces) r = UnionRect(r, TNetList::ExtentOf(ip.get()));
        }
        const double top = (r.top - m.windowOrg.y) * sy, bottom = (r.bottom - m.windowOrg.y) * sy;
        const double margin = 8 * std::max(sy, 1.0);
        reach.emplace_back(static_cast<int>(std::floor(std::min(top, bottom) - margin)),
                           static_cast<int>(std::ceil(std::max(top, bottom) + margin)));
    }
    std::string why;
    const bool written = fs::WriteFileAtomically(
        path,
        [&](int fd, std::string* failure) {
            PngStream png(fd, setup.width, setup.height);
            std::vector<TGraphItem*> part;
            for (int y0 = 0; y0 < setup.height; y0 += stripRows) {
                part.clear();
                for (std::size_t i = 0; i < elements.size(); ++i) {
                    if (reach[i].second >= y0 && reach[i].first < y0 + stripRows) part.push_back(elements[i]);
                }
                strip.fill(Qt::white);
                TMapping shifted = m;
                shifted.viewportOrg.y -= y0;
                if (!part.empty() && !PaintOn(strip, part, shifted)) {
                    *failure = "the picture cannot be drawn";
                    return false;
                }
                if (!png.WriteRows(strip, std::min(stripRows, setup.height - y0), failure)) return false;
            }
            return png.Finish(failure);
        },
        &why);
    return written || Fail(error, "cannot write " + path + ": " + why);
}

bool WritePicture(TNetList& net, bool selectedOnly, const PictureSetup& setup, const std::string& path,
                  PictureFormat format, std::string* error) {
    const std::vector<TGraphItem*> elements = ElementsToDraw(net, selectedOnly);
    if (format == PictureFormat::Png) return WritePng(elements, setup, path, error);
    const std::optional<std::vector<std::uint8_t>> bytes = VectorPicture(elements, setup, format, error);
    if (!bytes) return false;
    std::string why;
    if (!fs::WriteFileAtomically(path, bytes->data(), bytes->size(), &why)) {
        return Fail(error, "cannot write " + path + ": " + why);
    }
    return true;
}

} // namespace

void SetRasterStripBytes(std::size_t bytes) { stripBytes = bytes; }

std::optional<PictureFormat> PictureFormatOf(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::nullopt;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == "emf") return PictureFormat::Emf;
    if (ext == "wmf") return PictureFormat::Wmf;
    if (ext == "svg") return PictureFormat::Svg;
    if (ext == "pdf") return PictureFormat::Pdf;
    if (ext == "png") return PictureFormat::Png;
    return std::nullopt;
}

void DrawNetElements(Canvas& canvas, TNetList& net, bool selectedOnly) {
    DrawElements(canvas, ElementsToDraw(net, selectedOnly));
}

void LayoutLabels(TNetList& net) {
    QtTextMeasurer scratch;
    DrawNetElements(scratch, net, false);
}

TRect PictureBounds(TNetList& net, bool selectedOnly) {
    LayoutLabels(net);
    return selectedOnly ? net.BoundsOfSelection() : net.BoundsOfAll();
}

namespace {

PictureSetup SelectionSetup(TNetList& net, const ViewGeometry& view, bool selectedOnly) {
    const double s = view.scale > 0 ? view.scale : 1;
    const TRect r = PictureBounds(net, selectedOnly);
    PictureSetup setup;
    setup.width = std::max(1, RoundHalfEven((r.Width() + 20) / s));
    setup.height = std::max(1, RoundHalfEven((r.Height() + 20) / s));
    const int cw = view.clientWidth > 0 ? view.clientWidth : setup.width;
    const int ch = view.clientHeight > 0 ? view.clientHeight : setup.height;
    setup.mapping.mode = MapMode::Anisotropic;
    setup.mapping.windowExt = {std::max(1, RoundHalfEven(cw * s)), std::max(1, RoundHalfEven(ch * s))};
    setup.mapping.viewportExt = {cw, ch};
    setup.mapping.windowOrg = {r.left - 10, r.top - 10};
    return setup;
}

} // namespace

bool ErstelleMetaFile(TNetList& net, const ViewGeometry& view, const std::string& path, std::string* error) {
    const std::optional<PictureFormat> format = PictureFormatOf(path);
    if (!format) return Fail(error, "unknown picture type: " + path + " (use .emf, .wmf, .svg, .pdf or .png)");
    const bool selectedOnly = AnySelected(net);
    return WritePicture(net, selectedOnly, SelectionSetup(net, view, selectedOnly), path, *format, error);
}

std::optional<std::vector<std::uint8_t>> SelectionMetafile(TNetList& net, const ViewGeometry& view,
                                                           std::string* error) {
    const bool selectedOnly = AnySelected(net);
    return VectorPicture(ElementsToDraw(net, selectedOnly), SelectionSetup(net, view, selectedOnly),
                         PictureFormat::Emf, error);
}

bool ExportNetPicture(TNetList& net, const std::string& path, double scale, std::string* error) {
    const std::optional<PictureFormat> format = PictureFormatOf(path);
    if (!format) return Fail(error, "unknown picture type: " + path + " (use .emf, .wmf, .svg, .pdf or .png)");
    if (!(scale > 0) || scale > 100) return Fail(error, "the scale must lie above 0 and at most 100");
    if (*format != PictureFormat::Png) scale = 1;
    const TRect r = PictureBounds(net, false);
    const int worldWidth = r.Width() + 20, worldHeight = r.Height() + 20;
    PictureSetup setup;
    setup.width = std::max(1, RoundHalfEven(worldWidth * scale));
    setup.height = std::max(1, RoundHalfEven(worldHeight * scale));
    setup.mapping.mode = MapMode::Anisotropic;
    setup.mapping.windowExt = {worldWidth, worldHeight};
    setup.mapping.viewportExt = {setup.width, setup.height};
    setup.mapping.windowOrg = {r.left - 10, r.top - 10};
    return WritePicture(net, false, setup, path, *format, error);
}

} // namespace qz::render

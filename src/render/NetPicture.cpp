#include "NetPicture.h"

#include <QImage>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <unistd.h>
#include <vector>

#include "EmfCanvas.h"
#include "FontSupport.h"
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

// Largest picture we allocate for raster output (pixels).
constexpr double kMaxRasterPixels = 250e6;

// Binds elements to a picture canvas for one drawing and puts everything
// back afterwards.
class PictureBinding {
public:
    PictureBinding(Canvas& canvas, TNetList& net, bool selectedOnly) {
        for (TGraphItem* e : net.Elements()) {
            if (selectedOnly && !e->selected) continue;
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
template <typename Device>
bool PaintOn(Device& device, TNetList& net, bool selectedOnly, const TMapping& mapping, bool antialias,
             const std::string& path, std::string* error) {
    QPainter painter;
    if (!painter.begin(&device)) return Fail(error, "cannot write " + path);
    painter.setRenderHint(QPainter::Antialiasing, antialias);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QtCanvas canvas(painter);
    canvas.SetMapping(mapping);
    DrawNetElements(canvas, net, selectedOnly);
    if (!painter.end()) return Fail(error, "cannot write " + path);
    return true;
}

bool WritePicture(TNetList& net, bool selectedOnly, const PictureSetup& setup, const std::string& path,
                  PictureFormat format, std::string* error) {
    switch (format) {
    case PictureFormat::Emf: {
        EmfCanvas canvas(path, setup.width, setup.height);
        canvas.SetMapping(setup.mapping);
        DrawNetElements(canvas, net, selectedOnly);
        std::string why;
        if (!canvas.Finish(&why)) return Fail(error, "cannot write " + path + ": " + why);
        return true;
    }
    case PictureFormat::Wmf: {
        if (setup.width > 32767 || setup.height > 32767) {
            return Fail(error, "the picture is too large for a .wmf file; use .emf");
        }
        WmfCanvas canvas(path, setup.width, setup.height);
        canvas.SetMapping(setup.mapping);
        DrawNetElements(canvas, net, selectedOnly);
        std::string why;
        if (!canvas.Finish(&why)) return Fail(error, "cannot write " + path + ": " + why);
        return true;
    }
    case PictureFormat::Svg: {
        QSvgGenerator svg;
        svg.setFileName(QString::fromStdString(path));
        svg.setSize(QSize(setup.width, setup.height));
        svg.setViewBox(QRect(0, 0, setup.width, setup.height));
        svg.setResolution(96);
        svg.setTitle("Quenzor net");
        return PaintOn(svg, net, selectedOnly, setup.mapping, true, path, error);
    }
    case PictureFormat::Pdf: {
        QPdfWriter pdf(QString::fromStdString(path));
        pdf.setResolution(96);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setPageSize(QPageSize(QSizeF(setup.width * 72.0 / 96, setup.height * 72.0 / 96),
                                  QPageSize::Point, QString(), QPageSize::ExactMatch));
        pdf.setCreator("Quenzor");
        return PaintOn(pdf, net, selectedOnly, setup.mapping, true, path, error);
    }
    case PictureFormat::Png: {
        if (double(setup.width) * setup.height > kMaxRasterPixels) {
            return Fail(error, "the picture is too large (" + std::to_string(setup.width) + " x " +
                                   std::to_string(setup.height) + " pixels)");
        }
        QImage image(setup.width, setup.height, QImage::Format_RGB32);
        if (image.isNull()) return Fail(error, "not enough memory for the picture");
        image.fill(Qt::white);
        if (!PaintOn(image, net, selectedOnly, setup.mapping, true, path, error)) return false;
        QImageWriter writer(QString::fromStdString(path), "png");
        // Fast deflate: drawings are mostly flat colour and compress well
        // even so.
        writer.setQuality(80);
        if (!writer.write(image)) {
            return Fail(error, "cannot write " + path + ": " + writer.errorString().toStdString());
        }
        return true;
    }
    }
    return Fail(error, "unknown picture format");
}

} // namespace

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
    PictureBinding binding(canvas, net, selectedOnly);
    binding.Draw();
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

bool WriteSelection(TNetList& net, const ViewGeometry& view, const std::string& path, PictureFormat format,
                    std::string* error) {
    const double s = view.scale > 0 ? view.scale : 1;
    const bool selectedOnly = AnySelected(net);
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
    return WritePicture(net, selectedOnly, setup, path, format, error);
}

const char* ExtensionOf(PictureFormat format) {
    switch (format) {
    case PictureFormat::Emf: return ".emf";
    case PictureFormat::Wmf: return ".wmf";
    case PictureFormat::Svg: return ".svg";
    case PictureFormat::Pdf: return ".pdf";
    case PictureFormat::Png: return ".png";
    }
    return "";
}

// The picture of the selection, made in a private temporary file (the
// writers of some formats write to files only) and read back.
std::optional<std::vector<std::uint8_t>> SelectionBytes(TNetList& net, const ViewGeometry& view,
                                                        PictureFormat format, std::string* error) {
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    if (ec) {
        Fail(error, "no temporary directory: " + ec.message());
        return std::nullopt;
    }
    static int serial = 0;
    const std::filesystem::path path = dir / ("quenzor-picture-" + std::to_string(::getpid()) + "-" +
                                              std::to_string(++serial) + ExtensionOf(format));
    std::optional<std::vector<std::uint8_t>> bytes;
    if (WriteSelection(net, view, path.string(), format, error)) {
        bytes = fs::ReadFile(path.string());
        if (!bytes) Fail(error, "cannot read back the picture");
    }
    std::filesystem::remove(path, ec);
    return bytes;
}

} // namespace

bool ErstelleMetaFile(TNetList& net, const ViewGeometry& view, const std::string& path, std::string* error) {
    const std::optional<PictureFormat> format = PictureFormatOf(path);
    if (!format) return Fail(error, "unknown picture type: " + path + " (use .emf, .wmf, .svg, .pdf or .png)");
    // Made aside and then put in place: a picture that cannot be written
    // leaves the file that was there untouched.
    const std::optional<std::vector<std::uint8_t>> bytes = SelectionBytes(net, view, *format, error);
    return bytes && fs::WriteFileAtomically(path, bytes->data(), bytes->size(), error);
}

std::optional<std::vector<std::uint8_t>> SelectionMetafile(TNetList& net, const ViewGeometry& view,
                                                           std::string* error) {
    return SelectionBytes(net, view, PictureFormat::Emf, error);
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

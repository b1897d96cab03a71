#include "NetPicture.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "FontSupport.h"
#include "model/TGraphItem.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TSchriftObjekt.h"

namespace qz::render {

namespace {

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

// Pixel rows an element reaches on a picture drawn with mapping `m`, with a
// margin for pens and text.
std::pair<int, int> RowsReached(TGraphItem* e, const TMapping& m) {
    const double sy = double(m.viewportExt.y) / (m.windowExt.y ? m.windowExt.y : 1);
    TRect r = TNetList::ExtentOf(e);
    if (e->Kind() == kind::Frame) {
        for (auto& ip : static_cast<TObjectFrame*>(e)->interfacePlaces) r = UnionRect(r, TNetList::ExtentOf(ip.get()));
    }
    const double top = (r.top - m.windowOrg.y) * sy, bottom = (r.bottom - m.windowOrg.y) * sy;
    const double margin = 8 * std::max(sy, 1.0);
    return {static_cast<int>(std::floor(std::min(top, bottom) - margin)),
            static_cast<int>(std::ceil(std::max(top, bottom) + margin))};
}

// The drawing of the elements; a strip of a raster picture draws only the
// elements that reach into it.
PictureDrawing ElementsDrawing(const std::vector<TGraphItem*>& elements, const PictureSetup& setup) {
    auto reach = std::make_shared<std::vector<std::pair<int, int>>>();
    reach->reserve(elements.size());
    for (TGraphItem* e : elements) reach->push_back(RowsReached(e, setup.mapping));
    const int height = setup.height;
    return [elements, reach, height](Canvas& canvas, int top, int bottom) {
        if (top == 0 && bottom == height) {
            DrawElements(canvas, elements);
            return;
        }
        std::vector<TGraphItem*> part;
        for (std::size_t i = 0; i < elements.size(); ++i) {
            if ((*reach)[i].second >= top && (*reach)[i].first < bottom) part.push_back(elements[i]);
        }
        if (!part.empty()) DrawElements(canvas, part);
    };
}

// Elements per part of a picture drawn in parts: small enough that the SVG
// generator's copy of a part stays in the processor's caches, large enough
// that nets of everyday size are one part.
std::size_t elementsPerPart = 1024;

// The elements in parts of `elementsPerPart`, in drawing order.
PictureParts ElementParts(const std::vector<TGraphItem*>& elements) {
    const std::size_t per = std::max<std::size_t>(elementsPerPart, 1);
    return {(elements.size() + per - 1) / per, [&elements, per](Canvas& canvas, std::size_t part) {
                const std::size_t from = part * per, to = std::min(elements.size(), from + per);
                DrawElements(canvas, std::vector<TGraphItem*>(elements.begin() + std::ptrdiff_t(from),
                                                              elements.begin() + std::ptrdiff_t(to)));
            }};
}

bool WritePicture(TNetList& net, bool selectedOnly, const PictureSetup& setup, const std::string& path,
                  PictureFormat format, std::string* error) {
    const std::vector<TGraphItem*> elements = ElementsToDraw(net, selectedOnly);
    return WritePictureFile(path, setup, format, ElementsDrawing(elements, setup), {}, error,
                            ElementParts(elements));
}

} // namespace

void SetElementsPerPicturePart(std::size_t count) { elementsPerPart = count; }

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
    if (!format) return FailWith(error, "unknown picture type: " + path + " (use .emf, .wmf, .svg, .pdf or .png)");
    const bool selectedOnly = AnySelected(net);
    return WritePicture(net, selectedOnly, SelectionSetup(net, view, selectedOnly), path, *format, error);
}

std::optional<std::vector<std::uint8_t>> SelectionMetafile(TNetList& net, const ViewGeometry& view,
                                                           std::string* error) {
    const bool selectedOnly = AnySelected(net);
    const std::vector<TGraphItem*> elements = ElementsToDraw(net, selectedOnly);
    const PictureSetup setup = SelectionSetup(net, view, selectedOnly);
    return VectorPicture(setup, PictureFormat::Emf, ElementsDrawing(elements, setup), {}, error);
}

bool ExportNetPicture(TNetList& net, const std::string& path, double scale, std::string* error) {
    const std::optional<PictureFormat> format = PictureFormatOf(path);
    if (!format) return FailWith(error, "unknown picture type: " + path + " (use .emf, .wmf, .svg, .pdf or .png)");
    if (!(scale > 0) || scale > 100) return FailWith(error, "the scale must lie above 0 and at most 100");
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

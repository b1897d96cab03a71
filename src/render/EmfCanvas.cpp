#include "EmfCanvas.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" {
#include <uemf.h>
}

namespace qz::render {

namespace {

U_COLORREF Colour(TColor c) { return colorref3_set(RedOf(c), GreenOf(c), BlueOf(c)); }

U_RECTL Rectl(const TRect& r) {
    return rectl_set(point32_set(r.left, r.top), point32_set(r.right, r.bottom));
}

U_RECTL BoundsOf(const std::vector<TPoint>& pts) {
    TRect r{pts.front().x, pts.front().y, pts.front().x, pts.front().y};
    for (const TPoint& p : pts) {
        r.left = std::min(r.left, p.x);
        r.top = std::min(r.top, p.y);
        r.right = std::max(r.right, p.x);
        r.bottom = std::max(r.bottom, p.y);
    }
    return Rectl(r);
}

std::vector<U_POINTL> Points(const std::vector<TPoint>& pts) {
    std::vector<U_POINTL> out;
    out.reserve(pts.size());
    for (const TPoint& p : pts) out.push_back(point32_set(p.x, p.y));
    return out;
}

// UTF-16 of a UTF-8 text, without terminator.
std::vector<uint16_t> Utf16(std::string_view utf8) {
    std::vector<uint16_t> out;
    size_t len = 0;
    const std::string s(utf8);
    uint16_t* w = U_Utf8ToUtf16le(s.c_str(), 0, &len);
    if (w) {
        out.assign(w, w + len);
        std::free(w);
    }
    return out;
}

} // namespace

struct EmfCanvas::State {
    EMFTRACK* et = nullptr;
    EMFHANDLES* eht = nullptr;
    uint32_t pen = 0, brush = 0, font = 0;
    bool finished = false;
};

EmfCanvas::EmfCanvas(int width, int height, int frameScale, std::string_view name)
    : s_(std::make_unique<State>()) {
    if (emf_start("/dev/null", 1 << 16, 1 << 16, &s_->et) != 0) {
        Fail("cannot start the picture");
        s_->et = nullptr;
        return;
    }
    if (!CollectInMemory(s_->et->fp)) {
        emf_free(&s_->et);
        s_->et = nullptr;
        return;
    }
    if (emf_htable_create(128, 128, &s_->eht) != 0) {
        Fail("cannot create the object table");
        return;
    }
    width = std::max(width, 1);
    height = std::max(height, 1);
    const U_RECTL bounds = rectl_set(point32_set(0, 0), point32_set(width - 1, height - 1));
    // In 0.01 mm.
    const auto frameOf = [frameScale](int pixels) {
        return frameScale > 0 ? static_cast<int>(std::min<long long>(1LL * pixels * frameScale, INT32_MAX))
                              : pixels * 2540 / 96;
    };
    const U_RECTL frame = rectl_set(point32_set(0, 0), point32_set(frameOf(width), frameOf(height)));
    // "Quenzor" NUL name NUL NUL.
    std::vector<uint16_t> desc;
    for (std::string_view part : {std::string_view("Quenzor"), name}) {
        for (char c : part) desc.push_back(static_cast<unsigned char>(c));
        desc.push_back(0);
    }
    desc.push_back(0);
    Append(U_EMRHEADER_set(bounds, frame, nullptr, static_cast<U_CBSTR>(desc.size()), desc.data(),
                           sizel_set(1920, 1080), sizel_set(508, 286), 0),
           "header");
    Append(U_EMRSETMAPMODE_set(U_MM_TEXT), "map mode");
    Append(U_EMRSETTEXTALIGN_set(U_TA_TOP | U_TA_LEFT | U_TA_NOUPDATECP), "text alignment");
    Append(U_EMRSETBKMODE_set(U_TRANSPARENT), "background mode");
    Append(U_EMRSETPOLYFILLMODE_set(U_ALTERNATE), "fill mode");
}

EmfCanvas::~EmfCanvas() {
    if (s_->et && s_->et->fp) std::fclose(s_->et->fp); // not finished
    if (s_->et) {
        s_->et->fp = nullptr;
        emf_free(&s_->et);
    }
    if (s_->eht) emf_htable_free(&s_->eht);
}

void EmfCanvas::Append(char* record, const char* what) {
    if (!s_->et || !s_->eht) {
        std::free(record);
        return;
    }
    if (!record || emf_append(reinterpret_cast<U_ENHMETARECORD*>(record), s_->et, 1) != 0) {
        Fail(std::string("cannot write the ") + what + " record");
    }
}

bool EmfCanvas::Finish(std::vector<std::uint8_t>& bytes, std::string* error) {
    if (s_->et && s_->eht && !s_->finished) {
        s_->finished = true;
        Append(U_EMREOF_set(0, nullptr, s_->et), "end");
        // The stream is closed by libUEMF, which leaves the bytes in memory.
        if (!Failure() && emf_finish(s_->et, s_->eht) != 0) Fail("cannot write the picture");
    }
    if (Failure()) {
        if (error) *error = *Failure();
        return false;
    }
    bytes = Collected();
    return true;
}

void EmfCanvas::SelectPen(const TPen& p) {
    if (!s_->eht) return;
    const uint32_t old = s_->pen;
    const uint32_t style = p.style == PenStyle::Clear ? U_PS_NULL : static_cast<uint32_t>(p.style);
    const U_LOGPEN lp = logpen_set(style, point32_set(p.width, 0), Colour(p.color));
    Append(createpen_set(&s_->pen, s_->eht, lp), "pen");
    Append(selectobject_set(s_->pen, s_->eht), "select");
    if (old) {
        uint32_t h = old;
        Append(deleteobject_set(&h, s_->eht), "delete");
    }
}

void EmfCanvas::SelectBrush(const TBrush& b) {
    if (!s_->eht) return;
    const uint32_t old = s_->brush;
    const U_LOGBRUSH lb =
        logbrush_set(b.style == BrushStyle::Clear ? U_BS_NULL : U_BS_SOLID, Colour(b.color), 0);
    Append(createbrushindirect_set(&s_->brush, s_->eht, lb), "brush");
    Append(selectobject_set(s_->brush, s_->eht), "select");
    if (old) {
        uint32_t h = old;
        Append(deleteobject_set(&h, s_->eht), "delete");
    }
}

void EmfCanvas::SelectFont(const TFont& f, int pixelHeight) {
    if (!s_->eht) return;
    std::vector<uint16_t> face = Utf16(f.name);
    face.resize(std::min<std::size_t>(face.size(), U_LF_FACESIZE - 1));
    face.push_back(0);
    const U_LOGFONT lf = logfont_set(-pixelHeight, 0, 0, 0, (f.style & fsBold) ? U_FW_BOLD : U_FW_NORMAL,
                                     (f.style & fsItalic) ? 1 : 0, (f.style & fsUnderline) ? 1 : 0,
                                     (f.style & fsStrikeOut) ? 1 : 0, U_DEFAULT_CHARSET,
                                     U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY,
                                     U_DEFAULT_PITCH | U_FF_SWISS, face.data());
    std::vector<uint16_t> style = Utf16("Regular");
    style.push_back(0);
    const U_LOGFONT_PANOSE elf =
        logfont_panose_set(lf, face.data(), style.data(), 0, panose_set(0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
    const uint32_t old = s_->font;
    Append(extcreatefontindirectw_set(&s_->font, s_->eht, nullptr, reinterpret_cast<const char*>(&elf)),
           "font");
    Append(selectobject_set(s_->font, s_->eht), "select");
    if (old) {
        uint32_t h = old;
        Append(deleteobject_set(&h, s_->eht), "delete");
    }
}

void EmfCanvas::SetRop2(int r2) { Append(U_EMRSETROP2_set(static_cast<uint32_t>(r2)), "raster operation"); }

void EmfCanvas::SetTextBackground(bool opaque, TColor colour) {
    Append(U_EMRSETBKMODE_set(opaque ? U_OPAQUE : U_TRANSPARENT), "background mode");
    if (opaque) Append(U_EMRSETBKCOLOR_set(Colour(colour)), "background colour");
}

void EmfCanvas::SetTextColour(TColor c) { Append(U_EMRSETTEXTCOLOR_set(Colour(c)), "text colour"); }

void EmfCanvas::WritePolyline(const std::vector<TPoint>& pts) {
    const std::vector<U_POINTL> p = Points(pts);
    Append(U_EMRPOLYLINE_set(BoundsOf(pts), static_cast<uint32_t>(p.size()), p.data()), "polyline");
}

void EmfCanvas::WritePolygon(const std::vector<TPoint>& pts) {
    const std::vector<U_POINTL> p = Points(pts);
    Append(U_EMRPOLYGON_set(BoundsOf(pts), static_cast<uint32_t>(p.size()), p.data()), "polygon");
}

void EmfCanvas::WriteRectangle(const TRect& r) { Append(U_EMRRECTANGLE_set(Rectl(r)), "rectangle"); }

void EmfCanvas::WriteRoundRect(const TRect& r, int ew, int eh) {
    Append(U_EMRROUNDRECT_set(Rectl(r), sizel_set(ew, eh)), "rounded rectangle");
}

void EmfCanvas::WriteEllipse(const TRect& r) { Append(U_EMRELLIPSE_set(Rectl(r)), "ellipse"); }

void EmfCanvas::WriteText(TPoint p, std::string_view utf8, const std::vector<int>& advances) {
    std::vector<uint16_t> text = Utf16(utf8);
    if (text.empty()) return;
    std::vector<uint32_t> dx(text.size(), 0);
    int width = 0;
    for (std::size_t i = 0; i < dx.size() && i < advances.size(); ++i) {
        dx[i] = static_cast<uint32_t>(std::max(advances[i], 0));
        width += advances[i];
    }
    const U_RECTL clip = rectl_set(point32_set(0, 0), point32_set(-1, -1));
    char* emrtext = emrtext_set(point32_set(p.x, p.y), static_cast<U_NUM_STR>(text.size()), 2,
                                text.data(), U_ETO_NONE, clip, dx.data());
    if (!emrtext) {
        Fail("cannot encode a text");
        return;
    }
    const U_RECTL bounds = rectl_set(point32_set(p.x, p.y), point32_set(p.x + width, p.y + 1));
    Append(U_EMREXTTEXTOUTW_set(bounds, U_GM_COMPATIBLE, 1.0f, 1.0f, reinterpret_cast<PU_EMRTEXT>(emrtext)),
           "text");
    std::free(emrtext);
}

void EmfCanvas::WritePixel(TPoint p, TColor c) {
    Append(U_EMRSETPIXELV_set(point32_set(p.x, p.y), Colour(c)), "pixel");
}

} // namespace qz::render

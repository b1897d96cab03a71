#include "WmfCanvas.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" {
#include <uwmf.h>
}

#include "common/Cp1252.h"

namespace qz::render {

namespace {

U_COLORREF Colour(TColor c) { return colorref3_set(RedOf(c), GreenOf(c), BlueOf(c)); }

// Coordinates of ".wmf" records are 16-bit.
int16_t Clamp16(int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }

U_POINT16 Point16(TPoint p) { return point16_set(Clamp16(p.x), Clamp16(p.y)); }

U_RECT16 Rect16(const TRect& r) {
    return U_RECT16_set(point16_set(Clamp16(r.left), Clamp16(r.top)),
                        point16_set(Clamp16(r.right), Clamp16(r.bottom)));
}

std::vector<U_POINT16> Points(const std::vector<TPoint>& pts) {
    std::vector<U_POINT16> out;
    out.reserve(pts.size());
    for (const TPoint& p : pts) out.push_back(Point16(p));
    return out;
}

} // namespace

struct WmfCanvas::State {
    WMFTRACK* wt = nullptr;
    WMFHANDLES* wht = nullptr;
    uint32_t pen = 0, brush = 0, font = 0;
    bool finished = false;
};

WmfCanvas::WmfCanvas(int width, int height) : s_(std::make_unique<State>()) {
    if (wmf_start("/dev/null", 1 << 16, 1 << 16, &s_->wt) != 0) {
        Fail("cannot start the picture");
        s_->wt = nullptr;
        return;
    }
    if (!CollectInMemory(s_->wt->fp)) {
        wmf_free(&s_->wt);
        s_->wt = nullptr;
        return;
    }
    if (wmf_htable_create(128, 128, &s_->wht) != 0) {
        Fail("cannot create the object table");
        return;
    }
    width = std::clamp(width, 1, 32767);
    height = std::clamp(height, 1, 32767);
    U_PAIRF* size = U_PAIRF_set(width / 96.0f, height / 96.0f);
    char* header = U_WMRHEADER_set(size, 96);
    std::free(size);
    if (!header || wmf_header_append(reinterpret_cast<U_METARECORD*>(header), s_->wt, 1) != 0) {
        Fail("cannot write the header");
        return;
    }
    Append(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC), "map mode");
    Append(U_WMRSETWINDOWORG_set(point16_set(0, 0)), "window origin");
    Append(U_WMRSETWINDOWEXT_set(point16_set(Clamp16(width), Clamp16(height))), "window extent");
    Append(U_WMRSETTEXTALIGN_set(U_TA_TOP | U_TA_LEFT | U_TA_NOUPDATECP), "text alignment");
    Append(U_WMRSETBKMODE_set(U_TRANSPARENT), "background mode");
    Append(U_WMRSETPOLYFILLMODE_set(U_ALTERNATE), "fill mode");
}

WmfCanvas::~WmfCanvas() {
    if (s_->wt && s_->wt->fp) std::fclose(s_->wt->fp); // not finished
    if (s_->wt) {
        s_->wt->fp = nullptr;
        wmf_free(&s_->wt);
    }
    if (s_->wht) wmf_htable_free(&s_->wht);
}

void WmfCanvas::Append(char* record, const char* what) {
    if (!s_->wt || !s_->wht) {
        std::free(record);
        return;
    }
    if (!record || wmf_append(reinterpret_cast<U_METARECORD*>(record), s_->wt, 1) != 0) {
        Fail(std::string("cannot write the ") + what + " record");
    }
}

bool WmfCanvas::Finish(std::vector<std::uint8_t>& bytes, std::string* error) {
    if (s_->wt && s_->wht && !s_->finished) {
        s_->finished = true;
        Append(U_WMREOF_set(), "end");
        // The stream is closed by libUEMF, which leaves the bytes in memory.
        if (!Failure() && wmf_finish(s_->wt) != 0) Fail("cannot write the picture");
    }
    if (Failure()) {
        if (error) *error = *Failure();
        return false;
    }
    bytes = Collected();
    return true;
}

void WmfCanvas::SelectPen(const TPen& p) {
    if (!s_->wht) return;
    const uint32_t old = s_->pen;
    const uint16_t style = p.style == PenStyle::Clear ? U_PS_NULL : static_cast<uint16_t>(p.style);
    Append(wcreatepenindirect_set(&s_->pen, s_->wht,
                                  U_PEN_set(style, static_cast<uint16_t>(std::clamp(p.width, 0, 32767)),
                                            Colour(p.color))),
           "pen");
    Append(wselectobject_set(s_->pen, s_->wht), "select");
    if (old) {
        uint32_t h = old;
        Append(wdeleteobject_set(&h, s_->wht), "delete");
    }
}

void WmfCanvas::SelectBrush(const TBrush& b) {
    if (!s_->wht) return;
    const uint32_t old = s_->brush;
    const U_WLOGBRUSH lb =
        U_WLOGBRUSH_set(b.style == BrushStyle::Clear ? U_BS_NULL : U_BS_SOLID, Colour(b.color), 0);
    Append(wcreatebrushindirect_set(&s_->brush, s_->wht, lb), "brush");
    Append(wselectobject_set(s_->brush, s_->wht), "select");
    if (old) {
        uint32_t h = old;
        Append(wdeleteobject_set(&h, s_->wht), "delete");
    }
}

void WmfCanvas::SelectFont(const TFont& f, int pixelHeight) {
    if (!s_->wht) return;
    std::string face = cp1252::FromUtf8(f.name).substr(0, 31);
    U_FONT* uf = U_FONT_set(Clamp16(-pixelHeight), 0, 0, 0, (f.style & fsBold) ? U_FW_BOLD : U_FW_NORMAL,
                            (f.style & fsItalic) ? 1 : 0, (f.style & fsUnderline) ? 1 : 0,
                            (f.style & fsStrikeOut) ? 1 : 0, U_ANSI_CHARSET, U_OUT_DEFAULT_PRECIS,
                            U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY, U_DEFAULT_PITCH | U_FF_SWISS,
                            face.data());
    if (!uf) {
        Fail("cannot encode a font");
        return;
    }
    const uint32_t old = s_->font;
    Append(wcreatefontindirect_set(&s_->font, s_->wht, uf), "font");
    std::free(uf);
    Append(wselectobject_set(s_->font, s_->wht), "select");
    if (old) {
        uint32_t h = old;
        Append(wdeleteobject_set(&h, s_->wht), "delete");
    }
}

void WmfCanvas::SetRop2(int r2) { Append(U_WMRSETROP2_set(static_cast<uint16_t>(r2)), "raster operation"); }

void WmfCanvas::SetTextBackground(bool opaque, TColor colour) {
    Append(U_WMRSETBKMODE_set(opaque ? U_OPAQUE : U_TRANSPARENT), "background mode");
    if (opaque) Append(U_WMRSETBKCOLOR_set(Colour(colour)), "background colour");
}

void WmfCanvas::SetTextColour(TColor c) { Append(U_WMRSETTEXTCOLOR_set(Colour(c)), "text colour"); }

void WmfCanvas::WritePolyline(const std::vector<TPoint>& pts) {
    const std::vector<U_POINT16> p = Points(pts);
    Append(U_WMRPOLYLINE_set(static_cast<uint16_t>(p.size()), p.data()), "polyline");
}

void WmfCanvas::WritePolygon(const std::vector<TPoint>& pts) {
    const std::vector<U_POINT16> p = Points(pts);
    Append(U_WMRPOLYGON_set(static_cast<uint16_t>(p.size()), p.data()), "polygon");
}

void WmfCanvas::WriteRectangle(const TRect& r) { Append(U_WMRRECTANGLE_set(Rect16(r)), "rectangle"); }

void WmfCanvas::WriteRoundRect(const TRect& r, int ew, int eh) {
    Append(U_WMRROUNDRECT_set(Clamp16(ew), Clamp16(eh), Rect16(r)), "rounded rectangle");
}

void WmfCanvas::WriteEllipse(const TRect& r) { Append(U_WMRELLIPSE_set(Rect16(r)), "ellipse"); }

void WmfCanvas::WriteText(TPoint p, std::string_view utf8, const std::vector<int>&) {
    std::string text = cp1252::FromUtf8(utf8);
    if (text.empty()) return;
    text.resize(std::min<std::size_t>(text.size(), 32000));
    Append(U_WMRTEXTOUT_set(Point16(p), text.data()), "text");
}

void WmfCanvas::WritePixel(TPoint p, TColor c) {
    Append(U_WMRSETPIXEL_set(Colour(c), Point16(p)), "pixel");
}

} // namespace qz::render

// The records of text labels and graphical shapes in net files.
#include "common/BinaryStream.h"
#include "model/TObjekt.h"
#include "model/TSchriftObjekt.h"
#include "model/storage/FileVersion.h"

namespace qz {

namespace {
// Larger font sizes only come from damaged files.
constexpr std::int32_t kFontSizeLimit = 4096;
} // namespace

void TSchriftObjekt::SaveToStream(BinaryWriter& out) const {
    TGraphItem::SaveToStream(out);
    out.TStr(text_);
    out.I32(font_.size);
    out.TStr(font_.name);
    out.I32(static_cast<std::int32_t>(font_.color));
    out.U8(font_.style);
}

void TSchriftObjekt::LoadFromStream(BinaryReader& in, const std::string&) {
    bounds = ReadCoordinates(in);
    hit = bounds;
    const std::string text = in.TStr();
    TFont f;
    f.size = in.I32();
    if (f.size > kFontSizeLimit || f.size < -kFontSizeLimit) {
        throw StreamReadError("font size out of range");
    }
    f.name = in.TStr();
    f.color = static_cast<TColor>(in.I32());
    f.style = in.U8();
    font_ = f;
    // Setting the text again lets the label measure itself.
    SetText(text);
    visible = 1;
}

void TObjekt::SaveToStream(BinaryWriter& out) const {
    TGraphItem::SaveToStream(out);
    out.I32(lineWidth);
    out.I32(radius);
    out.U8(shapeKind);
    out.U8(penMode);
    out.U8(penStyle);
}

void TObjekt::LoadFromStream(BinaryReader& in, const std::string&) {
    SetBounds(ReadCoordinates(in));
    lineWidth = in.I32();
    radius = in.I32();
    shapeKind = in.U8();
    if (shapeKind > skHorizontalLine) throw StreamReadError("shape kind out of range");
    penMode = in.U8();
    penStyle = in.U8();
}

} // namespace qz

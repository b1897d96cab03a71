// The records of places and transitions in net files.
#include "common/BinaryStream.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "model/storage/FileVersion.h"

namespace qz {

namespace {

std::uint8_t Flag(BinaryReader& in) { return in.U8() != 0 ? 1 : 0; }

int SizeClass(BinaryReader& in) {
    const std::uint8_t c = in.U8();
    if (c > 4) throw StreamReadError("size class out of range");
    return c;
}

void WriteLabel(BinaryWriter& out, const TSchriftObjekt& label) {
    out.Rect(label.bounds);
    out.U8(label.visible);
    out.U8(label.userPositioned);
}

void ReadLabel(BinaryReader& in, TSchriftObjekt& label) {
    label.SetBounds(ReadCoordinates(in));
    label.visible = Flag(in);
    label.userPositioned = Flag(in);
}

} // namespace

void TPlatz::SaveToStream(BinaryWriter& out) const {
    TGraphItem::SaveToStream(out);
    out.TStr(name);
    out.TStr(variableName);
    out.U8(continuous);
    out.Ext(SharedInitialMarking(*this));
    out.U8(sizeClass);
    out.Ext(capacity);
    out.I32(key);
    out.Rect(hit);
    WriteLabel(out, *nameLabel);
    out.U8(interfaceFlag);
}

void TPlatz::LoadFromStream(BinaryReader& in, const std::string& version) {
    const RecordLayout layout = LayoutOf(version);
    bounds = ReadCoordinates(in);
    SetName(in.TStr());
    variableName = in.TStr();
    continuous = Flag(in);
    const long double initial = in.Ext();
    SetInitialMarking(initial);
    SetMarking(static_cast<double>(initial));
    SetSizeClass(SizeClass(in));
    if (layout >= RecordLayout::V146) {
        const long double stored = in.Ext();
        capacity = stored == 0 ? -1 : stored;
    }
    key = in.I32();
    hit = ReadCoordinates(in);
    bounds = hit;
    ReadLabel(in, *nameLabel);
    // Frames are rebuilt from the places after loading, so the flag is taken
    // as it is, without telling the frame.
    if (layout >= RecordLayout::V148) interfaceFlag = Flag(in);
}

void TTransition::SaveToStream(BinaryWriter& out) const {
    TGraphItem::SaveToStream(out);
    out.TStr(name);
    out.U8(continuous);
    out.TStr(functionText);
    out.U8(sizeClass);
    out.I32(key);
    out.Rect(hit);
    out.U8(orientation);
    WriteLabel(out, *nameLabel);
    WriteLabel(out, *valueLabel);
    out.I32(priority);
    out.U8(timed);
    out.U8(reservation);
}

void TTransition::LoadFromStream(BinaryReader& in, const std::string& version) {
    const RecordLayout layout = LayoutOf(version);
    bounds = ReadCoordinates(in);
    // The oldest layouts store the bounds twice; the second one counts.
    if (layout <= RecordLayout::V144) bounds = ReadCoordinates(in);
    SetName(in.TStr());
    continuous = Flag(in);
    SetFunctionText(in.TStr());
    SetSizeClass(SizeClass(in));
    key = in.I32();
    hit = ReadCoordinates(in);
    bounds = hit;
    SetOrientation(Flag(in));
    auto readBehaviour = [&] {
        priority = in.I32();
        timed = Flag(in);
        reservation = Flag(in);
    };
    if (layout == RecordLayout::V144) readBehaviour();
    ReadLabel(in, *nameLabel);
    ReadLabel(in, *valueLabel);
    if (layout >= RecordLayout::V146) readBehaviour();
}

} // namespace qz

// The record of arcs in net files. Ends are written as keys for places and
// transitions of the same net and as "object.variable" for interface places;
// the object reader connects them after the whole object is read.
#include "common/BinaryStream.h"
#include "model/TEdge.h"
#include "model/TSchriftObjekt.h"
#include "model/storage/FileVersion.h"

namespace qz {

namespace {

std::int32_t KeyOf(const TGraphItem* e) { return e ? e->key : -1; }


} // namespace

void TEdge::SaveToStream(BinaryWriter& out) const {
    TGraphItem::SaveToStream(out);
    out.U8(arcKind);
    out.TStr(weightText);
    out.U8(static_cast<std::uint8_t>(connectionKind));
    if (SourceIsInterface(connectionKind)) {
        out.TStr(InterfaceReference(*this, SourceInterfacePlace()));
    } else {
        out.I32(KeyOf(source));
    }
    if (TargetIsInterface(connectionKind)) {
        out.TStr(InterfaceReference(*this, TargetInterfacePlace()));
    } else {
        out.I32(KeyOf(target));
    }
    out.U8(valueLabel->visible);
    out.U8(valueLabel->userPositioned);
    out.Rect(valueLabel->bounds);
    out.I32(static_cast<std::int32_t>(bendPoints.size()));
    for (const TPunkt& p : bendPoints) {
        out.I32(p.x);
        out.I32(p.y);
    }
}

void TEdge::LoadFromStream(BinaryReader& in, const std::string& version) {
    bounds = ReadCoordinates(in);
    arcKind = in.U8();
    if (arcKind > akTest) throw StreamReadError("arc kind out of range");
    SetWeightText(in.TStr());
    if (LayoutOf(version) >= RecordLayout::V148) {
        const std::uint8_t connection = in.U8();
        if (connection >= kConnectionKinds) throw StreamReadError("connection kind out of range");
        connectionKind = static_cast<ConnectionKind>(connection);
        if (SourceIsInterface(connectionKind)) {
            sourceName = in.TStr();
        } else {
            sourceKey = in.I32();
        }
        if (TargetIsInterface(connectionKind)) {
            targetName = in.TStr();
        } else {
            targetKey = in.I32();
        }
    } else {
        connectionKind = ConnectionKind::Plain;
        sourceKey = in.I32();
        targetKey = in.I32();
    }
    valueLabel->visible = in.U8() != 0 ? 1 : 0;
    valueLabel->userPositioned = in.U8() != 0 ? 1 : 0;
    valueLabel->SetBounds(ReadCoordinates(in));
    const std::int32_t count = in.I32();
    if (count < 0) throw StreamReadError("negative bend point count");
    in.Require(static_cast<std::size_t>(count) * 8);
    bendPoints.clear();
    bendPoints.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        const int x = ReadCoordinate(in);
        const int y = ReadCoordinate(in);
        bendPoints.push_back({x, y});
    }
    geometryValid = 0;
}

} // namespace qz

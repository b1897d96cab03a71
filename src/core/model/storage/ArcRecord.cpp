// The record of arcs in net files. Ends are written as keys for places and
// transitions of the same net and as "object.variable" for interface places;
// the object reader connects them after the whole object is read.
#include "common/BinaryStream.h"
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TSchriftObjekt.h"
#include "model/storage/FileVersion.h"

namespace qz {

namespace {

std::int32_t KeyOf(const TGraphItem* e) { return e ? e->key : -1; }

const TInterfacePlace* AsInterfacePlace(const TGraphItem* e) {
    return (e && e->Kind() == kind::InterfacePlace) ? static_cast<const TInterfacePlace*>(e)
                                                    : nullptr;
}

} // namespace

void TEdge::SaveToStream(BinaryWriter& out) const {
    TGraphItem::SaveToStream(out);
    out.U8(arcKind);
    out.TStr(weightText);
    out.U8(connectionKind);
    switch (connectionKind) {
    case 1:
        out.I32(KeyOf(source));
        out.TStr(InterfaceReference(*this, AsInterfacePlace(target)));
        break;
    case 2:
        out.TStr(InterfaceReference(*this, AsInterfacePlace(source)));
        out.I32(KeyOf(target));
        break;
    case 3:
        out.I32(KeyOf(source));
        out.TStr(InterfaceReference(*this, interfaceTarget));
        break;
    case 4:
        out.TStr(InterfaceReference(*this, interfaceSource));
        out.I32(KeyOf(target));
        break;
    case 5:
        out.TStr(InterfaceReference(*this, AsInterfacePlace(source)));
        out.TStr(InterfaceReference(*this, AsInterfacePlace(target)));
        break;
    default:
        out.I32(KeyOf(source));
        out.I32(KeyOf(target));
        break;
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
        connectionKind = in.U8();
        if (connectionKind > 5) throw StreamReadError("connection kind out of range");
        const bool sourceByName = connectionKind == 2 || connectionKind == 4 || connectionKind == 5;
        const bool targetByName = connectionKind == 1 || connectionKind == 3 || connectionKind == 5;
        if (sourceByName) {
            sourceName = in.TStr();
        } else {
            sourceKey = in.I32();
        }
        if (targetByName) {
            targetName = in.TStr();
        } else {
            targetKey = in.I32();
        }
    } else {
        connectionKind = 0;
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

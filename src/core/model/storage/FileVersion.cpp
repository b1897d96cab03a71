#include "model/storage/FileVersion.h"

#include "common/BinaryStream.h"
#include "common/NumberFormat.h"
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"

namespace qz {

namespace {

// Coordinates beyond this magnitude only come from damaged files.
constexpr std::int32_t kCoordinateLimit = 1 << 29;

long double Known(const char* label) { return *num::ParseNumber(label, ','); }

} // namespace

std::optional<long double> VersionValue(const std::string& label) {
    return num::ParseNumber(label, ',');
}

RecordLayout LayoutOf(const std::string& label) {
    if (label == "1") return RecordLayout::V1;
    if (label == "1,44") return RecordLayout::V144;
    if (label == "1,46") return RecordLayout::V146;
    if (label == "1,48") return RecordLayout::V148;
    if (label == "2,7") return RecordLayout::V27;
    const std::optional<long double> v = VersionValue(label);
    if (!v || *v < Known("1,44")) return RecordLayout::V1;
    if (*v < Known("1,46")) return RecordLayout::V144;
    if (*v < Known("1,48")) return RecordLayout::V146;
    if (*v < Known("2,7")) return RecordLayout::V148;
    return RecordLayout::V27;
}

int ReadCoordinate(BinaryReader& in) {
    const std::int32_t v = in.I32();
    if (v > kCoordinateLimit || v < -kCoordinateLimit) {
        throw StreamReadError("coordinate out of range");
    }
    return v;
}

bool CoordinatesInRange(const TRect& r) {
    for (const int v : {r.left, r.top, r.right, r.bottom}) {
        if (v > kCoordinateLimit || v < -kCoordinateLimit) return false;
    }
    return true;
}

TRect ReadCoordinates(BinaryReader& in) {
    TRect r;
    r.left = ReadCoordinate(in);
    r.top = ReadCoordinate(in);
    r.right = ReadCoordinate(in);
    r.bottom = ReadCoordinate(in);
    return r;
}

std::string InterfaceReference(const TEdge& arc, const TInterfacePlace* end) {
    if (!end || !end->frame || !end->innerPlace) return std::string();
    const TPNObjekt* object = end->frame->object;
    std::string objectName;
    if (object) {
        objectName = (arc.owner && object == arc.owner->Base()) ? arc.owner->baseName : object->name;
    }
    return objectName + "." + end->innerPlace->variableName;
}

long double SharedInitialMarking(const TPlatz& place) {
    const TPlatz* p = &place;
    // A ring of links (only a damaged file can make one) ends the walk.
    for (int steps = 0; p->link && p->link != p && steps < (1 << 20); ++steps) {
        p = p->link;
        if (p == &place) break;
    }
    return p->InitialMarking();
}

void RenumberKeys(TNetList& net) {
    std::int32_t next = 0;
    for (TGraphItem* e : net.Elements()) {
        if (e->Kind() == kind::Place) e->key = next++;
    }
    for (TGraphItem* e : net.Elements()) {
        if (e->Kind() == kind::Transition) e->key = next++;
    }
}

} // namespace qz

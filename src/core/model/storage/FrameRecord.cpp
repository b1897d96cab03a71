// The record of object frames: the order, sides and start values of the
// interface places and the instance description.
#include <algorithm>

#include "common/BinaryStream.h"
#include "model/TInterfacePlace.h"
#include "model/TObjectFrame.h"
#include "model/TPlatz.h"
#include "model/storage/FileVersion.h"

namespace qz {

namespace {
// Smallest entry: an empty tagged string, the side byte, the 10-byte value.
constexpr std::size_t kMinInterfaceEntry = 2 + 1 + 10;
constexpr std::size_t kMinDescriptionLine = 2;
} // namespace

void TObjectFrame::SaveToStream(BinaryWriter& out) const {
    TGraphItem::SaveToStream(out);
    out.I32(static_cast<std::int32_t>(interfacePlaces.size()));
    out.U8(interfaceSizeClass);
    for (const auto& ip : interfacePlaces) {
        out.TStr(ip->innerPlace ? ip->innerPlace->variableName : std::string());
        out.U8(ip->side);
        out.Ext(ip->innerPlace ? SharedInitialMarking(*ip->innerPlace) : 0);
    }
    out.I32(static_cast<std::int32_t>(description.size()));
    for (const std::string& line : description) out.TStr(line);
}

void TObjectFrame::LoadFromStream(BinaryReader& in, const std::string&) {
    RebuildInterface();
    const TRect before = bounds;
    SetBounds(ReadCoordinates(in));
    const std::int32_t count = in.I32();
    if (count < 0) throw StreamReadError("negative interface count");
    in.Require(static_cast<std::size_t>(count) * kMinInterfaceEntry);
    const std::uint8_t sc = in.U8();
    if (sc > 4) throw StreamReadError("size class out of range");

    struct Entry {
        std::string name;
        std::uint8_t side;
        long double value;
    };
    std::vector<Entry> entries;
    entries.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        Entry e;
        e.name = in.TStr();
        e.side = in.U8() != 0 ? 1 : 0;
        e.value = in.Ext();
        entries.push_back(std::move(e));
    }
    const std::int32_t lines = in.I32();
    if (lines < 0) throw StreamReadError("negative description line count");
    in.Require(static_cast<std::size_t>(lines) * kMinDescriptionLine);
    std::vector<std::string> text;
    text.reserve(static_cast<std::size_t>(lines));
    for (std::int32_t i = 0; i < lines; ++i) text.push_back(in.TStr());
    description = std::move(text);

    // Entries name interface places by their inner place's variable name;
    // names the object no longer publishes are skipped.
    std::vector<std::unique_ptr<TInterfacePlace>> ordered;
    for (const Entry& e : entries) {
        auto it = std::find_if(interfacePlaces.begin(), interfacePlaces.end(), [&](const auto& ip) {
            return ip->innerPlace && ip->innerPlace->variableName == e.name;
        });
        if (it == interfacePlaces.end()) continue;
        std::unique_ptr<TInterfacePlace> ip = std::move(*it);
        interfacePlaces.erase(it);
        ip->SetCanvas(canvas);
        ip->side = e.side;
        ip->SetValue(e.value);
        ordered.push_back(std::move(ip));
    }
    // Interface places the file does not name follow in their rebuilt order.
    for (auto& ip : interfacePlaces) ordered.push_back(std::move(ip));
    interfacePlaces = std::move(ordered);
    hovered = nullptr;
    // The size class grows the frame only as far as its places need on the
    // sides they were stored with: a frame read and written again keeps
    // its size.
    SetInterfaceSizeClass(sc);
    if (!CoordinatesInRange(bounds)) {
        // Grown past what a file may hold: the frame stays as it was, so
        // that nothing unreadable is ever written.
        SetBounds(before);
        LayoutInterface();
        throw StreamReadError("coordinate out of range");
    }
}

} // namespace qz

#include "model/storage/NetFile.h"

#include "common/BinaryStream.h"
#include "common/FileSystem.h"
#include "model/FusionRules.h"
#include "model/ObjectLibrary.h"
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TObjekt.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "model/storage/FileVersion.h"
#include "platform/Services.h"
#include "settings/SampleTime.h"

namespace qz {

namespace {

// Smallest possible records, used to refuse counts the rest of the data
// could not hold before anything is allocated: an element starts with its
// 16-byte bounds; an object record holds two tagged strings, the child
// count, a net record (five counts and a tagged child count) and a frame
// record (bounds, count, size class, line count).
constexpr std::size_t kMinElementRecord = 16;
constexpr std::size_t kMinObjectRecord = 2 + 2 + 4 + (20 + 2) + (16 + 4 + 1 + 4);
// Objects nest no deeper than this in one file; deeper nesting only comes
// from damaged or hostile files and would exhaust the stack.
constexpr int kMaxNesting = 64;

// Raised when the dispatcher refused the net record: the reading stops.
struct ReadingRefused {};

long double ValueOf(const char* label) { return *VersionValue(label); }

bool IsStringTag(std::uint8_t b) { return b == tag::ShortString || b == tag::LongString; }

MessageBoxes& Messages() { return *Platform().messages; }

// Reads the version label at the start of a file, normalised ("1.44" is
// "1,44"; no label is "1", and then the reader is back at the first byte).
// Version 1 files start with their place count, whose first byte may look
// like a string tag: a label that cannot be read or is no number means
// version 1 as well.
std::string ReadVersionLabel(BinaryReader& in) {
    std::string label;
    if (!in.AtEnd() && IsStringTag(in.PeekU8())) {
        try {
            label = in.TStr();
        } catch (const StreamReadError&) {
            label.clear();
        }
    }
    if (label == "1.44") label = "1,44";
    if (label.empty() || !VersionValue(label)) label = "1";
    if (label == "1") in.Seek(0);
    return label;
}

void ReadCounts(BinaryReader& in, std::int32_t* counts, int n) {
    std::uint64_t total = 0;
    for (int i = 0; i < n; ++i) {
        counts[i] = in.I32();
        if (counts[i] < 0) throw StreamReadError("negative element count");
        total += static_cast<std::uint64_t>(counts[i]);
    }
    if (total > in.Remaining() / kMinElementRecord) throw StreamReadError("element count too large");
}

// The element of the record being read that a key names: keys count the
// places and transitions of the record from 0.
TGraphItem* ByKey(const std::vector<std::unique_ptr<TGraphItem>>& elements, std::size_t first,
                  std::int32_t key) {
    if (key < 0) return nullptr;
    const std::size_t i = first + static_cast<std::size_t>(key);
    if (i >= elements.size()) return nullptr;
    TGraphItem* e = elements[i].get();
    return (e->Kind() == kind::Place || e->Kind() == kind::Transition) ? e : nullptr;
}


class NetRecordReader {
public:
    NetRecordReader(TPNObjekt& object, BinaryReader& in, const std::string& version, bool select,
                    std::vector<std::unique_ptr<TGraphItem>>& elements)
        : object_(object), in_(in), version_(version), select_(select), elements_(elements),
          first_(elements.size()) {}

    // Layout of version 1: places, transitions, arcs and an ignored trailer.
    void ReadVersion1() {
        std::int32_t counts[3];
        ReadCounts(in_, counts, 3);
        ReadPlaces(counts[0]);
        ReadTransitions(counts[1]);
        ReadArcs(counts[2], true);
        (void)in_.TStr();
        (void)in_.TInt();
    }

    // Layout of versions 1.44 and 1.46: the object's sample time sits between
    // the arcs and the labels.
    void ReadVersion144() {
        std::int32_t counts[5];
        ReadCounts(in_, counts, 5);
        ReadPlaces(counts[0]);
        ReadTransitions(counts[1]);
        ReadArcs(counts[2], true);
        object_.sampleTimeText = in_.TStr();
        object_.timeUnit = in_.TInt();
        ReadLabels(counts[3]);
        ReadShapes(counts[4]);
    }

    void ReadVersion148() {
        std::int32_t counts[5];
        ReadCounts(in_, counts, 5);
        ReadPlaces(counts[0]);
        ReadTransitions(counts[1]);
        ReadArcs(counts[2], false);
        ReadLabels(counts[3]);
        ReadShapes(counts[4]);
        (void)in_.TInt(); // the child count, already known from the object record
    }

private:
    void Append(std::unique_ptr<TGraphItem> e) {
        if (select_) e->selected = 1;
        elements_.push_back(std::move(e));
    }

    void ReadPlaces(std::int32_t n) {
        for (std::int32_t i = 0; i < n; ++i) {
            auto p = std::make_unique<TPlatz>();
            p->LoadFromStream(in_, version_);
            Append(std::move(p));
        }
    }

    void ReadTransitions(std::int32_t n) {
        for (std::int32_t i = 0; i < n; ++i) {
            auto t = std::make_unique<TTransition>(&object_.Variables());
            t->LoadFromStream(in_, version_);
            Append(std::move(t));
        }
    }

    void ReadArcs(std::int32_t n, bool connectNow) {
        for (std::int32_t i = 0; i < n; ++i) {
            auto a = std::make_unique<TEdge>(&object_.Variables());
            a->LoadFromStream(in_, version_);
            if (connectNow) {
                // Old layouts: both ends are keys, and the arc is entered at once.
                // (ByKey gives places and transitions only: an arc that is not
                // Plain has lost an end and is dropped.)
                TGraphItem* s = ByKey(elements_, first_, a->sourceKey);
                TGraphItem* t = ByKey(elements_, first_, a->targetKey);
                if (!JoinArc(*a, s, t)) continue;
            } else {
                if (!SourceIsInterface(a->connectionKind)) a->SetSource(ByKey(elements_, first_, a->sourceKey));
                if (!TargetIsInterface(a->connectionKind)) a->SetTarget(ByKey(elements_, first_, a->targetKey));
            }
            Append(std::move(a));
        }
    }

    void ReadLabels(std::int32_t n) {
        for (std::int32_t i = 0; i < n; ++i) {
            auto l = std::make_unique<TSchriftObjekt>();
            l->LoadFromStream(in_, version_);
            Append(std::move(l));
        }
    }

    void ReadShapes(std::int32_t n) {
        for (std::int32_t i = 0; i < n; ++i) {
            auto s = std::make_unique<TObjekt>();
            s->LoadFromStream(in_, version_);
            Append(std::move(s));
        }
    }

    TPNObjekt& object_;
    BinaryReader& in_;
    const std::string& version_;
    bool select_;
    std::vector<std::unique_ptr<TGraphItem>>& elements_;
    std::size_t first_;
};

// The elements an arc of the 1.48 layout is drawn between in object `o`:
// keys were resolved when the record was read, interface places are found
// by their names now.
std::pair<TGraphItem*, TGraphItem*> DrawnEnds(TPNObjekt& o, const TEdge& a) {
    auto interfacePlace = [&o](const std::string& name) -> TGraphItem* {
        TInterfacePlace* ip = o.FindInterfacePlaceByPath(name);
        return (ip && ip->innerPlace) ? ip : nullptr;
    };
    return {SourceIsInterface(a.connectionKind) ? interfacePlace(a.sourceName) : a.source,
            TargetIsInterface(a.connectionKind) ? interfacePlace(a.targetName) : a.target};
}

// Connects the arcs read for object `o`, last first: arcs whose ends cannot
// be found, or are not of the kinds their connection kind names, are removed
// from the net without a message; the others are joined.
void ConnectArcs(TPNObjekt& o, const std::vector<TEdge*>& arcs) {
    std::vector<TGraphItem*> dropped;
    for (auto it = arcs.rbegin(); it != arcs.rend(); ++it) {
        TEdge* a = *it;
        const auto [source, target] = DrawnEnds(o, *a);
        if (ConnectionKindOf(source, target) != a->connectionKind || !JoinArc(*a, source, target)) {
            dropped.push_back(a);
        }
    }
    o.Net().DestroyElements(dropped);
    // Interface places shown only when used depend on their arcs.
    for (const auto& child : o.Net().Children()) child->Frame().LayoutInterface();
    if (o.Base()) o.Base()->Frame().LayoutInterface();
}

class NetFileReader {
public:
    NetFileReader(BinaryReader& in, std::string label)
        : in_(in), label_(std::move(label)), value_(*VersionValue(label_)),
          named_(value_ >= ValueOf("1,48")) {}

    // Reads an object record into `o`.
    void ReadObject(TPNObjekt& o, int depth) {
        if (depth > kMaxNesting) throw StreamReadError("objects nested too deeply");
        if (named_) {
            o.SetInherited(in_.TStr());
            o.SetObjectName(in_.TStr());
            const std::int32_t children = in_.I32();
            if (children < 0) throw StreamReadError("negative child count");
            if (static_cast<std::uint64_t>(children) > in_.Remaining() / kMinObjectRecord) {
                throw StreamReadError("child count too large");
            }
            for (std::int32_t i = 0; i < children; ++i) {
                auto child = std::make_unique<TPNObjekt>(o.Root());
                ReadObject(*child, depth + 1);
                child->parentName = o.name;
                TPNObjekt* raw = child.get();
                o.Net().AddChild(std::move(child));
                o.Net().AddFrame(&raw->Frame());
            }
        }

        std::vector<std::unique_ptr<TGraphItem>> elements;
        if (!ReadNetRecord(o, in_, label_, false, elements)) throw ReadingRefused{};
        std::vector<TEdge*> arcs;
        for (auto& e : elements) {
            if (e->Kind() == kind::Arc) arcs.push_back(static_cast<TEdge*>(e.get()));
            o.Net().Add(std::move(e));
        }
        // Shapes lie behind everything else: visiting the list from the
        // first element on and sending each shape met to the back leaves
        // them in the reverse of their order.
        std::vector<TGraphItem*> shapes;
        for (TGraphItem* e : o.Net().Elements()) {
            if (e->Kind() == kind::Shape) shapes.push_back(e);
        }
        o.Net().MoveToBack({shapes.rbegin(), shapes.rend()});
        if (depth == 0) netRead = true;
        if (!named_) return;

        try {
            o.Frame().LoadFromStream(in_, label_);
            if (o.Base()) o.Base()->Frame().LoadFromStream(in_, label_);
        } catch (...) {
            ConnectArcs(o, arcs); // no arc may keep unresolved ends
            throw;
        }
        ConnectArcs(o, arcs);
    }

    bool netRead = false;

private:
    BinaryReader& in_;
    std::string label_;
    long double value_;
    bool named_;
};

void WriteNetRecord(BinaryWriter& out, TNetList& net) {
    RenumberKeys(net);
    std::vector<const TGraphItem*> groups[5];
    for (const TGraphItem* e : net.Elements()) {
        switch (e->Kind()) {
        case kind::Place: groups[0].push_back(e); break;
        case kind::Transition: groups[1].push_back(e); break;
        case kind::Arc: groups[2].push_back(e); break;
        case kind::Label: groups[3].push_back(e); break;
        case kind::Shape: groups[4].push_back(e); break;
        default: break; // frames travel in their objects' records
        }
    }
    for (const auto& g : groups) out.I32(static_cast<std::int32_t>(g.size()));
    for (const auto& g : groups) {
        for (const TGraphItem* e : g) e->SaveToStream(out);
    }
    out.TInt(static_cast<std::int32_t>(net.Children().size()));
}

void WriteObject(BinaryWriter& out, TPNObjekt& o) {
    out.TStr(o.baseName);
    out.TStr(o.name);
    out.I32(static_cast<std::int32_t>(o.Net().Children().size()));
    for (const auto& child : o.Net().Children()) WriteObject(out, *child);
    WriteNetRecord(out, o.Net());
    o.Frame().SaveToStream(out);
    if (o.Base()) o.Base()->Frame().SaveToStream(out);
}

std::vector<std::uint8_t> WriteNet(TPNObjekt& root) {
    BinaryWriter out;
    out.Bytes().reserve(1 << 16);
    out.TStr(kCurrentFileVersion);
    out.TStr(root.sampleTimeText);
    out.TInt(root.timeUnit);
    out.TInt(root.enhancedFiringRule);
    WriteObject(out, root);
    return std::move(out.Bytes());
}

} // namespace

std::string NewerVersionText(const std::string& label) {
    return "This file (Version " + label + ") is created by a newer version of Quenzor (" + label + ").";
}

bool ReadNetRecord(TPNObjekt& object, BinaryReader& in, const std::string& version, bool select,
                   std::vector<std::unique_ptr<TGraphItem>>& elements) {
    const std::optional<long double> v = VersionValue(version);
    NetRecordReader reader(object, in, version, select, elements);
    try {
        if (v && *v < ValueOf("1,44")) {
            reader.ReadVersion1();
        } else if (v && (*v == ValueOf("1,44") || *v == ValueOf("1,46"))) {
            reader.ReadVersion144();
        } else if (v && (*v == ValueOf("1,48") || *v == ValueOf("2,7"))) {
            reader.ReadVersion148();
        } else {
            Messages().Error(kUnsupportedFormatText);
            return false;
        }
    } catch (const StreamReadError&) {
        Messages().Show(kWrongDataText, MsgKind::Information, MsgButtons::Ok);
    }
    return true;
}

bool LoadNet(TPNObjekt& root, const std::vector<std::uint8_t>& bytes, std::string* statusText) {
    BinaryReader in(bytes);
    std::string label;
    try {
        label = ReadVersionLabel(in);
    } catch (const StreamReadError&) {
        Messages().Error(kReadErrorText);
        if (statusText) statusText->clear();
        return false;
    }
    // The label is a number: anything else was taken as version 1.
    const std::optional<long double> value = VersionValue(label);
    if (*value > ValueOf("2,7")) {
        Messages().Error(NewerVersionText(label));
        if (statusText) statusText->clear();
        return false;
    }
    root.fileVersion = label;
    if (statusText) *statusText = label;

    NetFileReader reader(in, label);
    try {
        if (*value >= ValueOf("1,48")) {
            root.sampleTimeText = in.TStr();
            root.timeUnit = in.TInt();
        }
        root.enhancedFiringRule = (*value >= ValueOf("2,7") && in.TInt() != 0) ? 1 : 0;
        reader.ReadObject(root, 0);
    } catch (const ReadingRefused&) {
        return false;
    } catch (const StreamReadError&) {
        Messages().Error(kReadErrorText);
        UpdateSampleTimeSeconds(root);
        return reader.netRead;
    }
    UpdateSampleTimeSeconds(root);
    return true;
}

bool LoadNetFile(TPNObjekt& root, const std::string& path, std::string* statusText) {
    const std::optional<std::vector<std::uint8_t>> bytes = fs::ReadFile(path);
    if (!bytes) {
        Messages().Error(kReadErrorText);
        if (statusText) statusText->clear();
        return false;
    }
    const bool ok = LoadNet(root, *bytes, statusText);
    if (ok) root.fileName = path;
    return ok;
}

std::vector<std::uint8_t> SaveNet(TPNObjekt& root) {
    std::vector<std::uint8_t> bytes = WriteNet(root);
    root.fileVersion = kCurrentFileVersion;
    return bytes;
}

bool SaveNetFile(TPNObjekt& root, const std::string& path, std::string* error) {
    const std::vector<std::uint8_t> bytes = WriteNet(root);
    if (!fs::WriteFileAtomically(path, bytes.data(), bytes.size(), error)) return false;
    root.fileVersion = kCurrentFileVersion;
    return true;
}

NetFileHeader ReadNetHeader(const std::vector<std::uint8_t>& bytes) {
    NetFileHeader header;
    BinaryReader in(bytes);
    try {
        const std::string label = ReadVersionLabel(in);
        const std::optional<long double> value = VersionValue(label);
        if (*value > ValueOf("2,7")) {
            Messages().Error(NewerVersionText(label));
            header.baseName.clear();
            return header;
        }
        if (*value >= ValueOf("1,48")) {
            (void)in.TStr();
            (void)in.TInt();
            if (*value >= ValueOf("2,7")) (void)in.TInt();
            header.baseName = in.TStr();
            header.name = in.TStr();
        }
        header.ok = true;
    } catch (const StreamReadError&) {
        Messages().Error(kReadErrorText);
        header = NetFileHeader{};
    }
    return header;
}

NetFileHeader ReadNetFileHeader(const std::string& path) {
    const std::optional<std::vector<std::uint8_t>> bytes = fs::ReadFile(path);
    if (!bytes) {
        Messages().Error(kReadErrorText);
        return NetFileHeader{};
    }
    return ReadNetHeader(*bytes);
}

void InstallNetFileLoader() {
    ObjectLibrary().loadClass = [](TPNObjekt& into, const std::string& file) { return LoadNetFile(into, file); };
}

} // namespace qz

#include "model/storage/NetFile.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

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
// Raised when the document's hierarchy grew beyond LoadLimits().objects:
// the whole reading stops, through every class file being read.
struct ObjectLimitReached {};

// How deep objects are being read right now, across the class files read
// for them: the stack is bounded by the whole chain, not by one file.
int& ObjectDepth() {
    static int depth = 0;
    return depth;
}

class ObjectDepthGuard {
public:
    ObjectDepthGuard() { ++ObjectDepth(); }
    ~ObjectDepthGuard() { --ObjectDepth(); }
    ObjectDepthGuard(const ObjectDepthGuard&) = delete;
    ObjectDepthGuard& operator=(const ObjectDepthGuard&) = delete;
};

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

// The ends an arc of the 1.48 layout names by key (a plain arc: both; an
// arc from a place or transition to an interface: the source; one from an
// interface: the target) were not found.
bool KeyEndMissing(const TEdge& a) {
    using enum ConnectionKind;
    const ConnectionKind k = a.connectionKind;
    const bool keySource = k == Plain || k == PlaceToInterface || k == TransitionToInterface;
    const bool keyTarget = k == Plain || k == InterfaceToPlace || k == InterfaceToTransition;
    return (keySource && !a.source) || (keyTarget && !a.target);
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

    // An arc named by key an element its record does not hold.
    bool droppedArcs = false;

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
        const std::size_t before = elements_.size();
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
            // A key end that names no place or transition of the record can
            // only come from damage; the arc is dropped when it is connected.
            if (!connectNow && KeyEndMissing(*a)) droppedArcs = true;
            Append(std::move(a));
        }
        if (connectNow && elements_.size() - before < static_cast<std::size_t>(n)) droppedArcs = true;
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
        const ObjectDepthGuard nesting;
        if (ObjectDepth() > kMaxNesting) throw StreamReadError("objects nested too deeply");
        if (o.Root()->Registry().size() > LoadLimits().objects) throw ObjectLimitReached{};
        std::string storedBase;
        bool standIn = false;
        if (named_) {
            storedBase = in_.TStr();
            // A class that cannot be loaded (reported by now) is stood in for,
            // so that the records stored for it are read and kept.
            standIn = !o.SetInherited(storedBase) && storedBase != kEmptyObject;
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
        bool damagedRecord = false;
        if (!ReadNetRecord(o, in_, label_, false, elements, &damagedRecord)) throw ReadingRefused{};
        if (damagedRecord) DamageReported();
        std::vector<TEdge*> arcs;
        std::vector<TGraphItem*> shapes;
        for (auto& e : elements) {
            if (e->Kind() == kind::Arc) arcs.push_back(static_cast<TEdge*>(e.get()));
            if (e->Kind() == kind::Shape) shapes.push_back(e.get());
            o.Net().Add(std::move(e));
        }
        // Shapes lie behind everything else, in the order they were stored
        // (the list order when the file was saved), so overlapping shapes
        // keep their stacking through every save and load.
        o.Net().MoveToBack(shapes);
        if (depth == 0) netRead = true;
        if (!named_) return;

        if (standIn) {
            // What was loaded of the class stays when it publishes every
            // interface place stored for it (its trouble lies deeper);
            // otherwise arcs and start values would be lost.
            const std::vector<std::string> names = StoredInterfaceNames();
            const auto published = [&o](const std::string& n) { return o.Base()->Frame().FindInterfacePlace(n); };
            if (!o.Base() || !std::all_of(names.begin(), names.end(), published)) {
                o.UseStandInClass(storedBase, names);
            }
            Damaged(false);
        }
        try {
            o.Frame().LoadFromStream(in_, label_);
            if (o.Base()) o.Base()->Frame().LoadFromStream(in_, label_);
        } catch (...) {
            ConnectArcs(o, arcs); // no arc may keep unresolved ends
            throw;
        }
        ConnectArcs(o, arcs);
    }

    // Marks the reading as damaged; with `report`, says so once per file.
    void Damaged(bool report) {
        if (report && !reported_) {
            Messages().Show(kWrongDataText, MsgKind::Information, MsgButtons::Ok);
            reported_ = true;
        }
        damaged = true;
    }
    // The record reader said so already.
    void DamageReported() {
        reported_ = true;
        damaged = true;
    }

    bool netRead = false;
    bool damaged = false;

private:
    // The variable names stored in the base frame record that follows the
    // object's own frame record; read ahead, the position stays.
    std::vector<std::string> StoredInterfaceNames() {
        const std::size_t start = in_.Position();
        std::vector<std::string> names;
        try {
            SkipFrameRecord(nullptr);
            SkipFrameRecord(&names);
        } catch (const StreamReadError&) {
            // The frames are read again right after and report the fault.
        }
        in_.Seek(start);
        return names;
    }

    void SkipFrameRecord(std::vector<std::string>* names) {
        (void)in_.Rect();
        const std::int32_t count = in_.I32();
        if (count < 0) throw StreamReadError("negative interface count");
        (void)in_.U8();
        for (std::int32_t i = 0; i < count; ++i) {
            std::string name = in_.TStr();
            (void)in_.U8();
            (void)in_.Ext();
            if (names) names->push_back(std::move(name));
        }
        const std::int32_t lines = in_.I32();
        if (lines < 0) throw StreamReadError("negative description line count");
        for (std::int32_t i = 0; i < lines; ++i) (void)in_.TStr();
    }

    BinaryReader& in_;
    std::string label_;
    long double value_;
    bool named_;
    bool reported_ = false;
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

std::string TooManyObjectsText() {
    return "The net holds more than " + std::to_string(LoadLimits().objects) +
           " objects with those of its classes; it is not read further.";
}

std::string KeptOriginalText(const std::string& copy) {
    return "The file was read with errors. Its original is kept as \"" + copy + "\".";
}

std::string NewerVersionText(const std::string& label) {
    return "This file (Version " + label + ") is created by a newer version of Quenzor (" + label + ").";
}

bool ReadNetRecord(TPNObjekt& object, BinaryReader& in, const std::string& version, bool select,
                   std::vector<std::unique_ptr<TGraphItem>>& elements, bool* damaged) {
    const std::optional<long double> v = VersionValue(version);
    NetRecordReader reader(object, in, version, select, elements);
    const auto reportDamage = [&] {
        Messages().Show(kWrongDataText, MsgKind::Information, MsgButtons::Ok);
        if (damaged) *damaged = true;
    };
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
        reportDamage();
        return true;
    }
    if (reader.droppedArcs) reportDamage();
    return true;
}

bool LoadNet(TPNObjekt& root, const std::vector<std::uint8_t>& bytes, std::string* statusText) {
    root.readWithErrors = false;
    BinaryReader in(bytes);
    std::string label;
    try {
        label = ReadVersionLabel(in);
    } catch (const StreamReadError&) {
        Messages().Error(kReadErrorText);
        if (statusText) statusText->clear();
        root.readWithErrors = true;
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
    const auto finish = [&](bool read) {
        root.readWithErrors = root.readWithErrors || reader.damaged;
        const std::string stored = root.sampleTimeText;
        // A class file's sample time is never used: only a document's is
        // reported.
        if (!UpdateSampleTimeSeconds(root) && ObjectDepth() == 0) Messages().Warn(StoredSampleTimeFaultText(stored));
        return read;
    };
    try {
        if (*value >= ValueOf("1,48")) {
            root.sampleTimeText = in.TStr();
            root.timeUnit = in.TInt();
        }
        root.enhancedFiringRule = (*value >= ValueOf("2,7") && in.TInt() != 0) ? 1 : 0;
        reader.ReadObject(root, 0);
        // Whatever follows the root object was not written by a writer of
        // this format: it would be lost silently.
        if (!in.AtEnd()) reader.Damaged(true);
    } catch (const ReadingRefused&) {
        root.readWithErrors = true;
        return false;
    } catch (const StreamReadError&) {
        Messages().Error(kReadErrorText);
        root.readWithErrors = true;
        return finish(reader.netRead);
    } catch (const ObjectLimitReached&) {
        if (ObjectDepth() > 0) throw; // a class file: the document's reader reports it
        Messages().Error(TooManyObjectsText());
        root.readWithErrors = true;
        return finish(reader.netRead);
    }
    return finish(true);
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

namespace {

// Keeps `path` as PATH.damaged, PATH.damaged1, ...: a hard link where the
// file system has them (the save then replaces only the name `path`), else a
// copy. Never replaces an existing file.
bool KeepBeside(const std::string& path, std::string& copy, std::string* error) {
    // The file itself, not a symbolic link to it: the save replaces the file.
    std::error_code ec;
    const std::string real = std::filesystem::canonical(path, ec).string();
    if (ec) {
        if (error) *error = "cannot keep '" + path + "': " + ec.message();
        return false;
    }
    for (int n = 0; n < 1000; ++n) {
        copy = path + ".damaged" + (n ? std::to_string(n) : std::string());
        if (::link(real.c_str(), copy.c_str()) == 0) return true;
        if (errno == EEXIST) continue;
        if (std::filesystem::copy_file(real, copy, std::filesystem::copy_options::none, ec)) return true;
        if (ec == std::errc::file_exists) continue;
        if (error) *error = "cannot keep '" + path + "' as '" + copy + "': " + ec.message();
        return false;
    }
    if (error) *error = "cannot keep '" + path + "': too many copies beside it";
    return false;
}

} // namespace

bool SaveNetFileKeepingOriginal(TPNObjekt& root, const std::string& path, std::string* error,
                                std::string* keptCopy) {
    const bool overSource = root.readWithErrors && !root.fileName.empty() && fs::SameFile(path, root.fileName);
    std::string copy;
    if (overSource && !KeepBeside(path, copy, error)) return false;
    if (keptCopy) *keptCopy = copy;
    if (!SaveNetFile(root, path, error)) {
        std::error_code ec;
        if (!copy.empty()) std::filesystem::remove(copy, ec); // the original is still in place
        if (keptCopy) keptCopy->clear();
        return false;
    }
    if (overSource) {
        Messages().Show(KeptOriginalText(copy), MsgKind::Information, MsgButtons::Ok);
        root.readWithErrors = false; // the file holds what the document holds now
    }
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
    const std::optional<std::vector<std::uint8_t>> bytes = fs::ReadFileStart(path, kMaxHeaderBytes);
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

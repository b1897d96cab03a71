#include "PnmlImporter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <pugixml.hpp>
#include <unordered_map>

#include "AutoLayout.h"
#include "QuenzorSchema.h"
#include "VariableNameMaker.h"
#include "common/NumberFormat.h"
#include "model/FusionRules.h"
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TObjekt.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "settings/SampleTime.h"

namespace qz::pnml {

namespace {

// Coordinates beyond this are refused: sums and centres of rectangles must
// stay far inside 32 bits.
constexpr std::int32_t kMaxCoordinate = 100'000'000;

struct Failure {
    std::string message;
};

std::string_view LocalName(const pugi::xml_node& n) {
    std::string_view s = n.name();
    const std::size_t colon = s.find(':');
    return colon == std::string_view::npos ? s : s.substr(colon + 1);
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return out;
}

pugi::xml_node Child(const pugi::xml_node& n, std::string_view local) {
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_element && LocalName(c) == local) return c;
    }
    return {};
}

bool IsQuenzorTool(const pugi::xml_node& ts) { return std::string_view(ts.attribute("tool").value()) == kToolName; }

// The Quenzor data element inside an element's toolspecific children.
pugi::xml_node QuenzorData(const pugi::xml_node& element, std::string_view dataName) {
    for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_element && LocalName(c) == "toolspecific" && IsQuenzorTool(c)) {
            return Child(c, dataName);
        }
    }
    return {};
}

// <x><text>..</text></x>, else <x><value>..</value></x>, else the text of <x>.
std::string_view LabelText(const pugi::xml_node& n) {
    if (!n) return {};
    if (pugi::xml_node t = Child(n, "text")) return Trim(t.child_value());
    if (pugi::xml_node v = Child(n, "value")) return Trim(v.child_value());
    return Trim(n.child_value());
}

// A label given as an element (<name><text>..</text></name>) or, in the
// attribute dialects, as an attribute of the node (name="..").
std::string_view LabelOrAttribute(const pugi::xml_node& node, const char* label) {
    if (const pugi::xml_node n = Child(node, label)) return LabelText(n);
    return Trim(node.attribute(label).value());
}

// Where a fault of that label is reported.
pugi::xml_node LabelNode(const pugi::xml_node& node, const char* label) {
    const pugi::xml_node n = Child(node, label);
    return n ? n : node;
}

// Letters and digits only, lower case: "P/T net" -> "ptnet".
std::string Squeezed(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (std::isalnum(static_cast<unsigned char>(c))) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// Whether a net type names a place/transition net: the PNML 2009 and 2004
// types, the core model, and what other editors write ("P/T net", type URIs
// ending in ptnet or ptNetb).
bool IsPlaceTransitionType(std::string_view type) {
    static constexpr std::string_view kKinds[] = {"ptnet", "ptnetb", "pnmlcoremodel", "placetransitionnet"};
    auto known = [](std::string_view s) {
        if (s.ends_with(".pntd")) s.remove_suffix(5);
        const std::string k = Squeezed(s);
        return std::find(std::begin(kKinds), std::end(kKinds), k) != std::end(kKinds);
    };
    const std::size_t cut = type.find_last_of("/#");
    return known(type) || (cut != std::string_view::npos && known(type.substr(cut + 1)));
}

// The extended PNML of workflow editors ("epnml-1.1"): a place/transition
// net with the editors' own extras.
bool IsExtendedPlaceTransitionType(std::string_view type) {
    const std::size_t cut = type.find_last_of("/#");
    return Squeezed(cut == std::string_view::npos ? type : type.substr(cut + 1)) == "epnml11";
}

// Arc kinds by the spellings of the common dialects; those without a
// counterpart here are named by the reader.
enum class ArcType { Normal, Inhibitor, Test, Timed, Transport, Other };

ArcType ArcTypeOf(std::string_view spelling) {
    const std::string t = Squeezed(spelling);
    if (t.empty() || t == "normal" || t == "regular" || t == "ordinary" || t == "standard") return ArcType::Normal;
    // tapnInhibitor, inhibitorArc, inhibition
    if (t.find("inhibit") != std::string::npos) return ArcType::Inhibitor;
    if (t.starts_with("read") || t.starts_with("test")) return ArcType::Test;
    if (t.starts_with("timed")) return ArcType::Timed;
    if (t.starts_with("transport")) return ArcType::Transport;
    return ArcType::Other;
}

struct Pending {
    std::unique_ptr<TGraphItem> owned;
    TObjectFrame* frame = nullptr;
    long long z = 0;
    bool hasZ = false;
};

// One object being read: its elements, kept until all are made, and its
// arcs to interface places, resolved once its children and frames exist.
struct Scope {
    TPNObjekt* object = nullptr;
    std::vector<Pending> items;
    struct PathArc {
        TEdge* arc;
        std::string sourcePath, targetPath;
        pugi::xml_node xml;
    };
    std::vector<PathArc> pathArcs;
};

struct NodeRef {
    TGraphItem* item = nullptr;
    Scope* scope = nullptr;
    std::size_t layoutIndex = 0;
};

class Reader {
public:
    // Notes where the lines of the text start, before the text is parsed in
    // place (which changes it).
    Reader(std::string_view text, const ImportOptions& options, ImportResult& result)
        : options_(options), result_(result) {
        lineStarts_.push_back(0);
        for (std::size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', i + 1)) {
            lineStarts_.push_back(static_cast<std::uint32_t>(i + 1));
        }
    }

    void Run(TPNObjekt& root, const pugi::xml_document& doc);
    void Finish();
    std::size_t LineOf(std::ptrdiff_t offset);

private:
    [[noreturn]] void Fail(const pugi::xml_node& at, const std::string& message) {
        throw Failure{"line " + std::to_string(LineOf(at.offset_debug())) + ": " + message};
    }
    void Warn(const std::string& message);

    void ReadDocumentSettings(TPNObjekt& root, const pugi::xml_node& doc);
    void CollectPageContent(const pugi::xml_node& net);
    void CollectPageLevel(const pugi::xml_node& container, std::vector<pugi::xml_node>& pages);
    void ReadPageNodes(Scope& scope);
    void ReadPageArcs(Scope& scope);
    void LayoutPageNodes();
    void ReadObject(TPNObjekt& obj, const pugi::xml_node& objectNode, Scope& scope, bool isRoot);
    void ReadObjectNodes(const pugi::xml_node& objectNode, Scope& scope);
    void ReadObjectElements(const pugi::xml_node& objectNode, Scope& scope);
    void AddInOrder(Scope& scope, const pugi::xml_node& baseFrameNode);
    void ResolvePathArcs(Scope& scope);

    TPlatz* MakePlace(const pugi::xml_node& xml, Scope& scope);
    TTransition* MakeTransition(const pugi::xml_node& xml, Scope& scope);
    void MakeArc(const pugi::xml_node& xml, Scope& scope);
    void MakeLabel(const pugi::xml_node& data, Scope& scope);
    void MakeShape(const pugi::xml_node& data, Scope& scope);
    void ApplyFrame(TObjectFrame& frame, const pugi::xml_node& data);
    void RegisterId(const pugi::xml_node& xml, TGraphItem* item, Scope& scope);
    NodeRef* Resolve(const pugi::xml_node& arc, std::string_view id, const char* end);
    std::string ForeignArcType(const pugi::xml_node& arc);
    void ReadBendPoints(const pugi::xml_node& arc, TEdge& e);
    std::optional<TPoint> Position(const pugi::xml_node& element);
    TPoint Point(const pugi::xml_node& pos, const char* xName = "x", const char* yName = "y");
    void NoteUnknownChildren(const pugi::xml_node& element, std::initializer_list<std::string_view> known);
    void ApplyLabel(TSchriftObjekt& label, const pugi::xml_node& data);

    long double Number(const pugi::xml_node& at, std::string_view text, const char* what);
    long double Count(const pugi::xml_node& at, std::string_view text, const char* what);
    int IntAttr(const pugi::xml_node& n, const char* name, int fallback);
    long double ExactAttr(const pugi::xml_node& n, const char* name, long double fallback);
    std::optional<TRect> RectAttr(const pugi::xml_node& n, const char* name);
    Pending& Push(Scope& scope, std::unique_ptr<TGraphItem> item, const pugi::xml_node& data);

    const ImportOptions& options_;
    ImportResult& result_;
    std::vector<std::uint32_t> lineStarts_; // the text is below 4 GB
    std::unordered_map<std::string, std::size_t> warningIndex_;
    std::vector<std::pair<std::string, std::size_t>> warnings_;
    // A workflow editor's net: what is left out is named in one warning.
    bool extended_ = false;

    TPNObjekt* root_ = nullptr;
    int objectDepth_ = 0;
    VariableNameMaker names_;
    std::unordered_map<std::string_view, NodeRef> ids_;
    std::unordered_map<std::string_view, pugi::xml_node> references_;
    std::vector<pugi::xml_node> pagePlaces_, pageTransitions_, pageArcs_;
    // Page nodes for the automatic layout: item and whether it has a position.
    struct LayoutNode {
        TGraphItem* item;
        std::optional<TPoint> centre;
        bool keep; // placed by Quenzor's own data
    };
    std::vector<LayoutNode> layoutNodes_;
    std::vector<std::pair<std::size_t, std::size_t>> layoutArcs_;
};

std::size_t Reader::LineOf(std::ptrdiff_t offset) {
    if (offset < 0) return 0;
    const auto it = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), static_cast<std::uint32_t>(offset));
    return static_cast<std::size_t>(it - lineStarts_.begin());
}

void Reader::Warn(const std::string& message) {
    auto [it, inserted] = warningIndex_.emplace(message, warnings_.size());
    if (inserted) warnings_.emplace_back(message, 1);
    else ++warnings_[it->second].second;
}

void Reader::Finish() {
    std::vector<std::string> texts;
    for (const auto& [text, count] : warnings_) {
        texts.push_back(count > 1 ? text + " (" + std::to_string(count) + " times)" : text);
    }
    if (!extended_) {
        result_.warnings = std::move(texts);
        return;
    }
    std::string joined = "extended PNML read as a place/transition net";
    for (std::size_t i = 0; i < texts.size(); ++i) joined += (i == 0 ? "; left out: " : "; ") + texts[i];
    result_.warnings.push_back(joined);
}

long double Reader::Number(const pugi::xml_node& at, std::string_view text, const char* what) {
    const std::optional<long double> v = ParseExact(text);
    if (!v || !std::isfinite(static_cast<double>(*v))) {
        Fail(at, std::string(what) + " \"" + std::string(text) + "\" is not a number");
    }
    return *v;
}

// A count as the dialects write it: "3", or after its token class, "Default,3".
long double Reader::Count(const pugi::xml_node& at, std::string_view text, const char* what) {
    text = Trim(text);
    if (const std::size_t comma = text.find(','); comma != std::string_view::npos) {
        const std::string_view tokenClass = Trim(text.substr(0, comma));
        if (!tokenClass.empty() && !ParseExact(tokenClass)) text = Trim(text.substr(comma + 1));
    }
    const long double v = Number(at, text, what);
    if (v < 0) Fail(at, std::string("negative ") + what);
    return v;
}

int Reader::IntAttr(const pugi::xml_node& n, const char* name, int fallback) {
    const pugi::xml_attribute a = n.attribute(name);
    if (!a) return fallback;
    const std::string_view s = Trim(a.value());
    int v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) {
        Fail(n, std::string("attribute ") + name + " \"" + std::string(s) + "\" is not a whole number");
    }
    return v;
}

long double Reader::ExactAttr(const pugi::xml_node& n, const char* name, long double fallback) {
    const pugi::xml_attribute a = n.attribute(name);
    if (!a) return fallback;
    return Number(n, a.value(), name);
}

std::optional<TRect> Reader::RectAttr(const pugi::xml_node& n, const char* name) {
    const pugi::xml_attribute a = n.attribute(name);
    if (!a) return std::nullopt;
    std::optional<TRect> r = ParseRect(a.value());
    if (!r) Fail(n, std::string("attribute ") + name + " \"" + a.value() + "\" is not a rectangle");
    for (std::int32_t v : {r->left, r->top, r->right, r->bottom}) {
        if (v < -kMaxCoordinate || v > kMaxCoordinate) Fail(n, std::string("attribute ") + name + " out of range");
    }
    return r;
}

TPoint Reader::Point(const pugi::xml_node& pos, const char* xName, const char* yName) {
    const long double x = Number(pos, pos.attribute(xName).value(), "position x");
    const long double y = Number(pos, pos.attribute(yName).value(), "position y");
    if (std::fabs(static_cast<double>(x)) > kMaxCoordinate || std::fabs(static_cast<double>(y)) > kMaxCoordinate) {
        Fail(pos, "position out of range");
    }
    return TPoint{static_cast<std::int32_t>(std::lround(static_cast<double>(x))),
                  static_cast<std::int32_t>(std::lround(static_cast<double>(y)))};
}

std::optional<TPoint> Reader::Position(const pugi::xml_node& element) {
    if (const pugi::xml_node pos = Child(Child(element, "graphics"), "position")) return Point(pos);
    // The attribute dialects: positionX="" positionY="".
    if (!element.attribute("positionX") || !element.attribute("positionY")) return std::nullopt;
    return Point(element, "positionX", "positionY");
}

void Reader::NoteUnknownChildren(const pugi::xml_node& element, std::initializer_list<std::string_view> known) {
    for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) continue;
        const std::string_view name = LocalName(c);
        if (name == "toolspecific") {
            if (!IsQuenzorTool(c)) {
                Warn(std::string("tool-specific data of \"") + c.attribute("tool").value() + "\" ignored");
            }
            continue;
        }
        if (std::find(known.begin(), known.end(), name) != known.end()) continue;
        Warn("<" + std::string(name) + "> in <" + std::string(LocalName(element)) + "> ignored");
    }
}

Pending& Reader::Push(Scope& scope, std::unique_ptr<TGraphItem> item, const pugi::xml_node& data) {
    Pending p;
    p.owned = std::move(item);
    if (data && data.attribute("z")) {
        p.hasZ = true;
        p.z = IntAttr(data, "z", 0);
    }
    scope.items.push_back(std::move(p));
    return scope.items.back();
}

void Reader::RegisterId(const pugi::xml_node& xml, TGraphItem* item, Scope& scope) {
    const std::string_view id = xml.attribute("id").value();
    if (id.empty()) Fail(xml, "<" + std::string(LocalName(xml)) + "> without an id");
    if (references_.count(id) || !ids_.emplace(id, NodeRef{item, &scope, 0}).second) {
        Fail(xml, "the id \"" + std::string(id) + "\" is used twice");
    }
}

void Reader::ApplyLabel(TSchriftObjekt& label, const pugi::xml_node& data) {
    if (!data) return;
    if (std::optional<TRect> r = RectAttr(data, "rect")) label.SetBounds(*r);
    label.visible = static_cast<std::uint8_t>(IntAttr(data, "visible", label.visible) != 0);
    label.userPositioned = static_cast<std::uint8_t>(IntAttr(data, "positioned", label.userPositioned) != 0);
}

int SizeClassOf(int v) { return v < 0 || v > 4 ? 2 : v; }

TPlatz* Reader::MakePlace(const pugi::xml_node& xml, Scope& scope) {
    NoteUnknownChildren(xml, {"name", "graphics", "initialMarking", "capacity"});
    auto place = std::make_unique<TPlatz>();
    TPlatz* p = place.get();
    const std::string_view id = xml.attribute("id").value();
    const std::string_view name = LabelOrAttribute(xml, "name");
    const pugi::xml_node data = QuenzorData(xml, "place");
    p->SetName(data ? std::string(data.attribute("name").value()) : std::string(name.empty() ? id : name));
    if (data) {
        p->variableName = data.attribute("variable").value();
        names_.Reserve(p->variableName);
        p->continuous = static_cast<std::uint8_t>(IntAttr(data, "continuous", 0) != 0);
        const long double m = ExactAttr(data, "marking", 0);
        p->SetInitialMarking(m);
        p->SetMarking(static_cast<double>(m));
        const int sc = SizeClassOf(IntAttr(data, "sizeClass", 2));
        p->sizeClass = static_cast<std::uint8_t>(sc);
        p->diameter = kPlaceDiameters[sc];
        if (std::optional<TRect> r = RectAttr(data, "hit")) p->bounds = p->hit = *r;
        p->capacity = ExactAttr(data, "capacity", -1);
        p->interfaceFlag = static_cast<std::uint8_t>(IntAttr(data, "published", 0) != 0);
        ApplyLabel(*p->nameLabel, Child(data, "nameLabel"));
    } else {
        p->variableName = names_.Make(name, id);
        if (const std::string_view text = LabelOrAttribute(xml, "initialMarking"); !text.empty()) {
            const long double m = Count(LabelNode(xml, "initialMarking"), text, "initial marking");
            if (m != std::floor(m)) Warn("fractional initial markings rounded to whole tokens");
            p->SetInitialMarking(std::nearbyint(m));
            p->SetMarking(static_cast<double>(m));
        }
        if (const std::string_view text = LabelOrAttribute(xml, "capacity"); !text.empty()) {
            const long double c = Count(LabelNode(xml, "capacity"), text, "capacity");
            if (c > 0) p->capacity = c; // 0 means unlimited in the common dialects
        }
    }
    Push(scope, std::move(place), data);
    return p;
}

TTransition* Reader::MakeTransition(const pugi::xml_node& xml, Scope& scope) {
    NoteUnknownChildren(xml, {"name", "graphics", "orientation"});
    auto transition = std::make_unique<TTransition>(&scope.object->Variables());
    TTransition* t = transition.get();
    const std::string_view id = xml.attribute("id").value();
    const std::string_view name = LabelOrAttribute(xml, "name");
    const pugi::xml_node data = QuenzorData(xml, "transition");
    t->SetName(data ? std::string(data.attribute("name").value()) : std::string(name.empty() ? id : name));
    if (data) {
        t->continuous = static_cast<std::uint8_t>(IntAttr(data, "continuous", 0) != 0);
        t->SetFunctionText(data.attribute("function").value());
        const int sc = SizeClassOf(IntAttr(data, "sizeClass", 2));
        t->sizeClass = static_cast<std::uint8_t>(sc);
        t->longSide = kTransitionLongSides[sc];
        t->shortSide = static_cast<int>(std::trunc(t->longSide / 2.5));
        if (std::optional<TRect> r = RectAttr(data, "hit")) t->bounds = t->hit = *r;
        t->SetOrientation(static_cast<std::uint8_t>(IntAttr(data, "orientation", 1)));
        ApplyLabel(*t->nameLabel, Child(data, "nameLabel"));
        ApplyLabel(*t->valueLabel, Child(data, "valueLabel"));
        t->priority = IntAttr(data, "priority", 1);
        t->timed = static_cast<std::uint8_t>(IntAttr(data, "timed", t->timed) != 0);
        t->reservation = static_cast<std::uint8_t>(IntAttr(data, "reservation", t->reservation) != 0);
    } else {
        switch (options_.timing) {
        case Timing::Stepwise: t->SetFunctionText("-1"); break;
        case Timing::Immediate: break; // "0" already
        case Timing::FiringTime: t->SetFunctionText(num::FormatGeneral(options_.firingTime)); break;
        }
    }
    Push(scope, std::move(transition), data);
    return t;
}

// The arc type of the dialects: type="inhibitor", <type value="inhibitor"/>,
// <type><text>inhibitor</text></type>, or a tool-specific type.
std::string Reader::ForeignArcType(const pugi::xml_node& arc) {
    if (const pugi::xml_attribute a = arc.attribute("type")) return a.value();
    if (const pugi::xml_node t = Child(arc, "type")) {
        return t.attribute("value") ? t.attribute("value").value() : std::string(LabelText(t));
    }
    for (pugi::xml_node ts = arc.first_child(); ts; ts = ts.next_sibling()) {
        if (LocalName(ts) != "toolspecific") continue;
        for (pugi::xml_node c = ts.first_child(); c; c = c.next_sibling()) {
            const std::string n = Lower(LocalName(c));
            if (n == "type" || n == "arctype" || n == "arckind" || n == "kind") {
                return c.attribute("value") ? c.attribute("value").value() : std::string(LabelText(c));
            }
        }
    }
    return {};
}

// Bend points: <graphics><position/>..</graphics>, or the inner points of an
// arc path (<arcpath x="" y=""/> or xCoord, yCoord), whose ends lie on the nodes.
void Reader::ReadBendPoints(const pugi::xml_node& arc, TEdge& e) {
    if (const pugi::xml_node g = Child(arc, "graphics")) {
        for (pugi::xml_node pos = g.first_child(); pos; pos = pos.next_sibling()) {
            if (LocalName(pos) == "position") e.bendPoints.push_back(Point(pos));
        }
    }
    if (!e.bendPoints.empty()) return;
    std::vector<pugi::xml_node> path;
    for (pugi::xml_node c = arc.first_child(); c; c = c.next_sibling()) {
        if (LocalName(c) == "arcpath") path.push_back(c);
    }
    for (std::size_t i = 1; i + 1 < path.size(); ++i) {
        const bool coords = static_cast<bool>(path[i].attribute("xCoord"));
        e.bendPoints.push_back(coords ? Point(path[i], "xCoord", "yCoord") : Point(path[i]));
    }
}

NodeRef* Reader::Resolve(const pugi::xml_node& arc, std::string_view id, const char* end) {
    // Reference nodes stand for the node they refer to (pages are flattened).
    for (int hops = 0; hops < 1000; ++hops) {
        auto it = ids_.find(id);
        if (it != ids_.end()) return &it->second;
        auto ref = references_.find(id);
        if (ref == references_.end()) break;
        id = ref->second.attribute("ref").value();
    }
    Fail(arc, std::string("arc \"") + arc.attribute("id").value() + "\": " + end + " \"" + std::string(id) +
                  "\" does not exist");
}

void Reader::MakeArc(const pugi::xml_node& xml, Scope& scope) {
    const pugi::xml_node data = QuenzorData(xml, "arc");
    const int kindNumber = data ? IntAttr(data, "connection", 0) : 0;
    if (kindNumber < 0 || kindNumber >= kConnectionKinds) Fail(xml, "unknown connection kind");
    const auto connection = static_cast<ConnectionKind>(kindNumber);
    const bool plain = connection == ConnectionKind::Plain;
    std::uint8_t arcKind = akNormal;
    if (data) {
        const int k = IntAttr(data, "kind", 0);
        if (k < 0 || k > 2) Fail(xml, "unknown arc kind");
        arcKind = static_cast<std::uint8_t>(k);
    } else {
        NoteUnknownChildren(xml, {"inscription", "graphics", "type", "arcpath"});
        const std::string type = ForeignArcType(xml);
        switch (ArcTypeOf(type)) {
        case ArcType::Normal: break;
        case ArcType::Inhibitor: arcKind = akInhibitor; break;
        case ArcType::Test: arcKind = akTest; break;
        case ArcType::Timed: Warn("timed arcs read as normal arcs: their time intervals are ignored"); break;
        case ArcType::Transport: Warn("transport arcs read as pairs of normal arcs: token ages are ignored"); break;
        case ArcType::Other: Warn("arcs of type \"" + Lower(Trim(type)) + "\" skipped"); return;
        }
    }

    auto edge = std::make_unique<TEdge>(&scope.object->Variables());
    TEdge* e = edge.get();
    e->arcKind = arcKind;
    e->connectionKind = connection;
    // Ends given by id: places and transitions; interface places by path.
    const bool sourceById = !SourceIsInterface(connection);
    const bool targetById = !TargetIsInterface(connection);
    NodeRef* src = sourceById ? Resolve(xml, xml.attribute("source").value(), "source") : nullptr;
    NodeRef* dst = targetById ? Resolve(xml, xml.attribute("target").value(), "target") : nullptr;
    if ((src && src->scope != &scope) || (dst && dst->scope != &scope)) {
        Fail(xml, std::string("arc \"") + xml.attribute("id").value() + "\" joins nodes of different objects");
    }
    // The ends given by id must be of the kind the connection kind names.
    const bool placeSource = src && src->item->Kind() == kind::Place;
    const bool placeTarget = dst && dst->item->Kind() == kind::Place;
    if ((connection == ConnectionKind::PlaceToInterface && !placeSource) ||
        (connection == ConnectionKind::InterfaceToPlace && !placeTarget) ||
        (connection == ConnectionKind::TransitionToInterface && placeSource) ||
        (connection == ConnectionKind::InterfaceToTransition && placeTarget)) {
        Fail(xml, std::string("arc \"") + xml.attribute("id").value() + "\" does not fit its connection kind");
    }
    if (plain) {
        if (src->item->Kind() == dst->item->Kind()) {
            Fail(xml, std::string("arc \"") + xml.attribute("id").value() + "\" joins two " +
                          (src->item->Kind() == kind::Place ? "places" : "transitions"));
        }
        // (Quenzor's own nets may hold such arcs; the connection check
        // before a simulation reports them.)
        if (!data && arcKind != akNormal && src->item->Kind() != kind::Place) {
            Fail(xml, std::string("arc \"") + xml.attribute("id").value() +
                          "\": inhibitor and read arcs must lead from a place to a transition");
        }
    }
    if (src) e->SetSource(src->item);
    if (dst) e->SetTarget(dst->item);

    if (data) {
        e->SetWeightText(data.attribute("weight").value());
        ApplyLabel(*e->valueLabel, Child(data, "valueLabel"));
    } else {
        // The weight as an attribute (weight="3"), else as the inscription
        // label; an attribute inscription is a time interval there.
        const pugi::xml_node ins = Child(xml, "inscription");
        const std::string_view text = xml.attribute("weight") ? Trim(xml.attribute("weight").value()) : LabelText(ins);
        if (!text.empty()) {
            const long double w = Count(ins ? ins : xml, text, "arc weight");
            if (w != 1) e->SetWeightText(ExactText(w));
        }
    }
    ReadBendPoints(xml, *e);
    if (plain) {
        AttachArc(*e);
        if (!data && src->layoutIndex && dst->layoutIndex) {
            layoutArcs_.emplace_back(src->layoutIndex - 1, dst->layoutIndex - 1);
        }
    } else {
        scope.pathArcs.push_back({e, data.attribute("sourcePath").value(), data.attribute("targetPath").value(), xml});
    }
    ++result_.arcs;
    Push(scope, std::move(edge), data);
}

void Reader::MakeLabel(const pugi::xml_node& data, Scope& scope) {
    auto label = std::make_unique<TSchriftObjekt>();
    if (std::optional<TRect> r = RectAttr(data, "rect")) label->bounds = label->hit = *r;
    TFont f;
    if (data.attribute("fontName")) f.name = data.attribute("fontName").value();
    f.size = IntAttr(data, "fontSize", f.size);
    if (f.size < 0 || f.size > 1000) Fail(data, "font size out of range");
    f.color = static_cast<TColor>(ExactAttr(data, "color", f.color));
    f.style = static_cast<std::uint8_t>(IntAttr(data, "style", f.style));
    label->SetFont(f);
    label->SetText(data.attribute("text").value());
    label->visible = 1;
    Push(scope, std::move(label), data);
}

void Reader::MakeShape(const pugi::xml_node& data, Scope& scope) {
    auto shape = std::make_unique<TObjekt>();
    shape->lineWidth = IntAttr(data, "lineWidth", shape->lineWidth);
    shape->radius = IntAttr(data, "radius", shape->radius);
    shape->shapeKind = static_cast<std::uint8_t>(IntAttr(data, "kind", shape->shapeKind));
    shape->penMode = static_cast<std::uint8_t>(IntAttr(data, "penMode", shape->penMode));
    shape->penStyle = static_cast<std::uint8_t>(IntAttr(data, "penStyle", shape->penStyle));
    if (std::optional<TRect> r = RectAttr(data, "rect")) shape->SetBounds(*r);
    Push(scope, std::move(shape), data);
}

void Reader::ApplyFrame(TObjectFrame& frame, const pugi::xml_node& data) {
    frame.RebuildInterface();
    // The stored rectangle is kept as it is, even where it is smaller than
    // the interface places need (SetInterfaceSizeClass would grow it).
    const int sc = SizeClassOf(IntAttr(data, "sizeClass", 2));
    frame.interfaceSizeClass = static_cast<std::uint8_t>(sc);
    frame.stripWidth = kFrameStripWidths[sc];
    frame.cornerRadius = kFrameCornerRadii[sc];
    for (auto& ip : frame.interfacePlaces) ip->SetSizeClass(sc);
    if (std::optional<TRect> r = RectAttr(data, "rect")) frame.SetBounds(*r);
    // The stored entries fix order, side and start value of the interface
    // places they name; the others follow in their rebuilt order.
    std::vector<std::unique_ptr<TInterfacePlace>> ordered;
    frame.description.clear();
    for (pugi::xml_node c = data.first_child(); c; c = c.next_sibling()) {
        if (LocalName(c) == "line") {
            frame.description.emplace_back(c.attribute("text").value());
            continue;
        }
        if (LocalName(c) != "interface") continue;
        const std::string_view variable = c.attribute("variable").value();
        auto it = std::find_if(frame.interfacePlaces.begin(), frame.interfacePlaces.end(), [&](const auto& ip) {
            return ip && ip->innerPlace && ip->innerPlace->variableName == variable;
        });
        if (it == frame.interfacePlaces.end()) continue;
        std::unique_ptr<TInterfacePlace> ip = std::move(*it);
        frame.interfacePlaces.erase(it);
        ip->side = static_cast<std::uint8_t>(IntAttr(c, "side", 0) != 0);
        ip->SetValue(ExactAttr(c, "value", ip->Value()));
        ip->SetSizeClass(sc);
        ordered.push_back(std::move(ip));
    }
    for (auto& ip : frame.interfacePlaces) ordered.push_back(std::move(ip));
    frame.interfacePlaces = std::move(ordered);
    frame.LayoutInterface();
}

void Reader::ReadObjectNodes(const pugi::xml_node& objectNode, Scope& scope) {
    for (pugi::xml_node c = objectNode.first_child(); c; c = c.next_sibling()) {
        const std::string_view n = LocalName(c);
        if (n == "place") {
            RegisterId(c, MakePlace(c, scope), scope);
            ++result_.places;
        } else if (n == "transition") {
            RegisterId(c, MakeTransition(c, scope), scope);
            ++result_.transitions;
        }
    }
}

void Reader::ReadObjectElements(const pugi::xml_node& objectNode, Scope& scope) {
    for (pugi::xml_node c = objectNode.first_child(); c; c = c.next_sibling()) {
        const std::string_view n = LocalName(c);
        if (n == "arc") MakeArc(c, scope);
        else if (n == "label") MakeLabel(c, scope);
        else if (n == "shape") MakeShape(c, scope);
        else if (n == "object") {
            auto child = std::make_unique<TPNObjekt>(root_);
            Scope childScope;
            ReadObject(*child, c, childScope, false);
            TPNObjekt* raw = child.get();
            scope.object->Net().AddChild(std::move(child));
            Pending p;
            p.frame = &raw->Frame();
            if (c.attribute("z")) {
                p.hasZ = true;
                p.z = IntAttr(c, "z", 0);
            }
            scope.items.push_back(std::move(p));
        }
    }
}

void Reader::AddInOrder(Scope& scope, const pugi::xml_node& baseFrameNode) {
    TNetList& net = scope.object->Net();
    if (TPNObjekt* base = scope.object->Base(); base && baseFrameNode && baseFrameNode.attribute("z")) {
        // The base frame takes its stored place in the drawing order.
        const std::size_t i = net.IndexOf(&base->Frame());
        if (i < net.Count()) net.RemoveFromListAt(i);
        Pending p;
        p.frame = &base->Frame();
        p.hasZ = true;
        p.z = IntAttr(baseFrameNode, "z", 0);
        scope.items.push_back(std::move(p));
    }
    const bool ordered = std::all_of(scope.items.begin(), scope.items.end(), [](const Pending& p) { return p.hasZ; });
    if (ordered) {
        std::stable_sort(scope.items.begin(), scope.items.end(),
                         [](const Pending& a, const Pending& b) { return a.z < b.z; });
    }
    for (Pending& p : scope.items) {
        if (p.frame) net.AddFrame(p.frame);
        else net.Add(std::move(p.owned));
    }
    scope.items.clear();
}

void Reader::ResolvePathArcs(Scope& scope) {
    TPNObjekt& obj = *scope.object;
    for (auto it = scope.pathArcs.rbegin(); it != scope.pathArcs.rend(); ++it) {
        TEdge* e = it->arc;
        const ConnectionKind k = e->connectionKind;
        TGraphItem* s = SourceIsInterface(k) ? obj.FindInterfacePlaceByPath(it->sourcePath) : e->source;
        TGraphItem* t = TargetIsInterface(k) ? obj.FindInterfacePlaceByPath(it->targetPath) : e->target;
        if (!s || !t || ConnectionKindOf(s, t) != k) {
            Warn("arcs to interface places that no longer exist dropped (" + (s ? it->targetPath : it->sourcePath) +
                 ")");
            --result_.arcs;
            obj.Net().Remove(e);
            continue;
        }
        JoinArc(*e, s, t);
    }
    scope.pathArcs.clear();
}

void Reader::ReadObject(TPNObjekt& obj, const pugi::xml_node& objectNode, Scope& scope, bool isRoot) {
    constexpr int kMaxObjectDepth = 64;
    if (++objectDepth_ > kMaxObjectDepth) Fail(objectNode, "objects nested too deeply");
    scope.object = &obj;
    const std::string base = objectNode.attribute("base") ? objectNode.attribute("base").value() : kEmptyObject;
    if (base != kEmptyObject && !obj.SetInherited(base)) {
        Warn("object class \"" + base + "\" could not be loaded from the library");
    }
    if (objectNode.attribute("name")) obj.SetObjectName(objectNode.attribute("name").value());
    obj.parentName = objectNode.attribute("parent").value();
    // Nodes first, so that arcs find both ends whatever the order.
    if (isRoot) ReadPageNodes(scope);
    ReadObjectNodes(objectNode, scope);
    if (isRoot) ReadPageArcs(scope);
    ReadObjectElements(objectNode, scope);
    if (isRoot) LayoutPageNodes();
    const pugi::xml_node baseFrame = Child(objectNode, "baseFrame");
    AddInOrder(scope, baseFrame);
    if (const pugi::xml_node frame = Child(objectNode, "frame")) {
        ApplyFrame(obj.Frame(), frame);
    } else {
        // Without stored entries the published places still make the
        // interface, in their rebuilt order.
        obj.Frame().RebuildInterface();
        obj.Frame().LayoutInterface();
    }
    if (TPNObjekt* b = obj.Base(); b && baseFrame) ApplyFrame(b->Frame(), baseFrame);
    ResolvePathArcs(scope);
    --objectDepth_;
}

void Reader::CollectPageContent(const pugi::xml_node& net) {
    // Depth first in document order, without recursion: pages may nest as
    // deeply as the file likes.
    std::vector<pugi::xml_node> pending{net};
    while (!pending.empty()) {
        const pugi::xml_node container = pending.back();
        pending.pop_back();
        std::vector<pugi::xml_node> pages;
        CollectPageLevel(container, pages);
        pending.insert(pending.end(), pages.rbegin(), pages.rend());
    }
}

void Reader::CollectPageLevel(const pugi::xml_node& container, std::vector<pugi::xml_node>& pages) {
    for (pugi::xml_node c = container.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) continue;
        const std::string_view n = LocalName(c);
        if (n == "page") pages.push_back(c);
        else if (n == "place") pagePlaces_.push_back(c);
        else if (n == "transition") pageTransitions_.push_back(c);
        else if (n == "arc") pageArcs_.push_back(c);
        else if (n == "referencePlace" || n == "referenceTransition") {
            const std::string_view id = c.attribute("id").value();
            if (id.empty()) Fail(c, "<" + std::string(n) + "> without an id");
            if (!references_.emplace(id, c).second) Fail(c, "the id \"" + std::string(id) + "\" is used twice");
        } else if (n == "name" || n == "graphics") {
        } else if (n == "toolspecific") {
            if (!IsQuenzorTool(c)) Warn(std::string("tool-specific data of \"") + c.attribute("tool").value() + "\" ignored");
        } else {
            Warn("<" + std::string(n) + "> in <" + std::string(LocalName(container)) + "> ignored");
        }
    }
}

void Reader::ReadPageNodes(Scope& scope) {
    layoutNodes_.reserve(pagePlaces_.size() + pageTransitions_.size());
    ids_.reserve(pagePlaces_.size() + pageTransitions_.size());
    auto track = [&](const pugi::xml_node& xml, TGraphItem* item, const char* dataName) {
        RegisterId(xml, item, scope);
        const bool keep = static_cast<bool>(QuenzorData(xml, dataName));
        layoutNodes_.push_back({item, keep ? std::nullopt : Position(xml), keep});
        ids_[xml.attribute("id").value()].layoutIndex = layoutNodes_.size();
    };
    for (const pugi::xml_node& x : pagePlaces_) {
        track(x, MakePlace(x, scope), "place");
        ++result_.places;
    }
    for (const pugi::xml_node& x : pageTransitions_) {
        track(x, MakeTransition(x, scope), "transition");
        ++result_.transitions;
    }
}

void Reader::ReadPageArcs(Scope& scope) {
    for (const pugi::xml_node& x : pageArcs_) MakeArc(x, scope);
}

void Reader::LayoutPageNodes() {
    AutoLayout layout(layoutNodes_.size());
    bool anyFree = false;
    for (std::size_t i = 0; i < layoutNodes_.size(); ++i) {
        if (layoutNodes_[i].keep) layout.SetFixed(i, layoutNodes_[i].item->GetCenter());
        else if (layoutNodes_[i].centre) layout.SetFixed(i, *layoutNodes_[i].centre);
        else anyFree = true;
    }
    std::vector<TPoint> centres;
    if (anyFree) {
        for (const auto& [a, b] : layoutArcs_) layout.AddArc(a, b);
        centres = layout.Run();
    }
    for (std::size_t i = 0; i < layoutNodes_.size(); ++i) {
        const LayoutNode& n = layoutNodes_[i];
        TGraphItem* item = n.item;
        if (n.keep) continue;
        const TPoint c = n.centre ? *n.centre : centres[i];
        if (item->Kind() == kind::Place) {
            auto* p = static_cast<TPlatz*>(item);
            const int h = p->diameter / 2;
            p->bounds = p->hit = {c.x - h, c.y - h, c.x + h, c.y + h};
        } else {
            auto* t = static_cast<TTransition*>(item);
            t->bounds = t->hit = {c.x - t->longSide / 2, c.y - t->shortSide / 2, c.x + t->longSide / 2,
                                  c.y + t->shortSide / 2};
            t->RebuildBar();
        }
    }
}

void Reader::ReadDocumentSettings(TPNObjekt& root, const pugi::xml_node& doc) {
    if (doc.attribute("sampleTime")) root.sampleTimeText = doc.attribute("sampleTime").value();
    root.timeUnit = IntAttr(doc, "timeUnit", root.timeUnit);
    root.enhancedFiringRule = IntAttr(doc, "enhancedFiringRule", 0);
    const std::string stored = root.sampleTimeText;
    if (!UpdateSampleTimeSeconds(root)) Warn("sample time \"" + stored + "\" is not a positive number: 100 milliseconds used");
}

void Reader::Run(TPNObjekt& root, const pugi::xml_document& doc) {
    root_ = &root;
    const pugi::xml_node top = doc.document_element();
    if (!top || LocalName(top) != "pnml") {
        if (!top) throw Failure{"no XML element found"};
        Fail(top, "not a PNML file: the document element is <" + std::string(top.name()) + ">, not <pnml>");
    }
    pugi::xml_node net;
    for (pugi::xml_node c = top.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) continue;
        if (LocalName(c) != "net") {
            Warn("<" + std::string(LocalName(c)) + "> in <pnml> ignored");
        } else if (!net) {
            net = c;
        } else {
            Warn(std::string("further nets ignored (\"") + c.attribute("id").value() + "\")");
        }
    }
    if (!net) Fail(top, "the file holds no <net>");
    const std::string_view type = net.attribute("type").value();
    if (type.empty()) Warn("net without a type read as a place/transition net");
    else if (IsExtendedPlaceTransitionType(type)) extended_ = true;
    else if (!IsPlaceTransitionType(type)) {
        Fail(net, "the net type \"" + std::string(type) + "\" is not supported (place/transition nets only)");
    }

    pugi::xml_node quenzor;
    for (pugi::xml_node c = net.first_child(); c; c = c.next_sibling()) {
        if (LocalName(c) == "toolspecific" && IsQuenzorTool(c)) quenzor = c;
    }
    CollectPageContent(net);
    // The root's own settings and extras, or an empty object for nets of
    // other tools.
    pugi::xml_document empty;
    pugi::xml_node objectNode = quenzor ? Child(quenzor, "object") : pugi::xml_node();
    if (quenzor) {
        result_.quenzorData = true;
        if (const pugi::xml_node d = Child(quenzor, "document")) ReadDocumentSettings(root, d);
    } else {
        // A document window's defaults: 100 ms.
        root.timeUnit = 1;
        root.sampleTimeText = "100";
        root.sampleTimeSeconds = 0.1;
        root.enhancedFiringRule = 0;
    }
    if (!objectNode) objectNode = empty.append_child("object");
    if (!objectNode.attribute("name")) {
        const std::string_view name = LabelText(Child(net, "name"));
        const std::string_view id = net.attribute("id").value();
        if (!name.empty() || !id.empty()) root.SetObjectName(std::string(name.empty() ? id : name));
    }
    Scope scope;
    ReadObject(root, objectNode, scope, true);
}

// Files above this are refused: line offsets are kept in 32 bits, and the
// net would not fit in memory anyway.
constexpr std::size_t kMaxFileBytes = std::size_t{2} << 30;

// Parses the text in place: the document lives in it, no copy is made.
ImportResult Import(TPNObjekt& root, std::string xml, const ImportOptions& options) {
    ImportResult result;
    if (xml.size() > kMaxFileBytes) {
        result.error = "the file is larger than 2 GB";
        return result;
    }
    pugi::xml_document doc;
    Reader reader(xml, options, result);
    const pugi::xml_parse_result parsed =
        doc.load_buffer_inplace(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_auto);
    if (!parsed) {
        result.error = "line " + std::to_string(reader.LineOf(parsed.offset)) + ": malformed XML: " +
                       parsed.description();
        return result;
    }
    try {
        reader.Run(root, doc);
        result.ok = true;
    } catch (const Failure& f) {
        result.error = f.message;
    }
    reader.Finish();
    if (!result.ok) {
        root.Clear();
        result.places = result.transitions = result.arcs = 0;
    }
    return result;
}

} // namespace

ImportResult PnmlImporter::ImportText(TPNObjekt& root, std::string_view xml, const ImportOptions& options) {
    return Import(root, std::string(xml), options);
}

ImportResult PnmlImporter::ImportFile(TPNObjekt& root, const std::string& path, const ImportOptions& options) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ImportResult r;
        r.error = "cannot open " + path;
        return r;
    }
    std::string text;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size > static_cast<std::streamoff>(kMaxFileBytes)) {
        ImportResult r;
        r.error = "the file is larger than 2 GB";
        return r;
    }
    if (size >= 0) {
        in.seekg(0, std::ios::beg);
        text.resize(static_cast<std::size_t>(size));
        in.read(text.data(), size);
        text.resize(static_cast<std::size_t>(in.gcount()));
    } else {
        in.clear(); // not seekable (a pipe)
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (in.bad()) {
        ImportResult r;
        r.error = "cannot read " + path;
        return r;
    }
    return Import(root, std::move(text), options);
}

} // namespace qz::pnml

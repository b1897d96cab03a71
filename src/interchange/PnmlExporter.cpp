#include "PnmlExporter.h"

#include <cmath>
#include <unordered_map>

#include "QuenzorSchema.h"
#include "XmlWriter.h"
#include "common/FileSystem.h"
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TObjekt.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"

namespace qz::pnml {

namespace {

// A whole, non-negative number as PNML's natural numbers want it; empty when
// the value is not one.
std::string NaturalText(long double v) {
    if (!(v >= 0) || v != std::floor(v) || v > 9.0e18L) return {};
    return std::to_string(static_cast<unsigned long long>(v));
}

bool IsPlaceTransitionArc(const TGraphItem* e) {
    return e->Kind() == kind::Arc && static_cast<const TEdge*>(e)->connectionKind == ConnectionKind::Plain;
}

class Writer {
public:
    explicit Writer(const ExportOptions& options) : options_(options) {}
    std::string Run(const TPNObjekt& root);

private:
    void AssignIds(const TPNObjekt& obj);
    void OpenTool() { w_.Open("toolspecific").Attr("tool", kToolName).Attr("version", kToolVersion); }
    // An element of Quenzor's own data, in its own namespace.
    XmlWriter& Own(std::string_view name) { return w_.Open(std::string(kToolPrefix) + ":" + std::string(name)); }
    void WriteName(const std::string& name) {
        w_.Open("name").TextElement("text", name).Close();
    }
    void WriteCentre(TPoint c) {
        w_.Open("graphics").Open("position").Attr("x", c.x).Attr("y", c.y).Close().Close();
    }
    void WriteLabel(const char* element, const TSchriftObjekt& label) {
        Own(element)
            .Attr("rect", RectText(label.bounds))
            .Attr("visible", label.visible)
            .Attr("positioned", label.userPositioned)
            .Close();
    }
    void WriteElement(const TPNObjekt& obj, const TGraphItem* e, long long z);
    void WritePlace(const TPlatz& p, long long z);
    void WriteTransition(const TTransition& t, long long z);
    void WriteArc(const TPNObjekt& obj, const TEdge& a, long long z);
    void WriteText(const TSchriftObjekt& l, long long z);
    void WriteShape(const TObjekt& s, long long z);
    void WriteFrame(const char* element, const TObjectFrame& f, long long z);
    // An object's data; `all` writes every element, otherwise the page holds
    // its places, transitions and place/transition arcs.
    void WriteObject(const TPNObjekt& obj, long long z, bool all);
    std::string PathOf(const TPNObjekt& obj, const TInterfacePlace* ip) const;

    const ExportOptions& options_;
    XmlWriter w_;
    std::unordered_map<const TGraphItem*, std::string> ids_;
    long nextPlace_ = 0, nextTransition_ = 0, nextArc_ = 0;
};

void Writer::AssignIds(const TPNObjekt& obj) {
    for (const TGraphItem* e : obj.Net().Elements()) {
        if (e->Kind() == kind::Place) ids_[e] = "p" + std::to_string(nextPlace_++);
        else if (e->Kind() == kind::Transition) ids_[e] = "t" + std::to_string(nextTransition_++);
    }
}

std::string Writer::PathOf(const TPNObjekt& obj, const TInterfacePlace* ip) const {
    if (!ip || !ip->innerPlace || !ip->frame || !ip->frame->object) return {};
    const TPNObjekt* o = ip->frame->object;
    const std::string& name = (o == obj.Base()) ? obj.baseName : o->name;
    return name + "." + ip->innerPlace->variableName;
}

void Writer::WritePlace(const TPlatz& p, long long z) {
    w_.Open("place").Attr("id", ids_.at(&p));
    WriteName(p.name);
    WriteCentre(p.GetCenter());
    const std::string m = NaturalText(p.InitialMarking());
    if (!m.empty() && m != "0") w_.Open("initialMarking").TextElement("text", m).Close();
    OpenTool();
    Own("place")
        .Attr("name", p.name)
        .Attr("variable", p.variableName)
        .Attr("continuous", p.continuous)
        .Attr("marking", ExactText(p.InitialMarking()))
        .Attr("capacity", ExactText(p.capacity))
        .Attr("sizeClass", p.sizeClass)
        .Attr("published", p.interfaceFlag)
        .Attr("hit", RectText(p.hit))
        .Attr("z", z);
    WriteLabel("nameLabel", *p.nameLabel);
    w_.Close().Close().Close();
}

void Writer::WriteTransition(const TTransition& t, long long z) {
    w_.Open("transition").Attr("id", ids_.at(&t));
    WriteName(t.name);
    WriteCentre(t.GetCenter());
    OpenTool();
    Own("transition")
        .Attr("name", t.name)
        .Attr("function", t.functionText)
        .Attr("continuous", t.continuous)
        .Attr("priority", t.priority)
        .Attr("timed", t.timed)
        .Attr("reservation", t.reservation)
        .Attr("sizeClass", t.sizeClass)
        .Attr("orientation", t.orientation)
        .Attr("hit", RectText(t.hit))
        .Attr("z", z);
    WriteLabel("nameLabel", *t.nameLabel);
    WriteLabel("valueLabel", *t.valueLabel);
    w_.Close().Close().Close();
}

void Writer::WriteArc(const TPNObjekt& obj, const TEdge& a, long long z) {
    const ConnectionKind k = a.connectionKind;
    const bool plain = k == ConnectionKind::Plain;
    w_.Open("arc").Attr("id", "a" + std::to_string(nextArc_++));
    auto idOf = [&](const TGraphItem* e) -> std::string {
        auto it = ids_.find(e);
        return it == ids_.end() ? std::string() : it->second;
    };
    if (!SourceIsInterface(k)) w_.Attr("source", idOf(a.source));
    if (!TargetIsInterface(k)) w_.Attr("target", idOf(a.target));
    if (plain) {
        const std::string weight = a.isExpression ? std::string() : NaturalText(a.weight);
        // A positive whole number in the grammar; 0 travels in Quenzor's data only.
        if (!weight.empty() && weight != "1" && weight != "0") w_.Open("inscription").TextElement("text", weight).Close();
    }
    if (!a.bendPoints.empty()) {
        w_.Open("graphics");
        for (const TPunkt& b : a.bendPoints) w_.Open("position").Attr("x", b.x).Attr("y", b.y).Close();
        w_.Close();
    }
    // Not part of the P/T grammar: only for editors that read it.
    if (options_.arcTypeLabels && plain && a.arcKind != akNormal) {
        w_.Open("type").Attr("value", a.arcKind == akInhibitor ? "inhibitor" : "read").Close();
    }
    OpenTool();
    Own("arc")
        .Attr("kind", a.arcKind)
        .Attr("weight", a.weightText)
        .Attr("connection", static_cast<int>(k));
    if (SourceIsInterface(k)) w_.Attr("sourcePath", PathOf(obj, a.SourceInterfacePlace()));
    if (TargetIsInterface(k)) w_.Attr("targetPath", PathOf(obj, a.TargetInterfacePlace()));
    w_.Attr("z", z);
    WriteLabel("valueLabel", *a.valueLabel);
    w_.Close().Close().Close();
}

void Writer::WriteText(const TSchriftObjekt& l, long long z) {
    const TFont& f = l.Font();
    Own("label")
        .Attr("z", z)
        .Attr("rect", RectText(l.bounds))
        .Attr("text", l.Text())
        .Attr("fontName", f.name)
        .Attr("fontSize", f.size)
        .Attr("color", static_cast<long long>(f.color))
        .Attr("style", f.style)
        .Close();
}

void Writer::WriteShape(const TObjekt& s, long long z) {
    Own("shape")
        .Attr("z", z)
        .Attr("rect", RectText(s.bounds))
        .Attr("lineWidth", s.lineWidth)
        .Attr("radius", s.radius)
        .Attr("kind", s.shapeKind)
        .Attr("penMode", s.penMode)
        .Attr("penStyle", s.penStyle)
        .Close();
}

void Writer::WriteFrame(const char* element, const TObjectFrame& f, long long z) {
    Own(element);
    if (z >= 0) w_.Attr("z", z);
    w_.Attr("rect", RectText(f.bounds)).Attr("sizeClass", f.interfaceSizeClass);
    for (const auto& ip : f.interfacePlaces) {
        if (!ip || !ip->innerPlace) continue;
        Own("interface")
            .Attr("variable", ip->innerPlace->variableName)
            .Attr("side", ip->side)
            .Attr("value", ExactText(ip->Value()))
            .Close();
    }
    for (const std::string& line : f.description) Own("line").Attr("text", line).Close();
    w_.Close();
}

void Writer::WriteElement(const TPNObjekt& obj, const TGraphItem* e, long long z) {
    switch (e->Kind()) {
    case kind::Place: WritePlace(*static_cast<const TPlatz*>(e), z); break;
    case kind::Transition: WriteTransition(*static_cast<const TTransition*>(e), z); break;
    case kind::Arc: WriteArc(obj, *static_cast<const TEdge*>(e), z); break;
    case kind::Label: WriteText(*static_cast<const TSchriftObjekt*>(e), z); break;
    case kind::Shape: WriteShape(*static_cast<const TObjekt*>(e), z); break;
    case kind::Frame: {
        const auto* f = static_cast<const TObjectFrame*>(e);
        if (f->object && f->object != obj.Base()) WriteObject(*f->object, z, true);
        break;
    }
    default: break;
    }
}

void Writer::WriteObject(const TPNObjekt& obj, long long z, bool all) {
    AssignIds(obj);
    Own("object").Attr("name", obj.name).Attr("base", obj.baseName).Attr("parent", obj.parentName);
    if (z >= 0) w_.Attr("z", z);
    WriteFrame("frame", obj.Frame(), -1);
    const auto& elements = obj.Net().Elements();
    if (const TPNObjekt* base = obj.Base()) {
        long long baseZ = -1;
        for (std::size_t i = 0; i < elements.size(); ++i) {
            if (elements[i] == &base->Frame()) baseZ = static_cast<long long>(i);
        }
        WriteFrame("baseFrame", base->Frame(), baseZ);
    }
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const TGraphItem* e = elements[i];
        const bool onPage = e->Kind() == kind::Place || e->Kind() == kind::Transition || IsPlaceTransitionArc(e);
        if (all || !onPage) WriteElement(obj, e, static_cast<long long>(i));
    }
    w_.Close();
}

std::string Writer::Run(const TPNObjekt& root) {
    w_.Open("pnml").Attr("xmlns", kPnmlNamespace).Attr(std::string("xmlns:") + kToolPrefix, kToolNamespace);
    w_.Open("net").Attr("id", "net1").Attr("type", kPtNetType);
    WriteName(root.name);
    OpenTool();
    Own("document")
        .Attr("sampleTime", root.sampleTimeText)
        .Attr("timeUnit", root.timeUnit)
        .Attr("enhancedFiringRule", root.enhancedFiringRule)
        .Close();
    WriteObject(root, -1, false);
    w_.Close();
    w_.Open("page").Attr("id", "page1");
    const auto& elements = root.Net().Elements();
    for (int pass = 0; pass < 3; ++pass) {
        for (std::size_t i = 0; i < elements.size(); ++i) {
            const TGraphItem* e = elements[i];
            const bool wanted = (pass == 0 && e->Kind() == kind::Place) ||
                                (pass == 1 && e->Kind() == kind::Transition) ||
                                (pass == 2 && IsPlaceTransitionArc(e));
            if (wanted) WriteElement(root, e, static_cast<long long>(i));
        }
    }
    w_.Close().Close().Close();
    return w_.Take();
}

} // namespace

std::string PnmlExporter::ExportText(const TPNObjekt& root, const ExportOptions& options) {
    return Writer(options).Run(root);
}

bool PnmlExporter::ExportFile(const TPNObjekt& root, const std::string& path, std::string* error,
                              const ExportOptions& options) {
    const std::string text = ExportText(root, options);
    return fs::WriteFileAtomically(path, std::string_view(text), error);
}

} // namespace qz::pnml

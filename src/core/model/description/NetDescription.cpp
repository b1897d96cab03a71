#include "model/description/NetDescription.h"

#include "common/Cp1252.h"
#include "common/NumberFormat.h"
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "model/storage/FileVersion.h"
#include "platform/Window.h"

namespace qz {

namespace {

std::string Number(long double v) { return num::FormatGeneral(v, 15); }

std::string ByNameAndKey(const TGraphItem* e) {
    if (!e) return std::string();
    std::string name;
    if (e->Kind() == kind::Place) name = static_cast<const TPlatz*>(e)->name;
    if (e->Kind() == kind::Transition) name = static_cast<const TTransition*>(e)->name;
    return name + " (key=" + std::to_string(e->key) + ")";
}

std::string PlaceLine(const TPlatz& p) {
    std::string line = "     Name: " + p.name;
    if (p.continuous) {
        line += ", typ: continuous, variable name: " + p.variableName +
                ", initial marking: " + Number(p.InitialMarking());
    } else {
        line += ", typ: discrete, variable name: " + p.variableName +
                ", initial marking: " + Number(p.InitialMarking()) + ", capacity: " + Number(p.capacity);
    }
    return line + ", key: " + std::to_string(p.key);
}

std::string TransitionLine(const TTransition& t) {
    if (t.continuous) {
        return "     name: " + t.name + ", typ: continuous, Speed function: " + t.functionText +
               ", key: " + std::to_string(t.key);
    }
    return "     name: " + t.name + ", typ: discrete, firing time: " + t.functionText +
           ", priority: " + std::to_string(t.priority) +
           ", reservation: " + std::to_string(t.reservation ? 1 : 0) + ", key: " + std::to_string(t.key);
}

std::string ArcLine(const TEdge& a) {
    const std::string from = SourceIsInterface(a.connectionKind)
                                 ? InterfaceReference(a, a.SourceInterfacePlace())
                                 : ByNameAndKey(a.source);
    const std::string to = TargetIsInterface(a.connectionKind)
                               ? InterfaceReference(a, a.TargetInterfacePlace())
                               : ByNameAndKey(a.target);
    const char* type = a.arcKind <= akTest ? kArcKindTexts[a.arcKind] : "";
    return "     from " + from + " to " + to + ", typ: " + type + ", weight: " + a.weightText;
}

std::string FilePart(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WindowName(const Window* w) { return w ? w->ComponentName() : std::string("nil"); }

const std::string kStars(31, '*');

} // namespace

std::vector<std::string> DescribeDocument(TPNObjekt& root) {
    std::vector<std::string> lines{"file version: 2,7", std::string(29, '=')};
    DescribeObject(root, lines);
    return lines;
}

void DescribeObject(TPNObjekt& o, std::vector<std::string>& lines) {
    lines.push_back("Object: " + o.baseName);
    lines.push_back("     - Inherited from: " + o.baseName);
    lines.push_back("     - Object name: " + o.name);
    lines.push_back("Number of child objects: " + std::to_string(o.Net().Children().size()));
    lines.push_back(std::string(25, '='));
    lines.push_back(" ");
    for (const auto& child : o.Net().Children()) {
        if (o.Base()) DescribeObject(*o.Base(), lines);
        DescribeObject(*child, lines);
    }
    if (o.Base()) DescribeNet(o.Base()->Net(), lines);
    DescribeNet(o.Net(), lines);
    lines.push_back(" ");
}

void DescribeNet(TNetList& net, std::vector<std::string>& lines) {
    RenumberKeys(net);
    const struct {
        const char* heading;
        char kind;
    } sections[] = {{"Places", kind::Place}, {"Transitions", kind::Transition}, {"Arcs", kind::Arc}};
    for (const auto& s : sections) {
        lines.push_back(" ");
        lines.push_back(s.heading);
        for (const TGraphItem* e : net.Elements()) {
            if (e->Kind() == s.kind) DescribeElement(*e, lines);
        }
    }
}

void DescribeElement(const TGraphItem& e, std::vector<std::string>& lines) {
    switch (e.Kind()) {
    case kind::Place: lines.push_back(PlaceLine(static_cast<const TPlatz&>(e))); break;
    case kind::Transition: lines.push_back(TransitionLine(static_cast<const TTransition&>(e))); break;
    case kind::Arc: lines.push_back(ArcLine(static_cast<const TEdge&>(e))); break;
    default: break;
    }
}

void StructureListing(const TPNObjekt& o, std::vector<std::string>& lines) {
    const TPNObjekt* base = o.Base();
    const std::string filePart = FilePart(base ? base->classFile : o.fileName);
    lines.push_back(kStars);
    lines.push_back("Objektname: " + o.name);
    lines.push_back("Inherited from: " + o.baseName);
    lines.push_back("Objekt: EditWindow: " + WindowName(o.EditWindow()));
    lines.push_back("Objekt: ObjectWindow: " + WindowName(o.ObjectWindow()));
    if (base) {
        const std::string count = std::to_string(base->ElementCount());
        lines.push_back("Vererbt: " + filePart + ", mit " + count + " Elementen");
        lines.push_back("Anzahl der Elemente: " + count);
        StructureListing(*base, lines);
    } else {
        lines.push_back("Vererbt: " + filePart + ", leer");
        lines.push_back("erbt Eigenschaften von Leerem Objekt");
    }
    lines.push_back(kStars);
    const TNetList& net = o.Net();
    lines.push_back(filePart + ": zugefügte Elemente: " + std::to_string(net.Count()));
    lines.push_back("Netz: EditWindow: " + WindowName(net.GetWindow()));
    if (net.Count() > 0) lines.push_back("************ Inhalt des Objektes ************");
    for (const TGraphItem* e : net.Elements()) {
        if (e->Kind() == kind::Place) lines.push_back("Platz: " + static_cast<const TPlatz*>(e)->name);
    }
    for (const TGraphItem* e : net.Elements()) {
        if (e->Kind() == kind::Transition) {
            lines.push_back("Transition: " + static_cast<const TTransition*>(e)->name);
        }
    }
    for (const TGraphItem* e : net.Elements()) {
        if (e->Kind() == kind::Arc) lines.push_back("Kante");
    }
    if (net.Count() > 0) lines.push_back(kStars);
    lines.push_back("Anzahl der enthaltene Objekte " + std::to_string(net.Children().size()));
    lines.push_back(" ");
    for (const auto& child : net.Children()) StructureListing(*child, lines);
    lines.push_back(kStars);
}

std::string DescriptionFileText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += cp1252::FromUtf8(line);
        text += "\r\n";
    }
    return text;
}

} // namespace qz

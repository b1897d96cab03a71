#include "settings/DebugTables.h"

#include "common/NumberFormat.h"
#include "formula/VariableTable.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"

namespace qz::ui {

namespace {

std::string Number(long double v) { return num::FormatGeneral(v, 8); }

std::string KindText(std::uint8_t continuous) { return continuous ? "continuous" : "discrete"; }

std::string NameOf(const TGraphItem* e) {
    if (const auto* p = dynamic_cast<const TPlatz*>(e)) return p->name;
    if (const auto* t = dynamic_cast<const TTransition*>(e)) return t->name;
    return e ? std::string(1, e->Kind()) : std::string();
}

std::vector<std::string> TransitionRow(const TTransition& t) {
    return {t.name, t.functionText, Number(t.value), KindText(t.continuous), std::to_string(t.priority)};
}

} // namespace

std::array<std::string, 5> ElementCountTexts(const TNetList& net) {
    std::size_t places = 0, transitions = 0, arcs = 0, labels = 0;
    for (const TGraphItem* e : net.Elements()) {
        switch (e->Kind()) {
        case kind::Place: ++places; break;
        case kind::Transition: ++transitions; break;
        case kind::Arc: ++arcs; break;
        case kind::Label: ++labels; break;
        default: break;
        }
    }
    return {"Count of Places: " + std::to_string(places), "Count of Transitions.: " + std::to_string(transitions),
            "Count of Arcs: " + std::to_string(arcs), "Count of Labels: " + std::to_string(labels),
            "Count of Objects: " + std::to_string(net.Children().size())};
}

DebugTable DebugTableOf(TPNObjekt& root, DebugList list) {
    DebugTable table;
    const TNetList& net = root.Net();
    switch (list) {
    case DebugList::Places:
        table.header = {"Name", "Variable", "Marking", "Initial Marking", "Capacity", "Kind"};
        for (const TGraphItem* e : net.Elements()) {
            if (const auto* p = dynamic_cast<const TPlatz*>(e)) {
                table.rows.push_back({p->name, p->variableName, Number(p->Marking()), Number(p->InitialMarking()),
                                      Number(p->capacity), KindText(p->continuous)});
            }
        }
        break;
    case DebugList::Transitions:
        table.header = {"Name", "Function", "Value", "Kind", "Priority"};
        for (const TGraphItem* e : net.Elements()) {
            if (const auto* t = dynamic_cast<const TTransition*>(e)) table.rows.push_back(TransitionRow(*t));
        }
        break;
    case DebugList::Arcs:
        table.header = {"From", "To", "Weight", "Kind"};
        for (const TGraphItem* e : net.Elements()) {
            if (const auto* a = dynamic_cast<const TEdge*>(e)) {
                table.rows.push_back({NameOf(a->source), NameOf(a->target), a->weightText,
                                      kArcKindTexts[a->arcKind < 3 ? a->arcKind : 0]});
            }
        }
        break;
    case DebugList::KnownVariables: {
        table.header = {"Name", "Value"};
        const TVariableTable& v = root.Variables();
        for (std::size_t i = 0; i < v.Count(); ++i) {
            const double* value = v.ValueAt(i);
            table.rows.push_back({v.NameAt(i), value ? Number(*value) : std::string()});
        }
        break;
    }
    case DebugList::AllTransitions:
        table.header = {"Object", "Name", "Function", "Value", "Kind", "Priority"};
        root.ForEachObject([&table](TPNObjekt& o) {
            for (const TGraphItem* e : o.Net().Elements()) {
                if (const auto* t = dynamic_cast<const TTransition*>(e)) {
                    std::vector<std::string> row = TransitionRow(*t);
                    row.insert(row.begin(), o.name);
                    table.rows.push_back(std::move(row));
                }
            }
        });
        break;
    }
    return table;
}

} // namespace qz::ui

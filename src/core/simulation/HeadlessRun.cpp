#include "simulation/HeadlessRun.h"

#include <exception>
#include <map>
#include <memory>
#include <ostream>

#include "common/FileSystem.h"
#include "common/NumberFormat.h"
#include "diagrams/TInfoFigures.h"
#include "diagrams/TraceRecorder.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "model/TEdge.h"
#include "platform/Services.h"
#include "simulation/SimulationSession.h"

namespace qz {

namespace {

std::string Lines(std::string_view text) {
    std::string s(text);
    for (char& c : s) {
        if (c == '\r') c = '\n';
    }
    return s;
}

// Message boxes of a headless run: warnings and errors go to the error
// stream, every box answers its default button. Information boxes (the
// conflict warning) are not printed.
class StreamMessageBoxes final : public MessageBoxes {
public:
    explicit StreamMessageBoxes(std::ostream& err) : err_(err) {}
    MsgAnswer Show(std::string_view text, MsgKind kind, MsgButtons buttons) override {
        if (kind != MsgKind::Information) err_ << Lines(text) << '\n';
        return DefaultAnswer(buttons);
    }
    std::optional<std::string> InputQuery(std::string_view, std::string_view,
                                          std::string_view) override {
        return std::nullopt;
    }

private:
    std::ostream& err_;
};

void CollectPaths(TPNObjekt& object, const std::string& prefix,
                  std::vector<std::pair<std::string, TPlatz*>>& paths) {
    for (TGraphItem* e : object.Net().Elements()) {
        if (e->Kind() == kind::Place) {
            auto* p = static_cast<TPlatz*>(e);
            paths.emplace_back(prefix + p->variableName, p);
        }
    }
    for (auto& child : object.Net().Children()) CollectPaths(*child, prefix + child->name + ".", paths);
    if (object.Base()) CollectPaths(*object.Base(), prefix, paths);
}

TPlatz* FindVariable(TPNObjekt& object, const std::string& variable) {
    for (TPNObjekt* o = &object; o; o = o->Base()) {
        for (TGraphItem* e : o->Net().Elements()) {
            if (e->Kind() == kind::Place && static_cast<TPlatz*>(e)->variableName == variable) {
                return static_cast<TPlatz*>(e);
            }
        }
    }
    return nullptr;
}

TPNObjekt* FindChild(TPNObjekt& object, const std::string& name) {
    for (TPNObjekt* o = &object; o; o = o->Base()) {
        for (auto& child : o->Net().Children()) {
            if (child->name == name) return child.get();
        }
    }
    return nullptr;
}

void ReportFormulaErrors(TPNObjekt& root, std::ostream& err) {
    root.ForEachNet([&err](TNetList& net) {
        for (TGraphItem* e : net.Elements()) {
            if (e->Kind() == kind::Transition) {
                auto* t = static_cast<TTransition*>(e);
                if (!t->formulaValid) {
                    err << "Formula of " << t->name << " \"" << t->functionText
                        << "\": " << Lines(t->formulaError) << '\n';
                }
            } else if (e->Kind() == kind::Arc) {
                auto* a = static_cast<TEdge*>(e);
                if (!a->formulaValid) {
                    err << "Weight of the arc " << a->sourceName << " -> " << a->targetName << " \""
                        << a->weightText << "\": " << Lines(a->formulaError) << '\n';
                }
            }
        }
    });
}

std::string CsvText(const std::vector<std::string>& names,
                    const std::vector<const diagrams::TTraceRecorder*>& columns) {
    std::string text = "time";
    for (const std::string& n : names) text += "," + n;
    text += '\n';
    std::vector<const diagrams::TPunkt*> cursor;
    for (const auto* c : columns) cursor.push_back(c->trace.First());
    while (!cursor.empty() && cursor[0]) {
        text += num::FormatRoundTrip(static_cast<double>(cursor[0]->x));
        for (auto*& p : cursor) {
            text += ',';
            if (p) {
                text += num::FormatRoundTrip(static_cast<double>(p->y));
                p = p->next;
            }
        }
        text += '\n';
    }
    return text;
}

bool WriteOutput(const std::string& path, const std::string& text, std::ostream& out,
                 std::ostream& err) {
    if (path == "-") {
        out << text;
        return true;
    }
    std::string why;
    if (fs::WriteFileAtomically(path, text, &why)) return true;
    err << "quenzor-cli simulate: cannot write " << path << ": " << why << '\n';
    return false;
}

} // namespace

std::vector<std::pair<std::string, TPlatz*>> AllPlacePaths(TPNObjekt& root) {
    std::vector<std::pair<std::string, TPlatz*>> paths;
    CollectPaths(root, "", paths);
    return paths;
}

TPlatz* FindPlaceByPath(TPNObjekt& root, const std::string& path) {
    TPNObjekt* object = &root;
    std::size_t start = 0;
    for (std::size_t dot; (dot = path.find('.', start)) != std::string::npos; start = dot + 1) {
        object = FindChild(*object, path.substr(start, dot - start));
        if (!object) return nullptr;
    }
    return FindVariable(*object, path.substr(start));
}

int RunHeadless(TPNObjekt& root, const HeadlessOptions& options, std::ostream& out,
                std::ostream& err) {
    StreamMessageBoxes boxes(err);
    PlatformServices services{};
    services.messages = &boxes;
    PlatformScope scope(services);

    // What to record, resolved before anything runs.
    std::vector<std::pair<std::string, TPlatz*>> traced;
    if (options.trace.size() == 1 && options.trace[0] == "all") {
        traced = AllPlacePaths(root);
    } else {
        for (const std::string& name : options.trace) {
            TPlatz* p = FindPlaceByPath(root, name);
            if (!p) {
                err << "quenzor-cli simulate: no place \"" << name << "\" in the net\n";
                return kHeadlessRefused;
            }
            traced.emplace_back(name, p);
        }
    }
    if (!options.outPath.empty() && traced.size() != 1) {
        err << "quenzor-cli simulate: --out needs exactly one traced place\n";
        return kHeadlessRefused;
    }

    if (options.sampleTime) {
        root.sampleTimeSeconds = *options.sampleTime;
        root.sampleTimeText = num::FormatGeneral(*options.sampleTime, 15);
        root.timeUnit = 0;
    }
    if (options.enhancedRule) root.enhancedFiringRule = *options.enhancedRule ? 1 : 0;
    // Without a step limit only the advance of model time ends the run.
    if (!options.steps && !(root.sampleTimeSeconds > 0)) {
        err << "quenzor-cli simulate: the net's sample time is not positive; give --sample-time or "
               "--steps\n";
        return kHeadlessRefused;
    }

    TSimulationSession session;
    session.engine.seed = options.seed;
    switch (StartSimulation(root, session)) {
    case StartOutcome::Started:
        break;
    case StartOutcome::FormulaErrors:
        ReportFormulaErrors(root, err);
        return kHeadlessRefused;
    case StartOutcome::EmptyNet:
        err << "quenzor-cli simulate: the net is empty\n";
        return kHeadlessRefused;
    default:
        return kHeadlessRefused;
    }

    // One recorder per place, shared by names that reach the same place.
    std::map<TPlatz*, diagrams::TTraceRecorder*> recorders;
    std::vector<const diagrams::TTraceRecorder*> columns;
    std::vector<std::string> names;
    for (auto& [name, place] : traced) {
        auto it = recorders.find(place);
        if (it == recorders.end()) {
            auto r = std::make_unique<diagrams::TTraceRecorder>();
            it = recorders.emplace(place, r.get()).first;
            place->SetDiagram(std::move(r));
        }
        columns.push_back(it->second);
        names.push_back(name);
    }

    session.HighSpeedCheckBoxClick(true);
    session.evaluation = true;
    session.automaticStop = options.until.has_value() || !options.steps.has_value();
    session.stopTime = options.until.value_or(2000);
    session.stopTimeText = num::FormatGeneral(session.stopTime, 15);
    session.stepLimit = static_cast<std::int32_t>(std::min<std::int64_t>(options.steps.value_or(0), INT32_MAX));

    int status = kHeadlessOk;
    const bool run = !options.steps || *options.steps > 0;
    if (run) {
        try {
            if (options.runToEvent) {
                session.RunToEventBtnClick();
            } else {
                session.RunBtnClick();
            }
        } catch (const std::exception& e) {
            err << Lines(e.what()) << '\n';
            status = kHeadlessFailed;
        }
        if (session.engine.arithmeticError) status = kHeadlessFailed;
    }
    if (options.onTraces) options.onTraces(columns);

    if (!options.csvPath.empty() && !WriteOutput(options.csvPath, CsvText(names, columns), out, err)) {
        status = kHeadlessRefused;
    }
    if (!options.outPath.empty()) {
        auto* r = recorders.begin()->second;
        if (!WriteOutput(options.outPath, diagrams::ExportValues(r->trace), out, err)) {
            status = kHeadlessRefused;
        }
    }
    if (options.stats && session.statistics) {
        const RunStatistics& s = *session.statistics;
        out << s.step << '\n'
            << s.allTime << '\n'
            << s.stepSpeed << '\n'
            << s.transSpeed << '\n'
            << s.osziTime << '\n';
    }
    if (options.csvPath != "-" && options.outPath != "-") {
        out << "Time : " << num::FormatGeneral(root.modelTime, 8) << '\n';
    }

    for (auto& [place, recorder] : recorders) place->SetDiagram(nullptr);
    EndSimulation(root, session);
    return status;
}

} // namespace qz

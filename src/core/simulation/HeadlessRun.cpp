#include "simulation/HeadlessRun.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <exception>
#include <new>
#include <optional>
#include <string_view>
#include <map>
#include <memory>
#include <ostream>

#include "common/FileSystem.h"
#include "common/NumberFormat.h"
#include "diagrams/Oscilloscope.h"
#include "diagrams/TraceRecorder.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "model/TEdge.h"
#include "platform/Services.h"
#include "settings/ProgramSettings.h"
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

// A placed object by name, or the base object by its class name (the path
// the net file writes for a place of a base-class frame), along the chain
// of base objects.
TPNObjekt* FindChild(TPNObjekt& object, const std::string& name) {
    for (TPNObjekt* o = &object; o; o = o->Base()) {
        if (o->Base() && o->baseName == name) return o->Base();
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

// An output of the run written while it runs: into a temporary file that
// replaces the target when the run is done, or to `out` for "-".
class StreamedOutput {
public:
    StreamedOutput(std::string path, std::ostream& out) : path_(std::move(path)), out_(out) {}

    bool Open(std::ostream& err) {
        if (path_ == "-") return true;
        std::string why;
        if (file_.Open(path_, &why)) return true;
        err << "quenzor-cli simulate: cannot write " << path_ << ": " << why << '\n';
        return false;
    }
    void Write(std::string_view text) {
        if (path_ == "-") {
            out_ << text;
        } else {
            file_.Write(text);
        }
    }
    bool Finish(std::ostream& err) {
        if (path_ == "-") return true;
        std::string why;
        if (file_.Commit(&why)) return true;
        err << "quenzor-cli simulate: cannot write " << path_ << ": " << why << '\n';
        return false;
    }

private:
    std::string path_;
    std::ostream& out_;
    fs::AtomicFileWriter file_;
};

// The CSV rows: every sampling of the diagrams gives each recorded place one
// sample at the same model time; the row is written when the last of them
// arrived, so memory stays constant however long the run.
class CsvRows {
public:
    CsvRows(StreamedOutput& output, std::size_t columns, std::size_t places)
        : output_(output), values_(columns), places_(places) {}

    void Sample(const std::vector<std::size_t>& columns, long double time, long double marking) {
        if (pending_ == 0) time_ = time;
        for (std::size_t c : columns) values_[c] = marking;
        if (++pending_ < places_) return;
        pending_ = 0;
        line_ = num::FormatRoundTrip(static_cast<double>(time_));
        for (long double v : values_) {
            line_ += ',';
            line_ += num::FormatRoundTrip(static_cast<double>(v));
        }
        line_ += '\n';
        output_.Write(line_);
        ++rows;
    }

    std::size_t rows = 0;

private:
    StreamedOutput& output_;
    std::vector<long double> values_;
    std::size_t places_;
    std::size_t pending_ = 0;
    long double time_ = 0;
    std::string line_;
};

// Stands in for the diagram window of one recorded place: passes its samples
// on to the CSV rows and the value export instead of keeping them.
class SampleSink final : public Oscilloscope {
public:
    void AddSample(long double time, long double marking) override {
        if (keep) kept.AddSample(time, marking);
        if (rows) rows->Sample(columns, time, marking);
        if (values) {
            values->Write(num::FormatGeneral(time, 15) + ';' + num::FormatGeneral(marking, 15) + "\r\n");
        }
    }
    void ClearData() override {}
    void SetCurveOn(bool) override {}
    void SetCaptions(const std::string&, const std::string&, int) override {}

    CsvRows* rows = nullptr;
    std::vector<std::size_t> columns;   // the CSV columns of this place
    StreamedOutput* values = nullptr;   // the value export, for the one place of --out
    bool keep = false;                  // the samples are wanted after the run
    diagrams::TTraceRecorder kept;
};

// Between the steps of a run without a step limit: stops the run when model
// time has not advanced for `limit` steps, as Stop would.
class StallWatch final : public MessagePump {
public:
    StallWatch(TSimulationSession& session, const TPNObjekt& root, std::int64_t limit)
        : session_(session), root_(root), limit_(limit), last_(root.modelTime) {}
    void ProcessMessages() override {
        if (root_.modelTime != last_) {
            last_ = root_.modelTime;
            steps = 0;
        } else if (++steps >= limit_ && session_.engine.maxSpeed) {
            stopped = true;
            session_.StopBtnClick();
        }
    }

    std::int64_t steps = 0;
    bool stopped = false;

private:
    TSimulationSession& session_;
    const TPNObjekt& root_;
    std::int64_t limit_;
    double last_;
};

// Ends the session and takes the sinks off their places however the run
// ends (also when memory ran out).
class SessionEnd {
public:
    SessionEnd(TPNObjekt& root, TSimulationSession& session) : root_(root), session_(session) {}
    ~SessionEnd() {
        for (TPlatz* p : places) p->SetDiagram(nullptr);
        EndSimulation(root_, session_);
    }
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    std::vector<TPlatz*> places;

private:
    TPNObjekt& root_;
    TSimulationSession& session_;
};

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
    // The latest model time the run can reach must be a number: the stop
    // time and one more sample time, or the step limit's worth of them.
    const bool automaticStop = options.until.has_value() || !options.steps.has_value();
    const long double stopTime = options.until.value_or(2000);
    long double latest = automaticStop ? stopTime + root.sampleTimeSeconds : HUGE_VALL;
    if (options.steps) latest = std::min<long double>(latest, *options.steps * static_cast<long double>(root.sampleTimeSeconds));
    if (!(std::fabs(latest) <= DBL_MAX)) {
        err << "quenzor-cli simulate: with a sample time of " << num::FormatGeneral(root.sampleTimeSeconds, 15)
            << " s model time would leave the range of numbers; give a smaller sample time or fewer steps\n";
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

    // One sink per place, shared by names that reach the same place; only
    // what will be written is recorded.
    StreamedOutput csv(options.csvPath, out), values(options.outPath, out);
    std::optional<CsvRows> rows;
    SessionEnd end(root, session); // before the outputs the sinks write to go
    std::map<TPlatz*, SampleSink*> sinks;
    for (std::size_t c = 0; c < traced.size(); ++c) {
        TPlatz* place = traced[c].second;
        auto it = sinks.find(place);
        if (it == sinks.end()) {
            auto sink = std::make_unique<SampleSink>();
            it = sinks.emplace(place, sink.get()).first;
            place->SetDiagram(std::move(sink));
            end.places.push_back(place);
        }
        it->second->columns.push_back(c);
    }
    if (!options.csvPath.empty()) {
        if (!csv.Open(err)) return kHeadlessRefused;
        std::string header = "time";
        for (const auto& [name, place] : traced) header += "," + name;
        csv.Write(header + '\n');
        rows.emplace(csv, traced.size(), sinks.size());
    }
    if (!options.outPath.empty() && !values.Open(err)) return kHeadlessRefused;
    for (auto& [place, sink] : sinks) {
        sink->keep = static_cast<bool>(options.onTraces);
        if (rows) sink->rows = &*rows;
        if (!options.outPath.empty()) sink->values = &values;
    }

    session.HighSpeedCheckBoxClick(true);
    session.evaluation = true;
    session.automaticStop = automaticStop;
    session.stopTime = stopTime;
    session.stopTimeText = num::FormatGeneral(session.stopTime, 15);
    session.stepLimit = static_cast<std::int32_t>(std::min<std::int64_t>(options.steps.value_or(0), INT32_MAX));

    int status = kHeadlessOk;
    const double startTime = root.modelTime;
    StallWatch watch(session, root, options.steps ? INT64_MAX : options.stallSteps);
    PlatformServices pumping{};
    pumping.pump = &watch;
    const PlatformScope pumpScope(pumping);
    const bool run = !options.steps || *options.steps > 0;
    if (run) {
        try {
            if (options.runToEvent) {
                session.RunToEventBtnClick();
            } else {
                session.RunBtnClick();
            }
        } catch (const std::bad_alloc&) {
            throw; // the command reports it as such
        } catch (const std::exception& e) {
            err << Lines(e.what()) << '\n';
            status = kHeadlessFailed;
        }
        if (session.engine.arithmeticError) status = kHeadlessFailed;
    }
    const bool never = session.stepCounter > 0 && root.modelTime == startTime;
    if (never || watch.stopped) {
        err << "quenzor-cli simulate: model time did not advance in the "
            << (never ? std::to_string(session.stepCounter) + " steps that ran"
                      : "last " + std::to_string(watch.steps) + " steps")
            << ": a discrete transition fired in every step, and firings take no model time";
        if (watch.stopped) err << "; the run was stopped";
        if (rows && rows->rows == 0) err << "; no sample was taken, so the CSV holds its header only";
        err << '\n';
    }
    if (options.onTraces) {
        std::vector<const diagrams::TTraceRecorder*> columns;
        for (const auto& [name, place] : traced) columns.push_back(&sinks.at(place)->kept);
        options.onTraces(columns);
    }

    if (!options.csvPath.empty() && !csv.Finish(err)) status = kHeadlessRefused;
    if (!options.outPath.empty() && !values.Finish(err)) status = kHeadlessRefused;
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
    return status;
}

} // namespace qz

#include "EnsembleRun.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <ostream>
#include <sstream>

#include "CliMessageBoxes.h"
#include "CliNetInput.h"
#include "CliSupport.h"
#include "EnsembleResults.h"
#include "ProgressBar.h"
#include "WorkerPool.h"
#include "common/FileSystem.h"
#include "common/NumberFormat.h"
#include "diagrams/TraceRecorder.h"
#include "model/TPNObjekt.h"
#include "simulation/RunOverrides.h"

namespace qz::cli {

namespace {

// Every run of a job keeps its samples until the end; far beyond these the
// memory of one machine would not hold them anyway.
constexpr std::uint64_t kMostTasks = 100'000'000;
constexpr std::uint64_t kMostPoints = 1'000'000;

// The net file and every option that shapes the runs: parts of one job share
// it, so merge refuses to combine results of different jobs.
std::string JobKey(const std::string& input, const HeadlessOptions& o, const EnsembleOptions& e) {
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    if (const auto bytes = fs::ReadFile(input)) {
        for (std::uint8_t b : *bytes) hash = (hash ^ b) * 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    std::string key = std::string("net ") + hex + "\n";
    if (o.steps) key += "steps " + std::to_string(*o.steps) + "\n";
    if (o.until) key += "until " + num::FormatGeneral(*o.until, 18) + "\n";
    if (o.runToEvent) key += "run-to-event\n";
    if (o.sampleTime) key += "sample-time " + num::FormatRoundTrip(*o.sampleTime) + "\n";
    if (o.enhancedRule) key += std::string("enhanced-rule ") + (*o.enhancedRule ? "on" : "off") + "\n";
    for (const auto& [name, value] : e.sets) key += "set " + name + "=" + value + "\n";
    return key;
}

// Every combination of the varied values, the first name varying slowest.
std::vector<std::vector<double>> GridPoints(const std::vector<VaryOption>& varies) {
    std::vector<std::vector<double>> points{{}};
    for (const VaryOption& v : varies) {
        std::vector<std::vector<double>> next;
        for (const auto& p : points) {
            for (double value : v.values) {
                next.push_back(p);
                next.back().push_back(value);
            }
        }
        points = std::move(next);
    }
    return points;
}

std::string RunFile(const std::string& dir, const EnsembleLayout& layout, std::uint64_t task) {
    std::string name = "run-" + std::to_string(layout.SeedOf(task)) + ".csv";
    if (!layout.varied.empty()) name = "point-" + std::to_string(task / layout.runs + 1) + "-" + name;
    return (std::filesystem::path(dir) / name).string();
}

RunResult RunOnce(TPNObjekt& root, HeadlessOptions options, const std::vector<OverrideTarget>& varied,
                  const std::vector<double>& point) {
    RunResult result;
    options.onTraces = [&result](const std::vector<const diagrams::TTraceRecorder*>& columns) {
        if (columns.empty()) return;
        for (const diagrams::TPunkt* p = columns[0]->trace.First(); p; p = p->next) {
            result.times.push_back(static_cast<double>(p->x));
        }
        result.values.resize(result.times.size() * columns.size());
        for (std::size_t c = 0; c < columns.size(); ++c) {
            std::size_t i = 0;
            for (const diagrams::TPunkt* p = columns[c]->trace.First(); p && i < result.times.size(); p = p->next) {
                result.values[i++ * columns.size() + c] = static_cast<double>(p->y);
            }
        }
    };
    std::ostringstream messages, ignored;
    try {
        {
            MessagesToStream boxes(messages);
            for (std::size_t k = 0; k < varied.size(); ++k) ApplyOverrideValue(varied[k], point[k]);
        }
        result.status = RunHeadless(root, options, ignored, messages);
    } catch (const std::exception& e) {
        messages << e.what() << '\n';
        result.status = kHeadlessRefused;
    }
    result.messages = messages.str();
    for (char& c : result.messages) {
        if (c == '\r') c = '\n';
    }
    return result;
}

} // namespace

bool WriteResult(const std::string& command, const std::string& path, const std::string& data,
                 std::ostream& out, std::ostream& err) {
    if (path == "-") {
        out << data;
        return true;
    }
    std::string why;
    if (fs::WriteFileAtomically(path, data, &why)) return true;
    err << "quenzor-cli " << command << ": cannot write " << path << ": " << why << '\n';
    return false;
}

int RunEnsemble(const std::string& command, const std::string& input, const HeadlessOptions& options,
                const EnsembleOptions& ensemble, std::ostream& out, std::ostream& err) {
    const std::string prefix = "quenzor-cli " + command + ": ";
    const auto refuse = [&](const std::string& why) {
        err << prefix << why << '\n';
        return kExitRefused;
    };
    if (ensemble.sweep && ensemble.varies.empty()) return refuse("sweep needs --vary NAME=FROM:TO:STEP");
    if (!options.outPath.empty()) return refuse("--out exports one run; keep each run's CSV with --runs-dir");
    if (ensemble.parts > 1 && ensemble.partialPath.empty()) return refuse("--part needs --partial FILE");
    if (ensemble.parts > 1 && !options.csvPath.empty()) {
        return refuse("a part has no statistics of its own: write --partial and merge the parts");
    }
    if ((!ensemble.partialPath.empty() || !ensemble.runsDir.empty()) && options.trace.empty()) {
        return refuse("--partial and --runs-dir need --trace");
    }

    EnsembleLayout layout;
    layout.firstSeed = options.seed.value_or(1);
    layout.runs = ensemble.runs.value_or(1);
    std::uint64_t points = 1;
    for (const VaryOption& v : ensemble.varies) points = std::min(points * v.values.size(), kMostPoints + 1);
    if (points > kMostPoints || points * layout.runs > kMostTasks) {
        return refuse("at most " + std::to_string(kMostPoints) + " points and " + std::to_string(kMostTasks) +
                      " runs in all");
    }
    layout.points = GridPoints(ensemble.varies);
    const std::uint64_t tasks = layout.Tasks();
    const auto wide = static_cast<unsigned __int128>(tasks);
    const auto begin = static_cast<std::uint64_t>(wide * (ensemble.part - 1) / ensemble.parts);
    const auto end = static_cast<std::uint64_t>(wide * ensemble.part / ensemble.parts);

    TPNObjekt root;
    if (!LoadCommandNet(root, input, command, err)) return kExitRefused;
    if (!ApplySetOptions(root, ensemble, command, err)) return kExitRefused;
    std::vector<OverrideTarget> varied(ensemble.varies.size());
    for (std::size_t k = 0; k < varied.size(); ++k) {
        std::string why;
        if (!FindOverrideTarget(root, ensemble.varies[k].name, varied[k], why)) return refuse("--vary " + why);
        layout.varied.push_back(ensemble.varies[k].name);
    }
    if (options.trace.size() == 1 && options.trace[0] == "all") {
        for (const auto& [path, place] : AllPlacePaths(root)) layout.columns.push_back(path);
    } else {
        for (const std::string& name : options.trace) {
            if (!FindPlaceByPath(root, name)) return refuse("no place \"" + name + "\" in the net");
            layout.columns.push_back(name);
        }
    }
    layout.key = JobKey(input, options, ensemble);
    if (!ensemble.runsDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(ensemble.runsDir, ec);
        if (ec) return refuse("cannot make the directory " + ensemble.runsDir + ": " + ec.message());
    }

    std::vector<RunResult> results(end - begin);
    bool refused = false;
    std::optional<ProgressBar> bar(std::in_place, err, results.size());
    WorkerPool pool;
    pool.jobs = ensemble.jobs > 0 ? ensemble.jobs : AvailableCores();
    pool.work = [&](std::size_t i) {
        HeadlessOptions run = options;
        run.seed = layout.SeedOf(begin + i);
        run.stats = false;
        run.csvPath = ensemble.runsDir.empty() ? "" : RunFile(ensemble.runsDir, layout, begin + i);
        std::string bytes;
        EncodeRun(RunOnce(root, run, varied, layout.points[(begin + i) / layout.runs]), bytes);
        return bytes;
    };
    pool.done = [&](std::size_t i, std::string&& bytes) -> std::optional<std::string> {
        try {
            results[i] = DecodeRun(bytes, layout.columns.size());
        } catch (const std::exception& e) {
            return std::string("sent a damaged result (") + e.what() + ")";
        }
        if (results[i].status != kHeadlessRefused) return std::nullopt;
        refused = true;
        return results[i].messages;
    };
    pool.tick = [&](std::size_t finished) { bar->Update(finished); };
    out.flush();
    err.flush();
    const auto start = std::chrono::steady_clock::now();
    const std::optional<WorkerFailure> failure = pool.Run(results.size());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    bar.reset();
    if (failure && refused) {
        err << failure->what;
        return kExitRefused;
    }
    if (failure) {
        const std::uint64_t task = begin + failure->task;
        const std::string at = layout.varied.empty() ? "" : " at " + layout.PointText(task);
        err << prefix << "the worker of the run with seed " << layout.SeedOf(task) << at << ' ' << failure->what
            << "; the runs are incomplete and no result was written\n";
        return kExitFailure;
    }

    std::string report;
    const std::uint64_t failed = ReportRuns(layout, begin, results, prefix, report);
    err << report;
    int status = failed ? kExitFailure : kExitOk;
    if (!ensemble.partialPath.empty() &&
        !WriteResult(command, ensemble.partialPath, EncodePart(layout, begin, results), out, err)) {
        status = kExitRefused;
    }
    if (!options.csvPath.empty() &&
        !WriteResult(command, options.csvPath, StatisticsCsv(layout, results), out, err)) {
        status = kExitRefused;
    }
    if (options.csvPath != "-" && ensemble.partialPath != "-") {
        out << "Runs: " << results.size() << ", stopped by an arithmetic error: " << failed << '\n';
        if (options.stats) out << "Runs per second: " << num::FormatGeneral(results.size() / seconds, 4) << '\n';
    }
    return status;
}

} // namespace qz::cli

// quenzor-cli simulate NET.pn: runs a simulation session without windows at
// maximum speed and records chosen places.
#include <algorithm>
#include <cmath>
#include <optional>
#include <ostream>

#include "CliNetInput.h"
#include "CliSupport.h"
#include "EnsembleRun.h"
#include "common/FileSystem.h"
#include "common/NumberFormat.h"
#include "model/ObjectLibrary.h"
#include "model/TPNObjekt.h"
#include "model/storage/NetFile.h"
#include "simulation/HeadlessRun.h"

namespace qz::cli {
namespace {

constexpr const char* kUsage =
    "NET.pn [--steps N] [--until T] [--run-to-event] [--sample-time SECONDS] "
    "[--enhanced-rule on|off] [--seed N] [--trace LIST] [--csv FILE] [--out FILE] [--stats] "
    "[--set NAME=VALUE]... [--runs N] [--jobs J] [--runs-dir DIR] [--part K/M --partial FILE]";

// Set by the entry point: sweep shares the options of simulate.
bool sweepCommand = false;

int Usage(std::ostream& err, const std::string& problem) {
    const char* name = sweepCommand ? "sweep" : "simulate";
    err << "quenzor-cli " << name << ": " << problem << "\nUsage: quenzor-cli " << name << ' '
        << (sweepCommand ? kSweepUsage : kUsage) << '\n';
    return kExitRefused;
}

// Numbers on the command line: with a point or with the program's comma.
std::optional<long double> Number(const std::string& text) {
    if (auto v = num::ParseNumber(text, '.')) return v;
    return num::ParseNumber(text, ',');
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::size_t end = comma == std::string::npos ? text.size() : comma;
        if (end > start) items.push_back(text.substr(start, end - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return items;
}

} // namespace

int RunSimulateCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       bool sweep) {
    sweepCommand = sweep;
    HeadlessOptions options;
    EnsembleOptions ensemble;
    ensemble.sweep = sweep;
    std::string input, problem;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        std::string v;
        if (a == "-h" || a == "--help") {
            out << "Usage: quenzor-cli " << (sweep ? "sweep " : "simulate ") << (sweep ? kSweepUsage : kUsage)
                << '\n';
            return kExitOk;
        } else if (a == "--run-to-event") {
            options.runToEvent = true;
        } else if (a == "--stats") {
            options.stats = true;
        } else if (a == "--steps") {
            if (!value(v)) return Usage(err, "--steps needs a number");
            auto n = num::ParseInteger(v);
            if (!n || *n < 0) return Usage(err, "--steps needs a whole number >= 0, got \"" + v + "\"");
            options.steps = *n;
        } else if (a == "--until") {
            if (!value(v)) return Usage(err, "--until needs a model time");
            auto t = Number(v);
            if (!t || !std::isfinite(static_cast<double>(*t))) return Usage(err, "not a model time: \"" + v + "\"");
            options.until = *t;
        } else if (a == "--sample-time") {
            if (!value(v)) return Usage(err, "--sample-time needs a number of seconds");
            auto t = Number(v);
            if (!t || !(*t > 0) || !std::isfinite(static_cast<double>(*t))) {
                return Usage(err, "the sample time must be a positive number of seconds, got \"" + v + "\"");
            }
            options.sampleTime = static_cast<double>(*t);
        } else if (a == "--enhanced-rule") {
            if (!value(v) || (v != "on" && v != "off")) return Usage(err, "--enhanced-rule takes on or off");
            options.enhancedRule = v == "on";
        } else if (a == "--seed") {
            if (!value(v)) return Usage(err, "--seed needs a number");
            auto n = num::ParseInteger(v);
            if (!n || *n < 0) return Usage(err, "--seed needs a whole number >= 0, got \"" + v + "\"");
            options.seed = static_cast<std::uint64_t>(*n);
        } else if (a == "--trace") {
            if (!value(v)) return Usage(err, "--trace needs a list of places");
            options.trace = SplitList(v);
            if (options.trace.empty()) return Usage(err, "--trace needs a list of places");
            if (options.trace.size() > 1 &&
                std::find(options.trace.begin(), options.trace.end(), "all") != options.trace.end()) {
                return Usage(err, "\"all\" cannot be combined with names");
            }
        } else if (a == "--csv") {
            if (!value(options.csvPath) || options.csvPath.empty()) return Usage(err, "--csv needs a file name");
        } else if (a == "--out") {
            if (!value(options.outPath) || options.outPath.empty()) return Usage(err, "--out needs a file name");
        } else if (const Taken t = TakeEnsembleOption(args, i, ensemble, problem); t != Taken::No) {
            if (t == Taken::Refused) return Usage(err, problem);
        } else if (!a.empty() && a[0] == '-') {
            return Usage(err, "unknown option \"" + a + "\"");
        } else if (input.empty()) {
            input = a;
        } else {
            return Usage(err, "unexpected argument \"" + a + "\"");
        }
    }
    if (input.empty()) return Usage(err, "missing net file");
    if ((!options.csvPath.empty() || !options.outPath.empty()) && options.trace.empty()) {
        return Usage(err, "--csv and --out need --trace");
    }
    if (options.csvPath == options.outPath && options.csvPath != "-" && !options.csvPath.empty()) {
        return Usage(err, "--csv and --out name the same file");
    }
    for (const std::string* output : {&options.csvPath, &options.outPath}) {
        if (*output != "-" && !CheckOutputIsNotInput(*output, input, "simulate", err)) return kExitRefused;
    }
    if (ensemble.ManyRuns()) return RunEnsemble(sweep ? "sweep" : "simulate", input, options, ensemble, out, err);
    TPNObjekt root;
    if (!LoadCommandNet(root, input, "simulate", err)) return kExitRefused;
    if (!ApplySetOptions(root, ensemble, "simulate", err)) return kExitRefused;
    return RunHeadless(root, options, out, err);
}

namespace {

int RunSimulate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunSimulateCommand(args, out, err, false);
}

const Registrar kRegistrar{Command{"simulate", kUsage,
                                   "run a simulation at maximum speed and record places", RunSimulate}};

} // namespace
} // namespace qz::cli

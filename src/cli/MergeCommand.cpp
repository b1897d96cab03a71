// quenzor-cli merge PARTS... -o FILE: combines the partial results of the
// tasks of one ensemble or sweep into the file one machine would have written.
#include <algorithm>
#include <ostream>

#include "CliSupport.h"
#include "EnsembleResults.h"
#include "EnsembleRun.h"
#include "common/FileSystem.h"

namespace qz::cli {
namespace {

constexpr const char* kUsage = "PARTS... -o FILE";

int RunMerge(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string prefix = "quenzor-cli merge: ";
    const auto refuse = [&](const std::string& why) {
        err << prefix << why << '\n';
        return kExitRefused;
    };
    std::vector<std::string> inputs;
    std::string output;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-h" || args[i] == "--help") {
            out << "Usage: quenzor-cli merge " << kUsage << '\n';
            return kExitOk;
        } else if (args[i] == "-o") {
            if (i + 1 >= args.size() || args[i + 1].empty()) return refuse("-o needs a file name");
            output = args[++i];
        } else if (!args[i].empty() && args[i][0] == '-') {
            return refuse("unknown option \"" + args[i] + "\"");
        } else {
            inputs.push_back(args[i]);
        }
    }
    if (inputs.empty() || output.empty()) return refuse("Usage: quenzor-cli merge " + std::string(kUsage));

    std::vector<std::pair<EnsemblePart, std::string>> parts(inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const auto bytes = fs::ReadFile(inputs[i]);
        if (!bytes) return refuse("cannot read \"" + inputs[i] + "\"");
        std::string why;
        if (!DecodePart(*bytes, parts[i].first, why)) return refuse("\"" + inputs[i] + "\": " + why);
        if (!(parts[i].first.layout == parts[0].first.layout)) {
            return refuse("\"" + inputs[i] + "\" belongs to another job than \"" + inputs[0] + "\"");
        }
        parts[i].second = inputs[i];
    }
    std::sort(parts.begin(), parts.end(), [](const auto& a, const auto& b) {
        return std::pair(a.first.begin, a.first.end) < std::pair(b.first.begin, b.first.end);
    });
    const EnsembleLayout layout = parts[0].first.layout;
    std::vector<RunResult> results;
    for (auto& [part, name] : parts) {
        if (part.begin < results.size()) {
            return refuse("\"" + name + "\" repeats runs " + std::to_string(part.begin + 1) + " to " +
                          std::to_string(std::min<std::uint64_t>(part.end, results.size())));
        }
        if (part.begin > results.size()) {
            return refuse("runs " + std::to_string(results.size() + 1) + " to " + std::to_string(part.begin) +
                          " are missing");
        }
        std::move(part.results.begin(), part.results.end(), std::back_inserter(results));
    }
    if (results.size() != layout.Tasks()) {
        return refuse("runs " + std::to_string(results.size() + 1) + " to " + std::to_string(layout.Tasks()) +
                      " are missing");
    }
    std::string report;
    const std::uint64_t failed = ReportRuns(layout, 0, results, prefix, report);
    err << report;
    if (!WriteResult("merge", output, StatisticsCsv(layout, results), out, err)) return kExitRefused;
    return failed ? kExitFailure : kExitOk;
}

const Registrar kRegistrar{Command{"merge", kUsage,
                                   "combine the partial results of an ensemble's tasks into its CSV", RunMerge}};

} // namespace
} // namespace qz::cli

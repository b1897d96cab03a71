#pragma once
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qz {
class TPNObjekt;
}

namespace qz::cli {

// The options of `simulate` for many runs and of `sweep`.
struct VaryOption {
    std::string name;
    std::vector<double> values; // FROM, FROM + STEP, ... up to TO
};

struct EnsembleOptions {
    bool sweep = false;                                     // the command is `sweep`
    std::optional<std::uint64_t> runs;                      // --runs N
    int jobs = 0;                                           // --jobs J; 0: every core
    std::string runsDir;                                    // --runs-dir DIR
    std::vector<std::pair<std::string, std::string>> sets;  // --set NAME=VALUE
    std::vector<VaryOption> varies;                         // --vary NAME=FROM:TO:STEP
    std::uint64_t part = 1, parts = 1;                      // --part K/M
    std::string partialPath;                                // --partial FILE

    bool ManyRuns() const { return sweep || runs || parts > 1 || !partialPath.empty() || !runsDir.empty(); }
};

enum class Taken { No, Yes, Refused };

// Takes the option at args[i] (and its value) when it is one of the above;
// a refused value leaves the reason in `problem`.
Taken TakeEnsembleOption(const std::vector<std::string>& args, std::size_t& i, EnsembleOptions& options,
                         std::string& problem);

// Applies the --set options to a loaded net with the property window's
// checks; prints "quenzor-cli COMMAND: --set NAME=VALUE: ..." and returns
// false for an unknown name or a refused value.
bool ApplySetOptions(TPNObjekt& root, const EnsembleOptions& options, const std::string& command,
                     std::ostream& err);

} // namespace qz::cli

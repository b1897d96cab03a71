#pragma once
#include <iosfwd>
#include <string>
#include <vector>

#include "EnsembleOptions.h"
#include "simulation/HeadlessRun.h"

namespace qz::cli {

// `simulate` with options for many runs, and `sweep`: loads the net, applies
// --set, runs every task (the seeds S..S+N-1 at each point of the grid) in
// worker processes and writes the statistics, the partial result and the
// runs' own CSV files. The results are combined in task order, so they do
// not depend on the number of workers.
int RunEnsemble(const std::string& command, const std::string& input, const HeadlessOptions& options,
                const EnsembleOptions& ensemble, std::ostream& out, std::ostream& err);

inline constexpr const char* kSweepUsage =
    "NET.pn --vary NAME=FROM:TO:STEP [--vary ...] [--runs N] [the options of simulate]";

// `simulate` and `sweep` share their options; defined with `simulate`.
int RunSimulateCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       bool sweep);

// Writes a result file through a temporary file ("-": to `out`); prints
// "quenzor-cli COMMAND: cannot write ..." and returns false on failure.
bool WriteResult(const std::string& command, const std::string& path, const std::string& data,
                 std::ostream& out, std::ostream& err);

} // namespace qz::cli

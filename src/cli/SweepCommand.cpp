// quenzor-cli sweep NET.pn --vary NAME=FROM:TO:STEP ...: an ensemble at every
// point of a grid of initial markings or transition values, into one CSV.
#include "CliSupport.h"
#include "EnsembleRun.h"

namespace qz::cli {
namespace {

const Registrar kRegistrar{Command{
    "sweep", kSweepUsage,
    "run an ensemble at every point of a grid of values",
    [](const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
        return RunSimulateCommand(args, out, err, true);
    }}};

} // namespace
} // namespace qz::cli

#pragma once
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace qz {

class TPNObjekt;
class TPlatz;
namespace diagrams {
class TTraceRecorder;
}

// A simulation session without windows: started as the simulation switch
// starts one, run at maximum speed, recorded through trace recorders.
struct HeadlessOptions {
    std::optional<std::int64_t> steps;  // stop after this many steps
    std::optional<long double> until;   // the automatic stop time
    bool runToEvent = false;
    std::optional<double> sampleTime;   // seconds, overrides the net's
    std::optional<bool> enhancedRule;
    std::optional<std::uint64_t> seed;  // seeds conflict draws and RND once
    // Places to record: variable names of the root net, "Object.variable"
    // paths (nested objects "A.B.variable"), or the single entry "all".
    std::vector<std::string> trace;
    std::string csvPath;  // "-" writes to `out`
    std::string outPath;  // value export of the single traced place
    bool stats = false;
    // Without a step limit, a run whose model time has not advanced for this
    // many steps is stopped: immediate firings take no model time, and such
    // a run would never end.
    std::int64_t stallSteps = 1000000;
    // Called once the run has ended, with the recorder of each traced name
    // (ensembles collect the samples of their runs through it). Only then
    // are samples kept in memory; the CSV and the value export are written
    // as the run goes.
    std::function<void(const std::vector<const diagrams::TTraceRecorder*>&)> onTraces;
};

// Exit statuses of a headless run.
inline constexpr int kHeadlessOk = 0;
inline constexpr int kHeadlessFailed = 1;  // stopped by an arithmetic error
inline constexpr int kHeadlessRefused = 2; // refused to start, bad options, unwritable output

// Runs a session on `root` (a loaded net). Messages of the program go to
// `err` (carriage returns as line breaks); the statistics and the final
// model time to `out`.
int RunHeadless(TPNObjekt& root, const HeadlessOptions& options, std::ostream& out,
                std::ostream& err);

// All places of the hierarchy with their trace paths, in hierarchy order.
std::vector<std::pair<std::string, TPlatz*>> AllPlacePaths(TPNObjekt& root);
// The place a trace path names, or null.
TPlatz* FindPlaceByPath(TPNObjekt& root, const std::string& path);

} // namespace qz

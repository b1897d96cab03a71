#pragma once
#include <string>
#include <vector>

namespace qz::pnml {

// How imported transitions are timed: every PNML transition becomes a
// discrete transition.
enum class Timing {
    Stepwise,  // function text "-1": fires at most once per time step
    Immediate, // function text "0"
    FiringTime // the given firing time in model time units
};

struct ImportOptions {
    Timing timing = Timing::Stepwise;
    double firingTime = 1.0; // Timing::FiringTime only
};

struct ExportOptions {
    // Also marks inhibitor and read arcs with the <type value="inhibitor"/>
    // (or "read") label that many editors read. That label is not part of
    // the P/T net grammar, so the file no longer validates against it.
    bool arcTypeLabels = false;
};

struct ImportResult {
    bool ok = false;
    // The reason of a failed import, with the line of the file where it
    // applies ("line 12: ...").
    std::string error;
    // What could not be represented, once per kind of thing.
    std::vector<std::string> warnings;
    std::size_t places = 0, transitions = 0, arcs = 0;
    // True when the file carried Quenzor's own data (written by Quenzor).
    bool quenzorData = false;
};

} // namespace qz::pnml

#pragma once
#include <cstdint>

namespace qz {

// How much of a selection is drawn while it is dragged.
enum class MovingDetail : std::uint8_t { Detail = 0, Quick = 1, Automatic = 2 };

// Program-wide settings: the values the options window keeps in its
// controls and the configuration file stores, plus the few process-wide
// values the document windows share.
struct ProgramSettings {
    // Stored in the configuration file.
    bool animateContinuous = true;
    bool alignToGrid = true;
    bool gridVisible = true;
    MovingDetail movingDetail = MovingDetail::Automatic;
    int gridSize = 20; // 4..40
    bool errorMessagesDuringCompiling = true;
    bool startWindow = true;

    // Not stored in the configuration file.
    bool animateDiscrete = true;
    // World units per screen pixel, shared by all document views.
    double viewScale = 1.0;
};

ProgramSettings& Settings();

} // namespace qz

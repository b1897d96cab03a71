#include "settings/ProgramSettings.h"

namespace qz {

ProgramSettings& Settings() {
    static ProgramSettings settings;
    return settings;
}

} // namespace qz

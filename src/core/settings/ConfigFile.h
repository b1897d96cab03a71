#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "settings/ProgramSettings.h"

namespace qz {

// "Quenzor.cfg" in the configuration directory (the program directory, or
// the user's own configuration directory when the program directory is the
// user's copy): nine tagged values in a row (six booleans, the grid size,
// two booleans), no header and no terminator.

inline constexpr const char* kConfigFileName = "Quenzor.cfg";
inline constexpr const char* kConfigInvalidText =
    "The File \"Quenzor.cfg\" is invalid.\rThe default settings become restored.";
// Followed by the program directory and "\r".
inline constexpr const char* kConfigMissingText =
    "The File \"Quenzor.cfg\" not exists.\r\rA new one will be will be created after closing the "
    "application in the directory\r\r";

// The configuration file's full path; every reader and writer uses it.
std::string ConfigFilePath();

inline constexpr int kGridSizeMin = 4;
inline constexpr int kGridSizeMax = 40;
// The grid size as the track bar takes it: 4..40.
int ClampGridSize(long long size);

// The file's bytes for these settings.
std::vector<std::uint8_t> ConfigBytes(const ProgramSettings& s);

// Applies the values one by one as they are read; stops at the first value
// that is missing or has a tag of the wrong kind. Returns the number of
// values applied (9 for a valid file).
int ApplyConfigBytes(const std::vector<std::uint8_t>& bytes, ProgramSettings& s);

// The nine settings of the file back at their start values.
void RestoreStoredSettings(ProgramSettings& s);

// Reads the file into Settings(), reporting a missing or invalid file.
// An invalid file (a value missing or of the wrong kind) changes nothing
// but restores the start values of the nine settings, as its message says.
// False when either happened. A session that only reads the installed
// directory keeps the start values without a word when there is no file:
// none will be written.
bool LoadConfig();
// Writes Settings() to the file (atomically); writes nothing, successfully,
// in a session that only reads the installed directory.
bool SaveConfig(std::string* error = nullptr);

} // namespace qz

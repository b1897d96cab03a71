#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qz {

class TPNObjekt;

// Reading and writing whole nets in the binary .pn format (written as
// version "2,7"; versions 1, 1.44, 1.46 and 1.48 are read too).

// Reads the file into `root`, an empty root object. Failures are reported
// through the message boxes; false when nothing usable was read (file
// missing or unreadable, newer version, read error before the net).
// `statusText` receives the version label read, or is cleared when the file
// is refused.
bool LoadNetFile(TPNObjekt& root, const std::string& path, std::string* statusText = nullptr);
bool LoadNet(TPNObjekt& root, const std::vector<std::uint8_t>& bytes, std::string* statusText = nullptr);

// Writes the root object as version "2,7". The previous file survives any
// failure (written to a temporary file, then renamed).
bool SaveNetFile(TPNObjekt& root, const std::string& path, std::string* error = nullptr);
std::vector<std::uint8_t> SaveNet(TPNObjekt& root);

} // namespace qz

#pragma once
#include <string>
#include <string_view>

#include "PnmlOptions.h"

namespace qz {
class TPNObjekt;
}

namespace qz::pnml {

// Reads a PNML place/transition net (every page, nested pages flattened,
// reference nodes resolved) into an empty root object. Files that Quenzor
// wrote carry its own data as well and come back as the same net: objects,
// frames, fusions, labels, shapes and every field of the elements.
//
// A malformed file fails with the line of the fault and leaves the root
// cleared; nothing is thrown. Things the net cannot hold are listed once
// each in the result's warnings and skipped.
class PnmlImporter {
public:
    static ImportResult ImportText(TPNObjekt& root, std::string_view xml,
                                   const ImportOptions& options = {});
    static ImportResult ImportFile(TPNObjekt& root, const std::string& path,
                                   const ImportOptions& options = {});
};

} // namespace qz::pnml

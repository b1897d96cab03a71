#pragma once
#include <iosfwd>
#include <string>

#include "PnmlOptions.h"

namespace qz {

class TPNObjekt;

// Whether a path names a PNML file (".pnml", any letter case).
bool IsPnmlPath(const std::string& path);

// Reads a net file into an empty root object: ".pnml" files through the PNML
// importer (with `options` for nets of other tools; warnings are written to
// `err` as "warning: ..." lines), anything else as a binary .pn file. False,
// with a one-line reason in `err`, when nothing usable was read.
bool LoadAnyNet(TPNObjekt& root, const std::string& path, const pnml::ImportOptions& options,
                std::ostream& err);
inline bool LoadAnyNet(TPNObjekt& root, const std::string& path, std::ostream& err) {
    return LoadAnyNet(root, path, pnml::ImportOptions{}, err);
}

// Writes ".pnml" paths as PNML and anything else as a .pn file.
bool SaveAnyNet(TPNObjekt& root, const std::string& path, std::ostream& err);

} // namespace qz

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
// `err` as "warning: PATH: ..." lines), anything else as a binary .pn file.
// False, with an "error: PATH: ..." line in `err`, when nothing usable was
// read. Object classes come from the library, as for LoadNetFile: load its
// index first (ObjectLibrary().LoadIndex()) and route the message boxes
// (the .pn reader reports through them).
bool LoadAnyNet(TPNObjekt& root, const std::string& path, const pnml::ImportOptions& options,
                std::ostream& err);
inline bool LoadAnyNet(TPNObjekt& root, const std::string& path, std::ostream& err) {
    return LoadAnyNet(root, path, pnml::ImportOptions{}, err);
}

// Writes ".pnml" paths as PNML (with `options`) and anything else as a .pn file.
bool SaveAnyNet(TPNObjekt& root, const std::string& path, std::ostream& err,
                const pnml::ExportOptions& options = {});

} // namespace qz

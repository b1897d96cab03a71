#pragma once
#include <string>

#include "PnmlOptions.h"

namespace qz {
class TPNObjekt;
}

namespace qz::pnml {

// Writes a root object as a PNML place/transition net, valid against the
// P/T net grammar: the root's own places, transitions and place/transition
// arcs with names, markings, weights and positions on one page, readable by
// any PNML tool; everything else Quenzor holds (element fields, arc kinds,
// labels, shapes, child objects with their frames, fusion and interface
// arcs, document settings) in <toolspecific tool="Quenzor" version="2.7">
// elements, in a namespace of its own, so that reading the file back gives
// the same net.
class PnmlExporter {
public:
    static std::string ExportText(const TPNObjekt& root, const ExportOptions& options = {});
    // Written atomically; false with the reason in *error.
    static bool ExportFile(const TPNObjekt& root, const std::string& path, std::string* error = nullptr,
                           const ExportOptions& options = {});
};

} // namespace qz::pnml

#pragma once
#include <string>

namespace qz {
class TPNObjekt;
}

namespace qz::pnml {

// Writes a root object as a PNML place/transition net: the root's own
// places, transitions and place/transition arcs with names, markings,
// weights and positions on one page, readable by any PNML tool; everything
// else Quenzor holds (element fields, labels, shapes, child objects with
// their frames, fusion and interface arcs, document settings) in
// <toolspecific tool="Quenzor" version="2.7"> elements, so that reading the
// file back gives the same net.
class PnmlExporter {
public:
    static std::string ExportText(const TPNObjekt& root);
    // Written atomically; false with the reason in *error.
    static bool ExportFile(const TPNObjekt& root, const std::string& path, std::string* error = nullptr);
};

} // namespace qz::pnml

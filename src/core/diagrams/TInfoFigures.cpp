#include "diagrams/TInfoFigures.h"

#include "common/FileSystem.h"
#include "common/NumberFormat.h"

namespace qz::diagrams {

void TInfoFigures::Update(TPunktListe& trace) {
    if (trace.Count() == 0) return;
    points = std::to_string(trace.Count());
    left = num::FormatFixed(trace.First()->x, 5, 3);
    right = num::FormatFixed(trace.Last()->x, 5, 3);
    bottom = num::FormatFixed(trace.MinY(), 5, 3);
    top = num::FormatFixed(trace.MaxY(), 5, 3);
}

std::string ExportValues(TPunktListe& trace) {
    std::string text;
    for (std::int32_t i = 0; i < trace.Count(); ++i) {
        const TPunkt* p = trace.At(i);
        if (!p) continue;
        text += num::FormatGeneral(p->x, 15);
        text += ';';
        text += num::FormatGeneral(p->y, 15);
        text += "\r\n";
    }
    return text;
}

bool SaveValues(TPunktListe& trace, const std::string& path, std::string* error) {
    return fs::WriteFileAtomically(path, ExportValues(trace), error);
}

} // namespace qz::diagrams

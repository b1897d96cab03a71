#include "LoadAnyNet.h"

#include <ostream>

#include "PnmlExporter.h"
#include "PnmlImporter.h"
#include "model/storage/NetFile.h"

namespace qz {

bool IsPnmlPath(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return ext == "pnml";
}

bool LoadAnyNet(TPNObjekt& root, const std::string& path, const pnml::ImportOptions& options,
                std::ostream& err) {
    if (IsPnmlPath(path)) {
        const pnml::ImportResult r = pnml::PnmlImporter::ImportFile(root, path, options);
        for (const std::string& w : r.warnings) err << "warning: " << path << ": " << w << '\n';
        if (!r.ok) err << "error: " << path << ": " << r.error << '\n';
        return r.ok;
    }
    if (!LoadNetFile(root, path)) {
        err << "error: " << path << ": the net file could not be read\n";
        return false;
    }
    return true;
}

bool SaveAnyNet(TPNObjekt& root, const std::string& path, std::ostream& err, const pnml::ExportOptions& options) {
    std::string error;
    const bool ok = IsPnmlPath(path) ? pnml::PnmlExporter::ExportFile(root, path, &error, options)
                                     : SaveNetFile(root, path, &error);
    if (!ok) err << "error: " << path << ": " << (error.empty() ? "cannot write the file" : error) << '\n';
    return ok;
}

} // namespace qz

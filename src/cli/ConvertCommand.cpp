// quenzor-cli convert IN OUT [--timing stepwise|immediate|SECONDS]
// [--arc-type-labels]: converts between the binary .pn format and PNML, by
// the file extensions.
#ifdef QZ_HAVE_INTERCHANGE
#include <ostream>

#include "CliMessageBoxes.h"
#include "CliNetInput.h"
#include "CliSupport.h"
#include "LoadAnyNet.h"
#include "common/NumberFormat.h"
#include "model/ObjectLibrary.h"
#include "model/TGraphItem.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"

namespace qz::cli {
namespace {

bool KnownExtension(const std::string& path) {
    if (IsPnmlPath(path)) return true;
    return path.size() > 3 && (path.ends_with(".pn") || path.ends_with(".PN") || path.ends_with(".Pn"));
}

// "stepwise", "immediate" or a firing time in seconds ("2.5" or "2,5").
bool ParseTiming(const std::string& text, pnml::ImportOptions& options) {
    if (text == "stepwise") {
        options.timing = pnml::Timing::Stepwise;
        return true;
    }
    if (text == "immediate") {
        options.timing = pnml::Timing::Immediate;
        return true;
    }
    std::optional<long double> v = num::ParseNumber(text, '.');
    if (!v) v = num::ParseNumber(text, ',');
    if (!v || *v < 0 || !(*v < 1e12L)) return false;
    options.timing = *v == 0 ? pnml::Timing::Immediate : pnml::Timing::FiringTime;
    options.firingTime = static_cast<double>(*v);
    return true;
}

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    pnml::ImportOptions options;
    pnml::ExportOptions exportOptions;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--arc-type-labels") {
            exportOptions.arcTypeLabels = true;
        } else if (args[i] == "--timing") {
            if (i + 1 >= args.size() || !ParseTiming(args[i + 1], options)) {
                err << "quenzor-cli convert: --timing needs stepwise, immediate or a firing time in "
                       "seconds (0 or more)\n";
                return kExitRefused;
            }
            ++i;
        } else if (args[i].starts_with("--")) {
            err << "quenzor-cli convert: unknown option \"" << args[i] << "\"\n";
            return kExitRefused;
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) {
        err << "usage: quenzor-cli convert IN OUT [--timing stepwise|immediate|SECONDS] [--arc-type-labels]\n";
        return kExitRefused;
    }
    for (const std::string& f : files) {
        if (!KnownExtension(f)) {
            err << "quenzor-cli convert: \"" << f << "\" is neither a .pn nor a .pnml file\n";
            return kExitRefused;
        }
    }
    if (!CheckCommandInput(files[0], "convert", err)) return kExitRefused;
    MessagesToStream messages(err);
    ObjectLibrary().LoadIndex();
    TPNObjekt root;
    if (!LoadAnyNet(root, files[0], options, err)) return kExitRefused;
    // Converting a file into itself rewrites it in the current version; a
    // fragment read with errors is never written anywhere.
    if (!CheckReadCleanly(root, files[0], "convert", err)) return kExitRefused;
    if (!SaveAnyNet(root, files[1], err, exportOptions)) return kExitFailure;
    std::size_t places = 0, transitions = 0, arcs = 0;
    for (const TGraphItem* e : root.Net().Elements()) {
        places += e->Kind() == kind::Place;
        transitions += e->Kind() == kind::Transition;
        arcs += e->Kind() == kind::Arc;
    }
    out << files[0] << " -> " << files[1] << ": " << places << " places, " << transitions
        << " transitions, " << arcs << " arcs\n";
    return kExitOk;
}

const Registrar kRegistrar{Command{"convert", "IN OUT [--timing stepwise|immediate|SECONDS] [--arc-type-labels]",
                                   "convert a net between .pn and PNML (.pnml); --arc-type-labels also marks "
                                   "inhibitor and read arcs with <type value=\"inhibitor\"/> (not in the P/T grammar)",
                                   RunConvert}};

} // namespace
} // namespace qz::cli
#endif

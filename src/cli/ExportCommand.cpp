// quenzor-cli export NET.pn OUT [--scale S] [--values]: a picture of the
// whole net in the format of OUT's extension (.emf, .wmf, .svg, .pdf, .png);
// --values shows markings instead of variable names, as the document's
// "Show Variables or Values" switch does.
#ifdef QZ_HAVE_RENDER
#include <ostream>

#include "CliNetInput.h"
#include "CliSupport.h"
#include "FontSupport.h"
#include "NetPicture.h"
#include "common/FileSystem.h"
#include "common/NumberFormat.h"
#include "model/ObjectLibrary.h"
#include "model/TPNObjekt.h"
#include "model/storage/NetFile.h"

namespace qz::cli {
namespace {

constexpr const char* kUsage = "usage: quenzor-cli export NET.pn OUT.(emf|wmf|svg|pdf|png) [--scale S] [--values]\n";

// "2", "1,5" or "1.5".
std::optional<double> ParseScale(const std::string& text) {
    if (auto v = num::ParseNumber(text)) return static_cast<double>(*v);
    if (auto v = num::ParseNumber(text, '.')) return static_cast<double>(*v);
    return std::nullopt;
}

int RunExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    double scale = 1;
    bool values = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--scale") {
            const std::optional<double> s = i + 1 < args.size() ? ParseScale(args[i + 1]) : std::nullopt;
            if (!s || !(*s > 0) || *s > 100) {
                err << "quenzor-cli export: --scale needs a number above 0 and at most 100\n";
                return kExitRefused;
            }
            scale = *s;
            ++i;
        } else if (args[i] == "--values") {
            values = true;
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) {
        err << kUsage;
        return kExitRefused;
    }
    const std::string& input = files[0];
    const std::string& output = files[1];
    if (!render::PictureFormatOf(output)) {
        err << "quenzor-cli export: unknown picture type \"" << output
            << "\" (use .emf, .wmf, .svg, .pdf or .png)\n";
        return kExitRefused;
    }
    if (!CheckOutputIsNotInput(output, input, "export", err)) return kExitRefused;
    // Labels measure themselves while the net is read: the fonts must be
    // ready first.
    render::ScopedQtMeasuring metrics;
    TPNObjekt root;
    if (!LoadCommandNet(root, input, "export", err)) return kExitRefused;
    if (values) root.SetShowValues(true);
    std::string error;
    if (!render::ExportNetPicture(root.Net(), output, scale, &error)) {
        err << "quenzor-cli export: " << error << '\n';
        return kExitFailure;
    }
    out << output << '\n';
    return kExitOk;
}

const Registrar kRegistrar{Command{"export", "NET.pn OUT [--scale S] [--values]",
                                   "draw the whole net as .emf, .wmf, .svg, .pdf or .png (--scale for .png; --values shows markings)",
                                   RunExport}};

} // namespace
} // namespace qz::cli
#endif

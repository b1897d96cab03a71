// quenzor-cli describe NET.pn [-o FILE]: the net description as the export
// window saves it.
#include <ostream>

#include "CliNetInput.h"
#include "CliSupport.h"
#include "common/FileSystem.h"
#include "model/ObjectLibrary.h"
#include "model/TPNObjekt.h"
#include "model/description/NetDescription.h"
#include "model/storage/NetFile.h"

namespace qz::cli {
namespace {

int RunDescribe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string input, output;
    bool toFile = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (i + 1 >= args.size()) {
                err << "quenzor-cli describe: -o needs a file name\n";
                return kExitRefused;
            }
            output = args[++i];
            toFile = true;
        } else if (input.empty()) {
            input = args[i];
        } else {
            err << "quenzor-cli describe: unexpected argument \"" << args[i] << "\"\n";
            return kExitRefused;
        }
    }
    if (input.empty()) {
        err << "usage: quenzor-cli describe NET.pn [-o FILE]\n";
        return kExitRefused;
    }
    if (toFile && !CheckOutputIsNotInput(output, input, "describe", err)) return kExitRefused;
    TPNObjekt root;
    if (!LoadCommandNet(root, input, "describe", err)) return kExitRefused;
    const std::string text = DescriptionFileText(DescribeDocument(root));
    if (!toFile) {
        out << text;
        return kExitOk;
    }
    std::string error;
    if (!fs::WriteFileAtomically(output, text, &error)) {
        err << "quenzor-cli describe: cannot write \"" << output << "\": " << error << '\n';
        return kExitFailure;
    }
    return kExitOk;
}

const Registrar kRegistrar{Command{"describe", "NET.pn [-o FILE]",
                                   "write the text description of a net (CR LF lines)", RunDescribe}};

} // namespace
} // namespace qz::cli

// quenzor-cli library [--rebuild]: the classes of the object library.
#include <ostream>

#include "CliMessageBoxes.h"
#include "CliSupport.h"
#include "model/ObjectLibrary.h"
#include "model/storage/NetFile.h"

namespace qz::cli {
namespace {

int RunLibrary(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool rebuild = false;
    for (const std::string& a : args) {
        if (a == "--rebuild") {
            rebuild = true;
        } else {
            err << "usage: quenzor-cli library [--rebuild]\n";
            return kExitRefused;
        }
    }
    MessagesToStream messages(err);
    TObjectLibrary& library = ObjectLibrary();
    if (rebuild) {
        std::string error;
        if (!library.Rebuild(&error)) {
            err << "quenzor-cli library: cannot write the index files: " << error << '\n';
            return kExitFailure;
        }
        for (std::size_t i = 0; i < library.names.size(); ++i) {
            const std::string& entry = library.hierarchy[i];
            out << library.names[i] << '\t' << entry.substr(library.names[i].size() + 1) << '\n';
        }
        return kExitOk;
    }
    // The cached index holds names and files; the base names are in the
    // headers of the files.
    library.LoadIndex();
    for (std::size_t i = 0; i < library.names.size(); ++i) {
        std::string base;
        if (i < library.files.size()) base = ReadNetFileHeader(library.files[i]).baseName;
        out << library.names[i] << '\t' << base << '\n';
    }
    return kExitOk;
}

const Registrar kRegistrar{Command{"library", "[--rebuild]",
                                   "list the library classes (name TAB base name); --rebuild rescans Objects/",
                                   RunLibrary}};

} // namespace
} // namespace qz::cli

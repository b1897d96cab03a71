// quenzor-cli library [--rebuild [--installed-as DIR]]: the classes of the
// object library.
#include <ostream>

#include "CliMessageBoxes.h"
#include "CliSupport.h"
#include "common/FileSystem.h"
#include "model/ObjectLibrary.h"
#include "model/storage/NetFile.h"

namespace qz::cli {
namespace {

constexpr const char* kUsage = "usage: quenzor-cli library [--rebuild [--installed-as DIR]]\n";

// An index written into a staging directory (an install with DESTDIR, a
// package being built) names the class files where they will be once
// installed: the program directory at the start of each path becomes `dir`.
bool WriteInstalledFileIndex(const TObjectLibrary& library, std::string dir, std::string* error) {
    if (dir.back() != '/') dir.push_back('/');
    const std::string home = fs::ProgramDirectory();
    std::vector<std::string> files = library.files;
    for (std::string& file : files) {
        if (file.compare(0, home.size(), home) == 0) file = dir + file.substr(home.size());
    }
    return fs::WriteTextLines(home + kObjectFileFile, files, error);
}

int RunLibrary(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool rebuild = false;
    std::string installedAs;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--rebuild") {
            rebuild = true;
        } else if (args[i] == "--installed-as" && i + 1 < args.size() && !args[i + 1].empty()) {
            installedAs = args[++i];
        } else {
            err << kUsage;
            return kExitRefused;
        }
    }
    if (!installedAs.empty() && !rebuild) {
        err << kUsage;
        return kExitRefused;
    }
    MessagesToStream messages(err);
    TObjectLibrary& library = ObjectLibrary();
    if (rebuild) {
        std::string error;
        if (!library.Rebuild(&error)) {
            err << "quenzor-cli library: cannot write the index files: " << error << '\n';
            return kExitFailure;
        }
        if (!installedAs.empty() && !WriteInstalledFileIndex(library, installedAs, &error)) {
            err << "quenzor-cli library: cannot write " << kObjectFileFile << ": " << error << '\n';
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

const Registrar kRegistrar{Command{"library", "[--rebuild [--installed-as DIR]]",
                                   "list the library classes (name TAB base name); --rebuild rescans Objects/, "
                                   "--installed-as names the class files below DIR in ObjFile.dat",
                                   RunLibrary}};

} // namespace
} // namespace qz::cli

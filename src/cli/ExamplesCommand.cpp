// quenzor-cli examples DIR: writes the bundled example nets into DIR, the
// object library into DIR/Objects and its example projects into DIR/Data.
#include <filesystem>
#include <ostream>

#include "CliMessageBoxes.h"
#include "CliSupport.h"
#include "model/ExampleNets.h"
#include "model/LibraryNets.h"
#include "model/ObjectLibrary.h"
#include "model/TPNObjekt.h"
#include "model/storage/NetFile.h"

namespace qz::cli {
namespace {

// Makes the library know only the example class while the examples are
// written, and restores it afterwards.
class ExampleLibrary {
public:
    explicit ExampleLibrary(const std::string& classFile) : saved_(ObjectLibrary()) {
        TObjectLibrary& lib = ObjectLibrary();
        lib.names = {examples::kTankClass};
        lib.files = {classFile};
        lib.hierarchy = {std::string(examples::kTankClass) + ";" + "Empty Object"};
    }
    ~ExampleLibrary() { ObjectLibrary() = saved_; }
    ExampleLibrary(const ExampleLibrary&) = delete;
    ExampleLibrary& operator=(const ExampleLibrary&) = delete;

private:
    TObjectLibrary saved_;
};

int RunExamples(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: quenzor-cli examples DIR\n";
        return kExitRefused;
    }
    const std::filesystem::path dir = args[0];
    std::error_code ec;
    std::filesystem::create_directories(dir / "Objects", ec);
    if (ec) {
        err << "quenzor-cli examples: cannot create \"" << (dir / "Objects").string() << "\": " << ec.message()
            << '\n';
        return kExitFailure;
    }
    MessagesToStream messages(err);
    const std::string classFile = (dir / "Objects" / (std::string(examples::kTankClass) + ".pn")).string();
    using Builder = void (*)(TPNObjekt&);
    const std::pair<std::string, Builder> nets[] = {
        {classFile, examples::BuildTankClass},
        {(dir / "ElementKinds.pn").string(), examples::BuildElementKinds},
        {(dir / "Hybrid.pn").string(), examples::BuildHybrid},
        {(dir / "ProducerConsumer.pn").string(), examples::BuildProducerConsumer},
        {(dir / "Plant.pn").string(), examples::BuildPlant},
    };
    ExampleLibrary library(classFile);
    for (const auto& [path, build] : nets) {
        TPNObjekt root;
        build(root);
        std::string error;
        if (!SaveNetFile(root, path, &error)) {
            err << "quenzor-cli examples: cannot write \"" << path << "\": " << error << '\n';
            return kExitFailure;
        }
        out << path << '\n';
    }
    std::vector<std::string> written;
    std::string error;
    const bool libraryWritten = examples::WriteLibrary(dir.string(), written, error);
    for (const std::string& path : written) {
        if (path != classFile) out << path << '\n';
    }
    if (!libraryWritten) {
        err << "quenzor-cli examples: " << error << '\n';
        return kExitFailure;
    }
    return kExitOk;
}

const Registrar kRegistrar{Command{"examples", "DIR",
                                   "write the example nets, the object library (DIR/Objects) and its projects (DIR/Data)",
                                   RunExamples}};

} // namespace
} // namespace qz::cli

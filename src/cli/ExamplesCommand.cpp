// quenzor-cli examples DIR: writes the bundled example nets into DIR, the
// tutorial into DIR/Tutorial, the object library into DIR/Objects and its
// example projects into DIR/Data.
#include <algorithm>
#include <filesystem>
#include <ostream>
#include <vector>

#include "CliMessageBoxes.h"
#include "CliSupport.h"
#include "model/ExampleNets.h"
#include "model/LibraryNets.h"
#include "model/ObjectLibrary.h"
#include "model/TutorialNets.h"
#include "model/TPNObjekt.h"
#include "model/storage/NetFile.h"

namespace qz::cli {
namespace {

struct ExampleClass {
    const char* name;
    const char* base;
    void (*build)(TPNObjekt&);
};

// The classes the examples and the tutorial place, each after its base.
constexpr ExampleClass kClasses[] = {
    {examples::kTankClass, kEmptyObject, examples::BuildTankClass},
    {tutorial::kLightClass, kEmptyObject, tutorial::BuildLightClass},
    {tutorial::kBlinkingLightClass, tutorial::kLightClass, tutorial::BuildBlinkingLightClass},
};

// Makes the library know only the example classes while the examples are
// written (read from their files in DIR/Objects), and restores it afterwards.
class ExampleLibrary {
public:
    explicit ExampleLibrary(const std::filesystem::path& objects) : saved_(ObjectLibrary()) {
        TObjectLibrary& lib = ObjectLibrary();
        lib.names.clear();
        lib.files.clear();
        lib.hierarchy.clear();
        for (const ExampleClass& c : kClasses) {
            lib.names.push_back(c.name);
            lib.files.push_back((objects / (std::string(c.name) + ".pn")).string());
            lib.hierarchy.push_back(std::string(c.name) + ";" + c.base);
        }
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
    for (const char* sub : {"Objects", tutorial::kTutorialDirectory}) {
        std::filesystem::create_directories(dir / sub, ec);
        if (ec) {
            err << "quenzor-cli examples: cannot create \"" << (dir / sub).string() << "\": " << ec.message()
                << '\n';
            return kExitFailure;
        }
    }
    MessagesToStream messages(err);
    using Builder = void (*)(TPNObjekt&);
    std::vector<std::pair<std::string, Builder>> nets;
    for (const ExampleClass& c : kClasses) {
        nets.emplace_back((dir / "Objects" / (std::string(c.name) + ".pn")).string(), c.build);
    }
    nets.insert(nets.end(), {
        {(dir / "ElementKinds.pn").string(), examples::BuildElementKinds},
        {(dir / "Hybrid.pn").string(), examples::BuildHybrid},
        {(dir / "ProducerConsumer.pn").string(), examples::BuildProducerConsumer},
        {(dir / "Plant.pn").string(), examples::BuildPlant},
    });
    for (const tutorial::Lesson& lesson : tutorial::Lessons()) {
        nets.emplace_back((dir / tutorial::kTutorialDirectory / lesson.file).string(), lesson.build);
    }
    ExampleLibrary library(dir / "Objects");
    std::vector<std::string> printed;
    for (const auto& [path, build] : nets) {
        TPNObjekt root;
        build(root);
        std::string error;
        if (!SaveNetFile(root, path, &error)) {
            err << "quenzor-cli examples: cannot write \"" << path << "\": " << error << '\n';
            return kExitFailure;
        }
        out << path << '\n';
        printed.push_back(path);
    }
    std::vector<std::string> written;
    std::string error;
    const bool libraryWritten = examples::WriteLibrary(dir.string(), written, error);
    for (const std::string& path : written) {
        if (std::find(printed.begin(), printed.end(), path) == printed.end()) out << path << '\n';
    }
    if (!libraryWritten) {
        err << "quenzor-cli examples: " << error << '\n';
        return kExitFailure;
    }
    return kExitOk;
}

const Registrar kRegistrar{Command{"examples", "DIR",
                                   "write the example nets, the tutorial (DIR/Tutorial), the object library "
                                   "(DIR/Objects) and its projects (DIR/Data)",
                                   RunExamples}};

} // namespace
} // namespace qz::cli

#include "CliSupport.h"

#include <algorithm>
#include <exception>
#include <new>
#include <ostream>

#include "QuenzorVersion.h"
#include "common/ProgramDirectories.h"

namespace qz::cli {

std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

namespace {

void PrintUsage(std::ostream& os) {
    std::vector<const Command*> sorted;
    for (const Command& c : Registry()) sorted.push_back(&c);
    std::sort(sorted.begin(), sorted.end(),
              [](const Command* a, const Command* b) { return a->name < b->name; });
    os << "Usage: quenzor-cli COMMAND [ARGS...]\n\nCommands:\n";
    for (const Command* c : sorted) {
        os << "  " << c->name << ' ' << c->usage << "\n      " << c->summary << '\n';
    }
    os << "\nquenzor-cli help prints this text; quenzor-cli --version prints the version.\n";
}

int RunCommand(const Command& c, const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err) {
    // A user's copy of the program directory that cannot be made is named
    // once; the command then reads the installed files.
    if (std::string problem = fs::TakeDirectoryProblem(); !problem.empty()) {
        std::replace(problem.begin(), problem.end(), '\r', ' ');
        err << "quenzor-cli: " << problem << '\n';
    }
    int code;
    try {
        code = c.run(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
    } catch (const std::bad_alloc&) {
        err << "quenzor-cli " << c.name << ": out of memory\n";
        return kExitNoMemory;
    } catch (const std::exception& e) {
        err << "quenzor-cli " << c.name << ": " << e.what() << '\n';
        return kExitFailure;
    }
    if (!out.flush()) {
        err << "quenzor-cli " << c.name << ": cannot write to standard output\n";
        return code == kExitOk ? kExitFailure : code;
    }
    return code;
}

} // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        PrintUsage(err);
        return kExitRefused;
    }
    const std::string& name = args.front();
    if (name == "help" || name == "--help" || name == "-h") {
        PrintUsage(out);
        return kExitOk;
    }
    if (name == "--version" && args.size() == 1) {
        out << kVersionText << '\n';
        return kExitOk;
    }
    for (const Command& c : Registry()) {
        if (c.name != name) continue;
        // "COMMAND --help" alone answers for every command the same way, so
        // that no command takes "--help" for a file name (and writes there).
        if (args.size() == 2 && (args[1] == "--help" || args[1] == "-h")) {
            out << "Usage: quenzor-cli " << c.name << ' ' << c.usage << "\n    " << c.summary << '\n';
            return kExitOk;
        }
        return RunCommand(c, args, out, err);
    }
    err << "quenzor-cli: unknown command \"" << name << "\"\n";
    PrintUsage(err);
    return kExitRefused;
}

} // namespace qz::cli

#include "CliSupport.h"

#include <algorithm>
#include <ostream>

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
    os << "\nquenzor-cli help prints this text.\n";
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
    for (const Command& c : Registry()) {
        if (c.name == name) {
            return c.run(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
        }
    }
    err << "quenzor-cli: unknown command \"" << name << "\"\n";
    PrintUsage(err);
    return kExitRefused;
}

} // namespace qz::cli

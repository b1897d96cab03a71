#pragma once
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

// The subcommands of quenzor-cli register themselves here.
namespace qz::cli {

// Exit codes shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1; // the work ran and failed (a run stopped by an error)
inline constexpr int kExitRefused = 2; // bad arguments, unreadable input, refused start
inline constexpr int kExitNoMemory = 3; // memory ran out

struct Command {
    std::string name;
    std::string usage;   // one line: arguments and options
    std::string summary; // one line: what it does
    std::function<int(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)>
        run;
};

std::vector<Command>& Registry();

struct Registrar {
    explicit Registrar(Command c) { Registry().push_back(std::move(c)); }
};

// Runs `quenzor-cli ARGS...` in-process (used by main and by the tests).
// Every command ends with a message and a status: memory running out gives
// "quenzor-cli COMMAND: out of memory" and kExitNoMemory, any other escaping
// exception its text and kExitFailure, and output that could not be written
// (a full disk behind standard output) kExitFailure.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace qz::cli

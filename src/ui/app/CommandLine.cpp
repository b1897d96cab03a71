#include "app/CommandLine.h"

#include "QuenzorVersion.h"

namespace qz::ui {

std::string CommandLineHelp() {
    return std::string(kVersionText) +
           "\n\n"
           "Usage: quenzor [FILE]\n"
           "       quenzor --version\n"
           "       quenzor --help\n"
           "\n"
           "Opens the Quenzor window for modelling and simulating hybrid, object-oriented\n"
           "Petri nets. FILE names a net (.pn, or .pnml) to open at start-up; all\n"
           "arguments are joined with blanks into one file name, so a name with blanks\n"
           "needs no quotes. Without FILE the window starts with an empty net.\n"
           "\n"
           "  --version  print the version and exit\n"
           "  --help     print this text and exit\n"
           "\n"
           "Each is honoured only as the sole argument. The environment variable\n"
           "QUENZOR_HOME names the program directory to use (configuration, library,\n"
           "tutorial). Commands without a window: quenzor-cli help.\n";
}

std::optional<int> AnswerInfoArgument(const std::vector<std::string>& arguments, std::ostream& out) {
    if (arguments.size() != 1) return std::nullopt;
    if (arguments.front() == "--version") {
        out << kVersionText << '\n';
    } else if (arguments.front() == "--help") {
        out << CommandLineHelp();
    } else {
        return std::nullopt;
    }
    out.flush();
    return out ? 0 : 1;
}

} // namespace qz::ui

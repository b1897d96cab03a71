#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace qz::ui {

// The text "quenzor --help" prints.
std::string CommandLineHelp();

// Answers "--version" and "--help" when one of them is the only argument:
// prints to out and returns the exit code. Every other command line is left
// to the window (its arguments name the file to open) and gives nullopt.
// Runs before the application object exists, so it needs no display.
std::optional<int> AnswerInfoArgument(const std::vector<std::string>& arguments, std::ostream& out);

} // namespace qz::ui

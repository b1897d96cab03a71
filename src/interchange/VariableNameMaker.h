#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace qz::pnml {

// Turns place names (or PNML ids) into variable names that formulas can
// read: letters, digits and underscores, not starting with a digit, not a
// reserved name ("Time", "STime", the operators DIV and MOD, a built-in
// function), compiled once by the formula parser as a proof, and unique in
// the net without regard to case (the variable table compares case-blind).
class VariableNameMaker {
public:
    // Names already taken (case-blind).
    void Reserve(std::string_view name);
    // A valid, unique name derived from `preferred`, else from `fallback`.
    std::string Make(std::string_view preferred, std::string_view fallback);

    // The character rules and the reserved names only.
    static std::string Sanitize(std::string_view text);
    static bool IsReserved(std::string_view name);
    // Whether the parser reads `name` as one variable.
    static bool CompilesAsVariable(const std::string& name);

private:
    bool Taken(const std::string& name) const;
    std::unordered_set<std::string> taken_; // upper case
    std::unordered_map<std::string, long> nextSuffix_; // upper-case base -> next number to try
};

} // namespace qz::pnml

#include "VariableNameMaker.h"

#include <algorithm>

#include "formula/Parser.h"
#include "formula/VariableTable.h"

namespace qz::pnml {

namespace {

std::string Upper(std::string_view s) {
    std::string u(s);
    for (char& c : u) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return u;
}

bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

} // namespace

std::string VariableNameMaker::Sanitize(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    bool lastUnderscore = false;
    for (char c : text) {
        if (IsNameChar(c)) {
            out += c;
            lastUnderscore = c == '_';
        } else if (!lastUnderscore && !out.empty()) {
            // A run of other characters (blanks, punctuation, a multi-byte
            // letter) becomes one underscore.
            out += '_';
            lastUnderscore = true;
        }
    }
    while (!out.empty() && out.back() == '_' && out.size() > 1) out.pop_back();
    if (out == "_") out.clear();
    if (!out.empty() && out[0] >= '0' && out[0] <= '9') out.insert(0, "p_");
    return out;
}

bool VariableNameMaker::IsReserved(std::string_view name) {
    const std::string u = Upper(name);
    if (u == "TIME" || u == "STIME" || u == "DIV" || u == "MOD") return true;
    const TFunctionSet& f = TFunctionSet::BuiltIn();
    return f.FindFunction1(u) != nullptr || f.FindFunction2(u) != nullptr;
}

bool VariableNameMaker::CompilesAsVariable(const std::string& name) {
    static double cell = 0;
    TVariableTable table;
    table.Add(name, &cell);
    TParser parser;
    parser.SetVariables(&table);
    try {
        parser.SetExpression(name);
        if (!parser.HasCompiledList()) return false;
        // Also as an operand, the way formulas use it.
        parser.SetExpression("2*" + name + "+1");
        return parser.HasCompiledList();
    } catch (...) {
        return false;
    }
}

void VariableNameMaker::Reserve(std::string_view name) { taken_.insert(Upper(name)); }

bool VariableNameMaker::Taken(const std::string& name) const { return taken_.count(Upper(name)) != 0; }

std::string VariableNameMaker::Make(std::string_view preferred, std::string_view fallback) {
    std::string base = Sanitize(preferred);
    if (base.empty()) base = Sanitize(fallback);
    if (base.empty()) base.push_back('p');
    if (IsReserved(base) || !CompilesAsVariable(base)) base += "_v";
    std::string name = base;
    if (Taken(name)) {
        // Numbers go on from the last one given for this base, so that many
        // equal names cost no more than different ones.
        long& next = nextSuffix_[Upper(base)];
        next = std::max(next, 2L);
        do name = base + "_" + std::to_string(next++);
        while (Taken(name));
    }
    Reserve(name);
    return name;
}

} // namespace qz::pnml

#include "formula/FormulaText.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "formula/Parser.h"

namespace qz {

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

} // namespace

std::string FormulaTextOf(std::string_view typed) {
    std::string s(typed);
    struct Call {
        bool twoArguments;
        std::vector<std::size_t> commas; // at the call's own bracket level
    };
    std::vector<Call> open;
    std::vector<std::size_t> separators;
    const auto close = [&](const Call& call) {
        if (!call.twoArguments || call.commas.empty()) return;
        // Inside a number: a digit follows, and the word before it is a
        // number (not a name ending in a digit, as m1).
        const auto betweenDigits = [&](std::size_t i) {
            if (i == 0 || i + 1 >= s.size() || !IsDigit(s[i + 1])) return false;
            std::size_t start = i;
            while (start > 0 && (IsNameChar(s[start - 1]) || s[start - 1] == '.')) --start;
            return start < i && IsDigit(s[start]);
        };
        std::size_t pick = call.commas[call.commas.size() / 2];
        if (call.commas.size() == 1) {
            pick = call.commas.front();
        } else if (auto it = std::find_if_not(call.commas.begin(), call.commas.end(), betweenDigits);
                   it != call.commas.end()) {
            pick = *it;
        }
        separators.push_back(pick);
    };
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '(') {
            std::size_t start = i;
            while (start > 0 && IsNameChar(s[start - 1])) --start;
            const std::string_view name(s.data() + start, i - start);
            open.push_back({!name.empty() && TFunctionSet::BuiltIn().FindFunction2(name) != nullptr, {}});
        } else if (s[i] == ')' && !open.empty()) {
            close(open.back());
            open.pop_back();
        } else if (s[i] == ',' && !open.empty()) {
            open.back().commas.push_back(i);
        }
    }
    for (const Call& call : open) close(call);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == ',' && std::find(separators.begin(), separators.end(), i) == separators.end()) s[i] = '.';
    }
    return s;
}

} // namespace qz

// quenzor-cli eval: compiles one formula, evaluates it once and prints the
// value the way the program shows numbers.
#include <cmath>
#include <deque>
#include <ostream>
#include <string>
#include <vector>

#include "CliSupport.h"
#include "common/NumberFormat.h"
#include "formula/Parser.h"

namespace qz::cli {
namespace {

constexpr const char* kUsage = "[--] TEXT [NAME=VALUE ...]";

int Usage(std::ostream& err, const std::string& problem) {
    err << "quenzor-cli eval: " << problem << "\nUsage: quenzor-cli eval " << kUsage << '\n';
    return kExitRefused;
}

// Messages of the parser separate their lines with carriage returns.
std::string MessageLines(const char* what) {
    std::string s(what);
    for (char& c : s) {
        if (c == '\r') c = '\n';
    }
    return s;
}

int RunEval(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::size_t i = 0;
    if (i < args.size() && (args[i] == "-h" || args[i] == "--help")) {
        out << "Usage: quenzor-cli eval " << kUsage << '\n';
        return kExitOk;
    }
    if (i < args.size() && args[i] == "--") {
        ++i;
    } else if (i < args.size() && !args[i].empty() && args[i][0] == '-') {
        return Usage(err, "unknown option \"" + args[i] + "\" (use -- before a formula that starts with -)");
    }
    if (i >= args.size()) return Usage(err, "missing formula");
    const std::string& text = args[i++];

    // The variables: name = value, read with the decimal comma or a point.
    // A name given twice keeps its first value.
    std::deque<double> values;
    TVariableTable table;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        const std::size_t eq = a.find('=');
        if (eq == std::string::npos || eq == 0) return Usage(err, "expected NAME=VALUE, got \"" + a + "\"");
        const std::string value = a.substr(eq + 1);
        auto v = num::ParseNumber(value, ',');
        if (!v) v = num::ParseNumber(value, '.');
        if (!v) return Usage(err, "not a number: \"" + value + "\"");
        // Formulas compute in doubles: a value beyond their range would turn into INF.
        if (!std::isfinite(static_cast<double>(*v))) {
            return Usage(err, "out of the range of numbers: \"" + value + "\"");
        }
        values.push_back(static_cast<double>(*v));
        table.Add(a.substr(0, eq), &values.back());
    }

    TParser parser;
    parser.SetVariables(&table);
    try {
        parser.SetExpression(text);
        const double result = parser.Value();
        out << num::FormatGeneral(result, 15) << '\n';
    } catch (const EMathParserError& e) {
        err << MessageLines(e.what()) << '\n';
        return kExitRefused;
    } catch (const EArithmeticError& e) {
        err << MessageLines(e.what()) << '\n';
        return kExitRefused;
    }
    return kExitOk;
}

const Registrar kEval(Command{"eval", kUsage,
                              "compiles a formula with the given variables and prints its value",
                              &RunEval});

} // namespace
} // namespace qz::cli

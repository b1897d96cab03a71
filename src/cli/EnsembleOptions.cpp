#include "EnsembleOptions.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "CliMessageBoxes.h"
#include "common/NumberFormat.h"
#include "simulation/RunOverrides.h"

namespace qz::cli {

namespace {

constexpr std::uint64_t kMostRuns = 1'000'000'000;
constexpr std::size_t kMostValues = 1'000'000;

std::optional<long double> Number(const std::string& text) {
    if (auto v = num::ParseNumber(text, '.')) return v;
    return num::ParseNumber(text, ',');
}

bool Named(const EnsembleOptions& o, const std::string& name) {
    return std::any_of(o.sets.begin(), o.sets.end(), [&](const auto& s) { return s.first == name; }) ||
           std::any_of(o.varies.begin(), o.varies.end(), [&](const auto& v) { return v.name == name; });
}

// "FROM:TO:STEP" as the values FROM + k STEP (k = 0, 1, ...) up to TO.
std::optional<std::vector<double>> Grid(const std::string& text) {
    const std::size_t a = text.find(':'), b = a == std::string::npos ? a : text.find(':', a + 1);
    if (b == std::string::npos) return std::nullopt;
    const auto from = Number(text.substr(0, a)), to = Number(text.substr(a + 1, b - a - 1)),
               step = Number(text.substr(b + 1));
    if (!from || !to || !step || *step == 0) return std::nullopt;
    const long double steps = (*to - *from) / *step;
    if (!std::isfinite(static_cast<double>(steps)) || steps < 0 || steps >= kMostValues) return std::nullopt;
    std::vector<double> values;
    for (long double k = 0; k <= std::floor(steps + 1e-9L); ++k) {
        values.push_back(static_cast<double>(*from + k * *step));
    }
    return values;
}

} // namespace

Taken TakeEnsembleOption(const std::vector<std::string>& args, std::size_t& i, EnsembleOptions& o,
                         std::string& problem) {
    const std::string& a = args[i];
    if (a != "--runs" && a != "--jobs" && a != "--runs-dir" && a != "--set" && a != "--vary" &&
        a != "--part" && a != "--partial") {
        return Taken::No;
    }
    if (i + 1 >= args.size()) {
        problem = a + " needs a value";
        return Taken::Refused;
    }
    const std::string& v = args[++i];
    const std::size_t eq = v.find('=');
    const std::string name = v.substr(0, eq);
    if (a == "--runs" || a == "--jobs") {
        const auto n = num::ParseInteger(v);
        if (!n || *n < 1 || (a == "--jobs" ? *n > 4096 : static_cast<std::uint64_t>(*n) > kMostRuns)) {
            problem = a + " needs a whole number >= 1, got \"" + v + "\"";
            return Taken::Refused;
        }
        if (a == "--runs") o.runs = static_cast<std::uint64_t>(*n);
        else o.jobs = static_cast<int>(*n);
    } else if (a == "--runs-dir" || a == "--partial") {
        if (v.empty()) {
            problem = a + " needs a name";
            return Taken::Refused;
        }
        (a == "--runs-dir" ? o.runsDir : o.partialPath) = v;
    } else if (a == "--part") {
        const std::size_t slash = v.find('/');
        const auto k = num::ParseInteger(v.substr(0, slash));
        const auto m = slash == std::string::npos ? std::nullopt : num::ParseInteger(v.substr(slash + 1));
        if (!k || !m || *k < 1 || *k > *m || static_cast<std::uint64_t>(*m) > kMostRuns) {
            problem = "--part needs K/M with 1 <= K <= M, got \"" + v + "\"";
            return Taken::Refused;
        }
        o.part = static_cast<std::uint64_t>(*k);
        o.parts = static_cast<std::uint64_t>(*m);
    } else if (eq == std::string::npos || name.empty()) {
        problem = a + " needs NAME=" + (a == "--set" ? "VALUE" : "FROM:TO:STEP") + ", got \"" + v + "\"";
        return Taken::Refused;
    } else if (Named(o, name)) {
        problem = "\"" + name + "\" is given twice";
        return Taken::Refused;
    } else if (a == "--set") {
        o.sets.emplace_back(name, v.substr(eq + 1));
    } else {
        if (!o.sweep) {
            problem = "--vary belongs to quenzor-cli sweep";
            return Taken::Refused;
        }
        auto values = Grid(v.substr(eq + 1));
        if (!values) {
            problem = "--vary needs NAME=FROM:TO:STEP with a step that leads from FROM to TO in at most " +
                      std::to_string(kMostValues) + " values, got \"" + v + "\"";
            return Taken::Refused;
        }
        o.varies.push_back({name, std::move(*values)});
    }
    return Taken::Yes;
}

bool ApplySetOptions(TPNObjekt& root, const EnsembleOptions& options, const std::string& command,
                     std::ostream& err) {
    MessagesToStream messages(err);
    for (const auto& [name, value] : options.sets) {
        OverrideTarget target;
        std::string why;
        if (!FindOverrideTarget(root, name, target, why) || !ApplyOverrideText(root, target, value, why)) {
            std::replace(why.begin(), why.end(), '\r', ' ');
            err << "quenzor-cli " << command << ": --set " << name << '=' << value << ": " << why << '\n';
            return false;
        }
    }
    return true;
}

} // namespace qz::cli

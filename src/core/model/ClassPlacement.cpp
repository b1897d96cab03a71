#include "model/ClassPlacement.h"

#include <set>

#include "model/TPNObjekt.h"

namespace qz {

namespace {

std::string Trimmed(const std::string& s) {
    const std::size_t from = s.find_first_not_of(" \t\r\n");
    if (from == std::string::npos) return {};
    const std::size_t to = s.find_last_not_of(" \t\r\n");
    return s.substr(from, to - from + 1);
}

// The base name of the first entry for `className`, or nothing.
const std::string* BaseOf(const std::string& className, const std::vector<std::string>& hierarchy,
                          std::string& buffer) {
    for (const std::string& entry : hierarchy) {
        const std::size_t semicolon = entry.find(';');
        if (semicolon == std::string::npos || Trimmed(entry.substr(0, semicolon)) != className) continue;
        buffer = Trimmed(entry.substr(semicolon + 1));
        return &buffer;
    }
    return nullptr;
}

} // namespace

std::string ContainsItselfText(const std::string& className) {
    return "The class " + className + " cannot be placed here: it would contain itself.";
}

bool DerivesFrom(const std::string& className, const std::string& ancestor,
                 const std::vector<std::string>& hierarchy) {
    std::set<std::string> seen{className};
    std::string current = className, buffer;
    while (const std::string* base = BaseOf(current, hierarchy, buffer)) {
        if (*base == ancestor) return true;
        if (*base == kEmptyObject || !seen.insert(*base).second) return false;
        current = *base;
    }
    return false;
}

bool WouldContainItself(const std::string& documentClass, const std::string& className,
                        const std::vector<std::string>& hierarchy) {
    return className == documentClass || DerivesFrom(className, documentClass, hierarchy);
}

bool UsesClass(TPNObjekt& instance, const std::string& className) {
    bool used = false;
    instance.ForEachObject([&](TPNObjekt& o) { used = used || o.baseName == className; });
    return used;
}

} // namespace qz

#include "formula/VariableTable.h"

namespace qz {

namespace {
inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
} // namespace

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    }
    return true;
}

void TVariableTable::Add(std::string_view name, double* ref) {
    entries_.push_back(Entry{std::string(name), ref});
}

bool TVariableTable::AddUnique(std::string_view name, double* ref) {
    if (Find(name) != nullptr) return false;
    Add(name, ref);
    return true;
}

double* TVariableTable::Find(std::string_view name) const {
    for (const Entry& e : entries_) {
        if (SameNameIgnoringCase(e.name, name)) return e.ref;
    }
    return nullptr;
}

} // namespace qz

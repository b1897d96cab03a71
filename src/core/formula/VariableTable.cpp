#include "formula/VariableTable.h"

#include <algorithm>

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

std::string TVariableTable::Key(std::string_view name) {
    std::string key(name);
    for (char& c : key) c = UpperAscii(c);
    return key;
}

void TVariableTable::Add(std::string_view name, double* ref) {
    // The index keeps the first entry of each name: later ones are shadowed.
    index_.emplace(Key(name), entries_.size());
    entries_.push_back(Entry{std::string(name), ref});
    longest_ = std::max(longest_, name.size());
    if (name.find_first_of("+-*/") != std::string_view::npos) operatorNames_ = true;
    if (!name.empty()) {
        firsts_.set(static_cast<unsigned char>(UpperAscii(name.front())));
        lasts_.set(static_cast<unsigned char>(UpperAscii(name.back())));
    }
}

bool TVariableTable::AddUnique(std::string_view name, double* ref) {
    if (Find(name) != nullptr) return false;
    Add(name, ref);
    return true;
}

double* TVariableTable::Find(std::string_view name) const {
    // The compiler asks for every part of a formula it tries: a part longer
    // than every name is answered without copying it.
    if (name.size() > longest_) return nullptr;
    const auto it = index_.find(Key(name));
    return it == index_.end() ? nullptr : entries_[it->second].ref;
}

} // namespace qz

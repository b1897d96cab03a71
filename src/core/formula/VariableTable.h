#pragma once
#include <bitset>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qz {

// An ordered list of names bound to doubles that live elsewhere. Every formula
// of one object shares one table: places publish their markings here, the
// root adds the model time. The table never owns the doubles it refers to.
// Names compare without regard to ASCII case; the first match wins, so a later
// entry with an equal name is shadowed.
class TVariableTable {
public:
    // Appends the entry even when the name is already present.
    void Add(std::string_view name, double* ref);
    // Appends the entry unless the name is already present; true when added.
    bool AddUnique(std::string_view name, double* ref);
    // The first entry whose name equals `name` ignoring ASCII case, or nullptr.
    double* Find(std::string_view name) const;

    void Clear() {
        entries_.clear();
        index_.clear();
        firsts_.reset();
        lasts_.reset();
        operatorNames_ = false;
        longest_ = 0;
    }
    // What the formula compiler asks of all names at once: the upper-case
    // first and last characters of the names, and whether a name contains
    // one of "+-*/".
    const std::bitset<256>& FirstCharacters() const { return firsts_; }
    const std::bitset<256>& LastCharacters() const { return lasts_; }
    bool NamesHaveOperators() const { return operatorNames_; }
    std::size_t Count() const { return entries_.size(); }
    const std::string& NameAt(std::size_t i) const { return entries_[i].name; }
    double* ValueAt(std::size_t i) const { return entries_[i].ref; }

private:
    struct Entry {
        std::string name;
        double* ref;
    };
    static std::string Key(std::string_view name); // upper case
    std::vector<Entry> entries_;
    std::unordered_map<std::string, std::size_t> index_; // key -> first entry
    std::bitset<256> firsts_, lasts_;
    bool operatorNames_ = false;
    std::size_t longest_ = 0; // of the names
};

// ASCII case-blind equality of two names.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

} // namespace qz

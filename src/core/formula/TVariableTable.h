#pragma once
// Placeholder until the parser lands; same interface.
#include <string>
#include <string_view>
#include <vector>

namespace qz {

class TVariableTable {
public:
    void Add(std::string name, double* ref) { names_.push_back(std::move(name)); refs_.push_back(ref); }
    double* Find(std::string_view) const { return nullptr; }
    void Clear() { names_.clear(); refs_.clear(); }
    std::size_t Count() const { return names_.size(); }
    const std::string& NameAt(std::size_t i) const { return names_[i]; }
    double* ValueAt(std::size_t i) const { return refs_[i]; }
private:
    std::vector<std::string> names_;
    std::vector<double*> refs_;
};

} // namespace qz

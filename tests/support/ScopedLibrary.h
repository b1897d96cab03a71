#pragma once
#include <functional>
#include <map>
#include <string>

#include "model/ObjectLibrary.h"
#include "model/TPNObjekt.h"

namespace qz::test {

// An object library in memory for the object's lifetime: Define registers a
// class name and its file NAME.pn, and loading that file runs the filler on
// the fresh base object. The program's library is restored afterwards.
class ScopedLibrary {
public:
    using Filler = std::function<void(TPNObjekt&)>;

    ScopedLibrary() : saved_(ObjectLibrary()) {
        ObjectLibrary() = TObjectLibrary{};
        ObjectLibrary().loadClass = [this](TPNObjekt& into, const std::string& file) {
            auto it = classes_.find(file);
            if (it == classes_.end()) return false;
            it->second(into);
            return true;
        };
    }
    ~ScopedLibrary() { ObjectLibrary() = saved_; }
    ScopedLibrary(const ScopedLibrary&) = delete;
    ScopedLibrary& operator=(const ScopedLibrary&) = delete;

    void Define(const std::string& name, Filler fill) {
        ObjectLibrary().names.push_back(name);
        ObjectLibrary().files.push_back(name + ".pn");
        classes_[name + ".pn"] = std::move(fill);
    }

private:
    TObjectLibrary saved_;
    std::map<std::string, Filler> classes_;
};

} // namespace qz::test

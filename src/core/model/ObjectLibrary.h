#pragma once
#include <functional>
#include <string>
#include <vector>

namespace qz {

class TPNObjekt;

inline constexpr const char* kObjectNotFoundPrefix = "Object ";
inline constexpr const char* kObjectNotFoundSuffix = " not found...";

// The index of the object classes in the "Objects" directory: class names
// and class files, line by line the same class.
struct TObjectLibrary {
    std::vector<std::string> names;
    std::vector<std::string> files;
    std::vector<std::string> hierarchy; // "name;base name"

    // Index of the first class with that name (exact), or -1.
    int IndexOf(const std::string& className) const;

    // Reads a class file into a fresh object; reports its own failures.
    // The net file reader installs itself here.
    std::function<bool(TPNObjekt& into, const std::string& file)> loadClass;
};

TObjectLibrary& ObjectLibrary();

} // namespace qz

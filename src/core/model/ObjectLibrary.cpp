#include "model/ObjectLibrary.h"

namespace qz {

int TObjectLibrary::IndexOf(const std::string& className) const {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == className) return static_cast<int>(i);
    }
    return -1;
}

TObjectLibrary& ObjectLibrary() {
    static TObjectLibrary library;
    return library;
}

} // namespace qz

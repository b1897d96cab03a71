#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "diagrams/TPunkt.h"

namespace qz::diagrams {

// The samples of one trace in the order they were taken (rising model time),
// doubly linked, with a cursor at the node reached last. Owns its nodes,
// which it allocates in blocks: appending does not allocate for every
// sample, and a node is reached by its index at once.
class TPunktListe {
public:
    TPunktListe() = default;
    ~TPunktListe() { Clear(); }
    TPunktListe(const TPunktListe&) = delete;
    TPunktListe& operator=(const TPunktListe&) = delete;

    void Append(long double x, long double y);
    // The sample at position i; null outside 0..Count()-1. The cursor stays
    // at the node returned.
    TPunkt* At(std::int32_t i);
    void Clear();

    std::int32_t Count() const { return count_; }
    TPunkt* First() const { return first_; }
    TPunkt* Last() const { return last_; }
    TPunkt* Cursor() const { return cursor_; }
    // The smallest and the largest y of the samples (0 without samples).
    long double MinY() const { return minY_; }
    long double MaxY() const { return maxY_; }

private:
    static constexpr std::int32_t kBlock = 4096;
    std::vector<std::unique_ptr<TPunkt[]>> blocks_;
    long double minY_ = 0, maxY_ = 0;
    TPunkt* cursor_ = nullptr;
    TPunkt* first_ = nullptr;
    TPunkt* last_ = nullptr;
    std::int32_t count_ = 0;
};

} // namespace qz::diagrams

#include "diagrams/TPunktListe.h"

#include <algorithm>

namespace qz::diagrams {

void TPunktListe::Append(long double x, long double y) {
    if (std::size_t(count_ / kBlock) == blocks_.size()) blocks_.emplace_back(new TPunkt[kBlock]);
    TPunkt* p = &blocks_.back()[count_ % kBlock];
    *p = TPunkt{x, y, nullptr, last_, count_};
    if (last_) {
        last_->next = p;
        minY_ = std::min(minY_, y);
        maxY_ = std::max(maxY_, y);
    } else {
        first_ = p;
        minY_ = maxY_ = y;
    }
    last_ = p;
    ++count_;
    cursor_ = p;
}

TPunkt* TPunktListe::At(std::int32_t i) {
    if (!cursor_ || i < 0 || i > count_ - 1) return nullptr;
    cursor_ = &blocks_[std::size_t(i / kBlock)][i % kBlock];
    return cursor_;
}

void TPunktListe::Clear() {
    blocks_.clear();
    count_ = 0;
    first_ = nullptr;
    last_ = nullptr;
    cursor_ = nullptr;
    minY_ = maxY_ = 0;
}

} // namespace qz::diagrams

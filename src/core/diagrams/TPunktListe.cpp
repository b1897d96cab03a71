#include "diagrams/TPunktListe.h"

namespace qz::diagrams {

void TPunktListe::Append(long double x, long double y) {
    auto* p = new TPunkt{x, y, nullptr, last_, count_};
    if (last_) {
        last_->next = p;
    } else {
        first_ = p;
    }
    last_ = p;
    ++count_;
    cursor_ = p;
}

TPunkt* TPunktListe::At(std::int32_t i) {
    // After Clear the cursor is stale, but every index is then out of range.
    if (!cursor_ || i < 0 || i > count_ - 1) return nullptr;
    while (cursor_->index < i) cursor_ = cursor_->next;
    while (cursor_->index > i) cursor_ = cursor_->previous;
    return cursor_;
}

void TPunktListe::Clear() {
    TPunkt* p = first_;
    while (p) {
        TPunkt* next = p->next;
        delete p;
        p = next;
    }
    count_ = 0;
    first_ = nullptr;
    last_ = nullptr;
    // A stale cursor would be followed by the next At once samples arrive
    // again: drop it too.
    cursor_ = nullptr;
}

} // namespace qz::diagrams

#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qz {

// A set of positions below a bound, kept as a two-level bitmap: marking is
// a few bit operations, and Drain hands the marked positions back in
// ascending order (each once) and leaves the set empty. The conflict
// resolution uses it to visit groups in group order without sorting.
class OrderedPositions {
public:
    void Resize(std::size_t positions) {
        bits_.assign((positions + 63) / 64, 0);
        summary_.assign((bits_.size() + 63) / 64, 0);
    }
    void Clear() {
        bits_.clear();
        summary_.clear();
    }
    void Mark(std::uint32_t position) {
        std::uint64_t& word = bits_[position >> 6];
        if (word == 0) summary_[position >> 12] |= std::uint64_t{1} << ((position >> 6) & 63);
        word |= std::uint64_t{1} << (position & 63);
    }
    bool Contains(std::uint32_t position) const { return (bits_[position >> 6] >> (position & 63)) & 1; }
    void Set(std::uint32_t position, bool on) {
        if (on) {
            Mark(position);
            return;
        }
        std::uint64_t& word = bits_[position >> 6];
        word &= ~(std::uint64_t{1} << (position & 63));
        if (word == 0) summary_[position >> 12] &= ~(std::uint64_t{1} << ((position >> 6) & 63));
    }
    // Marks the positions of `other` (of the same bound).
    void MarkAll(const OrderedPositions& other) {
        for (std::size_t sw = 0; sw < other.summary_.size(); ++sw) {
            summary_[sw] |= other.summary_[sw];
            for (std::uint64_t words = other.summary_[sw]; words != 0; words &= words - 1) {
                const std::size_t w = sw * 64 + static_cast<std::size_t>(__builtin_ctzll(words));
                bits_[w] |= other.bits_[w];
            }
        }
    }
    // Calls `f(position)` for every marked position in ascending order; `f`
    // may mark positions above the one it was called for, which are then
    // handed back in turn.
    template <class F>
    void Drain(F&& f) {
        for (std::size_t sw = 0; sw < summary_.size(); ++sw) {
            while (summary_[sw] != 0) {
                const std::size_t w = sw * 64 + static_cast<std::size_t>(__builtin_ctzll(summary_[sw]));
                while (bits_[w] != 0) {
                    const auto bit = static_cast<std::size_t>(__builtin_ctzll(bits_[w]));
                    bits_[w] &= bits_[w] - 1;
                    f(static_cast<std::uint32_t>(w * 64 + bit));
                }
                summary_[sw] &= ~(std::uint64_t{1} << (w & 63));
            }
        }
    }

private:
    std::vector<std::uint64_t> bits_, summary_;
};

// Removes entry i of the n entries of `items`, keeping their order (a loop:
// the lists are short, a library move would be a call).
template <class T>
inline void EraseKeepingOrder(T* items, std::size_t& n, std::size_t i) {
    for (--n; i < n; ++i) items[i] = items[i + 1];
}

} // namespace qz

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
    // Calls `f(position)` for every marked position in ascending order.
    template <class F>
    void Drain(F&& f) {
        for (std::size_t sw = 0; sw < summary_.size(); ++sw) {
            for (std::uint64_t words = summary_[sw]; words != 0; words &= words - 1) {
                const std::size_t w = sw * 64 + static_cast<std::size_t>(__builtin_ctzll(words));
                for (std::uint64_t bits = bits_[w]; bits != 0; bits &= bits - 1) {
                    f(static_cast<std::uint32_t>(w * 64 + static_cast<std::size_t>(__builtin_ctzll(bits))));
                }
                bits_[w] = 0;
            }
            summary_[sw] = 0;
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

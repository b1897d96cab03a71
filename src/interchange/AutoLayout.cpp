#include "AutoLayout.h"

#include <algorithm>
#include <climits>

namespace qz::pnml {

AutoLayout::AutoLayout(std::size_t nodeCount) : fixed_(nodeCount, 0), centre_(nodeCount) {}

void AutoLayout::SetFixed(std::size_t node, TPoint centre) {
    fixed_[node] = 1;
    centre_[node] = centre;
}

void AutoLayout::AddArc(std::size_t from, std::size_t to) {
    arcs_.emplace_back(static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to));
}

std::vector<TPoint> AutoLayout::Run() const {
    const std::size_t n = fixed_.size();
    std::vector<TPoint> out = centre_;
    if (std::find(fixed_.begin(), fixed_.end(), 0) == fixed_.end()) return out;

    // Adjacency in compressed form.
    std::vector<std::uint32_t> start(n + 1, 0), indegree(n, 0);
    for (const auto& [a, b] : arcs_) {
        ++start[a + 1];
        ++indegree[b];
    }
    for (std::size_t i = 0; i < n; ++i) start[i + 1] += start[i];
    std::vector<std::uint32_t> next(arcs_.size());
    {
        std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
        for (const auto& [a, b] : arcs_) next[fill[a]++] = b;
    }

    // Breadth-first layers from the sources; nodes only reachable through
    // cycles start new searches in their file order.
    constexpr int kUnset = -1;
    std::vector<int> layer(n, kUnset);
    std::vector<std::uint32_t> queue;
    queue.reserve(n);
    auto search = [&](std::size_t from) {
        std::size_t head = queue.size();
        queue.push_back(static_cast<std::uint32_t>(from));
        layer[from] = 0;
        while (head < queue.size()) {
            const std::uint32_t v = queue[head++];
            for (std::uint32_t k = start[v]; k < start[v + 1]; ++k) {
                const std::uint32_t w = next[k];
                if (layer[w] == kUnset) {
                    layer[w] = layer[v] + 1;
                    queue.push_back(w);
                }
            }
        }
    };
    for (std::size_t i = 0; i < n; ++i) {
        if (indegree[i] == 0 && layer[i] == kUnset) search(i);
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (layer[i] == kUnset) search(i);
    }

    // Columns: the free nodes of each layer in discovery order, wrapped
    // after kMaxRows rows.
    int maxLayer = 0;
    for (std::size_t i = 0; i < n; ++i) maxLayer = std::max(maxLayer, layer[i]);
    std::vector<int> perLayer(static_cast<std::size_t>(maxLayer) + 1, 0);
    for (std::uint32_t v : queue) {
        if (!fixed_[v]) ++perLayer[static_cast<std::size_t>(layer[v])];
    }
    std::vector<int> firstColumn(perLayer.size(), 0);
    int columns = 0;
    for (std::size_t l = 0; l < perLayer.size(); ++l) {
        firstColumn[l] = columns;
        columns += (perLayer[l] + kMaxRows - 1) / kMaxRows;
    }

    // Below whatever already has a position.
    int top = kMargin, left = kMargin;
    bool anyFixed = false;
    int maxY = INT_MIN, minX = INT_MAX;
    for (std::size_t i = 0; i < n; ++i) {
        if (!fixed_[i]) continue;
        anyFixed = true;
        maxY = std::max(maxY, centre_[i].y);
        minX = std::min(minX, centre_[i].x);
    }
    if (anyFixed) {
        top = maxY + 2 * kRowSpacing;
        left = std::max(kMargin, minX);
    }

    std::vector<int> placed(perLayer.size(), 0);
    for (std::uint32_t v : queue) {
        if (fixed_[v]) continue;
        const auto l = static_cast<std::size_t>(layer[v]);
        const int k = placed[l]++;
        const int column = firstColumn[l] + k / kMaxRows;
        const int row = k % kMaxRows;
        out[v] = {left + column * kColumnSpacing, top + row * kRowSpacing};
    }
    return out;
}

} // namespace qz::pnml

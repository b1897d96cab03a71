#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "common/Geometry.h"

namespace qz::pnml {

// Positions for the nodes of an imported net that came without graphics: a
// layered drawing in columns (sources on the left, each arc leading at most
// one column further right than the shortest path from a source), long
// columns wrapped into several, laid out below everything that already has a
// position. Linear in nodes and arcs.
class AutoLayout {
public:
    static constexpr int kColumnSpacing = 90;
    static constexpr int kRowSpacing = 60;
    static constexpr int kMaxRows = 30;
    static constexpr int kMargin = 60;

    explicit AutoLayout(std::size_t nodeCount);

    // A node that keeps its position (its centre).
    void SetFixed(std::size_t node, TPoint centre);
    void AddArc(std::size_t from, std::size_t to);
    // Centres for every node; fixed nodes keep theirs.
    std::vector<TPoint> Run() const;

private:
    std::vector<std::uint8_t> fixed_;
    std::vector<TPoint> centre_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> arcs_;
};

} // namespace qz::pnml

#include "editor/ProjectHierarchy.h"

#include <algorithm>
#include <set>
#include <utility>

#include "model/TPNObjekt.h"

namespace qz::ui {

namespace {

// How many classes an object inherits through: 0 for one derived from
// "Empty Object".
std::size_t InheritanceDepth(const TPNObjekt& o) {
    std::size_t depth = 0;
    for (const TPNObjekt* b = o.Base(); b && depth < 1000; b = b->Base())
        ++depth;
    return depth;
}

} // namespace

std::vector<std::string> ProjectHierarchyEntries(const TPNObjekt& document) {
    const TPNObjekt& root = document.Root() ? *document.Root() : document;
    std::vector<std::pair<std::size_t, std::string>> ordered;
    std::set<std::string> seen;
    for (const TPNObjekt* o : root.Registry()) {
        std::string entry = o->name + ";" + o->baseName;
        if (seen.insert(entry).second) ordered.emplace_back(InheritanceDepth(*o), std::move(entry));
    }
    // A class is in the tree before its derived classes look for it.
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> entries;
    entries.reserve(ordered.size());
    for (auto& e : ordered)
        entries.push_back(std::move(e.second));
    return entries;
}

ClassTreeNode ProjectHierarchyTree(const TPNObjekt& document) {
    return BuildClassTree(ProjectHierarchyEntries(document));
}

} // namespace qz::ui

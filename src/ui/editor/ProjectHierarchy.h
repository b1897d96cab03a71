#pragma once
#include <string>
#include <vector>

#include "model/ObjectLibrary.h"

namespace qz {
class TPNObjekt;
}

namespace qz::ui {

// The entries "name;base name" of the objects of a document's hierarchy
// (the registry of its root): each pair once, however many instances load
// their own copy of a class, ordered so that every class comes before the
// classes derived from it (registry order among equals).
std::vector<std::string> ProjectHierarchyEntries(const TPNObjekt& document);

// The tree of "Project Hierarchy": the document's objects ordered by
// inheritance below "Empty Object", every level sorted by name, built from
// the entries above by the rule of the library's class tree (an object
// whose base class has no node gets none).
ClassTreeNode ProjectHierarchyTree(const TPNObjekt& document);

} // namespace qz::ui

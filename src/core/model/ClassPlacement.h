#pragma once
#include <string>
#include <vector>

namespace qz {

class TPNObjekt;

// "The class <name> cannot be placed here: it would contain itself."
std::string ContainsItselfText(const std::string& className);

// Whether class `className` inherits, directly or further down, from class
// `ancestor`, by the base names of a hierarchy list ("name;base name"
// entries, as the object library keeps them). A chain of base names that
// runs in a circle ends the walk.
bool DerivesFrom(const std::string& className, const std::string& ancestor,
                 const std::vector<std::string>& hierarchy);

// Whether placing an instance of `className` in the net of the class
// `documentClass` would make that class contain itself: it is the class
// itself or derives from it.
bool WouldContainItself(const std::string& documentClass, const std::string& className,
                        const std::vector<std::string>& hierarchy);

// Whether any object of an instance's hierarchy (the instance, the objects
// placed in it, their classes, recursively) is of class `className`: the
// instance, once placed in that class, would contain it.
bool UsesClass(TPNObjekt& instance, const std::string& className);

} // namespace qz

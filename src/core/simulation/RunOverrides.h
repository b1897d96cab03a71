#pragma once
#include <string>

namespace qz {

class TPNObjekt;
class TPlatz;
class TTransition;

// What an override NAME=VALUE of a headless run changes, for that run only:
// the initial marking of a place, named by its trace path (root variable
// name, "Object.variable"), or the function text of a transition, named by
// its name ("Object.Name" inside placed objects).
struct OverrideTarget {
    std::string name;
    TPlatz* place = nullptr;
    TTransition* transition = nullptr;
};

// Finds what `name` names; false with the reason in `why` when it names
// nothing or more than one element.
bool FindOverrideTarget(TPNObjekt& root, const std::string& name, OverrideTarget& target,
                        std::string& why);

// Applies a value as typed into the property window, with its checks; a new
// function text must compile. False with the reason in `why` when refused.
bool ApplyOverrideText(TPNObjekt& root, const OverrideTarget& target, const std::string& text,
                       std::string& why);

// Applies a number (one point of a sweep): an initial marking, or a function
// text written in the program's number format.
void ApplyOverrideValue(const OverrideTarget& target, long double value);

} // namespace qz

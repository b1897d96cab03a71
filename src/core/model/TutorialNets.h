#pragma once
#include <vector>

namespace qz {
class TPNObjekt;
} // namespace qz

// The tutorial: small nets that each teach one thing, with labels inside
// the net that say what to do and what to watch. `quenzor-cli examples DIR`
// writes them into DIR/Tutorial and their two classes into DIR/Objects.
namespace qz::tutorial {

// The classes of the inheritance lesson: a lamp, and a lamp that switches
// itself on and off. Light must be in the library before BlinkingLight is
// built, and both before the lessons are.
inline constexpr const char* kLightClass = "Light";
inline constexpr const char* kBlinkingLightClass = "BlinkingLight";
void BuildLightClass(TPNObjekt& cls);
void BuildBlinkingLightClass(TPNObjekt& cls);

// The directory below the examples that holds the lessons.
inline constexpr const char* kTutorialDirectory = "Tutorial";

struct Lesson {
    const char* file; // file name in the tutorial directory; sorts in teaching order
    void (*build)(TPNObjekt& root);
};

// The lessons in teaching order. The object lessons place examples::kTankClass
// and the two classes above, which must be known to the object library.
const std::vector<Lesson>& Lessons();

} // namespace qz::tutorial

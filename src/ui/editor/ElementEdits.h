#pragma once
#include <string>

namespace qz {
class TEdge;
class TGraphItem;
class TPNObjekt;
class TPlatz;
class TTransition;
} // namespace qz

namespace qz::ui {

inline constexpr const char* kNotValidName = " is not a valid name !";
inline constexpr const char* kNotValid = " is not valid !";

// The edits of single fields that the property window's page and tables and
// the in-place editors share: each checks the text, shows the message of a
// refused one (then the element keeps its value, and false is returned) and
// otherwise takes it. A text that does not differ from the field changes
// nothing.

// The text in double quotes and the field's ending: "\"abc\" is not valid !".
std::string RefusedText(const std::string& text, const char* ending = kNotValid);
// Texts of one line: a line break is refused.
bool OneLine(const std::string& text);

// The name of a place or transition.
bool EditName(TGraphItem& element, const std::string& text);
// A place's variable: not blank, not another place's of the net.
bool EditVariable(TPlatz& place, const std::string& text);
// A place's initial tokens (and marking) and its marking alone: digits,
// one decimal comma, "-"; an empty text is 0.
bool EditInitialTokens(TPlatz& place, const std::string& text);
bool EditMarking(TPlatz& place, const std::string& text);
// A transition's delay or speed, an arc's weight: a number, or a formula
// that compiles among the names of its object.
bool EditDelayOrSpeed(TTransition& transition, const std::string& text);
bool EditWeight(TEdge& arc, const std::string& text);
// An object's name (a frame's object, or the document's).
bool EditObjectName(TPNObjekt& object, const std::string& text);

} // namespace qz::ui

#pragma once
#include <string>

#include "common/Geometry.h"

namespace qz {
class TGraphItem;
class TSchriftObjekt;
} // namespace qz

namespace qz::ui {

inline constexpr char kLabelEditorHint[] = "Press Ctrl-Enter to get a new line";
inline constexpr char kResizeFrameHint[] = "Use the points to resize the object";

// What a double click on the current element edits in place: the label
// editor (several lines) or the value editor (one line) over a label or an
// element, or the resize frame of a graphical object.
struct InPlaceEdit {
    enum class Editor { None, Label, Value, ResizeFrame } editor = Editor::None;
    // What the text becomes on Enter.
    enum class Target {
        None,
        LabelText,      // a free-standing label's text
        Name,           // the name of a place or transition (its name label)
        PlaceMarking,   // a place's initial tokens (value display)
        PlaceVariable,  // a place's variable name
        DelayOrSpeed,   // a transition's time or speed (its second label)
        Weight,         // an arc's weight (its second label)
        ObjectName,     // the name of a frame's object
    } target = Target::None;
    TGraphItem* element = nullptr;
    // The label the editor stands over and hides while it is open (free
    // labels), or null.
    TSchriftObjekt* label = nullptr;
    // The text the editor starts with; lines are separated by "|".
    std::string text;
    // Where the editor stands (world), the top-left corner counting.
    TRect world{};
    // Editing a place's value or variable in simulation mode switches the
    // document to edit mode first.
    bool leavesSimulation = false;
    // Only digits, "," and "-" may be typed ("." becomes ",").
    bool numeric = false;

    bool Open() const { return editor != Editor::None; }
};

// The in-place editor a double click opens on the current element `e`
// (null: none) with the document's tool, value display and mode.
InPlaceEdit ChooseInPlaceEdit(TGraphItem* e, int tool, bool showValues, bool simulationMode);

// Takes the editor's text into the element (lines joined by "|"). A place's
// empty value counts as "0". False, with the reason shown in a message box,
// when the text is refused; the element then keeps its value.
bool ApplyInPlaceText(const InPlaceEdit& edit, const std::string& text);

// The label editor's size in pixels while it holds `lines` lines whose
// widest is `widest` pixels wide, at scale s: at s >= 1 the widest line +
// 40 (at least 50 for an empty text) by (line height + 5) x (lines + 1);
// below 1 the width divided by s and line height x lines / s + 15.
struct EditorSize {
    int width = 0, height = 0;
    bool operator==(const EditorSize&) const = default;
};
EditorSize LabelEditorSize(int widest, int lineHeight, int lines, double scale);
// The value editor's width: at least the text's width + 30 pixels, divided
// by s when s < 1.
int ValueEditorWidth(int textWidth, double scale);

} // namespace qz::ui

#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace qz {
class TGraphItem;
class TPNObjekt;
} // namespace qz

namespace qz::ui {

// What stands over a value cell of the "Properties" grid: a selection box
// of fixed choices, or a button that opens an editor for the cell.
enum class CellBox { None, Choices };
enum class CellButton { None, TextEditor, Formula, Font };
// Which keys a value cell takes: any; digits, "," and "-" ("." typed as
// ","); digits only.
enum class CellKeys { Any, Decimal, Digits };

struct PropertyRow {
    std::string name;
    std::string value;
    // What the page was filled with: a field is saved when it differs.
    std::string original;
    CellBox box = CellBox::None;
    std::vector<std::string> choices;
    CellButton button = CellButton::None;
    CellKeys keys = CellKeys::Any;
    // Fixed texts ("unused ...") and the disabled inheritance box.
    bool editable = true;
    // The "sec."/"stepwise" box over a discrete transition's delay.
    std::vector<std::string> modeChoices;
    std::string mode;
};

// The "Properties" page of the property window: the rows of the current
// element (or, with none, of the document's object), what each value cell
// offers, and saving the page into the element with the checks and messages
// of each field. Fields are taken in row order; the first refused one stops
// the save with its message (the ones before it are taken), and a field
// that did not change is left alone, so that a save that changes nothing
// leaves the net as it was.
class PropertyGrid {
public:
    // The rows of `element`, or of `root`'s object when it is null.
    // `classNames`: the object library's class names (the inheritance box);
    // `topLevel`: whether the document's object may choose its class.
    void Show(TGraphItem* element, TPNObjekt* root, const std::vector<std::string>& classNames, bool topLevel);
    void Clear();

    TGraphItem* Element() const { return element_; }
    TPNObjekt* Root() const { return root_; }
    bool Empty() const { return rows_.empty(); }
    const std::vector<PropertyRow>& Rows() const { return rows_; }
    // The row named so, or -1.
    int RowOf(const std::string& name) const;

    // A value typed or chosen; the dirty flag is set.
    void SetValue(std::size_t row, const std::string& text);
    bool Dirty() const { return dirty_; }
    // The "sec."/"stepwise" box of a discrete transition's delay: "stepwise"
    // writes -1 into the delay cell, "sec." writes 0 when the delay is
    // negative.
    void ChooseTimeMode(const std::string& choice);

    // Takes the page into the element (`SaveToList`): true when every field
    // was taken. The message of a refused field has been shown then.
    bool Save();
    // What the status text shows while saving ("Save Place", ...).
    const char* SaveWord() const;
    // Whether the element is one whose saving ends simulation mode (a
    // transition or an arc).
    bool SavingLeavesSimulation() const;

private:
    bool SavePlace();
    bool SaveTransition();
    bool SaveArc();
    bool SaveLabel();
    bool SaveShape();
    bool SaveFrame();
    bool SaveObject();
    const std::string& Value(const char* row) const;
    PropertyRow& Row(const char* name);
    bool Changed(const char* row) const;

    TGraphItem* element_ = nullptr;
    TPNObjekt* root_ = nullptr;
    std::vector<PropertyRow> rows_;
    bool dirty_ = false;
};

} // namespace qz::ui

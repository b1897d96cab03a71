#include "editor/InPlaceEdit.h"

#include <algorithm>
#include <cmath>

#include "common/NumberFormat.h"
#include "editor/EditGestures.h"
#include "editor/ElementEdits.h"
#include "model/TEdge.h"
#include "model/TObjectFrame.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"

namespace qz::ui {

namespace {

bool Shows(const TSchriftObjekt* l) { return l && l->visible && l->selected; }

} // namespace

InPlaceEdit ChooseInPlaceEdit(TGraphItem* e, int tool, bool showValues, bool simulationMode) {
    InPlaceEdit edit;
    if (!e) return edit;
    edit.element = e;
    switch (e->Kind()) {
    case kind::Label: {
        auto* label = static_cast<TSchriftObjekt*>(e);
        edit.editor = InPlaceEdit::Editor::Label;
        edit.target = InPlaceEdit::Target::LabelText;
        edit.label = label;
        edit.text = label->Text();
        edit.world = label->hit;
        return edit;
    }
    case kind::Shape:
        edit.editor = InPlaceEdit::Editor::ResizeFrame;
        edit.world = e->bounds;
        return edit;
    case kind::Frame: {
        auto* frame = static_cast<TObjectFrame*>(e);
        edit.editor = InPlaceEdit::Editor::Value;
        edit.target = InPlaceEdit::Target::ObjectName;
        edit.text = frame->object ? frame->object->name : frame->caption;
        edit.world = {e->bounds.left, e->bounds.top, e->bounds.right, e->bounds.top + 20};
        return edit;
    }
    case kind::Place:
    case kind::Transition:
    case kind::Arc: break;
    default: return {};
    }
    const char k = e->Kind();
    if (k != kind::Arc && Shows(e->nameLabel.get())) {
        edit.editor = InPlaceEdit::Editor::Label;
        edit.target = InPlaceEdit::Target::Name;
        edit.text = e->nameLabel->Text();
        edit.world = e->nameLabel->hit;
        return edit;
    }
    if (k != kind::Place && Shows(e->valueLabel.get())) {
        edit.editor = InPlaceEdit::Editor::Value;
        if (k == kind::Transition) {
            edit.target = InPlaceEdit::Target::DelayOrSpeed;
            edit.text = static_cast<TTransition*>(e)->functionText;
        } else {
            edit.target = InPlaceEdit::Target::Weight;
            edit.text = static_cast<TEdge*>(e)->weightText;
        }
        edit.world = e->valueLabel->hit;
        return edit;
    }
    if (k == kind::Place && e->selected && tool == tool::Select) {
        auto* place = static_cast<TPlatz*>(e);
        edit.editor = InPlaceEdit::Editor::Value;
        edit.leavesSimulation = simulationMode;
        edit.world = e->hit;
        if (showValues) {
            edit.target = InPlaceEdit::Target::PlaceMarking;
            edit.numeric = true;
            edit.text = num::FormatGeneral(place->Marking());
        } else {
            edit.target = InPlaceEdit::Target::PlaceVariable;
            edit.text = place->variableName;
        }
        return edit;
    }
    return {};
}

bool ApplyInPlaceText(const InPlaceEdit& edit, const std::string& text) {
    TGraphItem* e = edit.element;
    if (!e) return false;
    switch (edit.target) {
    case InPlaceEdit::Target::LabelText: static_cast<TSchriftObjekt*>(e)->SetText(text); return true;
    case InPlaceEdit::Target::Name: return EditName(*e, text);
    case InPlaceEdit::Target::PlaceMarking: return EditInitialTokens(*static_cast<TPlatz*>(e), text.empty() ? "0" : text);
    case InPlaceEdit::Target::PlaceVariable: return EditVariable(*static_cast<TPlatz*>(e), text);
    case InPlaceEdit::Target::DelayOrSpeed: return EditDelayOrSpeed(*static_cast<TTransition*>(e), text);
    case InPlaceEdit::Target::Weight: return EditWeight(*static_cast<TEdge*>(e), text);
    case InPlaceEdit::Target::ObjectName: {
        auto* frame = static_cast<TObjectFrame*>(e);
        return frame->object && EditObjectName(*frame->object, text);
    }
    case InPlaceEdit::Target::None: return false;
    }
    return false;
}

EditorSize LabelEditorSize(int widest, int lineHeight, int lines, double scale) {
    lines = std::max(1, lines);
    int width = widest > 0 ? widest + 40 : 50;
    if (scale >= 1) return {width, (lineHeight + 5) * (lines + 1)};
    return {int(std::lround(width / scale)), int(std::lround(lineHeight * lines / scale)) + 15};
}

int ValueEditorWidth(int textWidth, double scale) {
    const int width = textWidth + 30;
    return scale < 1 ? int(std::lround(width / scale)) : width;
}

} // namespace qz::ui

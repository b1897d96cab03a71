#include "editor/PropertyGrid.h"

#include <algorithm>
#include <cmath>

#include "common/NumberFormat.h"
#include "editor/ElementEdits.h"
#include "formula/FormulaBinding.h"
#include "model/PropertyEdits.h"
#include "model/TEdge.h"
#include "model/TObjectFrame.h"
#include "model/TObjekt.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "platform/Services.h"

namespace qz::ui {

namespace {

using Choices = std::vector<std::string>;

const Choices kTypes{"Discrete", "Continuous"};
const Choices kYesNo{"Yes", "No"};
const Choices kNoYes{"No", "Yes"};
const Choices kSizes{kSizeClassNames[0], kSizeClassNames[1], kSizeClassNames[2], kSizeClassNames[3],
                     kSizeClassNames[4]};
const Choices kTimeModes{"sec.", "stepwise"};
const Choices kShapeKinds{"Rect", "RoundRect", "Vertical Line", "Horizontal Line"};
const Choices kPenModes{"Empty", "Filled"};
const Choices kPenStyles{"Solid", "Dashed", "Dot"};
const Choices kAttributes{"All", "Only Used"};

constexpr const char* kNotValidDot = " is not valid. !";
constexpr const char* kNotValidTight = " is not valid!";

constexpr std::uint8_t kPenModeEmpty = 12, kPenModeFilled = 4;

PropertyRow Text(std::string name, std::string value, CellKeys keys = CellKeys::Any) {
    PropertyRow r;
    r.name = std::move(name);
    r.value = std::move(value);
    r.keys = keys;
    return r;
}

PropertyRow Box(std::string name, const Choices& choices, std::size_t chosen) {
    PropertyRow r;
    r.name = std::move(name);
    r.box = CellBox::Choices;
    r.choices = choices;
    r.value = chosen < choices.size() ? choices[chosen] : std::string();
    return r;
}

PropertyRow Fixed(std::string name, std::string value) {
    PropertyRow r = Text(std::move(name), std::move(value));
    r.editable = false;
    return r;
}

int IndexOf(const Choices& choices, const std::string& text) {
    const auto it = std::find(choices.begin(), choices.end(), text);
    return it == choices.end() ? -1 : int(it - choices.begin());
}

std::string Number(long double v) { return num::FormatGeneral(v, 15); }

// A box's text must be one of its choices; its message otherwise.
int Chosen(const PropertyRow& row, const char* ending) {
    const int i = IndexOf(row.choices, row.value);
    if (i < 0) Platform().messages->Error(RefusedText(row.value, ending));
    return i;
}

bool Refuse(const std::string& text, const char* ending = kNotValid) {
    Platform().messages->Error(RefusedText(text, ending));
    return false;
}

std::optional<long long> WholeNumber(const std::string& text, long long low, long long high) {
    const std::optional<long long> v = num::ParseInteger(text);
    if (!v || *v < low || *v > high) return std::nullopt;
    return v;
}

std::size_t TransitionLabels(const TTransition& t) {
    const bool name = t.nameLabel->visible, time = t.valueLabel->visible;
    return name && time ? 0 : name ? 1 : time ? 2 : 3;
}

} // namespace

void PropertyGrid::Clear() {
    element_ = nullptr;
    root_ = nullptr;
    rows_.clear();
    dirty_ = false;
}

void PropertyGrid::Show(TGraphItem* e, TPNObjekt* root, const std::vector<std::string>& classNames,
                        bool topLevel) {
    Clear();
    element_ = e;
    root_ = root;
    auto& r = rows_;
    if (!e) {
        if (!root) return;
        r.push_back(Text("Object Name", root->name));
        Choices classes{kEmptyObject};
        classes.insert(classes.end(), classNames.begin(), classNames.end());
        PropertyRow inherited = Box("Inherited From", classes, 0);
        inherited.value = root->baseName;
        inherited.editable = topLevel;
        r.push_back(std::move(inherited));
        return;
    }
    switch (e->Kind()) {
    case kind::Place: {
        auto* p = static_cast<TPlatz*>(e);
        r.push_back(Text("Name", p->name));
        r.push_back(Text("Variable", p->variableName));
        r.push_back(Box("Typ", kTypes, p->continuous));
        r.push_back(Text("Initial Tokens", Number(p->InitialMarking()), CellKeys::Decimal));
        r.push_back(Box("Show Label:", kYesNo, p->nameLabel->visible ? 0 : 1));
        r.push_back(Box("Size", kSizes, p->sizeClass));
        r.push_back(Box("Published", kNoYes, p->interfaceFlag ? 1 : 0));
        if (!p->continuous) r.push_back(Text("Capacity", p->capacity <= 0 ? "00" : Number(p->capacity), CellKeys::Decimal));
        break;
    }
    case kind::Transition: {
        auto* t = static_cast<TTransition*>(e);
        const bool discrete = !t->continuous;
        r.push_back(Text("Name", t->name));
        PropertyRow time = Text(discrete ? "Delay" : "Speed", t->functionText);
        time.button = CellButton::Formula;
        if (discrete) {
            time.modeChoices = kTimeModes;
            time.mode = t->timed ? kTimeModes[0] : kTimeModes[1];
        }
        r.push_back(std::move(time));
        r.push_back(Box("Typ", kTypes, t->continuous));
        r.push_back(Fixed("Color", "unused ..."));
        r.push_back(Box("Show Label",
                        discrete ? Choices{"Both", "Only Name", "Only Time", "No"}
                                 : Choices{"Both", "Only Name", "Only Speed", "No"},
                        TransitionLabels(*t)));
        r.push_back(Box("Size", kSizes, t->sizeClass));
        if (discrete) {
            r.push_back(Text("Priority", std::to_string(t->priority), CellKeys::Digits));
            r.push_back(Box("Reservation", kNoYes, t->reservation ? 1 : 0));
        }
        break;
    }
    case kind::Arc: {
        auto* a = static_cast<TEdge*>(e);
        PropertyRow weight = Text("Arc Weight", a->weightText);
        weight.button = CellButton::Formula;
        r.push_back(std::move(weight));
        r.push_back(Box("Show Label", kYesNo, a->valueLabel->visible ? 0 : 1));
        const ConnectionKind k = a->connectionKind;
        const bool kinds = k == ConnectionKind::Plain || k == ConnectionKind::TransitionToInterface ||
                           k == ConnectionKind::InterfaceToTransition;
        r.push_back(Box("Typ", kinds ? Choices{"Normal", "Inhibitor", "Test Arc"} : Choices{"Normal"}, a->arcKind));
        break;
    }
    case kind::Label: {
        auto* l = static_cast<TSchriftObjekt*>(e);
        PropertyRow text = Text("Text", l->Text());
        text.button = CellButton::TextEditor;
        r.push_back(std::move(text));
        PropertyRow font = Fixed("Font (Size: " + std::to_string(l->Font().size) + ")", l->Font().name);
        font.button = CellButton::Font;
        r.push_back(std::move(font));
        break;
    }
    case kind::Shape: {
        auto* s = static_cast<TObjekt*>(e);
        r.push_back(Text("LineWidth", std::to_string(s->lineWidth), CellKeys::Digits));
        r.push_back(Text("Radius", std::to_string(s->radius), CellKeys::Digits));
        r.push_back(Box("Typ", kShapeKinds, s->shapeKind));
        r.push_back(Fixed("Colour", "unused..."));
        r.push_back(Box("Pen Mode", kPenModes, s->penMode == kPenModeFilled ? 1 : 0));
        r.push_back(Box("Pen Style", kPenStyles, s->penStyle));
        break;
    }
    case kind::Frame: {
        auto* f = static_cast<TObjectFrame*>(e);
        r.push_back(Text("Object Name", f->object ? f->object->name : f->caption));
        r.push_back(Box("Size of Interface", kSizes, f->interfaceSizeClass));
        r.push_back(Box("Show Attributes", kAttributes, f->showOnlyUsed ? 1 : 0));
        break;
    }
    default: break;
    }
    for (PropertyRow& row : rows_) row.original = row.value;
}

int PropertyGrid::RowOf(const std::string& name) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].name == name) return int(i);
    }
    return -1;
}

void PropertyGrid::SetValue(std::size_t row, const std::string& text) {
    if (row >= rows_.size()) return;
    rows_[row].value = text;
    dirty_ = true;
}

void PropertyGrid::ChooseTimeMode(const std::string& choice) {
    const int row = RowOf("Delay");
    if (row < 0) return;
    PropertyRow& delay = rows_[std::size_t(row)];
    delay.mode = choice;
    if (choice == kTimeModes[1]) {
        delay.value = "-1";
    } else if (const std::optional<long double> v = num::ParseNumber(delay.value); v && *v < 0) {
        delay.value = "0";
    }
    dirty_ = true;
}

const std::string& PropertyGrid::Value(const char* row) const {
    static const std::string kNone;
    const int i = RowOf(row);
    return i < 0 ? kNone : rows_[std::size_t(i)].value;
}

PropertyRow& PropertyGrid::Row(const char* name) { return rows_.at(std::size_t(RowOf(name))); }

bool PropertyGrid::Changed(const char* row) const {
    const int i = RowOf(row);
    return i >= 0 && rows_[std::size_t(i)].value != rows_[std::size_t(i)].original;
}

const char* PropertyGrid::SaveWord() const {
    if (!element_) return "Save Object";
    switch (element_->Kind()) {
    case kind::Place: return "Save Place";
    case kind::Transition: return "Save Transition";
    case kind::Arc: return "Save Arc";
    case kind::Label: return "Save Label";
    case kind::Shape: return "Save Object";
    default: return "Save Frame";
    }
}

bool PropertyGrid::SavingLeavesSimulation() const {
    return element_ && (element_->Kind() == kind::Transition || element_->Kind() == kind::Arc);
}

bool PropertyGrid::Save() {
    if (rows_.empty()) return true;
    bool ok = true;
    if (!element_) {
        ok = SaveObject();
    } else {
        switch (element_->Kind()) {
        case kind::Place: ok = SavePlace(); break;
        case kind::Transition: ok = SaveTransition(); break;
        case kind::Arc: ok = SaveArc(); break;
        case kind::Label: ok = SaveLabel(); break;
        case kind::Shape: ok = SaveShape(); break;
        case kind::Frame: ok = SaveFrame(); break;
        default: break;
        }
    }
    if (ok) dirty_ = false;
    return ok;
}

bool PropertyGrid::SavePlace() {
    auto* p = static_cast<TPlatz*>(element_);
    if (Changed("Name") && !EditName(*p, Value("Name"))) return false;
    if (Changed("Variable") && !EditVariable(*p, Value("Variable"))) return false;
    const int type = Chosen(Row("Typ"), kNotValidName);
    if (type < 0) return false;
    if (type != p->continuous) {
        p->continuous = std::uint8_t(type);
        p->SetMarking(p->Marking());
    }
    if (Changed("Initial Tokens") && !EditInitialTokens(*p, Value("Initial Tokens"))) return false;
    const int label = Chosen(Row("Show Label:"), kNotValidDot);
    if (label < 0) return false;
    p->nameLabel->visible = label == 0;
    const int size = Chosen(Row("Size"), kNotValid);
    if (size < 0) return false;
    if (size != p->sizeClass) p->SetSizeClass(size);
    const int published = Chosen(Row("Published"), kNotValid);
    if (published < 0) return false;
    if (published != p->interfaceFlag) p->SetInterfaceFlag(std::uint8_t(published));
    if (Changed("Capacity")) {
        // "00", nothing or a value up to 0: unlimited.
        const std::string& text = Value("Capacity");
        std::optional<long double> v = text == "00" ? std::optional<long double>(-1) : InitialTokensFromText(text);
        if (!v) return Refuse(text);
        p->capacity = *v > 0 ? *v : -1;
    }
    return true;
}

bool PropertyGrid::SaveTransition() {
    auto* t = static_cast<TTransition*>(element_);
    if (Changed("Name") && !EditName(*t, Value("Name"))) return false;
    const int type = Chosen(Row("Typ"), kNotValid);
    if (type < 0) return false;
    const int labels = Chosen(Row("Show Label"), kNotValidTight);
    if (labels < 0) return false;
    const int size = Chosen(Row("Size"), kNotValid);
    if (size < 0) return false;
    const bool discrete = !t->continuous;
    std::optional<long long> priority;
    if (discrete && !Value("Priority").empty()) {
        priority = WholeNumber(Value("Priority"), -1000000000LL, 1000000000LL);
        if (!priority) return Refuse(Value("Priority"));
    }
    PropertyRow& time = Row(discrete ? "Delay" : "Speed");
    if (time.value != time.original) {
        if (!EditDelayOrSpeed(*t, time.value)) return false;
        time.value = t->functionText;
    }
    if (type != t->continuous) {
        t->continuous = std::uint8_t(type);
        t->SetFunctionText(t->functionText);
    }
    t->nameLabel->visible = labels == 0 || labels == 1;
    t->valueLabel->visible = labels == 0 || labels == 2;
    if (size != t->sizeClass) t->SetSizeClass(size);
    if (discrete) {
        if (priority) t->priority = std::int32_t(*priority);
        // The reservation is taken while the delay is not negative; a
        // transition reserves only for a firing time above 0.
        const int reserve = IndexOf(kNoYes, Value("Reservation"));
        if (reserve >= 0 && (t->isExpression || t->value >= 0)) {
            t->reservation = reserve == 1 && (t->isExpression || t->value > 0) ? 1 : 0;
        }
        time.mode = t->timed ? kTimeModes[0] : kTimeModes[1];
    }
    return true;
}

bool PropertyGrid::SaveArc() {
    auto* a = static_cast<TEdge*>(element_);
    PropertyRow& label = Row("Show Label");
    if (Changed("Arc Weight")) {
        if (!EditWeight(*a, Value("Arc Weight"))) return false;
        label.value = kYesNo[0];
    }
    const int shown = Chosen(label, kNotValid);
    if (shown < 0) return false;
    if ((shown == 0) != (a->valueLabel->visible != 0)) {
        a->valueLabel->visible = shown == 0;
        // Shown again, the label stands where it belongs.
        if (shown == 0) a->valueLabel->userPositioned = 0;
    }
    const int type = Chosen(Row("Typ"), kNotValid);
    if (type < 0) return false;
    a->arcKind = std::uint8_t(type);
    return true;
}

bool PropertyGrid::SaveLabel() {
    auto* l = static_cast<TSchriftObjekt*>(element_);
    if (Changed("Text")) {
        std::string text = Value("Text");
        // Lines are separated by "|" in a label's text.
        std::replace(text.begin(), text.end(), '\n', '|');
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        l->SetText(text);
    }
    return true;
}

bool PropertyGrid::SaveShape() {
    auto* s = static_cast<TObjekt*>(element_);
    std::optional<long long> width, radius;
    if (Changed("LineWidth") && !(width = WholeNumber(Value("LineWidth"), 1, 100))) return Refuse(Value("LineWidth"));
    if (Changed("Radius") && !(radius = WholeNumber(Value("Radius"), 0, 10000))) return Refuse(Value("Radius"));
    const int kindChosen = Chosen(Row("Typ"), kNotValid);
    const int mode = kindChosen < 0 ? -1 : Chosen(Row("Pen Mode"), kNotValid);
    const int style = mode < 0 ? -1 : Chosen(Row("Pen Style"), kNotValid);
    if (style < 0) return false;
    if (width) s->lineWidth = std::int32_t(*width);
    if (radius) s->radius = std::int32_t(*radius);
    if (kindChosen != s->shapeKind || width) s->SetShapeKind(std::uint8_t(kindChosen));
    s->penMode = mode == 1 ? kPenModeFilled : kPenModeEmpty;
    s->penStyle = std::uint8_t(style);
    return true;
}

bool PropertyGrid::SaveFrame() {
    auto* f = static_cast<TObjectFrame*>(element_);
    if (Changed("Object Name") && f->object && !EditObjectName(*f->object, Value("Object Name"))) return false;
    const int size = Chosen(Row("Size of Interface"), kNotValid);
    if (size < 0) return false;
    const int attributes = Chosen(Row("Show Attributes"), kNotValid);
    if (attributes < 0) return false;
    if (size != f->interfaceSizeClass) f->SetInterfaceSizeClass(size);
    if (attributes != f->showOnlyUsed) f->SetShowOnlyUsed(std::uint8_t(attributes));
    return true;
}

bool PropertyGrid::SaveObject() {
    if (!root_) return true;
    if (Changed("Object Name") && !EditObjectName(*root_, Value("Object Name"))) return false;
    const PropertyRow& inherited = Row("Inherited From");
    if (inherited.editable && inherited.value != inherited.original) {
        if (Chosen(inherited, kNotValidName) < 0) return false;
        root_->SetInherited(inherited.value);
    }
    return true;
}

} // namespace qz::ui

#include "editor/PopupMenus.h"

#include <array>

#include "model/TEdge.h"
#include "model/TObjectFrame.h"

namespace qz::ui {

namespace {

using K = PopupEntry::Kind;
constexpr PopupEntry I(Cmd c) { return {K::Item, c}; }
constexpr PopupEntry Sub(Cmd c) { return {K::Submenu, c}; }
constexpr PopupEntry kSeparator{K::Separator, Cmd::Count};
constexpr PopupEntry kEnd{K::EndSubmenu, Cmd::Count};

// clang-format off
constexpr auto kDocument = std::to_array<PopupEntry>({
    Sub(Cmd::NewMenu), I(Cmd::NewPlace), I(Cmd::NewTransition), I(Cmd::NewArc), I(Cmd::NewLabel), I(Cmd::NewObject), kEnd,
    I(Cmd::DocPaste), I(Cmd::SelectAll), kSeparator,
    I(Cmd::Undo), I(Cmd::Redo), kSeparator,
    I(Cmd::ZoomIn), I(Cmd::ZoomOut), I(Cmd::OneToOne), I(Cmd::Previous), kSeparator,
    I(Cmd::NamePlaces), I(Cmd::NameTransitions), I(Cmd::NameObjects), kSeparator,
    I(Cmd::EditClassDescription), I(Cmd::OpenParentObject), kSeparator,
    I(Cmd::InitNet), I(Cmd::InitNetAndDiagrams), I(Cmd::Properties),
    I(Cmd::DebugInfos), I(Cmd::DebugInformations), I(Cmd::ShowObjects),
});
constexpr auto kSimulation = std::to_array<PopupEntry>({
    I(Cmd::Step), I(Cmd::RunToNextEvent), kSeparator,
    I(Cmd::InitNet), I(Cmd::InitNetAndDiagrams), I(Cmd::EditMode), kSeparator,
    I(Cmd::ZoomIn), I(Cmd::ZoomOut), I(Cmd::OneToOne), I(Cmd::Previous), kSeparator,
    I(Cmd::Properties),
    I(Cmd::DebugInfos), I(Cmd::DebugInformations), I(Cmd::ShowObjects),
});
constexpr auto kPlace = std::to_array<PopupEntry>({
    I(Cmd::Copy), I(Cmd::Paste), I(Cmd::Duplicate), I(Cmd::Delete), kSeparator,
    I(Cmd::ArrangeName),
    Sub(Cmd::SizeMenu), I(Cmd::SizeVerySmall), I(Cmd::SizeSmall), I(Cmd::SizeNormal), I(Cmd::SizeLarge),
        I(Cmd::SizeVeryLarge), kEnd,
    Sub(Cmd::PopupArrangeMenu), I(Cmd::AlignLeft), I(Cmd::AlignHMiddle), I(Cmd::AlignRight), I(Cmd::AlignUpper),
        I(Cmd::AlignVMiddle), I(Cmd::AlignDown), kEnd,
    kSeparator, I(Cmd::ShowDiagramWindow), I(Cmd::ToFront), I(Cmd::ToBack),
});
constexpr auto kTransition = std::to_array<PopupEntry>({
    I(Cmd::Copy), I(Cmd::Paste), I(Cmd::Duplicate), I(Cmd::Delete), kSeparator,
    I(Cmd::ArrangeName), I(Cmd::Turn),
    Sub(Cmd::SizeMenu), I(Cmd::SizeVerySmall), I(Cmd::SizeSmall), I(Cmd::SizeNormal), I(Cmd::SizeLarge),
        I(Cmd::SizeVeryLarge), kEnd,
    Sub(Cmd::PopupArrangeMenu), I(Cmd::AlignLeft), I(Cmd::AlignHMiddle), I(Cmd::AlignRight), I(Cmd::AlignUpper),
        I(Cmd::AlignVMiddle), I(Cmd::AlignDown), kEnd,
    I(Cmd::ToFront), I(Cmd::ToBack),
});
constexpr auto kArc = std::to_array<PopupEntry>({
    Sub(Cmd::ArcTypeMenu), I(Cmd::NormalArc), I(Cmd::InhibitorArc), I(Cmd::TestArc), kEnd,
    kSeparator, I(Cmd::ArrangeWeight),
    I(Cmd::ChangeDirection), I(Cmd::DeleteAllPoints), I(Cmd::DeletePoint), kSeparator,
    I(Cmd::Delete), I(Cmd::ToFront), I(Cmd::ToBack),
});
constexpr auto kObject = std::to_array<PopupEntry>({
    I(Cmd::Copy), I(Cmd::DocPaste), I(Cmd::Duplicate), I(Cmd::Delete), kSeparator,
    Sub(Cmd::PopupArrangeMenu), I(Cmd::AlignLeft), I(Cmd::AlignHMiddle), I(Cmd::AlignRight), I(Cmd::AlignUpper),
        I(Cmd::AlignVMiddle), I(Cmd::AlignDown), kEnd,
    I(Cmd::ToFront), I(Cmd::ToBack),
});
constexpr auto kFrame = std::to_array<PopupEntry>({
    I(Cmd::OpenInstancedObject), I(Cmd::ViewInstancedObject), I(Cmd::ViewParentObject), I(Cmd::EditDocumentation),
    kSeparator,
    Sub(Cmd::InterfaceItemMenu), I(Cmd::ChangeSide), I(Cmd::BringUp), I(Cmd::BringDown), I(Cmd::SetInitialValue),
        I(Cmd::ShowDiagramWindow), kEnd,
    I(Cmd::ShowOnlyUsed), I(Cmd::InitSize), kSeparator,
    Sub(Cmd::PopupArrangeMenu), I(Cmd::AlignLeft), I(Cmd::AlignHMiddle), I(Cmd::AlignRight), I(Cmd::AlignUpper),
        I(Cmd::AlignVMiddle), I(Cmd::AlignDown), kEnd,
    I(Cmd::Delete),
});
constexpr auto kInheritedFrame = std::to_array<PopupEntry>({
    I(Cmd::ViewInstancedObject), I(Cmd::ViewClassDocumentation), I(Cmd::OpenParentObject), kSeparator,
    Sub(Cmd::InterfaceItemMenu), I(Cmd::ChangeSide), I(Cmd::BringUp), I(Cmd::BringDown), I(Cmd::SetInitialValue),
        I(Cmd::ShowDiagramWindow), kEnd,
    I(Cmd::ShowOnlyUsed), I(Cmd::InitSize),
});
// clang-format on

} // namespace

PopupChoice ChoosePopup(TGraphItem* element, const BendHit& bend, bool simulationMode) {
    PopupChoice c;
    c.element = element;
    if (!element) {
        c.menu = simulationMode ? PopupMenu::Simulation : PopupMenu::Document;
        return c;
    }
    switch (element->Kind()) {
    case kind::Frame: {
        const auto* frame = static_cast<const TObjectFrame*>(element);
        c.menu = frame->inherited ? PopupMenu::InheritedFrame : PopupMenu::Frame;
        c.interfaceItems = frame->FirstSelectedInterfacePlace() != nullptr;
        break;
    }
    case kind::Transition: c.menu = PopupMenu::Transition; break;
    case kind::Place: c.menu = PopupMenu::Place; break;
    case kind::Arc:
        c.menu = PopupMenu::Arc;
        c.bend = bend;
        c.deletePoint = bend.kind == BendHit::Kind::Point;
        c.arcType = !IsFusion(element->connectionKind);
        break;
    default: c.menu = PopupMenu::Object; break;
    }
    return c;
}

std::span<const PopupEntry> EntriesOf(PopupMenu menu) {
    switch (menu) {
    case PopupMenu::Document: return kDocument;
    case PopupMenu::Simulation: return kSimulation;
    case PopupMenu::Place: return kPlace;
    case PopupMenu::Transition: return kTransition;
    case PopupMenu::Arc: return kArc;
    case PopupMenu::Object: return kObject;
    case PopupMenu::Frame: return kFrame;
    case PopupMenu::InheritedFrame: return kInheritedFrame;
    }
    return {};
}

bool PopupItemVisible(Cmd c, const PopupChoice& choice, bool debugItems) {
    switch (c) {
    case Cmd::DeletePoint: return choice.deletePoint;
    case Cmd::ArcTypeMenu:
    case Cmd::ArrangeWeight: return choice.arcType;
    case Cmd::InterfaceItemMenu: return choice.interfaceItems;
    case Cmd::DebugInfos:
    case Cmd::DebugInformations:
    case Cmd::ShowObjects: return debugItems;
    default: return InfoOf(c).visible;
    }
}

} // namespace qz::ui

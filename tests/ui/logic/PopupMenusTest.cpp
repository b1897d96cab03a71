#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditorTestSupport.h"
#include "model/TEdge.h"
#include "model/TObjekt.h"
#include "model/TSchriftObjekt.h"

namespace qz::ui::test {
namespace {

// The items a popup shows, by object name, submenus with their items.
std::string Shown(const PopupChoice& choice, bool debugItems = false) {
    std::string items;
    for (const PopupEntry& e : EntriesOf(choice.menu)) {
        if (e.kind == PopupEntry::Kind::Separator || e.kind == PopupEntry::Kind::EndSubmenu) continue;
        if (PopupItemVisible(e.command, choice, debugItems)) items += std::string(InfoOf(e.command).objectName) + " ";
    }
    return items;
}

bool Has(const std::string& items, const char* objectName) {
    return items.find(std::string(objectName) + " ") != std::string::npos;
}

TEST(PopupMenus, EachElementKindOpensItsMenu) {
    Editor e;
    TPlatz* p = e.build.Place("p");
    TTransition* t = e.build.Trans("t");
    TEdge* plain = e.build.Arc(p, t);
    auto* label = static_cast<TSchriftObjekt*>(e.Net().Add(std::make_unique<TSchriftObjekt>()));
    auto* shape = static_cast<TObjekt*>(e.Net().Add(std::make_unique<TObjekt>()));
    TPNObjekt instance(e.doc.Root()), base(e.doc.Root());
    base.Frame().inherited = 1;
    const struct {
        TGraphItem* element;
        bool simulating;
        PopupMenu menu;
    } cases[] = {
        {nullptr, false, PopupMenu::Document}, {nullptr, true, PopupMenu::Simulation},
        {p, false, PopupMenu::Place},          {t, true, PopupMenu::Transition},
        {plain, false, PopupMenu::Arc},        {label, false, PopupMenu::Object},
        {shape, false, PopupMenu::Object},     {&instance.Frame(), false, PopupMenu::Frame},
        {&base.Frame(), true, PopupMenu::InheritedFrame},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChoosePopup(c.element, {}, c.simulating).menu, c.menu);
    }
}

TEST(PopupMenus, ItemsThatDependOnWhatLiesUnderTheMouse) {
    Editor e;
    TEdge arc(nullptr);
    const BendHit onPoint{BendHit::Kind::Point, 2, 0};
    const BendHit onSegment{BendHit::Kind::Segment, 0, 1};
    // "Delete Selected Point" only on a bend point; "Typ" and "Arrange
    // Weight" not for fusion arcs.
    EXPECT_TRUE(Has(Shown(ChoosePopup(&arc, onPoint, false)), "PunktLschen"));
    EXPECT_FALSE(Has(Shown(ChoosePopup(&arc, onSegment, false)), "PunktLschen"));
    EXPECT_TRUE(Has(Shown(ChoosePopup(&arc, {}, false)), "Typ1"));
    for (ConnectionKind k : {ConnectionKind::PlaceToInterface, ConnectionKind::InterfaceToPlace,
                             ConnectionKind::InterfaceToInterface}) {
        arc.connectionKind = k;
        const std::string items = Shown(ChoosePopup(&arc, {}, false));
        EXPECT_FALSE(Has(items, "Typ1"));
        EXPECT_FALSE(Has(items, "Namen1"));
        EXPECT_TRUE(Has(items, "Richtungtauschen1"));
    }
    // The invisible drawing-order items, and the debug items until asked for.
    EXPECT_FALSE(Has(Shown(ChoosePopup(&arc, {}, false)), "ToFront"));
    EXPECT_FALSE(Has(Shown(ChoosePopup(nullptr, {}, false)), "DebugInfos"));
    EXPECT_TRUE(Has(Shown(ChoosePopup(nullptr, {}, false), true), "DebugInfos"));
    // After a run the simulation menu leads back.
    const std::string simulation = Shown(ChoosePopup(nullptr, {}, true));
    for (const char* item : {"Schritt1", "RuntoNextEvent1", "Initialisieren1", "InitAll1", "EditierModus"}) {
        EXPECT_TRUE(Has(simulation, item)) << item;
    }
}

struct EnableCase {
    const char* what;
    CommandContext context;
    std::vector<Cmd> on, off;
};

TEST(PopupMenus, CommandEnablingFollowsModeSelectionClipboardAndHistory) {
    CommandContext editing;
    editing.anyDocument = true;
    CommandContext selected = editing;
    selected.selection = selected.anchor = true;
    CommandContext simulating = selected;
    simulating.simulationMode = true;
    simulating.clipboardFilled = simulating.canUndo = true;
    CommandContext history = editing;
    history.canUndo = history.canRedo = history.clipboardFilled = true;
    CommandContext running = history;
    running.engineRunning = true;
    CommandContext view = selected;
    view.editable = false;
    view.clipboardFilled = true;
    const EnableCase cases[] = {
        {"nothing selected", editing, {Cmd::SelectAll, Cmd::NewPlace, Cmd::InitNet},
         {Cmd::Copy, Cmd::Delete, Cmd::Paste, Cmd::DocPaste, Cmd::Undo, Cmd::PopupArrangeMenu, Cmd::Step}},
        {"a selection", selected, {Cmd::Copy, Cmd::Duplicate, Cmd::Delete, Cmd::ArrangeMenu}, {Cmd::Paste}},
        {"simulation", simulating, {Cmd::Copy, Cmd::Paste, Cmd::Step, Cmd::EditMode, Cmd::TokenTool},
         {Cmd::Delete, Cmd::NewPlace, Cmd::ArcTool, Cmd::Undo}},
        {"undo and redo", history, {Cmd::Undo, Cmd::Redo, Cmd::Paste}, {}},
        {"a maximum-speed run", running, {}, {Cmd::Undo, Cmd::Redo}},
        {"a view window", view,
         {Cmd::Copy, Cmd::SelectAll, Cmd::ViewInstancedObject, Cmd::ViewParentObject, Cmd::EditDocumentation},
         {Cmd::Delete, Cmd::Paste, Cmd::Duplicate, Cmd::NewPlace, Cmd::PopupArrangeMenu, Cmd::OpenInstancedObject,
          Cmd::SetInitialValue, Cmd::ChangeSide, Cmd::InitSize, Cmd::Turn, Cmd::SizeNormal, Cmd::NameObjects}},
    };
    for (const EnableCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (Cmd on : c.on) EXPECT_TRUE(CommandEnabled(on, c.context)) << InfoOf(on).objectName;
        for (Cmd off : c.off) EXPECT_FALSE(CommandEnabled(off, c.context)) << InfoOf(off).objectName;
    }
}

} // namespace
} // namespace qz::ui::test

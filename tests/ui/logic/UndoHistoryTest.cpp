#include <gtest/gtest.h>

#include <string>

#include "editor/UndoHistory.h"

namespace qz::ui {
namespace {

DocumentImage Image(char tag, std::size_t bytes = 1) { return {std::vector<std::uint8_t>(bytes, tag), {}, 0}; }

char Tag(const std::optional<DocumentImage>& image) { return image ? char(image->net.front()) : '-'; }

TEST(UndoHistory, UndoAndRedoWalkTheStepsAndTheModifiedFlagFollowsTheSavedState) {
    UndoHistory h;
    h.MarkSaved();
    h.Record("first", Image('a'));
    h.Record("second", Image('b'));
    EXPECT_TRUE(h.Modified());
    EXPECT_EQ(h.UndoName(), "second");
    EXPECT_EQ(Tag(h.Undo(Image('c'))), 'b');
    EXPECT_EQ(h.RedoName(), "second");
    EXPECT_EQ(Tag(h.Undo(Image('b'))), 'a');
    EXPECT_FALSE(h.Modified()); // back where it was saved
    EXPECT_EQ(Tag(h.Undo(Image('a'))), '-');
    EXPECT_EQ(Tag(h.Redo(Image('a'))), 'b');
    EXPECT_TRUE(h.Modified());
    // A new step drops what could be redone.
    h.Record("third", Image('x'));
    EXPECT_FALSE(h.CanRedo());
    // Saved in between, then changed outside any step: undo never finds
    // the saved state again by accident.
    h.MarkSaved();
    h.Changed();
    EXPECT_TRUE(h.Modified());
    h.Undo(Image('y'));
    EXPECT_TRUE(h.Modified());
}

struct BoundCase {
    const char* what;
    std::size_t maxSteps, maxBytes, steps, bytesEach;
    std::size_t kept;
};

TEST(UndoHistory, TheOldestStepsGoFirstAtTheBounds) {
    const BoundCase cases[] = {
        {"by count", 100, std::size_t(64) << 20, 150, 10, 100},
        {"by bytes", 100, 1000, 50, 100, 10},
        {"the newest step stays, however large", 100, 1000, 3, 5000, 1},
    };
    for (const BoundCase& c : cases) {
        SCOPED_TRACE(c.what);
        UndoHistory h(c.maxSteps, c.maxBytes);
        for (std::size_t i = 0; i < c.steps; ++i) h.Record(std::to_string(i), Image(char('a' + i % 26), c.bytesEach));
        EXPECT_EQ(h.Steps(), c.kept);
        EXPECT_EQ(h.UndoName(), std::to_string(c.steps - 1));
        std::size_t undone = 0;
        while (h.Undo(Image('z', c.bytesEach))) ++undone;
        EXPECT_EQ(undone, c.kept);
    }
}

} // namespace
} // namespace qz::ui

#pragma once
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "editor/UndoHistory.h"
#include "editor/ViewState.h"

namespace qz {
class TGraphItem;
class TNetList;
class TPNObjekt;
class Window;
} // namespace qz

namespace qz::ui {

class TWorkspace;

inline constexpr const char* kUntitledCaption = "Editor";
inline constexpr const char* kNetFilter = "*.pn|*.pn";
// "All nets (*.pn *.pnml)" first, so that a typed name of either kind opens.
inline constexpr const char* kOpenFilter = "All nets|*.pn *.pnml|*.pn|*.pn|*.pnml|*.pnml";
inline constexpr const char* kNetExtension = "*.pn";

// The backup file of a net file: the directory, the file name up to its
// first ".", "~" and ".pn"; a name part that already ends with "~" is the
// backup file itself, without extension.
std::string BackupFileName(const std::string& path);
// The file name without directory and extension.
std::string ShortNameOf(const std::string& path);
// The file name without directory.
std::string FileNameOnly(const std::string& path);

std::string OlderVersionSaveText(const std::string& version);
std::string OlderVersionSaveAsText(const std::string& version);
std::string ReplaceFileText(const std::string& path);
std::string SaveChangesText(const std::string& path);
std::string SaveFailedText(const std::string& path, const std::string& reason);

enum class SaveResult { Saved, Cancelled, Failed };

// One document: the root object a document window shows, with its file
// name, modified flag, modes, view and status texts, and the file commands
// that act on it. Questions go through the platform's message boxes and file
// dialogs; the window only shows what this holds.
class TDocument {
public:
    // The window the net draws on and invalidates (may be null).
    TDocument(TWorkspace& workspace, Window* window);
    ~TDocument();
    TDocument(const TDocument&) = delete;
    TDocument& operator=(const TDocument&) = delete;

    TWorkspace& Workspace() const { return workspace_; }
    // Null between closing and freeing.
    TPNObjekt* Root() const { return root_.get(); }
    TNetList* Net() const;

    const std::string& FileName() const { return fileName_; }
    const std::string& ShortName() const { return shortName_; }
    // The full file name, or "Editor" while there is none.
    std::string Caption() const;
    void SetFileName(const std::string& path);
    bool Modified() const { return modified_; }
    // True writes "Changed" into status panel 0.
    void SetModified(bool on);

    bool ShowValues() const { return showValues_; }
    // Passes the flag to every element; the window redraws.
    void SetShowValues(bool on);

    bool simulationMode = false;
    bool topLevel = true;
    bool editingEnabled = true;
    // The element the property window shows, and the element last picked
    // (the reference of the alignment commands); either may be null.
    TGraphItem* current = nullptr;
    TGraphItem* anchor = nullptr;
    // Status panels 0 .. 5.
    std::array<std::string, 6> status;
    TViewState view;

    // Reads a .pn or .pnml file into the (empty) root object. The reader
    // reports its own failures; false when nothing usable was read.
    bool LoadDocument(const std::string& path);
    // "Save" (backup false) and the backup written when a changed net enters
    // simulation mode; a document without a file name is saved as.
    SaveResult SaveDocument(bool backup);
    SaveResult SaveDocumentAs();
    // The close question of a changed top-level document; Yes saves. False
    // when the document must stay open (Cancel, or a save that failed).
    bool QueryClose();
    // Frees the net and forgets the file (the document is being closed and
    // no longer counts among the workspace's documents).
    void Reset();

    // Undo. A changing command brackets itself with BeginChange and
    // EndChange; the image taken at the outermost BeginChange becomes an
    // undo step when SetModified(true) was called in between. Nothing is
    // recorded in simulation mode.
    UndoHistory& History() { return history_; }
    const UndoHistory& History() const { return history_; }
    void BeginChange(const std::string& what);
    void EndChange();
    // Within a change: whether the net differs from the image its outermost
    // BeginChange took (false in simulation mode, where none is taken).
    bool DiffersFromBeginning() const;
    // Takes back (does again) the last step; false when there is none. The
    // net is read back from its image: every element is new.
    bool Undo();
    bool Redo();
    DocumentImage TakeImage() const;
    // Puts the net back as the image holds it; the file name, version and
    // read-with-errors mark of the document stay.
    bool RestoreImage(const DocumentImage& image);

    // Set by the window: something shown (caption, status texts) changed.
    std::function<void()> changed;
    // Set by the window: a save starts (the progress bar runs).
    std::function<void()> saving;

private:
    void Changed();
    // An undo (back) or redo step.
    bool Step(bool back);
    // The modified flag and status text follow an undo or redo.
    void FollowHistory();
    bool WriteTo(const std::string& path);

    TWorkspace& workspace_;
    Window* window_;
    std::unique_ptr<TPNObjekt> root_;
    std::string fileName_;
    std::string shortName_;
    bool modified_ = false;
    bool showValues_ = false;
    UndoHistory history_;
    int changeDepth_ = 0;
    bool changeSeen_ = false;
    std::string changeName_;
    std::optional<DocumentImage> changeImage_;
};

} // namespace qz::ui

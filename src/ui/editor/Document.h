#pragma once
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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

// A window onto an object that may not change it: the status text of a try.
inline constexpr const char* kViewOnlyText = "This window only shows the object: it cannot be changed here.";
// ... and while the simulation of the document it belongs to runs.
inline constexpr const char* kOwnerSimulatesText =
    "The net this object belongs to is being simulated: it cannot be changed now.";

// Where an object lies in a document's hierarchy, from the root: each step
// is the child of that name, or the base object.
struct ObjectStep {
    bool base = false;
    std::string name;
    friend bool operator==(const ObjectStep&, const ObjectStep&) = default;
};
using ObjectPath = std::vector<ObjectStep>;
// The path of `target` below `root`, or nothing when it is not there.
std::optional<ObjectPath> PathOf(const TPNObjekt& root, const TPNObjekt& target);
// The object at that path, or null.
TPNObjekt* ObjectAt(const TPNObjekt& root, const ObjectPath& path);

enum class SaveResult { Saved, Cancelled, Failed };

// One document: the root object a document window shows, with its file
// name, modified flag, modes, view and status texts, and the file commands
// that act on it. Questions go through the platform's message boxes and file
// dialogs; the window only shows what this holds.
//
// A document may also show an object of another document's hierarchy (a
// placed instance, or a class an object inherits from) without owning it:
// a window onto an object. It has no file and no undo of its own: its
// changes are changes of the owner (its modified flag, its undo steps, its
// file), and saving saves the owner. It lets go of the object when the
// object is destroyed (`objectGone` tells the window).
class TDocument {
public:
    // The window the net draws on and invalidates (may be null).
    TDocument(TWorkspace& workspace, Window* window);
    // A window onto `object`, which `owner`'s hierarchy holds; `editable`
    // false makes it a view.
    TDocument(TWorkspace& workspace, Window* window, TDocument& owner, TPNObjekt& object, bool editable);
    ~TDocument();
    TDocument(const TDocument&) = delete;
    TDocument& operator=(const TDocument&) = delete;

    TWorkspace& Workspace() const { return workspace_; }
    // The object shown: the document's root object, or the object a window
    // onto an object shows. Null between closing and freeing, and once the
    // object shown went away.
    TPNObjekt* Root() const { return owner_ ? object_ : root_.get(); }
    TNetList* Net() const;
    // The owning document of a window onto an object (null for one that
    // owns its root).
    TDocument* Owner() const { return owner_; }
    // Whether the net shown may be changed now: not in a view, and not
    // while the owner is being simulated.
    bool MayEdit() const;
    // The status text for a change that MayEdit refuses (empty when none).
    std::string RefusalText() const;
    // A window onto an object shows another object of the owner's hierarchy
    // (after the owner's net was read anew).
    void Attach(TPNObjekt& object);
    // Set by the window of an object: the object is being destroyed.
    std::function<void()> objectGone;

    const std::string& FileName() const { return owner_ ? owner_->FileName() : fileName_; }
    const std::string& ShortName() const { return owner_ ? owner_->ShortName() : shortName_; }
    // The full file name, or "Editor" while there is none; for a window onto
    // an object the owner's caption, " - " and the object's name (and
    // " (View)" for a view).
    std::string Caption() const;
    void SetFileName(const std::string& path);
    bool Modified() const { return owner_ ? owner_->Modified() : modified_; }
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
    UndoHistory& History() { return owner_ ? owner_->History() : history_; }
    const UndoHistory& History() const { return owner_ ? owner_->History() : history_; }
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
    // A window onto an object lets go of it.
    void Release();
    // The owner closes: its windows onto objects let go of it.
    void ReleaseViews();

    TWorkspace& workspace_;
    Window* window_;
    std::unique_ptr<TPNObjekt> root_;
    TDocument* owner_ = nullptr;
    TPNObjekt* object_ = nullptr;
    // An owner: its windows onto objects.
    std::vector<TDocument*> views_;
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

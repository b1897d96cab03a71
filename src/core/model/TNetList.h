#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/Geometry.h"
#include "model/SimulationLists.h"

namespace qz {

class Canvas;
class TEdge;
class TGraphItem;
class TInterfacePlace;
class TObjectFrame;
class TPNObjekt;
class TPlatz;
class TVariableTable;
class Window;

enum class Alignment { Left, HorizontalCentre, Right, Top, VerticalCentre, Bottom };

// Arrays, not pointers to literals: each is one object in the whole program,
// so a query's text can be told apart by its address.
inline constexpr char kDeleteNodesText[] = "This deletes all selected objects and the assigned arcs..";
inline constexpr char kDeleteArcsText[] = "This deletes all selected arcs..";
inline constexpr char kDeleteOthersText[] = "This deletes all selected graphical objects...";

// What deleting the selection of a net would do, found without changing
// anything: the elements that would go (the selected ones except frames of
// base objects, and the arcs that go with a selected place, transition or
// frame), in list order, and the confirmation text to ask with (null when
// nothing would be deleted).
struct DeletionQuery {
    std::vector<TGraphItem*> elements;
    const char* confirmation = nullptr;
    bool Empty() const { return elements.empty(); }
};

// One net: its elements in drawing order (the last lies on top) and the
// objects placed in it. Owns every element except frames, which belong to
// their objects, and owns the child objects.
class TNetList {
public:
    explicit TNetList(TPNObjekt* owner, Window* w = nullptr);
    ~TNetList();
    TNetList(const TNetList&) = delete;
    TNetList& operator=(const TNetList&) = delete;

    // Binding to a window.
    void SetWindow(Window* w);
    void SetCanvas(Canvas* c);
    void SetShown(bool on);
    Window* GetWindow() const { return window_; }
    bool Shown() const { return shown_ != 0; }

    std::size_t Count() const { return elements_.size(); }
    TGraphItem* At(std::size_t i) const { return elements_[i]; }
    const std::vector<TGraphItem*>& Elements() const { return elements_; }
    std::vector<std::unique_ptr<TPNObjekt>>& Children() { return children_; }
    const std::vector<std::unique_ptr<TPNObjekt>>& Children() const { return children_; }
    TPNObjekt* Owner() const { return owner_; }
    TVariableTable* Variables() const;
    std::size_t IndexOf(const TGraphItem* e) const;

    // Adding and removing. Add takes ownership; frames are added with
    // AddFrame, which does not.
    TGraphItem* Add(std::unique_ptr<TGraphItem> e, bool invalidate = false);
    void AddFrame(TObjectFrame* frame, bool invalidate = false);
    // Frames: removes and destroys their object. Others: removes, invalidates
    // and destroys the element.
    void Remove(TGraphItem* e);
    // Removes without destroying; the caller owns the result (null for frames).
    std::unique_ptr<TGraphItem> RemoveFromListAt(std::size_t index);
    // Unlinks an element from its arcs before it is removed.
    void Detach(TGraphItem* e);
    // Unlinks and destroys every arc of this net at an interface place,
    // resetting the fusions those arcs carried. The result lists the
    // destroyed arcs, for bookkeeping only.
    std::vector<const TEdge*> RemoveArcsOfInterfacePlace(TInterfacePlace& ip);
    // Deleting the selection in two halves, so that a window can ask first
    // and record the state before anything changes: the query, then the
    // deletion itself (no question; frames of base objects are deselected
    // and stay).
    DeletionQuery QueryDeleteSelected() const;
    void DeleteSelection();
    // Both halves with the question in a message box (warning, OK/Cancel),
    // after deselecting frames of base objects; true when deleted.
    bool DeleteSelected();
    // Removes every element and child object.
    void Clear();
    // Removes and destroys many elements (no frames) in one pass, without
    // invalidating them; for readers discarding what they could not connect.
    void DestroyElements(const std::vector<TGraphItem*>& doomed);
    // Moves the given elements to the start of the list in the given order;
    // the others keep their order behind them. One pass over the list.
    void MoveToBack(const std::vector<TGraphItem*>& elements);

    // Child objects.
    void AddChild(std::unique_ptr<TPNObjekt> child);
    std::unique_ptr<TPNObjekt> ReleaseChild(TPNObjekt* child);

    // Selection and geometry.
    void SetSelected(TGraphItem* e, bool on);
    void DeselectAll();
    void SelectAll();
    bool SelectInRect(const TRect& r);
    std::size_t SelectedCount() const;
    TGraphItem* ElementAt(TPoint p);
    TRect BoundsOfSelection() const;
    TRect BoundsOfAll() const;
    // What an element covers when drawn: its hit rectangle (an arc's bounds)
    // and its visible labels.
    static TRect ExtentOf(TGraphItem* e);
    void MoveSelected(int dx, int dy);
    // Puts the drag position (bounds) of every selected place and transition
    // back on its drawn position (hit rectangle), so that a drag that starts
    // after a snapped move, or after grid alignment was switched, does not
    // make the element jump. The editor calls it when a drag starts.
    void AnchorSelectedDragPositions();
    void RefreshArcsOfSelected();
    void SetSizeClassOfSelected(int sizeClass);
    void BringToFront(TGraphItem* e);
    void SendToBack(TGraphItem* e);
    void AlignSelected(const TGraphItem* reference, Alignment a);
    void DrawAll();
    // Draws, in drawing order, only the elements whose drawing may meet the
    // world rectangle `visible` (a window's view); the others keep their
    // state until they come into view.
    void DrawAll(const TRect& visible);
    // A world rectangle that holds everything an element draws: its figure
    // with arrow heads and pen widths, and its labels, also those that the
    // element places next to itself while it draws.
    static TRect DrawingExtent(TGraphItem& e);
    void DrawSelected();
    void InvalidateAll();

    // Naming.
    void NamePlacesAutomatically();
    void NameTransitionsAutomatically();
    void MakeUniqueVariableName(TPlatz* place) const;
    // For pasting: counts up from the number the name ends with.
    static std::string UniqueVariableNameAmong(const std::string& name,
                                               const std::vector<std::string>& taken);
    bool VariableNameIsFree(const std::string& variable) const;
    void CollectVariableNames(std::vector<std::string>& names) const;

    // Copies of the selected elements, offset by two grid sizes.
    void CopySelected(std::vector<std::unique_ptr<TGraphItem>>& target) const;

    // Simulation support; recursive over child objects (and their bases).
    void CollectSimulationLists(SimulationLists& lists) const;
    void ResetToInitialState();
    void SetShowValues(bool on);
    void RegisterPlaceVariables();
    void ResolveFusion();
    void SelectFiringTransitions();
    void MarkInvalidArcs(int& counter, bool enhancedRule);
    void RecordOscilloscopeSample(double time);
    void ClearOscilloscopeData();
    std::size_t TotalElementCount() const;

    // Every element kept by this net's elements and, recursively, those of
    // the child objects; frames are visited too.
    void ForEachElement(const std::function<void(TGraphItem*)>& f) const;

    std::string name;
    int number = 0;

private:
    void RefreshArcsOf(TGraphItem* e);
    void DeselectBaseFrames();
    void RemoveAt(std::size_t index, bool destroy);

    std::uint8_t shown_ = 0;
    Canvas* canvas_ = nullptr;
    std::vector<TGraphItem*> elements_;
    Window* window_ = nullptr;
    TPNObjekt* owner_;
    std::vector<std::unique_ptr<TPNObjekt>> children_;
};

} // namespace qz

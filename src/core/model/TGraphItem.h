#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/Geometry.h"

namespace qz {

class BinaryReader;
class BinaryWriter;
class Canvas;
class TEdge;
class TPNObjekt;
class TSchriftObjekt;
class Window;

// Element kind codes, as the net list, the file format and the description
// dispatch on them.
namespace kind {
inline constexpr char Base = 'G';
inline constexpr char Place = 'P';
inline constexpr char Transition = 'T';
inline constexpr char Arc = 'E';
inline constexpr char Label = 'S';
inline constexpr char Shape = 'O';
inline constexpr char Frame = 'F';
inline constexpr char InterfacePlace = 'I';
} // namespace kind

// How the ends of an arc relate to interface places (a byte in net files).
enum class ConnectionKind : std::uint8_t {
    Plain = 0,                 // place -> transition or transition -> place
    PlaceToInterface = 1,      // fusion: the inner place takes the place's marking
    InterfaceToPlace = 2,      // fusion: the place takes the inner place's marking
    TransitionToInterface = 3, // acts on the inner place, drawn to the interface place
    InterfaceToTransition = 4, // reads the inner place, drawn from the interface place
    InterfaceToInterface = 5,  // fusion: the target's inner place takes the source's
};
inline constexpr std::uint8_t kConnectionKinds = 6;

// The kinds whose arc fuses two places into one marking.
constexpr bool IsFusion(ConnectionKind k) {
    return k == ConnectionKind::PlaceToInterface || k == ConnectionKind::InterfaceToPlace ||
           k == ConnectionKind::InterfaceToInterface;
}

// Whether the source (target) of an arc of this kind is drawn at an
// interface place, which files name by object and variable name, rather than
// at a place or transition of the net, which they name by its key.
constexpr bool SourceIsInterface(ConnectionKind k) {
    return k == ConnectionKind::InterfaceToPlace || k == ConnectionKind::InterfaceToTransition ||
           k == ConnectionKind::InterfaceToInterface;
}
constexpr bool TargetIsInterface(ConnectionKind k) {
    return k == ConnectionKind::PlaceToInterface || k == ConnectionKind::TransitionToInterface ||
           k == ConnectionKind::InterfaceToInterface;
}

// Size classes of places, transitions and interface places.
inline constexpr const char* kSizeClassNames[5] = {"Very Small", "Small", "Normal", "Large",
                                                   "Very Large"};

// Live-instance counters of the element classes, for the diagnostics view.
struct InstanceCounts {
    long places = 0, transitions = 0, arcs = 0, labels = 0, shapes = 0, frames = 0,
         interfacePlaces = 0, edgeLists = 0;
};
InstanceCounts& LiveInstances();

// The base of every net element.
class TGraphItem {
public:
    virtual ~TGraphItem();
    TGraphItem(const TGraphItem&) = delete;
    TGraphItem& operator=(const TGraphItem&) = delete;

    char Kind() const { return kind_; }

    virtual TRect GetBounds();
    virtual void SetBounds(const TRect& r);
    // Centre of the hit rectangle, integer division towards zero.
    TPoint GetCenter() const;
    virtual void SetCanvas(Canvas* c);
    virtual void SetSizeClass(int sizeClass);
    virtual void SetSelected(bool on);
    virtual void SetHighlight(bool on);
    virtual void SetShown(bool on);
    virtual void Draw();
    virtual bool HitTest(TPoint p);
    virtual bool MoveBy(int dx, int dy, Window* w);
    virtual void SaveToStream(BinaryWriter& out) const;
    virtual void LoadFromStream(BinaryReader& in, const std::string& version);
    virtual void Invalidate(Window* w);
    // A copy for the clipboard, offset by (dx, dy): what the element kind
    // carries over, without links to other elements (the net list joins
    // copied arcs to the copies of their ends). Null for the kinds that are
    // not copied (frames, interface places).
    virtual std::unique_ptr<TGraphItem> Copy(int dx, int dy) const;
    void ResetLabels(Window* w);
    void SetErrorMark(bool on);
    // The message the base shows; elements are edited in the property window.
    void ShowPropertyDialog();

    // Invalidates through the element's own window when it is shown.
    void InvalidateIfShown() {
        if (shown) Invalidate(window);
    }

    std::uint8_t shown = 0;
    std::uint8_t sizeClass = 2;
    std::uint8_t errorMark = 0;
    TRect bounds{0, 0, 30, 30};
    Canvas* canvas = nullptr;
    std::uint8_t highlight = 0;
    Window* window = nullptr;
    TPNObjekt* owner = nullptr;
    ConnectionKind connectionKind = ConnectionKind::Plain;
    std::uint8_t selected = 0;
    std::uint8_t continuous = 0;
    std::int32_t key = 0;
    std::vector<TEdge*> InEdgeList;
    std::vector<TEdge*> OutEdgeList;
    std::unique_ptr<TSchriftObjekt> nameLabel;
    std::unique_ptr<TSchriftObjekt> valueLabel;
    TRect hit{0, 0, 30, 30};

protected:
    // Elements with labels get the two labels, both visible.
    TGraphItem(char kind, bool withLabels);
    void SetHitRect(const TRect& r) { hit = r; }
    // Moving a place or transition: offsets the drag position (bounds) by
    // (dx, dy). Without grid alignment the element is drawn where it is
    // dragged (Free, hit = bounds). With it, the element stays while the drag
    // position is less than a grid size away from where it is drawn (Stay);
    // otherwise `centre` is the drag position's centre, with the given half
    // extents, snapped to the grid towards zero (Snapped).
    enum class GridMove { Free, Stay, Snapped };
    GridMove MoveDragPosition(int dx, int dy, double halfWidth, double halfHeight, TPoint& centre);
    // A label that follows its moved element: a user-positioned one keeps its
    // offset (moves by dx, dy) and true is returned; false means the caller
    // places it automatically.
    static bool KeepLabelOffset(TSchriftObjekt& label, int dx, int dy);
    void DrawLabel(TSchriftObjekt* label);
    // The diagnostic shown when an element that is not shown is invalidated.
    void ReportInvalidInvalidate(const char* className) const;
    void InvalidateWorld(Window* w, const TRect& r) const;

private:
    char kind_;
};

} // namespace qz

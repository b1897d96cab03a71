#pragma once
#include <cstddef>
#include <string>

#include "common/Geometry.h"
#include "model/BendPoints.h"
#include "editor/EditorHost.h"
#include "settings/ProgramSettings.h"

namespace qz {
class TEdge;
class TGraphItem;
} // namespace qz

namespace qz::ui {

class TDocument;

// The tools of a document by cursor number: the editing tools of the tool
// page and the view tools of the tool bar.
namespace tool {
inline constexpr int Select = 0;
inline constexpr int Arcs = -3;
inline constexpr int DiscretePlace = 1;
inline constexpr int ContinuousPlace = 2;
inline constexpr int DiscreteTransition = 3;
inline constexpr int ContinuousTransition = 4;
inline constexpr int Token = 5;
inline constexpr int Label = 6;
inline constexpr int Shape = 7;
inline constexpr int Hand = 11;
inline constexpr int ZoomIn = 13;
inline constexpr int ZoomOut = 14;
inline constexpr int ZoomArea = 15;
// The tools that make an element where the user clicks.
constexpr bool Creates(int t) { return (t >= DiscretePlace && t <= ContinuousTransition) || t == Label || t == Shape; }
} // namespace tool

enum class MouseButton { Left, Right, Middle };

// A mouse event in client pixels, with the keys held.
struct PointerEvent {
    int x = 0, y = 0;
    bool shift = false, alt = false;
};

// What a gesture shows over the net while it runs, in client pixels: an
// inverted dotted rectangle (rubber band, the outline of a quick move) or
// line (connect drag, hand tool).
struct Overlay {
    enum class Kind { None, Rectangle, Line } kind = Kind::None;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool operator==(const Overlay&) const = default;
};

// Press, move and release of the mouse on a document's net, and the click
// of the creating tools: selecting (shift-click, rubber band), moving the
// selection ("Detail", "Quick", "Automatic", the grid), dragging and
// inserting bend points, connecting with the arc tool, adding tokens,
// creating elements, the zoom and hand tools, and the right button's popup
// choice. World coordinates come from the document's view; the net changes
// through the model's operations; everything else goes to the host.
class EditGestures {
public:
    EditGestures(TDocument& document, EditorHost& host);

    int Tool() const { return tool_; }
    void SetTool(int cursorNumber) { tool_ = cursorNumber; }
    // The arc tool draws arcs.
    bool ConnectFlag() const { return tool_ == tool::Arcs; }

    void Press(MouseButton button, const PointerEvent& e);
    void Move(const PointerEvent& e);
    void Release(MouseButton button, const PointerEvent& e);

    // Whether a gesture runs (press seen, release not yet).
    bool Active() const { return state_ != State::Idle; }
    // A selection is dragged: painting leaves the scroll ranges alone.
    bool DraggingSelection() const { return state_ == State::Dragging || state_ == State::BendDrag; }
    const Overlay& CurrentOverlay() const { return overlay_; }
    // The last mouse position (client pixels) and its world point; the
    // world point of the last right-button press (where the popup opened).
    TPoint LastPixel() const { return last_; }
    TPoint LastWorld() const;
    TPoint PopupWorld() const { return popupWorld_; }
    TPoint PopupPixel() const { return popupPixel_; }
    // The bend point hit by the last right-button press on an arc.
    const BendHit& PopupBendHit() const { return popupBend_; }
    // Forgets every element reference (the net was replaced or cleared).
    void Reset();

private:
    enum class State { Idle, Dragging, BendDrag, Connect, RubberBand };

    void PressLeft(const PointerEvent& e);
    void PressOnElement(TGraphItem* hit, const PointerEvent& e, TPoint world);
    void PressRight(const PointerEvent& e);
    void AddToken(TGraphItem* place);
    void StartBendDrag(TEdge* arc, const BendHit& bend);
    void MoveBendPoint(TPoint world);
    void DragSelection(const PointerEvent& e);
    void ReleaseDrag();
    void ReleaseRubberBand(const PointerEvent& e);
    void ReleaseConnect(const PointerEvent& e);
    void Create(const PointerEvent& e);
    void SetOverlay(const Overlay& o);
    // The selection moves element by element with the mouse (Detail), or
    // as an outline moved on release (Quick).
    MovingDetail ModeOfThisDrag() const;
    TRect WorldToClient(const TRect& r) const;

    TDocument& doc_;
    EditorHost& host_;
    int tool_ = tool::Select;
    State state_ = State::Idle;
    bool firstMove_ = true;
    bool moved_ = false;
    bool changing_ = false;
    TPoint press_{}, last_{};
    TPoint popupWorld_{}, popupPixel_{};
    BendHit popupBend_{};
    // Bend-point drag.
    TEdge* bendArc_ = nullptr;
    std::size_t bendIndex_ = 0;
    bool insertPending_ = false;
    TPoint bendLast_{};
    // Quick move: the selection's outline and the offset it was moved by.
    TRect outline_{};
    bool outlineShown_ = false;
    bool directMove_ = false;
    int offsetX_ = 0, offsetY_ = 0;
    // Connect drag.
    TGraphItem* connectSource_ = nullptr;
    Overlay overlay_;
};

} // namespace qz::ui

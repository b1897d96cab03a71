#pragma once
#include <memory>
#include <string>
#include <vector>

#include "model/TGraphItem.h"

namespace qz {

class TInterfacePlace;
class TPlatz;

inline constexpr int kFrameStripWidths[5] = {12, 15, 18, 25, 32};
inline constexpr int kFrameCornerRadii[5] = {15, 15, 15, 20, 25};

inline constexpr const char* kFusionNotValid = "Fusion not valid...";
inline constexpr const char* kFusionConflict =
    "This operation is not valid.\rThere would be a fusion conflict.";

// The element that shows an object in a parent net (or a base object inside
// a derived class's net): a head line with the object's name and two side
// strips carrying the object's interface places.
class TObjectFrame : public TGraphItem {
public:
    explicit TObjectFrame(TPNObjekt* object);
    ~TObjectFrame() override;

    void SetBounds(const TRect& r) override;
    void SetCanvas(Canvas* c) override;
    void SetSelected(bool on) override;
    void SetShown(bool on) override;
    void Draw() override;
    bool HitTest(TPoint p) override;
    bool MoveBy(int dx, int dy, Window* w) override;
    void SaveToStream(BinaryWriter& out) const override;
    void LoadFromStream(BinaryReader& in, const std::string& version) override;
    void Invalidate(Window* w) override;

    // Rebuilds the interface places from the object's published places and
    // its base object's frame.
    void RebuildInterface();
    void LayoutInterface();
    void SetInterfaceSizeClass(int sizeClass);
    void SetShowOnlyUsed(std::uint8_t on);
    void SetShowValues(std::uint8_t on);
    void AddOrRemoveInterfacePlace(TPlatz* place, bool on);
    void ToggleSideOfSelected();
    void MoveSelectedUp();
    void MoveSelectedDown();
    // "Set Initial Value": the first selected interface place, if any.
    TInterfacePlace* FirstSelectedInterfacePlace() const;
    // The text the initial-marking dialog starts with: the first selected
    // interface place's value in general format; empty when none is selected.
    std::string SelectedValueText() const;
    // The dialog's answer: a non-empty number text (decimal comma) becomes the
    // value of the first selected interface place. False when nothing was set.
    bool SetSelectedValueFromText(const std::string& answer);
    void SetCaption(const std::string& name);
    TInterfacePlace* FindInterfacePlace(const std::string& variableName) const;
    TInterfacePlace* FindInterfacePlaceOf(const TPlatz* innerPlace) const;
    // Removes the interface places taken over from the base object, and the
    // parent net's arcs at them (the base object is about to go).
    void DropInheritedInterfacePlaces();
    // "Init Size": 100 x 100 at the current top-left corner.
    void InitSize();
    TRect GripRect() const;
    int StripWidth() const { return stripWidth; }

    std::vector<std::string> description;
    std::uint8_t inherited = 0;
    std::string caption;
    std::uint8_t showOnlyUsed = 0;
    std::uint8_t showValues = 0;
    TPNObjekt* object;
    std::vector<std::unique_ptr<TInterfacePlace>> interfacePlaces;
    std::uint8_t interfaceSizeClass = 2;
    int stripWidth = 18;
    int cornerRadius = 15;
    TRect leftStrip{}, rightStrip{};
    int topMargin = 0;
    int minimumBottom = 0;
    std::uint8_t gripHit = 0;
    TInterfacePlace* hovered = nullptr;

private:
    void Relayout();
    // Removes the parent net's arcs at `ip` before it goes away.
    void ReleaseArcs(TInterfacePlace& ip);
};

} // namespace qz

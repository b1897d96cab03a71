#pragma once
#include "model/TGraphItem.h"

namespace qz {

// Shape kinds of TObjekt.
enum ShapeKind : std::uint8_t { skRect = 0, skRoundRect = 1, skVerticalLine = 2, skHorizontalLine = 3 };

// A graphical shape: rectangle, rounded rectangle, vertical or horizontal line.
class TObjekt : public TGraphItem {
public:
    TObjekt();
    ~TObjekt() override;

    void SetBounds(const TRect& r) override;
    void Draw() override;
    bool HitTest(TPoint p) override;
    bool MoveBy(int dx, int dy, Window* w) override;
    void SaveToStream(BinaryWriter& out) const override;
    void LoadFromStream(BinaryReader& in, const std::string& version) override;
    void Invalidate(Window* w) override;
    std::unique_ptr<TGraphItem> Copy(int dx, int dy) const override;

    void SetShapeKind(std::uint8_t k);

    std::int32_t radius = 20;
    std::uint8_t placed = 1;
    std::int32_t lineWidth = 1;
    std::uint8_t penMode = 12; // 12 transparent inside ("Empty"), 4 filled white ("Filled")
    std::uint8_t penStyle = 0; // 0 solid, 1 dashed, 2 dotted
    std::uint8_t shapeKind = skRoundRect;
};

} // namespace qz

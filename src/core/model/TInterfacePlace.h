#pragma once
#include <string>

#include "model/TGraphItem.h"

namespace qz {

class TObjectFrame;
class TPlatz;

// Side length of an interface place per size class.
inline constexpr int kInterfaceSides[5] = {8, 11, 14, 19, 27};

// A published place of an object as it sits on a side strip of the object's
// frame. Known by its inner place's variable name.
class TInterfacePlace : public TGraphItem {
public:
    TInterfacePlace(TObjectFrame* frame, TPlatz* inner);
    ~TInterfacePlace() override;

    void SetSizeClass(int sizeClass) override;
    void Draw() override;
    bool HitTest(TPoint p) override;
    void Invalidate(Window* w) override;

    // The inner place's initial marking.
    long double Value() const;
    // Writes the inner place's initial and current marking.
    void SetValue(long double v);
    // Places the square with its top-left corner at (x, y).
    void PlaceAt(int x, int y);
    // The label as it is drawn now (`labelText` holds the one drawn last).
    std::string CurrentLabel() const;

    TObjectFrame* frame;
    TPlatz* innerPlace;
    std::uint8_t side = 0; // 0 left strip, 1 right strip
    int sideLength = 14;
    int inset = 2;
    int textOffset1 = 5, textOffset2 = 7;
    std::uint8_t visible = 1;
    std::uint8_t showValue = 0;
    std::uint8_t inherited = 0;
    std::string labelText;
};

} // namespace qz

#pragma once
#include <string>
#include <vector>

#include "model/TGraphItem.h"
#include "platform/Canvas.h"

namespace qz {

// A text label: a free-standing net element, or the name or value label that
// places, transitions and arcs own. Lines are separated by "|".
class TSchriftObjekt : public TGraphItem {
public:
    TSchriftObjekt();
    ~TSchriftObjekt() override;

    void SetText(const std::string& text);
    const std::string& Text() const { return text_; }
    const std::vector<std::string>& Lines() const { return lines_; }
    void SetFont(const TFont& f);
    const TFont& Font() const { return font_; }

    int Width() const { return hit.right - hit.left; }
    int Height() const { return hit.bottom - hit.top; }

    void Draw() override;
    bool HitTest(TPoint p) override;
    void SaveToStream(BinaryWriter& out) const override;
    void LoadFromStream(BinaryReader& in, const std::string& version) override;
    void Invalidate(Window* w) override;
    std::unique_ptr<TGraphItem> Copy(int dx, int dy) const override;

    std::uint8_t thirdFlag = 0;
    std::uint8_t userPositioned = 0;
    std::uint8_t visible = 0;

    // Splits a text at every "|"; the part after the last one is a line too.
    static std::vector<std::string> SplitLines(const std::string& text);

private:
    void Measure();

    std::vector<std::string> lines_;
    std::string text_;
    TFont font_;
};

} // namespace qz

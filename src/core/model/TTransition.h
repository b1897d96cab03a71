#pragma once
#include <memory>
#include <string>

#include "model/TGraphItem.h"

namespace qz {

class TParser;
class TVariableTable;

// Long and short side of a transition bar per size class.
inline constexpr int kTransitionLongSides[5] = {16, 20, 30, 40, 60};

inline constexpr const char* kWaitingTimeMessage =
    "The Waiting Time of Diskrete Transitions must be positive or -1 for stepwise activity!";

// A transition: discrete (immediate, stepwise, timed, with reservation) or
// continuous (moves marking at a speed).
class TTransition : public TGraphItem {
public:
    explicit TTransition(TVariableTable* variables);
    ~TTransition() override;

    void SetName(const std::string& n);
    // Stores the firing time or speed text and derives value, firing time,
    // timed, reservation and is-expression from it.
    void SetFunctionText(const std::string& text);
    void SetSizeClass(int sizeClass) override;
    void SetOrientation(std::uint8_t o);
    void SetHighlight(bool on) override;
    // Rebinds the formula to another variable table (when the transition
    // moves to another object's net).
    void BindVariables(TVariableTable* variables);

    void Draw() override;
    bool MoveBy(int dx, int dy, Window* w) override;
    void SaveToStream(BinaryWriter& out) const override;
    void LoadFromStream(BinaryReader& in, const std::string& version) override;
    void Invalidate(Window* w) override;
    std::unique_ptr<TGraphItem> Copy(int dx, int dy) const override;

    bool IsContinuous() const { return continuous != 0; }
    // Recomputes the bar around the hit rectangle's centre.
    void RebuildBar();

    std::uint8_t orientation = 1; // 1 horizontal, 0 vertical
    std::string functionText = "0";
    std::string name = "T";
    std::uint8_t formulaValid = 0;
    std::string formulaError;
    std::int32_t shortSide = 12;
    std::int32_t longSide = 30;
    std::unique_ptr<TParser> parser;

    // What a simulation step reads and writes shares one cache line.
    alignas(64) long double value = 0;
    long double flow = 0;
    double remainingTime = 0;
    double firingTime = 0;
    std::int32_t priority = 1;
    std::uint8_t busy = 0;
    std::uint8_t reservation = 0;
    std::uint8_t timed = 1;
    std::uint8_t isExpression = 0;
    // Working flags of the simulation engine.
    std::uint8_t fireFlag = 0;
    std::uint8_t started = 0;
    std::uint8_t chosen = 0;
};

} // namespace qz

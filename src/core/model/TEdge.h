#pragma once
#include <memory>
#include <string>
#include <vector>

#include "model/TGraphItem.h"

namespace qz {

class TInterfacePlace;
class TParser;
class TPlatz;
class TTransition;
class TVariableTable;

// A bend point of an arc.
using TPunkt = TPoint;

enum ArcKind : std::uint8_t { akNormal = 0, akInhibitor = 1, akTest = 2 };

inline constexpr const char* kArcKindTexts[3] = {"normal", "inhibitor", "test arc"};

// An arc between a place and a transition, or between places through an
// interface place (fusion). The connection kind tells how the ends relate to
// interface places:
//   0 place/transition -> transition/place
//   1 place -> interface place (fusion)
//   2 interface place -> place (fusion)
//   3 transition -> inner place of an interface place (drawn to the interface place)
//   4 inner place of an interface place (drawn from it) -> transition
//   5 interface place -> interface place (fusion)
class TEdge : public TGraphItem {
public:
    explicit TEdge(TVariableTable* variables);
    ~TEdge() override;

    void SetWeightText(const std::string& text);
    void SetSource(TGraphItem* e) { source = e; geometryValid = 0; }
    void SetTarget(TGraphItem* e) { target = e; geometryValid = 0; }
    void SetBendPoint(std::size_t index, int x, int y, Window* w);
    void BindVariables(TVariableTable* variables);

    TPoint StartPoint();
    TPoint EndPoint();
    // Recomputes start and end point from the ends and bend points.
    void ComputeGeometry();

    TRect GetBounds() override;
    void SetSelected(bool on) override;
    void Draw() override;
    bool HitTest(TPoint p) override;
    bool MoveBy(int dx, int dy, Window* w) override;
    void SaveToStream(BinaryWriter& out) const override;
    void LoadFromStream(BinaryReader& in, const std::string& version) override;
    void Invalidate(Window* w) override;
    std::unique_ptr<TGraphItem> Copy(int dx, int dy) const override;

    // The element drawn at each end (interface places for kinds 3 and 4).
    TGraphItem* DrawnSource() const;
    TGraphItem* DrawnTarget() const;
    // The interface place drawn at each end, or null.
    TInterfacePlace* SourceInterfacePlace() const;
    TInterfacePlace* TargetInterfacePlace() const;
    // The place and the transition of a place/transition arc (kinds 0, 3, 4);
    // null for fusion arcs.
    TPlatz* PlaceEnd() const;
    TTransition* TransitionEnd() const;
    bool FromPlace() const; // source is the place end

    TPoint startPoint{};
    TPoint endPoint{};
    TGraphItem* source = nullptr;
    TGraphItem* target = nullptr;
    std::string weightText = "1";
    TInterfacePlace* interfaceTarget = nullptr;
    TInterfacePlace* interfaceSource = nullptr;
    std::string sourceName, targetName;
    std::uint8_t formulaValid = 0;
    std::string formulaError;
    std::vector<TPunkt> bendPoints;
    std::uint8_t isExpression = 0;
    std::uint8_t groupMark = 0;
    std::uint8_t geometryValid = 0;
    std::uint8_t arcKind = akNormal;
    long double weight = 1;
    std::int32_t sourceKey = 0, targetKey = 0;
    std::unique_ptr<TParser> parser;

    // Angle of the last segment, for the arrow head.
    double lastAngle = 0;        // radians
    double lastAngleDegrees = 0; // -180..180
    double firstAngle = 0;       // radians
    // Simulation working byte: the arc is flowing (continuous animation).
    std::uint8_t flowing = 0;
};

} // namespace qz

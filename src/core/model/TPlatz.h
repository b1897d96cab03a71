#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/TGraphItem.h"

namespace qz {

class Oscilloscope;

// Diameter of a place per size class.
inline constexpr int kPlaceDiameters[5] = {16, 25, 30, 40, 60};

// A place: discrete (whole tokens) or continuous (real marking).
// Markings are always read and written through the marking owner, so that
// fused places share one value.
class TPlatz : public TGraphItem {
public:
    TPlatz();
    ~TPlatz() override;

    void SetName(const std::string& n);
    void SetVariableName(const std::string& n) { variableName = n; }
    void SetInitialMarking(long double m) { markingOwner->initialMarking_ = m; }
    // Rounds a discrete marking half to even and snaps a value within 1E-9
    // of its integer part to it; writes marking and next marking.
    void SetMarking(double v);
    void SetNextMarking(double v) {
        markingOwner->nextMarking_ = v;
        markingWrites.fetch_add(1, std::memory_order_relaxed);
    }
    // Counts the calls of SetMarking and SetNextMarking of all places, so a
    // running simulation notices markings written outside its steps.
    inline static std::atomic<std::uint64_t> markingWrites{0};
    void SetInterfaceFlag(std::uint8_t on);
    void SetSizeClass(int sizeClass) override;

    long double InitialMarking() const { return markingOwner->initialMarking_; }
    double Marking() const { return markingOwner->marking_; }
    double NextMarking() const { return markingOwner->nextMarking_; }
    // The shared marking, as formulas read it.
    double* MarkingRef() const { return &markingOwner->marking_; }
    // The shared next marking (the simulation engine's working view).
    double* NextMarkingRef() const { return &markingOwner->nextMarking_; }

    // Fusion: this place takes the marking of `source`.
    void FuseTo(TPlatz* source);
    // Back to its own chain: link to its own cell, owner itself.
    void ResetFusion();
    // Follows the links to the chain's root and makes it the marking owner.
    void ResolveFusion();
    // Number of incoming arcs of connection kind 2.
    int IncomingFusionArcs() const;

    void Draw() override;
    bool MoveBy(int dx, int dy, Window* w) override;
    void SaveToStream(BinaryWriter& out) const override;
    void LoadFromStream(BinaryReader& in, const std::string& version) override;
    void Invalidate(Window* w) override;
    std::unique_ptr<TGraphItem> Copy(int dx, int dy) const override;

    // The place's diagram window (or a headless recorder), or null. Every
    // change is counted, so a running session records a diagram opened or
    // closed during a run from its next step.
    Oscilloscope* Diagram() const { return oscilloscope_.get(); }
    void SetDiagram(std::unique_ptr<Oscilloscope> o);
    // Hands the diagram window over (the place is about to go, its window
    // is to watch the place that replaces it).
    std::unique_ptr<Oscilloscope> TakeDiagram();
    inline static std::atomic<std::uint64_t> diagramChanges{0};
    void UpdateOscilloscopeCaption();
    // The window `o` is being destroyed by its owner: the place lets go of it.
    void DetachOscilloscope(const Oscilloscope* o);

    std::uint8_t interfaceFlag = 0;
    std::vector<TEdge*> conflictArcs;
    std::uint8_t rootFlag = 1;
    // The place whose link cell this place's link points at; itself when
    // the place is not fused to another.
    TPlatz* link = this;
    TPlatz* markingOwner = this;
    std::uint8_t showValues = 0;
    std::string name = "P";
    std::string variableName = "m1";
    std::int32_t diameter = 30;
    long double capacity = -1;

private:
    std::unique_ptr<Oscilloscope> oscilloscope_;
    long double initialMarking_ = 0;
    double marking_ = 0;
    double nextMarking_ = 0;
};

} // namespace qz

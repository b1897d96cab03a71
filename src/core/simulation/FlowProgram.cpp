#include "simulation/FlowProgram.h"

#include <functional>

#include "formula/ParserRoutines.h"

namespace qz {

namespace {

// The kinds Run evaluates inline, which it may do only when the record
// carries the kind's own routine.
bool RunsInline(std::uint8_t kind) {
    return kind == kOpAdd || kind == kOpSubtract || kind == kOpMultiply || kind == kOpDivide ||
           kind == kOpNegate;
}

} // namespace

void FlowProgram::Clear() {
    ops_.clear();
    formulas_.clear();
    arena_.reset();
}

void FlowProgram::Build(const std::vector<const TCustomParser*>& parsers) {
    Clear();
    // The arena is sized once, before any pointer into it is taken.
    std::size_t doubles = 1;
    std::size_t records = 0;
    for (const TCustomParser* p : parsers) {
        if (!p) continue;
        doubles += p->SlotCount();
        records += static_cast<std::size_t>(p->OperationCount());
    }
    arena_ = std::make_unique<double[]>(doubles);
    arena_[0] = 0.0;
    ops_.reserve(records);
    formulas_.reserve(parsers.size());
    std::size_t used = 1;
    for (const TCustomParser* p : parsers) {
        Formula f{arena_.get(), nullptr, static_cast<std::uint32_t>(ops_.size()), 0, false};
        double* const arena = arena_.get() + used;
        const double* result = p ? p->ExportList(ops_, arena) : nullptr;
        if (result) {
            f.result = result;
            used += p->SlotCount();
        }
        f.op1 = static_cast<std::uint32_t>(ops_.size());
        const double* const own0 = arena;
        const double* const own1 = arena_.get() + used;
        auto isVariable = [&](const double* v) {
            return v && (std::less<const double*>()(v, own0) || !std::less<const double*>()(v, own1));
        };
        for (std::uint32_t k = f.op0; k < f.op1 && !f.variable; ++k) {
            if (isVariable(ops_[k].arg1)) f.variable = ops_[k].arg1;
            else if (isVariable(ops_[k].arg2)) f.variable = ops_[k].arg2;
        }
        if (f.op0 == f.op1 && isVariable(f.result)) f.variable = f.result;
        for (std::uint32_t k = f.op0; k < f.op1; ++k) {
            const TOperation& op = ops_[k];
            if (RunsInline(op.kind) &&
                op.routine != RoutineForKind(static_cast<TOperationKind>(op.kind))) {
                f.routinesOnly = true;
            }
        }
        formulas_.push_back(f);
    }
}

} // namespace qz

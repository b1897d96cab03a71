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
    arenaSize_ = 0;
}

bool FlowProgram::Outside(const double* v) const {
    const std::less<const double*> before;
    return v && (before(v, arena_.get()) || !before(v, arena_.get() + arenaSize_));
}

bool FlowProgram::ReadsOf(std::size_t k, std::vector<const double*>& reads) const {
    const Formula& f = formulas_[k];
    bool known = true;
    for (std::uint32_t i = f.op0; i < f.op1; ++i) {
        const TOperation& op = ops_[i];
        if (Outside(op.arg1)) reads.push_back(op.arg1);
        if (Outside(op.arg2)) reads.push_back(op.arg2);
        const bool builtIn = op.kind == kOpFunction1 || op.kind == kOpFunction2
                                 ? TFunctionSet::BuiltIn().Contains(op.routine)
                                 : op.routine == RoutineForKind(static_cast<TOperationKind>(op.kind));
        if (!builtIn) known = false;
    }
    if (Outside(f.result)) reads.push_back(f.result);
    return known;
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
    arenaSize_ = doubles;
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

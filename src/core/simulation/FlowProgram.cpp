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
    variables_.clear();
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
    variables_.reserve(parsers.size());
    std::size_t used = 1;
    for (const TCustomParser* p : parsers) {
        Formula f{arena_.get(), nullptr, nullptr, nullptr, static_cast<std::uint32_t>(ops_.size()), 0, false, kRecords,
                  {0, 0}};
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
        const double* variable = nullptr;
        for (std::uint32_t k = f.op0; k < f.op1 && !variable; ++k) {
            if (isVariable(ops_[k].arg1)) variable = ops_[k].arg1;
            else if (isVariable(ops_[k].arg2)) variable = ops_[k].arg2;
        }
        if (f.op0 == f.op1 && isVariable(f.result)) variable = f.result;
        variables_.push_back(variable);
        for (std::uint32_t k = f.op0; k < f.op1; ++k) {
            const TOperation& op = ops_[k];
            if (RunsInline(op.kind) &&
                op.routine != RoutineForKind(static_cast<TOperationKind>(op.kind))) {
                f.routinesOnly = true;
            }
        }
        formulas_.push_back(f);
        // formulas_ keeps its place from here on (reserved above).
        if (!f.routinesOnly) FindShape(formulas_.back(), own0, own1);
    }
}

void FlowProgram::FindShape(Formula& f, const double* own0, const double* own1) {
    const TOperation* const op = ops_.data() + f.op0;
    const std::uint32_t records = f.op1 - f.op0;
    if (records == 0 || records > 2 || op[0].kind != kOpMultiply) return;
    const double* const product = op[0].result;
    if (records == 1) {
        f.shape = kProduct;
    } else {
        const TOperation& second = op[1];
        if (second.kind != kOpAdd && second.kind != kOpSubtract) return;
        if ((second.arg1 == product) == (second.arg2 == product)) return; // x*y must be read once
        const bool first = second.arg1 == product;
        f.z = first ? second.arg2 : second.arg1;
        f.shape = second.kind == kOpAdd ? kProductPlus : first ? kProductMinus : kMinusProduct;
    }
    f.x = op[0].arg1;
    f.y = op[0].arg2;
    // Numbers of the formula's own storage that no record writes are read
    // from copies beside the operands.
    const std::less<const double*> before;
    auto number = [&](const double* v) {
        return v && !before(v, own0) && before(v, own1) && v != product && v != f.result;
    };
    if (number(f.x)) f.x = &(f.numbers[0] = *f.x);
    else if (number(f.y)) f.y = &(f.numbers[0] = *f.y);
    if (number(f.z)) f.z = &(f.numbers[1] = *f.z);
}

} // namespace qz

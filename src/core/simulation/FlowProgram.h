#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "formula/Parser.h"

namespace qz {

// The speed formulas of a session's continuous transitions as one program:
// the compiled lists of the formulas copied one after the other into one
// record array, with their constants and intermediate results in one arena,
// so evaluating every speed of a step walks two arrays in order (plus the
// variables the formulas read).
//
// A formula is evaluated as its parser evaluates it: the same records in the
// same order on the same storage, and the same routines for anything but the
// four arithmetic operations and the negation, which run inline with the
// routines' arithmetic and fall back to the routine whenever the routine
// would raise a fault or treat its operands specially. A product alone or
// with a sum or difference is computed from the operands directly, the same
// operations without storing the product, and takes the records' way when
// the result is not finite. Values are therefore bit for bit those of
// TCustomParser::Value, faults the same exceptions.
//
// The copy refers to the variables the parsers were compiled against: it must
// be rebuilt before use whenever a parser may have been recompiled or
// destroyed (TCustomParser::listChanges tells).
class FlowProgram {
public:
    FlowProgram() = default;
    FlowProgram(const FlowProgram&) = delete;
    FlowProgram& operator=(const FlowProgram&) = delete;

    // Formula k of the program is the compiled list of parsers[k]; a null
    // parser or one without a list evaluates to 0, as Value does.
    void Build(const std::vector<const TCustomParser*>& parsers);
    void Clear();
    std::size_t Size() const { return formulas_.size(); }

    // The value of formula k; evaluation faults are raised as the parser's
    // routines raise them.
    double Value(std::size_t k) const {
        const Formula& f = formulas_[k];
        if (f.shape != kRecords) {
            // The records' arithmetic without walking them; a result that is
            // not finite takes the records' way, which raises the fault (a
            // product that is not finite gives no finite sum or difference).
            const double p = *f.x * *f.y;
            const double r = f.shape == kProduct ? p : f.shape == kProductPlus ? p + *f.z
                                                   : f.shape == kProductMinus ? p - *f.z
                                                                              : *f.z - p;
            if (std::isfinite(r)) [[likely]] return r;
        }
        const TOperation* op = ops_.data() + f.op0;
        const TOperation* const end = ops_.data() + f.op1;
        if (f.routinesOnly) {
            for (; op != end; ++op) op->routine(*op);
        } else {
            for (; op != end; ++op) Run(*op);
        }
        return *f.result;
    }

    // A variable formula k reads first (nullptr when it reads none), for
    // fetching it ahead of the evaluation.
    const double* FirstVariable(std::size_t k) const { return variables_[k]; }

    // Appends to `reads` every storage outside the program that formula k
    // reads: the operands of its records and, for a formula that is a single
    // variable, that variable. False when a record runs a routine other than
    // the built-in ones, which may read anything.
    bool ReadsOf(std::size_t k, std::vector<const double*>& reads) const;

private:
    // The common shapes of speed formulas, x*y and x*y followed by a sum or
    // difference with z (two records with their kinds' own routines), are
    // evaluated from the operands directly.
    enum Shape : std::uint8_t { kRecords, kProduct, kProductPlus, kProductMinus, kMinusProduct };

    struct Formula {
        const double* result;   // where the value stands after the records ran
        const double* x;        // the operands of a shape other than kRecords
        const double* y;
        const double* z;
        std::uint32_t op0, op1; // records in ops_
        bool routinesOnly;      // a record's routine is not its kind's own
        Shape shape;
        double numbers[2];      // copies of constant operands x or y, and z
    };

    static void Run(const TOperation& op) {
        double r;
        switch (op.kind) {
        case kOpAdd: r = *op.arg1 + *op.arg2; break;
        case kOpSubtract: r = *op.arg1 - *op.arg2; break;
        case kOpMultiply: r = *op.arg1 * *op.arg2; break;
        case kOpDivide:
            if (*op.arg2 == 0.0) [[unlikely]] {
                op.routine(op);
                return;
            }
            r = *op.arg1 / *op.arg2;
            break;
        case kOpNegate: *op.result = -*op.arg1; return;
        default: op.routine(op); return;
        }
        if (!std::isfinite(r)) [[unlikely]] {
            op.routine(op); // stores the non-finite value or raises the fault
            return;
        }
        *op.result = r;
    }

    std::vector<TOperation> ops_;
    std::vector<Formula> formulas_;
    std::vector<const double*> variables_; // per formula, the first variable it reads
    std::unique_ptr<double[]> arena_; // [0] is the 0 of formulas without a list
    std::size_t arenaSize_ = 0;

    bool Outside(const double* v) const;
    void FindShape(Formula& f, const double* own0, const double* own1);
};

} // namespace qz

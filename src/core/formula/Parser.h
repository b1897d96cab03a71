#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formula/ParserErrors.h"
#include "formula/VariableTable.h"

namespace qz {

// Kinds of the records of a compiled formula.
enum TOperationKind : std::uint8_t {
    kOpVariable = 0,  // the whole formula is one variable: no operation of its own
    kOpNumber = 1,    // the whole formula is one number: no operation of its own
    kOpInternal = 2,  // copies its operand (never produced by the compiler)
    kOpNegate = 3,
    kOpAdd = 4,
    kOpSubtract = 5,
    kOpMultiply = 6,
    kOpDivide = 7,
    kOpMod = 8,
    kOpDiv = 9,
    kOpIntPower = 10,  // a^n, n an integral literal other than 2, 3, 4 (kept in `exponent`)
    kOpPower = 11,     // a^b, any other exponent
    kOpSquare = 12,
    kOpCube = 13,
    kOpFourth = 14,
    kOpFunction1 = 15,
    kOpFunction2 = 16,
};

struct TOperation;
// Evaluates one record: reads *arg1 (and *arg2), writes *result. Faults are
// raised as EArithmeticError descendants.
using TEvalRoutine = void (*)(const TOperation& op);

// One record of the evaluation list. Operands point at variable storage, at a
// constant or at the result slot of a record evaluated earlier.
struct TOperation {
    TEvalRoutine routine;
    const double* arg1;
    const double* arg2;  // nullptr for one-operand records
    double* result;
    std::int32_t exponent;  // kOpIntPower only
    std::uint8_t kind;
};

// Stores `value` (computed in extended precision) as the record's double
// result. A result that is not finite raises EOverflow (finite operands, an
// infinite result) or EInvalidOp (a NaN from operands that were not NaN);
// infinities and NaNs already present in the operands pass through.
// Function routines registered by callers should store through it.
void StoreResult(const TOperation& op, long double value);

// Name -> routine lists for one- and two-argument functions, sorted by name
// and looked up without regard to case. Shared by every parser that uses them.
class TFunctionSet {
public:
    // Registering a name twice in one list throws std::invalid_argument.
    void AddFunction1(std::string_view name, TEvalRoutine routine);
    void AddFunction2(std::string_view name, TEvalRoutine routine);
    TEvalRoutine FindFunction1(std::string_view name) const;
    TEvalRoutine FindFunction2(std::string_view name) const;
    bool Contains(TEvalRoutine routine) const;
    // The registered names (upper case): the one-argument functions, then
    // the two-argument ones, each list sorted.
    std::vector<std::string> Names1() const;
    std::vector<std::string> Names2() const;

    // TAN COS SIN SINH COSH ARCTAN EXP LN SQR SQRT ABS HEAV SIGN ZERO PH RND
    // TRUNC; MAX MIN.
    // Whether a registered name contains one of "+-*/".
    bool HasOperatorCharacters() const { return operatorCharacters_; }

    static const TFunctionSet& BuiltIn();
    static const TFunctionSet& Empty();

private:
    struct Entry {
        std::string name;  // upper case
        TEvalRoutine routine;
    };
    void Insert(std::vector<Entry>& list, std::string_view name, TEvalRoutine routine);
    static TEvalRoutine Lookup(const std::vector<Entry>& list, std::string_view name);
    std::vector<Entry> one_;
    std::vector<Entry> two_;
    bool operatorCharacters_ = false;
};

// A compiled formula: the text is compiled once by SetExpression into a flat
// list of records, and Value walks that list without allocating, searching or
// parsing. Each transition and arc of a net owns one, so an idle parser is
// kept small: the own variable list is created on first use only.
class TCustomParser {
public:
    explicit TCustomParser(const TFunctionSet& functions = TFunctionSet::Empty());
    ~TCustomParser();
    TCustomParser(const TCustomParser&) = delete;
    TCustomParser& operator=(const TCustomParser&) = delete;

    // Frees the current list and compiles `text`; an empty text leaves no
    // list. A compile error (EMathParserError) also leaves no list.
    void SetExpression(std::string_view text);
    const std::string& Expression() const { return expression_; }

    // Evaluates the compiled list; 0 without a list. Evaluation faults are
    // raised as EArithmeticError descendants.
    double Value() const {
        if (!list_) return 0.0;
        const TOperation* op = list_->ops.data();
        const TOperation* const end = op + list_->ops.size();
        for (; op != end; ++op) op->routine(*op);
        return *end[-1].result;
    }

    int OperationCount() const { return list_ ? list_->count : 0; }
    bool HasCompiledList() const { return list_ != nullptr; }

    // The number of doubles in the compiled list's own storage (constants
    // and intermediate results); 0 without a list.
    std::size_t SlotCount() const { return list_ ? list_->slotCount : 0; }
    // Copies the compiled list for evaluation elsewhere: the list's own
    // storage is copied to `arena` (SlotCount() doubles), and the records
    // that do work are appended to `out` with every pointer into that storage
    // moved into the arena (variables keep their storage). Running the
    // appended records in order computes what Value computes; the value is
    // then read from the returned pointer. A single variable or number
    // appends no record. Without a list nothing is copied and nullptr is
    // returned. The copy refers to the arena and the variables only, and
    // stays valid while they do.
    const double* ExportList(std::vector<TOperation>& out, double* arena) const;

    // Counts the changes of compiled lists of all parsers (a list compiled
    // or dropped, a parser with a list destroyed), so copies made with
    // ExportList notice when they may be out of date.
    inline static std::atomic<std::uint64_t> listChanges{0};

    // Replaces the variable list by a table owned by the caller (who must keep
    // it alive while it is set); nullptr gives the parser its own list back.
    // Formulas compiled earlier keep the references they were compiled with.
    void SetVariables(TVariableTable* shared) { shared_ = shared; }
    // The list in use: the shared table, or the parser's own list (created on
    // first use).
    TVariableTable* Variables();
    // Empties the list in use and clears the expression. The doubles the
    // entries referred to are not owned by the list and stay untouched.
    void ClearVariables();

    // true: numbers in formulas are read with "." as decimal separator;
    // false: with the program's decimal comma.
    bool decimalPointFlag = true;

protected:
    TCustomParser(const TFunctionSet& functions, bool predefinedVariables);

private:
    struct TCompiledList {
        std::vector<TOperation> ops;            // evaluation order
        std::unique_ptr<double[]> slots;        // constants and intermediate results
        std::size_t slotCount = 0;              // doubles in `slots`
        int count = 0;                          // number of operations
    };
    struct TOwnVariables;

    std::string expression_;
    const TFunctionSet* functions_;
    TVariableTable* shared_ = nullptr;
    std::unique_ptr<TOwnVariables> own_;
    std::unique_ptr<TCompiledList> list_;
    bool predefinedVariables_ = false;

    friend class TFormulaCompiler;
};

// The parser of the net's formulas: the built-in functions, and the variables
// A B C D E X Y T (initially 0) in its own list.
class TParser : public TCustomParser {
public:
    TParser();
};

} // namespace qz

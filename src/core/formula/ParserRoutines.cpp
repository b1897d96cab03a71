#include "formula/ParserRoutines.h"

#include <algorithm>
#include <cmath>

#include "platform/Services.h"

// Evaluation routines of the compiled formulas. Each routine checks its own
// operands and result, so that faults reach the caller of Value as exceptions
// (C++ arithmetic raises nothing by itself). The checks are ordinary
// comparisons on the fast path; the throwing code is kept out of line.
//
// Choices where the arithmetic has more than one reasonable answer:
// - x/0 raises EZeroDivide for x != 0 and EInvalidOp for 0/0; a NaN dividend
//   passes through as NaN.
// - LN(0) raises EZeroDivide (the logarithm's pole, as the FPU reports it);
//   LN and SQRT of a negative number raise EInvalidOp; SQRT(-0) is -0.
// - 0 raised to a negative integral power raises EZeroDivide (the reciprocal
//   of 0); a negative base with a non-integral exponent raises EInvalidOp; 0
//   with a negative non-integral exponent raises EZeroDivide (via LN(0)).
// - Underflow is not a fault: tiny results become denormals or 0.
// - Values that are already infinite or NaN in variables pass through the
//   operations without a fault unless they produce a new NaN (inf-inf).

namespace qz {

namespace {

[[noreturn, gnu::cold, gnu::noinline]] void ThrowInvalidOp() { throw EInvalidOp(); }
[[noreturn, gnu::cold, gnu::noinline]] void ThrowZeroDivide() { throw EZeroDivide(); }
[[noreturn, gnu::cold, gnu::noinline]] void ThrowDivByZero() { throw EDivByZero(); }
[[noreturn, gnu::cold, gnu::noinline]] void ThrowIntOverflow() { throw EIntOverflow(); }

constexpr bool HasTwoOperands(std::uint8_t kind) {
    return (kind >= kOpAdd && kind <= kOpDiv) || kind == kOpPower || kind == kOpFunction2;
}

[[gnu::cold, gnu::noinline]] void StoreNonFinite(const TOperation& op, double r) {
    bool nanOperand = false;
    bool infOperand = false;
    auto look = [&](const double* p) {
        if (p == nullptr) return;
        if (std::isnan(*p)) nanOperand = true;
        if (std::isinf(*p)) infOperand = true;
    };
    look(op.arg1);
    if (HasTwoOperands(op.kind)) look(op.arg2);
    if (std::isnan(r)) {
        if (!nanOperand) ThrowInvalidOp();
    } else if (!nanOperand && !infOperand) {
        throw EOverflow();
    }
    *op.result = r;
}

inline void Store(const TOperation& op, double r) {
    if (!std::isfinite(r)) [[unlikely]] {
        StoreNonFinite(op, r);
        return;
    }
    *op.result = r;
}

inline void StoreLong(const TOperation& op, long double v) { Store(op, static_cast<double>(v)); }

// x^n for n >= 0 by repeated squaring and multiplication, in extended precision.
long double PowerByMultiplication(long double x, std::uint32_t n) {
    long double result = 1.0L;
    while (n != 0) {
        if (n & 1u) result *= x;
        n >>= 1;
        if (n != 0) x *= x;
    }
    return result;
}

// x^n for any 32-bit n; a negative n gives the reciprocal.
long double IntegerPower(long double x, std::int64_t n) {
    if (n >= 0) return PowerByMultiplication(x, static_cast<std::uint32_t>(n));
    const long double p = PowerByMultiplication(x, static_cast<std::uint32_t>(-n));
    if (p == 0.0L) ThrowZeroDivide();
    return 1.0L / p;
}

// Operands of DIV and MOD, truncated toward zero after the range check.
inline void IntegerOperands(const TOperation& op, std::int32_t& a, std::int32_t& b) {
    const double x = *op.arg1;
    const double y = *op.arg2;
    if (!(std::fabs(x) <= 2147483647.0) || !(std::fabs(y) <= 2147483647.0)) [[unlikely]] {
        if (std::isnan(x) || std::isnan(y)) ThrowInvalidOp();
        ThrowIntOverflow();
    }
    a = static_cast<std::int32_t>(x);
    b = static_cast<std::int32_t>(y);
    if (b == 0) [[unlikely]] ThrowDivByZero();
}

// Round to nearest, halves to even (the default rounding mode).
inline long double RoundHalfEven(long double x) { return std::nearbyint(x); }

void OpNothing(const TOperation&) {}
void OpCopy(const TOperation& op) { *op.result = *op.arg1; }
void OpNegate(const TOperation& op) { *op.result = -*op.arg1; }
void OpAdd(const TOperation& op) { Store(op, *op.arg1 + *op.arg2); }
void OpSubtract(const TOperation& op) { Store(op, *op.arg1 - *op.arg2); }
void OpMultiply(const TOperation& op) { Store(op, *op.arg1 * *op.arg2); }

void OpDivide(const TOperation& op) {
    const double x = *op.arg1;
    const double y = *op.arg2;
    if (y == 0.0) [[unlikely]] {
        if (std::isnan(x)) {
            *op.result = x;
            return;
        }
        if (x == 0.0) ThrowInvalidOp();
        ThrowZeroDivide();
    }
    Store(op, x / y);
}

void OpMod(const TOperation& op) {
    std::int32_t a, b;
    IntegerOperands(op, a, b);
    // |a| <= 2147483647, so neither % nor / can overflow.
    *op.result = static_cast<double>(a % b);
}

void OpDiv(const TOperation& op) {
    std::int32_t a, b;
    IntegerOperands(op, a, b);
    *op.result = static_cast<double>(a / b);
}

void OpIntPower(const TOperation& op) {
    StoreLong(op, IntegerPower(*op.arg1, op.exponent));
}

void OpPower(const TOperation& op) {
    const long double x = *op.arg1;
    const long double y = *op.arg2;
    if (y == 0.0L) {
        *op.result = 1.0;
        return;
    }
    if (x == 0.0L && y > 0.0L) {
        *op.result = 0.0;
        return;
    }
    if (y == std::trunc(y) && std::fabs(y) <= 2147483647.0L) {
        StoreLong(op, IntegerPower(x, static_cast<std::int64_t>(y)));
        return;
    }
    if (x < 0.0L) ThrowInvalidOp();
    if (x == 0.0L) ThrowZeroDivide();
    StoreLong(op, std::exp(y * std::log(x)));
}

void OpSquare(const TOperation& op) {
    const long double a = *op.arg1;
    StoreLong(op, a * a);
}

void OpCube(const TOperation& op) {
    const long double a = *op.arg1;
    StoreLong(op, a * a * a);
}

void OpFourth(const TOperation& op) {
    const long double a = *op.arg1;
    const long double s = a * a;
    StoreLong(op, s * s);
}

// The built-in functions.
void FnTan(const TOperation& op) { StoreLong(op, std::tan(static_cast<long double>(*op.arg1))); }
void FnCos(const TOperation& op) { StoreLong(op, std::cos(static_cast<long double>(*op.arg1))); }
void FnSin(const TOperation& op) { StoreLong(op, std::sin(static_cast<long double>(*op.arg1))); }

void FnSinh(const TOperation& op) {
    const long double x = *op.arg1;
    StoreLong(op, (std::exp(x) - std::exp(-x)) * 0.5L);
}

void FnCosh(const TOperation& op) {
    const long double x = *op.arg1;
    StoreLong(op, (std::exp(x) + std::exp(-x)) * 0.5L);
}

void FnArctan(const TOperation& op) {
    StoreLong(op, std::atan(static_cast<long double>(*op.arg1)));
}

void FnExp(const TOperation& op) { StoreLong(op, std::exp(static_cast<long double>(*op.arg1))); }

void FnLn(const TOperation& op) {
    const long double x = *op.arg1;
    if (x < 0.0L) ThrowInvalidOp();
    if (x == 0.0L) ThrowZeroDivide();
    StoreLong(op, std::log(x));
}

void FnSqr(const TOperation& op) { OpSquare(op); }

void FnSqrt(const TOperation& op) {
    const long double x = *op.arg1;
    if (x < 0.0L) ThrowInvalidOp();
    StoreLong(op, std::sqrt(x));
}

void FnAbs(const TOperation& op) { *op.result = std::fabs(*op.arg1); }
void FnHeav(const TOperation& op) { *op.result = *op.arg1 >= 0.0 ? 1.0 : 0.0; }

void FnSign(const TOperation& op) {
    const double x = *op.arg1;
    *op.result = x < 0.0 ? -1.0 : (x > 0.0 ? 1.0 : 0.0);
}

void FnZero(const TOperation& op) { *op.result = *op.arg1 == 0.0 ? 0.0 : 1.0; }

void FnPh(const TOperation& op) {
    const long double q = static_cast<long double>(*op.arg1) / 0.63661977236758134L;
    StoreLong(op, (q - RoundHalfEven(q)) * 6.2831853071795865L);
}

void FnRnd(const TOperation& op) {
    const long double scale = RoundHalfEven(*op.arg1);
    StoreLong(op, static_cast<long double>(Platform().random->Next01()) * scale);
}

void FnTrunc(const TOperation& op) { *op.result = std::trunc(*op.arg1); }

void FnMax(const TOperation& op) {
    const double x = *op.arg1;
    const double y = *op.arg2;
    *op.result = x >= y ? x : y;
}

void FnMin(const TOperation& op) {
    const double x = *op.arg1;
    const double y = *op.arg2;
    *op.result = x < y ? x : y;
}

std::string UpperName(std::string_view name) {
    std::string s(name);
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return s;
}

} // namespace

void StoreResult(const TOperation& op, long double value) { StoreLong(op, value); }

TEvalRoutine RoutineForKind(TOperationKind kind) {
    switch (kind) {
    case kOpVariable:
    case kOpNumber: return &OpNothing;
    case kOpInternal: return &OpCopy;
    case kOpNegate: return &OpNegate;
    case kOpAdd: return &OpAdd;
    case kOpSubtract: return &OpSubtract;
    case kOpMultiply: return &OpMultiply;
    case kOpDivide: return &OpDivide;
    case kOpMod: return &OpMod;
    case kOpDiv: return &OpDiv;
    case kOpIntPower: return &OpIntPower;
    case kOpPower: return &OpPower;
    case kOpSquare: return &OpSquare;
    case kOpCube: return &OpCube;
    case kOpFourth: return &OpFourth;
    case kOpFunction1:
    case kOpFunction2: break;
    }
    throw EParserInternalError();
}

void TFunctionSet::Insert(std::vector<Entry>& list, std::string_view name, TEvalRoutine routine) {
    std::string key = UpperName(name);
    auto it = std::lower_bound(list.begin(), list.end(), key,
                               [](const Entry& e, const std::string& k) { return e.name < k; });
    if (it != list.end() && it->name == key) {
        throw std::invalid_argument("function registered twice: " + key);
    }
    if (key.find_first_of("+-*/") != std::string::npos) operatorCharacters_ = true;
    list.insert(it, Entry{std::move(key), routine});
}

TEvalRoutine TFunctionSet::Lookup(const std::vector<Entry>& list, std::string_view name) {
    // Compares with the upper-case names on the fly: no allocation.
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
    auto less = [&](const Entry& e, std::string_view k) {
        const std::size_t n = std::min(e.name.size(), k.size());
        for (std::size_t i = 0; i < n; ++i) {
            const char a = e.name[i];
            const char b = upper(k[i]);
            if (a != b) return static_cast<unsigned char>(a) < static_cast<unsigned char>(b);
        }
        return e.name.size() < k.size();
    };
    auto it = std::lower_bound(list.begin(), list.end(), name, less);
    if (it == list.end() || it->name.size() != name.size()) return nullptr;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (it->name[i] != upper(name[i])) return nullptr;
    }
    return it->routine;
}

void TFunctionSet::AddFunction1(std::string_view name, TEvalRoutine routine) {
    Insert(one_, name, routine);
}
void TFunctionSet::AddFunction2(std::string_view name, TEvalRoutine routine) {
    Insert(two_, name, routine);
}
TEvalRoutine TFunctionSet::FindFunction1(std::string_view name) const { return Lookup(one_, name); }
TEvalRoutine TFunctionSet::FindFunction2(std::string_view name) const { return Lookup(two_, name); }
std::vector<std::string> TFunctionSet::Names1() const {
    std::vector<std::string> names;
    for (const Entry& e : one_) names.push_back(e.name);
    return names;
}
std::vector<std::string> TFunctionSet::Names2() const {
    std::vector<std::string> names;
    for (const Entry& e : two_) names.push_back(e.name);
    return names;
}
bool TFunctionSet::Contains(TEvalRoutine routine) const {
    auto has = [routine](const Entry& e) { return e.routine == routine; };
    return std::any_of(one_.begin(), one_.end(), has) || std::any_of(two_.begin(), two_.end(), has);
}

const TFunctionSet& TFunctionSet::BuiltIn() {
    static const TFunctionSet set = [] {
        TFunctionSet s;
        s.AddFunction1("TAN", &FnTan);
        s.AddFunction1("COS", &FnCos);
        s.AddFunction1("SIN", &FnSin);
        s.AddFunction1("SINH", &FnSinh);
        s.AddFunction1("COSH", &FnCosh);
        s.AddFunction1("ARCTAN", &FnArctan);
        s.AddFunction1("EXP", &FnExp);
        s.AddFunction1("LN", &FnLn);
        s.AddFunction1("SQR", &FnSqr);
        s.AddFunction1("SQRT", &FnSqrt);
        s.AddFunction1("ABS", &FnAbs);
        s.AddFunction1("HEAV", &FnHeav);
        s.AddFunction1("SIGN", &FnSign);
        s.AddFunction1("ZERO", &FnZero);
        s.AddFunction1("PH", &FnPh);
        s.AddFunction1("RND", &FnRnd);
        s.AddFunction1("TRUNC", &FnTrunc);
        s.AddFunction2("MAX", &FnMax);
        s.AddFunction2("MIN", &FnMin);
        return s;
    }();
    return set;
}

const TFunctionSet& TFunctionSet::Empty() {
    static const TFunctionSet set;
    return set;
}

} // namespace qz

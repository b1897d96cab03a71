#include "formula/Parser.h"

#include <algorithm>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <utility>

#include "common/NumberFormat.h"
#include "formula/ParserRoutines.h"

// How a formula text is compiled.
//
// The text is recognised top-down by trying, for each part, a fixed sequence
// of forms (variable, number, negation, sum, difference, product, DIV, MOD,
// quotient, one-argument function or small power, integer power, general
// power, two-argument function). Forms that split the text at an operator try
// each occurrence from the left and keep the first one whose two parts are
// both balanced and accepted by the forms allowed on their side; which forms
// are allowed on which side gives the precedence and the grouping
// (a-b-c = (a-b)-c, a+b+c = a+(b+c), 2^3^2 = (2^3)^2, A^B^C rejected).
//
// Whether a part of the text is accepted by a form only depends on the form
// and the part, so every answer is remembered for the duration of one
// compile; without that, texts with many operators would take exponential
// time. Only operators at the bracket depth of the part's start can split it
// into balanced parts, so the candidates are looked up per depth.
//
// Accepted parts are then built into a tree: every operand lies one level
// below its operation, levels deeper than 20 and more than 50 operations on
// one level are refused, and the records are linked deepest level first.

namespace qz {

struct TCustomParser::TOwnVariables {
    TVariableTable table;
    double values[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};

namespace {

constexpr int kMaxLevel = 20;
constexpr int kMaxOperationsPerLevel = 50;
// Work limits of the recogniser. Formulas within the level limits stay far
// below them; texts beyond them are refused as too complex (or too deeply
// nested) instead of taking unbounded time and stack.
constexpr long kMaxRecognitionSteps = 2'000'000;
constexpr int kMaxRecursion = 1000;
constexpr std::size_t kMaxTextLength = std::size_t{1} << 20;

enum Form : std::uint8_t {
    fVariable,
    fNumber,
    fNegation,
    fSum,
    fDifference,
    fProduct,
    fDiv,
    fMod,
    fQuotient,
    fFunction1,
    fSmallPower,
    fIntPower,
    fPower,
    fFunction2,
    fBracket,
    kFormCount
};

using FormSet = std::uint32_t;
constexpr FormSet Bit(Form f) { return FormSet{1} << f; }

constexpr FormSet kF1 = Bit(fFunction1) | Bit(fSmallPower);
constexpr FormSet kAtoms = Bit(fVariable) | Bit(fNumber) | Bit(fBracket) | kF1 | Bit(fFunction2);
constexpr FormSet kPowers = Bit(fIntPower) | Bit(fPower);
constexpr FormSet kTerms = Bit(fDiv) | Bit(fMod) | Bit(fQuotient);
constexpr FormSet kSumLeft =
    kAtoms | kPowers | kTerms | Bit(fNegation) | Bit(fDifference) | Bit(fProduct);
constexpr FormSet kSumRight =
    kAtoms | kPowers | kTerms | Bit(fSum) | Bit(fDifference) | Bit(fProduct);
constexpr FormSet kDifferenceRight = kAtoms | kPowers | kTerms | Bit(fProduct);
constexpr FormSet kProductLeft = kAtoms | kPowers | kTerms | Bit(fNegation);
constexpr FormSet kProductRight = kAtoms | kPowers | kTerms | Bit(fProduct);
constexpr FormSet kQuotientLeft = kProductLeft;
constexpr FormSet kQuotientRight = kAtoms | kPowers;
constexpr FormSet kPowerBase = kAtoms;
constexpr FormSet kPowerExponent = Bit(fVariable) | Bit(fBracket) | kF1 | Bit(fFunction2);
constexpr FormSet kNegationOperand = Bit(fBracket) | Bit(fVariable) | kF1 | Bit(fFunction2) | kPowers;
constexpr FormSet kBracketInner = kAtoms | kPowers | kTerms | Bit(fNegation) | Bit(fSum) |
                                  Bit(fDifference) | Bit(fProduct);

// Forms in the order a part is classified when it is built.
constexpr Form kClassifyOrder[] = {fVariable, fNumber,   fNegation,   fSum,      fDifference,
                                   fProduct,  fDiv,      fMod,        fQuotient, fFunction1,
                                   fSmallPower, fIntPower, fPower,    fFunction2};
// Forms in the order acceptance is tested: cheap and common ones first.
constexpr Form kAcceptOrder[] = {fVariable,  fNumber,   fFunction1, fFunction2, fBracket,
                                 fNegation,  fSmallPower, fIntPower, fPower,    fQuotient,
                                 fDiv,       fMod,      fProduct,   fDifference, fSum};

constexpr int kReject = -1;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Reads a whole text as a number: optional sign, digits with at most one
// separator (at least one digit), optional exponent "E" with optional sign and
// digits; "PI" and "-PI". Values beyond the double range are not numbers.
bool ReadNumber(std::string_view s, char separator, double& out) {
    if (s == "PI" || s == "-PI") {
        const double pi = static_cast<double>(3.141592653589793238462643383279502884L);
        out = s[0] == '-' ? -pi : pi;
        return true;
    }
    // Syntax first, without allocating: most texts tried are not numbers.
    auto digit = [&](std::size_t k) { return k < s.size() && s[k] >= '0' && s[k] <= '9'; };
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t mantissa = i;
    bool digits = false;
    while (digit(i)) ++i, digits = true;
    std::size_t sep = std::string_view::npos;
    if (i < s.size() && s[i] == separator) {
        sep = i++;
        while (digit(i)) ++i, digits = true;
    }
    if (!digits) return false;
    bool negativeExponent = false;
    if (i < s.size() && s[i] == 'E') {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) negativeExponent = s[i++] == '-';
        if (!digit(i)) return false;
        while (digit(i)) ++i;
    }
    if (i != s.size()) return false;

    std::string buf(s.substr(mantissa));
    if (sep != std::string_view::npos) buf[sep - mantissa] = '.';
    long double v = 0;
    auto [ptr, ec] = std::from_chars(buf.data(), buf.data() + buf.size(), v);
    if (ec == std::errc::result_out_of_range) {
        if (!negativeExponent) return false;
        v = 0;  // far below the smallest double
    } else if (ec != std::errc() || ptr != buf.data() + buf.size()) {
        return false;
    }
    if (std::fabs(v) > static_cast<long double>(DBL_MAX)) return false;
    out = static_cast<double>(s[0] == '-' ? -v : v);
    return true;
}

bool IsIntegral(double v) { return v == std::trunc(v); }

// The recogniser's answers by key, kept in one open-addressed table: a
// compile may store millions of them, and a node per answer made the
// lookups the larger part of refusing a long text.
class AnswerTable {
public:
    // The answer stored for `key`, or nullptr.
    const int* Find(std::uint64_t key) const {
        if (slots_.empty()) return nullptr;
        for (std::size_t i = Home(key);; i = (i + 1) & (slots_.size() - 1)) {
            if (!slots_[i].used) return nullptr;
            if (slots_[i].key == key) return &slots_[i].value;
        }
    }
    void Insert(std::uint64_t key, int value) {
        if (2 * (count_ + 1) > slots_.size()) Grow();
        std::size_t i = Home(key);
        while (slots_[i].used && slots_[i].key != key) i = (i + 1) & (slots_.size() - 1);
        if (!slots_[i].used) ++count_;
        slots_[i] = Slot{key, value, true};
    }

private:
    struct Slot {
        std::uint64_t key = 0;
        int value = 0;
        bool used = false;
    };
    std::size_t Home(std::uint64_t key) const {
        key ^= key >> 31;
        key *= 0x9E3779B97F4A7C15ull;
        return static_cast<std::size_t>(key >> 20) & (slots_.size() - 1);
    }
    void Grow() {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(old.empty() ? 1024 : 2 * old.size(), Slot{});
        count_ = 0;
        for (const Slot& s : old) {
            if (s.used) Insert(s.key, s.value);
        }
    }
    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

} // namespace

// Compiles one text for one parser; lives for the duration of SetExpression.
class TFormulaCompiler {
public:
    TFormulaCompiler(std::string text, const TVariableTable* variables,
                     const TFunctionSet& functions, char separator)
        : t_(std::move(text)), variables_(variables), functions_(functions), separator_(separator) {}

    std::unique_ptr<TCustomParser::TCompiledList> Compile();

private:
    struct Operand {
        const double* external = nullptr;  // variable storage
        int slot = -1;                      // constant or result slot
    };
    struct PendingOp {
        TOperationKind kind;
        TEvalRoutine routine;
        Operand a, b;
        int resultSlot;
        std::int32_t exponent;
    };

    void Index();
    int Depth(int i) const { return depth_[static_cast<std::size_t>(i)]; }
    bool Balanced(int b, int e) const { return Depth(b) == Depth(e); }
    std::string_view Part(int b, int e) const {
        return std::string_view(t_).substr(static_cast<std::size_t>(b), static_cast<std::size_t>(e - b));
    }

    bool Accepts(FormSet set, int b, int e);
    static std::uint64_t TryKey(Form f, int b, int e);
    int Try(Form f, int b, int e);
    int Evaluate(Form f, int b, int e);
    int Split(int opIndex, int opLength, int b, int e, FormSet left, FormSet right);
    int Function1(int b, int e);
    int Function2(int b, int e);
    int Bracket(int b, int e);
    int PowerForm(Form f, int b, int e);
    bool Literal(int b, int e, double& value) { return ReadNumber(Part(b, e), separator_, value); }
    int FirstParen(int b, int e) const;

    Operand Build(int b, int e, int level);
    Operand Child(int b, int e, int level);
    int NewSlot(double initial);
    [[noreturn]] void SyntaxError(int b, int e);
    void Step();

    std::string t_;
    const TVariableTable* variables_;
    const TFunctionSet& functions_;
    char separator_;

    std::vector<int> depth_;  // bracket count before each position (size n+1)
    std::vector<int> match_;  // position of the matching ")" of a "(", or -1
    std::vector<int> nextParen_;  // position of the first "(" at or after each position
    // Operator occurrences as (depth, position), sorted; one list per operator.
    enum { kPlus, kMinus, kTimes, kSlash, kCaret, kDivOp, kModOp, kComma,
           kAdditive,        // a "+" or "-" that can only be a binary operator
           kOperatorCount };
    bool HasOperator(int opIndex, int b, int e) const;
    bool prune_ = false;
    std::vector<std::pair<int, int>> ops_[kOperatorCount];

    // Characters that can begin and end an accepted part: those of numbers,
    // brackets and names, and the first and last characters of the variables.
    bool canStart_[256] = {};
    bool canEnd_[256] = {};

    AnswerTable memo_;
    long steps_ = 0;
    int recursion_ = 0;

    std::vector<double> slots_;
    std::vector<PendingOp> pending_;
    std::vector<std::vector<int>> levels_;
};

void TFormulaCompiler::Step() {
    if (++steps_ > kMaxRecognitionSteps) throw EExpressionTooComplex();
}

void TFormulaCompiler::Index() {
    for (unsigned char c = '0'; c <= '9'; ++c) canStart_[c] = canEnd_[c] = true;
    for (unsigned char c = 'A'; c <= 'Z'; ++c) canStart_[c] = true;
    for (unsigned char c : {'.', ',', '+', '-', '('}) canStart_[c] = true;
    for (unsigned char c : {'.', ',', ')', 'I'}) canEnd_[c] = true;
    // Parts holding a binary operator at their own depth can only be accepted
    // by the forms that split at such operators; this holds unless names
    // contain operator characters.
    prune_ = !functions_.HasOperatorCharacters();
    if (variables_ != nullptr) {
        if (variables_->NamesHaveOperators()) prune_ = false;
        for (std::size_t c = 0; c < 256; ++c) {
            if (variables_->FirstCharacters()[c]) canStart_[c] = true;
            if (variables_->LastCharacters()[c]) canEnd_[c] = true;
        }
    }
    const int n = static_cast<int>(t_.size());
    depth_.assign(static_cast<std::size_t>(n) + 1, 0);
    match_.assign(static_cast<std::size_t>(n), -1);
    std::vector<int> open;
    int d = 0;
    for (int i = 0; i < n; ++i) {
        depth_[static_cast<std::size_t>(i)] = d;
        const char c = t_[static_cast<std::size_t>(i)];
        int op = -1;
        switch (c) {
        case '(':
            ++d;
            open.push_back(i);
            break;
        case ')':
            --d;
            if (!open.empty()) {
                match_[static_cast<std::size_t>(open.back())] = i;
                open.pop_back();
            }
            break;
        case '+': op = kPlus; break;
        case '-': op = kMinus; break;
        case '*': op = kTimes; break;
        case '/': op = kSlash; break;
        case '^': op = kCaret; break;
        case ',': op = kComma; break;
        case 'D':
            if (t_.compare(static_cast<std::size_t>(i), 3, "DIV") == 0) op = kDivOp;
            break;
        case 'M':
            if (t_.compare(static_cast<std::size_t>(i), 3, "MOD") == 0) op = kModOp;
            break;
        default: break;
        }
        if (op >= 0) ops_[op].emplace_back(d, i);
        // A "+" or "-" right after a digit, a letter other than E (which may
        // start an exponent), ")" or "." can only be a binary operator, unless
        // the letters are DIV or MOD (then it is the sign of a number).
        if ((op == kPlus || op == kMinus) && i > 0) {
            const char prev = t_[static_cast<std::size_t>(i - 1)];
            const bool afterKeyword =
                i >= 3 && (t_.compare(static_cast<std::size_t>(i - 3), 3, "DIV") == 0 ||
                           t_.compare(static_cast<std::size_t>(i - 3), 3, "MOD") == 0);
            if ((prev >= '0' && prev <= '9') ||
                (prev >= 'A' && prev <= 'Z' && prev != 'E' && !afterKeyword) || prev == ')' ||
                prev == '.') {
                ops_[kAdditive].emplace_back(d, i);
            }
        }
    }
    depth_[static_cast<std::size_t>(n)] = d;
    nextParen_.assign(static_cast<std::size_t>(n) + 1, n);
    for (int i = n - 1; i >= 0; --i) {
        nextParen_[static_cast<std::size_t>(i)] =
            t_[static_cast<std::size_t>(i)] == '(' ? i : nextParen_[static_cast<std::size_t>(i) + 1];
    }
    for (auto& list : ops_) std::sort(list.begin(), list.end());
}

// Whether the part holds the operator at its own depth after its first character.
bool TFormulaCompiler::HasOperator(int opIndex, int b, int e) const {
    const auto& list = ops_[opIndex];
    auto it = std::lower_bound(list.begin(), list.end(), std::make_pair(Depth(b), b + 1));
    return it != list.end() && it->first == Depth(b) && it->second < e;
}

int TFormulaCompiler::FirstParen(int b, int e) const {
    const int q = nextParen_[static_cast<std::size_t>(b)];
    return q < e ? q : -1;
}

bool TFormulaCompiler::Accepts(FormSet set, int b, int e) {
    if (b >= e) return false;
    if (!canStart_[static_cast<unsigned char>(t_[static_cast<std::size_t>(b)])] ||
        !canEnd_[static_cast<unsigned char>(t_[static_cast<std::size_t>(e - 1)])]) {
        return false;
    }
    if (prune_) {
        // Only a sum or difference holds a binary "+" or "-"; only those and a
        // product hold a "*" (the parts of quotients, DIV and MOD hold none);
        // a "/" needs one of them or a quotient, DIV or MOD.
        constexpr FormSet kAdditiveForms = Bit(fSum) | Bit(fDifference);
        constexpr FormSet kProductForms = kAdditiveForms | Bit(fProduct);
        constexpr FormSet kQuotientForms = kProductForms | Bit(fQuotient) | Bit(fDiv) | Bit(fMod);
        if (!(set & kAdditiveForms) && HasOperator(kAdditive, b, e)) return false;
        if (!(set & kProductForms) && HasOperator(kTimes, b, e)) return false;
        if (!(set & kQuotientForms) && HasOperator(kSlash, b, e)) return false;
    }
    const std::uint64_t key = (std::uint64_t{set} << 42) | (std::uint64_t(b) << 21) | std::uint64_t(e);
    if (const int* known = memo_.Find(key)) return *known != kReject;
    bool accepted = false;
    for (Form f : kAcceptOrder) {
        if ((set & Bit(f)) && Try(f, b, e) != kReject) {
            accepted = true;
            break;
        }
    }
    memo_.Insert(key, accepted ? 0 : kReject);
    return accepted;
}

std::uint64_t TFormulaCompiler::TryKey(Form f, int b, int e) {
    return (std::uint64_t{1} << 63) | (std::uint64_t{f} << 42) | (std::uint64_t(b) << 21) | std::uint64_t(e);
}

int TFormulaCompiler::Try(Form f, int b, int e) {
    if (f == fVariable || f == fNumber) return Evaluate(f, b, e);  // cheap, not remembered
    const std::uint64_t key = TryKey(f, b, e);
    if (const int* known = memo_.Find(key)) return *known;
    Step();
    if (++recursion_ > kMaxRecursion) throw ETooManyNestings();
    const int r = Evaluate(f, b, e);
    --recursion_;
    memo_.Insert(key, r);
    return r;
}

int TFormulaCompiler::Evaluate(Form f, int b, int e) {
    switch (f) {
    case fVariable:
        return variables_ != nullptr && variables_->Find(Part(b, e)) != nullptr ? 0 : kReject;
    case fNumber: {
        double v;
        return Literal(b, e, v) ? 0 : kReject;
    }
    case fNegation:
        return (e - b >= 2 && t_[static_cast<std::size_t>(b)] == '-' &&
                Accepts(kNegationOperand, b + 1, e))
                   ? 0
                   : kReject;
    case fSum: return Split(kPlus, 1, b, e, kSumLeft, kSumRight);
    case fDifference: return Split(kMinus, 1, b, e, kSumLeft, kDifferenceRight);
    case fProduct: return Split(kTimes, 1, b, e, kProductLeft, kProductRight);
    case fDiv: return Split(kDivOp, 3, b, e, kQuotientLeft, kQuotientRight);
    case fMod: return Split(kModOp, 3, b, e, kQuotientLeft, kQuotientRight);
    case fQuotient: return Split(kSlash, 1, b, e, kQuotientLeft, kQuotientRight);
    case fFunction1: return Function1(b, e);
    case fSmallPower:
    case fIntPower:
    case fPower: return PowerForm(f, b, e);
    case fFunction2: return Function2(b, e);
    case fBracket: return Bracket(b, e);
    case kFormCount: break;
    }
    throw EParserInternalError();
}

// Tries each occurrence of the operator from the left; the result is the
// position of the first one whose parts are accepted.
int TFormulaCompiler::Split(int opIndex, int opLength, int b, int e, FormSet left, FormSet right) {
    const auto& list = ops_[opIndex];
    const int d = Depth(b);
    auto it = std::lower_bound(list.begin(), list.end(), std::make_pair(d, b + 1));
    for (; it != list.end() && it->first == d && it->second < e - 1; ++it) {
        Step();
        const int p = it->second;
        if (p + opLength >= e) break;
        if (!Balanced(b, p) || !Balanced(p + opLength, e)) continue;
        if (Accepts(left, b, p) && Accepts(right, p + opLength, e)) return p;
    }
    return kReject;
}

// "(" inner ")" with a matching pair. Bracket inside bracket is followed
// iteratively, so plain redundant brackets cost no stack; every bracket
// passed on the way has the same answer, which is remembered, so that
// stripping them one by one costs no more.
int TFormulaCompiler::Bracket(int b, int e) {
    const int b0 = b;
    int result = kReject;
    while (e - b >= 3 && t_[static_cast<std::size_t>(b)] == '(' &&
           match_[static_cast<std::size_t>(b)] == e - 1) {
        Step();
        ++b;
        --e;
        if (Accepts(kBracketInner & ~Bit(fBracket), b, e)) {
            result = 0;
            break;
        }
    }
    for (int i = 1; b0 + i < b; ++i) memo_.Insert(TryKey(fBracket, b0 + i, e + (b - b0) - i), result);
    return result;
}

// NAME "(" a ")": the result is the position of the "(".
int TFormulaCompiler::Function1(int b, int e) {
    const int q = FirstParen(b, e);
    if (q <= b) return kReject;
    if (functions_.FindFunction1(Part(b, q)) == nullptr) return kReject;
    return Try(fBracket, q, e) != kReject ? q : kReject;
}

// NAME "(" a "," b ")": the result is the position of the first comma for
// which "(a)" and "(b)" are both bracketed expressions.
int TFormulaCompiler::Function2(int b, int e) {
    const int q = FirstParen(b, e);
    if (q <= b || t_[static_cast<std::size_t>(e - 1)] != ')') return kReject;
    if (functions_.FindFunction2(Part(b, q)) == nullptr) return kReject;
    const auto& list = ops_[kComma];
    const int d = Depth(q + 1);
    auto it = std::lower_bound(list.begin(), list.end(), std::make_pair(d, q + 1));
    for (; it != list.end() && it->first == d && it->second < e - 1; ++it) {
        Step();
        const int c = it->second;
        if (!Balanced(q + 1, c) || !Balanced(c + 1, e - 1)) continue;
        if (Accepts(kBracketInner, q + 1, c) && Accepts(kBracketInner, c + 1, e - 1)) return c;
    }
    return kReject;
}

// base "^" exponent. Small power: the exponent is a literal equal to 2, 3 or
// 4. Integer power: any other integral literal within +-2147483647. General
// power: a non-integral literal (or an integral one too large for the integer
// power), a variable, a bracket or a function.
int TFormulaCompiler::PowerForm(Form f, int b, int e) {
    const auto& list = ops_[kCaret];
    const int d = Depth(b);
    auto it = std::lower_bound(list.begin(), list.end(), std::make_pair(d, b + 1));
    for (; it != list.end() && it->first == d && it->second < e - 1; ++it) {
        Step();
        const int p = it->second;
        if (!Balanced(b, p)) continue;
        double k = 0;
        const bool literal = Literal(p + 1, e, k);
        const bool small = literal && (k == 2.0 || k == 3.0 || k == 4.0);
        const bool integral = literal && IsIntegral(k) && std::fabs(k) <= 2147483647.0;
        bool rightOk = false;
        switch (f) {
        case fSmallPower: rightOk = small; break;
        case fIntPower: rightOk = integral && !small; break;
        default:
            rightOk = literal ? !integral : (Balanced(p + 1, e) && Accepts(kPowerExponent, p + 1, e));
            break;
        }
        if (rightOk && Accepts(kPowerBase, b, p)) return p;
    }
    return kReject;
}

int TFormulaCompiler::NewSlot(double initial) {
    slots_.push_back(initial);
    return static_cast<int>(slots_.size()) - 1;
}

void TFormulaCompiler::SyntaxError(int b, int e) {
    // When the last form tried, the two-argument function, got as far as
    // splitting the text at a comma, the message names the two parts of the
    // last split it tried.
    const int q = FirstParen(b, e);
    if (q > b && t_[static_cast<std::size_t>(e - 1)] == ')' &&
        functions_.FindFunction2(Part(b, q)) != nullptr) {
        for (int c = e - 2; c > q; --c) {
            if (t_[static_cast<std::size_t>(c)] == ',') throw ESyntaxError(Part(q + 1, c), Part(c + 1, e - 1));
        }
    }
    throw ESyntaxError(Part(b, e));
}

TFormulaCompiler::Operand TFormulaCompiler::Child(int b, int e, int level) {
    if (level > kMaxLevel) throw ETooManyNestings();
    return Build(b, e, level);
}

TFormulaCompiler::Operand TFormulaCompiler::Build(int b, int e, int level) {
    // Redundant outer brackets belong to no level.
    while (b < e && t_[static_cast<std::size_t>(b)] == '(' && Try(fBracket, b, e) != kReject) {
        ++b;
        --e;
    }
    Form form = kFormCount;
    int at = kReject;
    for (Form f : kClassifyOrder) {
        if (b < e && (at = Try(f, b, e)) != kReject) {
            form = f;
            break;
        }
    }
    if (form == kFormCount) SyntaxError(b, e);

    if (form == fVariable) return Operand{variables_->Find(Part(b, e)), -1};
    if (form == fNumber) {
        double v = 0;
        Literal(b, e, v);
        return Operand{nullptr, NewSlot(v)};
    }

    if (levels_.size() <= static_cast<std::size_t>(level)) levels_.resize(static_cast<std::size_t>(level) + 1);
    if (levels_[static_cast<std::size_t>(level)].size() >= kMaxOperationsPerLevel) throw EExpressionTooComplex();
    const int index = static_cast<int>(pending_.size());
    levels_[static_cast<std::size_t>(level)].push_back(index);
    pending_.push_back(PendingOp{kOpInternal, nullptr, {}, {}, NewSlot(0.0), 0});

    auto binary = [&](TOperationKind kind, int opLength) {
        pending_[static_cast<std::size_t>(index)].kind = kind;
        Operand l = Child(b, at, level + 1);
        Operand r = Child(at + opLength, e, level + 1);
        pending_[static_cast<std::size_t>(index)].a = l;
        pending_[static_cast<std::size_t>(index)].b = r;
    };
    auto unary = [&](TOperationKind kind, int cb, int ce) {
        pending_[static_cast<std::size_t>(index)].kind = kind;
        Operand a = Child(cb, ce, level + 1);
        pending_[static_cast<std::size_t>(index)].a = a;
    };

    switch (form) {
    case fNegation: unary(kOpNegate, b + 1, e); break;
    case fSum: binary(kOpAdd, 1); break;
    case fDifference: binary(kOpSubtract, 1); break;
    case fProduct: binary(kOpMultiply, 1); break;
    case fDiv: binary(kOpDiv, 3); break;
    case fMod: binary(kOpMod, 3); break;
    case fQuotient: binary(kOpDivide, 1); break;
    case fFunction1:
        pending_[static_cast<std::size_t>(index)].routine = functions_.FindFunction1(Part(b, at));
        unary(kOpFunction1, at, e);
        break;
    case fSmallPower: {
        double k = 0;
        Literal(at + 1, e, k);
        unary(k == 2.0 ? kOpSquare : (k == 3.0 ? kOpCube : kOpFourth), b, at);
        break;
    }
    case fIntPower: {
        double k = 0;
        Literal(at + 1, e, k);
        pending_[static_cast<std::size_t>(index)].exponent = static_cast<std::int32_t>(k);
        unary(kOpIntPower, b, at);
        break;
    }
    case fPower: binary(kOpPower, 1); break;
    case fFunction2: {
        const int q = FirstParen(b, e);
        pending_[static_cast<std::size_t>(index)].routine = functions_.FindFunction2(Part(b, q));
        pending_[static_cast<std::size_t>(index)].kind = kOpFunction2;
        Operand l = Child(q + 1, at, level + 1);
        Operand r = Child(at + 1, e - 1, level + 1);
        pending_[static_cast<std::size_t>(index)].a = l;
        pending_[static_cast<std::size_t>(index)].b = r;
        break;
    }
    default: throw EParserInternalError();
    }
    PendingOp& op = pending_[static_cast<std::size_t>(index)];
    if (op.routine == nullptr) op.routine = RoutineForKind(op.kind);
    return Operand{nullptr, op.resultSlot};
}

std::unique_ptr<TCustomParser::TCompiledList> TFormulaCompiler::Compile() {
    // Case-blind: letters a-z become upper case.
    for (char& c : t_) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    // Blanks (spaces and control characters) may only surround the text.
    std::size_t first = 0;
    std::size_t last = t_.size();
    while (first < last && IsBlank(t_[first])) ++first;
    while (last > first && IsBlank(t_[last - 1])) --last;
    t_ = t_.substr(first, last - first);
    if (std::any_of(t_.begin(), t_.end(), IsBlank)) throw EExpressionHasBlanks();
    // Only the final balance of the brackets is checked here; anything else
    // unbalanced is a syntax error.
    int balance = 0;
    for (char c : t_) balance += (c == '(') - (c == ')');
    if (balance != 0) throw EMissMatchingBracket();
    if (t_.size() > kMaxTextLength) throw EExpressionTooComplex();

    Index();
    const int n = static_cast<int>(t_.size());
    const Operand root = Build(0, n, 0);

    auto list = std::make_unique<TCustomParser::TCompiledList>();
    list->slots = std::make_unique<double[]>(slots_.size() + 1);
    list->slotCount = slots_.size() + 1;
    std::copy(slots_.begin(), slots_.end(), list->slots.get());
    double* slots = list->slots.get();
    auto resolve = [&](const Operand& o) -> const double* {
        return o.external != nullptr ? o.external : (o.slot >= 0 ? slots + o.slot : nullptr);
    };

    if (pending_.empty()) {
        // A single variable or number: one record that only names the value.
        const bool variable = root.external != nullptr;
        TOperation rec{};
        rec.kind = variable ? kOpVariable : kOpNumber;
        rec.routine = RoutineForKind(static_cast<TOperationKind>(rec.kind));
        rec.arg1 = resolve(root);
        rec.result = const_cast<double*>(rec.arg1);  // read only: the routine does nothing
        list->ops.push_back(rec);
        list->count = 0;
        return list;
    }

    list->ops.reserve(pending_.size());
    for (std::size_t level = levels_.size(); level-- > 0;) {
        for (int index : levels_[level]) {
            const PendingOp& p = pending_[static_cast<std::size_t>(index)];
            TOperation rec{};
            rec.routine = p.routine;
            rec.kind = p.kind;
            rec.arg1 = resolve(p.a);
            rec.arg2 = resolve(p.b);
            rec.result = slots + p.resultSlot;
            rec.exponent = p.exponent;
            list->ops.push_back(rec);
        }
    }
    list->count = static_cast<int>(list->ops.size());
    return list;
}

TCustomParser::TCustomParser(const TFunctionSet& functions) : functions_(&functions) {}

TCustomParser::TCustomParser(const TFunctionSet& functions, bool predefinedVariables)
    : functions_(&functions), predefinedVariables_(predefinedVariables) {}

TCustomParser::~TCustomParser() {
    if (list_) listChanges.fetch_add(1, std::memory_order_relaxed);
}

const double* TCustomParser::ExportList(std::vector<TOperation>& out, double* arena) const {
    if (!list_) return nullptr;
    const double* const slots = list_->slots.get();
    std::copy(slots, slots + list_->slotCount, arena);
    const auto begin = reinterpret_cast<std::uintptr_t>(slots);
    const auto end = reinterpret_cast<std::uintptr_t>(slots + list_->slotCount);
    auto move = [&](const double* p) -> double* {
        const auto at = reinterpret_cast<std::uintptr_t>(p);
        if (p == nullptr || at < begin || at >= end) return const_cast<double*>(p);
        return arena + (p - slots);
    };
    const TOperation& last = list_->ops.back();
    if (list_->count == 0) return move(last.arg1);
    for (const TOperation& op : list_->ops) {
        TOperation copy = op;
        copy.arg1 = move(op.arg1);
        copy.arg2 = move(op.arg2);
        copy.result = move(op.result);
        out.push_back(copy);
    }
    return move(last.result);
}

TVariableTable* TCustomParser::Variables() {
    if (shared_ != nullptr) return shared_;
    if (!own_) {
        own_ = std::make_unique<TOwnVariables>();
        if (predefinedVariables_) {
            static constexpr const char* kNames[8] = {"A", "B", "C", "D", "E", "X", "Y", "T"};
            for (int i = 0; i < 8; ++i) own_->table.AddUnique(kNames[i], &own_->values[i]);
        }
    }
    return &own_->table;
}

void TCustomParser::ClearVariables() {
    Variables()->Clear();
    SetExpression("");
}

void TCustomParser::SetExpression(std::string_view text) {
    listChanges.fetch_add(1, std::memory_order_relaxed);
    list_.reset();
    expression_.assign(text);
    if (text.empty()) return;
    const char separator = decimalPointFlag ? '.' : num::kDecimalSeparator;
    TFormulaCompiler compiler(std::string(text), Variables(), *functions_, separator);
    list_ = compiler.Compile();
}

TParser::TParser() : TCustomParser(TFunctionSet::BuiltIn(), true) {}

} // namespace qz

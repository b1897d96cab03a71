#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

namespace qz {

// Compile errors of the formula parser. The formula checks of a net catch this
// family (and only this one) and show the message next to the element.
class EMathParserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class EExpressionHasBlanks : public EMathParserError {
public:
    EExpressionHasBlanks() : EMathParserError("Expression has blanks") {}
};

class EMissMatchingBracket : public EMathParserError {
public:
    EMissMatchingBracket() : EMathParserError("Missing brackets in expression") {}
};

// Names the text that no form accepts, or the two parts of the last split.
class ESyntaxError : public EMathParserError {
public:
    explicit ESyntaxError(std::string_view text)
        : EMathParserError("Error parsing expression:\r" + std::string(text)) {}
    ESyntaxError(std::string_view left, std::string_view right)
        : EMathParserError("Error parsing expression:\r" + std::string(left) + "\r" +
                           std::string(right)) {}
};

class ETooManyNestings : public EMathParserError {
public:
    ETooManyNestings() : EMathParserError("Expression contains too many nestings") {}
};

class EExpressionTooComplex : public EMathParserError {
public:
    EExpressionTooComplex() : EMathParserError("Expression is too complex") {}
};

class EParserInternalError : public EMathParserError {
public:
    EParserInternalError() : EMathParserError("Internal Error") {}
};

// Faults while evaluating a compiled formula. They are deliberately not parser
// errors: the formula checks let them through to the general error report,
// and the simulation reports them when they stop a step.
class EArithmeticError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A finite non-zero value divided by zero; also the logarithm of zero.
class EZeroDivide : public EArithmeticError {
public:
    EZeroDivide() : EArithmeticError("Floating point division by zero") {}
};

// A result that is not a number: 0/0, logarithm or square root of a negative
// number, a non-integral power of a negative number, sin/cos/tan of infinity.
class EInvalidOp : public EArithmeticError {
public:
    EInvalidOp() : EArithmeticError("Invalid floating point operation") {}
};

// A computation on finite operands whose result does not fit a double.
class EOverflow : public EArithmeticError {
public:
    EOverflow() : EArithmeticError("Floating point overflow") {}
};

// DIV or MOD by a value that truncates to 0.
class EDivByZero : public EArithmeticError {
public:
    EDivByZero() : EArithmeticError("Division by zero") {}
};

// DIV or MOD with an operand beyond +-2147483647.
class EIntOverflow : public EArithmeticError {
public:
    EIntOverflow() : EArithmeticError("Parser internal integer overflow") {}
};

} // namespace qz

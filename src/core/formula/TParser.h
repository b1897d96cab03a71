#pragma once
// Placeholder until the parser lands; same interface.
#include <string>
#include <string_view>
#include <vector>
#include <stdexcept>
#include "formula/TVariableTable.h"

namespace qz {

class EMathParserError : public std::runtime_error { public: using std::runtime_error::runtime_error; };
class EArithmeticError : public std::runtime_error { public: using std::runtime_error::runtime_error; };

class TParser {
public:
    void SetExpression(std::string_view t) { expr_ = std::string(t); if (!expr_.empty()) throw EMathParserError("Error parsing expression:\r" + expr_); }
    const std::string& Expression() const { return expr_; }
    double Value() { return 0; }
    void SetVariables(TVariableTable* t) { vars_ = t; }
    TVariableTable* Variables() { return vars_; }
    bool HasCompiledList() const { return false; }
private:
    std::string expr_;
    TVariableTable* vars_ = nullptr;
};

} // namespace qz

// Compiles arbitrary texts as formulas and evaluates what compiles. Only the
// documented errors may come out; anything else (a crash, a sanitizer report,
// another exception) is a finding.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formula/Parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static double values[3] = {2.5, -1.0, 0.0};
    static qz::TVariableTable table = [] {
        qz::TVariableTable t;
        t.Add("m1", &values[0]);
        t.Add("Time", &values[1]);
        t.Add("P2", &values[2]);
        return t;
    }();
    if (size == 0) return 0;
    // The first byte picks the variable list and the decimal separator.
    const std::uint8_t mode = data[0];
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    qz::TParser parser;
    parser.decimalPointFlag = (mode & 1) == 0;
    if (mode & 2) parser.SetVariables(&table);
    try {
        parser.SetExpression(text);
    } catch (const qz::EMathParserError&) {
        if (parser.HasCompiledList()) __builtin_trap();
        return 0;
    }
    if (!text.empty() && !parser.HasCompiledList()) __builtin_trap();
    if (parser.OperationCount() > 21 * 50) __builtin_trap();
    try {
        (void)parser.Value();
    } catch (const qz::EArithmeticError&) {
    }
    return 0;
}

// Evaluation speed of compiled formulas, per operation of the compiled list.
#include <benchmark/benchmark.h>

#include "formula/Parser.h"

namespace {

void EvaluateFormula(benchmark::State& state, const char* text) {
    double m[4] = {1.5, 2.25, 0.75, 3.0};
    qz::TVariableTable table;
    table.Add("m1", &m[0]);
    table.Add("m2", &m[1]);
    table.Add("m3", &m[2]);
    table.Add("Time", &m[3]);
    qz::TParser parser;
    parser.SetVariables(&table);
    parser.SetExpression(text);
    const int ops = parser.OperationCount();
    for (auto _ : state) {
        m[3] += 1e-9;  // a changing input, as model time is
        benchmark::DoNotOptimize(parser.Value());
    }
    state.counters["operations"] = ops;
    state.counters["time_per_op"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * ops,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// 1 operation.
BENCHMARK_CAPTURE(EvaluateFormula, ops1, "2*m1");
// 10 operations.
BENCHMARK_CAPTURE(EvaluateFormula, ops10, "m1*m2+m3/2-Time^2+MAX(m1,m3)*3-SQR(m2)");
// 40 operations.
BENCHMARK_CAPTURE(EvaluateFormula, ops40,
                  "(m1*m2+m3/2-Time^2+MAX(m1,m3)*3-SQR(m2))*(m1+m2*m3-Time/4+ABS(m1-m2))"
                  "+(m1^3-m2*2+m3*Time-MIN(m1,m2)/5+HEAV(m3-1))*(m2+m3-m1*0.5+Time*m1)"
                  "-(m1*m2)/(1+Time)");

} // namespace

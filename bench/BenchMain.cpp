// The entry of every benchmark program: the program's start-up steps, then
// the benchmarks.
#include <benchmark/benchmark.h>

#include "model/storage/NetFile.h"

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    qz::InstallNetFileLoader();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

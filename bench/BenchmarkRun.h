// Every benchmark checks that it did the work it times (values offered, rows stored, matches found) and
// calls BenchmarkRun::fail when it did not: a time for work that was never done is no figure. The program
// then exits with status 1, so `make bench` fails instead of printing it.
//
//   if (offered != 1000)
//       BenchmarkRun::fail(state, "the keyring offered " + std::to_string(offered) + " of 1000 values");
//   ...
//   int main(int argc, char **argv) { ...; benchmark::Initialize(&argc, argv); return BenchmarkRun::runAll(); }
#pragma once

#include <benchmark/benchmark.h>

#include <string>

namespace BenchmarkRun {

inline bool &anyFailed()
{
    static bool failed = false;
    return failed;
}

// Marks this benchmark as failed with the reason; its figures are not reported.
inline void fail(benchmark::State &state, const std::string &why)
{
    anyFailed() = true;
    state.SkipWithError(why.c_str());
}

// Runs the benchmarks chosen on the command line; 1 when any of them failed.
inline int runAll()
{
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return anyFailed() ? 1 : 0;
}

} // namespace BenchmarkRun

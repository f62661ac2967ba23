// SPDX-License-Identifier: GPL-3.0-or-later
#include "solver/solver.h"
#include "solverdouble.h"

#include <benchmark/benchmark.h>

#include <array>

using namespace kelvoran;

namespace {

void solveWithTexts(benchmark::State& st, bool neutralClosed, bool algebraic)
{
    InstallationState s;
    DisplaySettings d;
    initializeDefaults(s, d);
    s.neutralClosed = neutralClosed;
    d.algebraic = algebraic;
    test::SolverDouble view;
    view.record = false;
    for (auto _ : st) {
        solveInstallation(s, d, view);
        benchmark::DoNotOptimize(view.written);
    }
}

void BM_SolveDefault(benchmark::State& st) { solveWithTexts(st, true, true); }
void BM_SolveNeutralOpen(benchmark::State& st) { solveWithTexts(st, false, true); }
void BM_SolvePolar(benchmark::State& st) { solveWithTexts(st, true, false); }

} // namespace

BENCHMARK(BM_SolveDefault);
BENCHMARK(BM_SolveNeutralOpen);
BENCHMARK(BM_SolvePolar);
BENCHMARK_MAIN();

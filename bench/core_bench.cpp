#include "solver/solver.h"

#include <benchmark/benchmark.h>

#include <array>

using namespace kelvoran;

namespace {

class FieldsView : public SolverView {
public:
    size_t written = 0;
    std::string fieldText(int index) const override { return std::string(kDefaultFieldTexts.at(index)); }
    void setResultText(ResultLabel, const std::string& text) override { written += text.size(); }
    void reportShortCircuit() override {}
};

void solveWithTexts(benchmark::State& st, bool neutralClosed, bool algebraic)
{
    InstallationState s;
    DisplaySettings d;
    initializeDefaults(s, d);
    s.neutralClosed = neutralClosed;
    d.algebraic = algebraic;
    FieldsView view;
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

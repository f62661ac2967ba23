// SPDX-License-Identifier: GPL-3.0-or-later
#include "numtext/numtext.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace {

// A spread of magnitudes: zero, fixed texts and exponent texts.
const double kValues[] = {0.0, 0.5, 17.6, -110.0, 190.5256, 412.88, 1234.5, 1e-12, 1e100};

// Texts as typed into the impedance and voltage fields.
const std::string_view kTexts[] = {"10", "-5", "12.5", "  -2.5E+2"};

void BM_FormatNumber(benchmark::State& state)
{
    std::size_t i = 0;
    for (auto _ : state) {
        std::string text = kelvoran::formatNumber(kValues[i]);
        benchmark::DoNotOptimize(text);
        if (++i == std::size(kValues))
            i = 0;
    }
}
BENCHMARK(BM_FormatNumber);

void BM_ParseNumber(benchmark::State& state)
{
    std::size_t i = 0;
    for (auto _ : state) {
        double v = kelvoran::parseNumber(kTexts[i]);
        benchmark::DoNotOptimize(v);
        if (++i == std::size(kTexts))
            i = 0;
    }
}
BENCHMARK(BM_ParseNumber);

} // namespace

BENCHMARK_MAIN();

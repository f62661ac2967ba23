// SPDX-License-Identifier: GPL-3.0-or-later
// The whole phasor diagram with every item shown and named, on the raster
// picture at the window's design size and at a large size, and as SVG.
// Run with --benchmark_repetitions=N to read medians.
#include "diagram/composition.h"
#include "diagram/qtsurfaces.h"
#include "diagram/recordingsurface.h"
#include "testinstallation.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <array>
#include <string>

namespace {

kelvoran::test::Installation solvedWithEveryItem()
{
    kelvoran::test::Installation inst;
    inst.solve().allFlags(true);
    return inst;
}

void BM_DiagramBitmap(benchmark::State& bench)
{
    const kelvoran::test::Installation inst = solvedWithEveryItem();
    const int width = static_cast<int>(bench.range(0));
    const int height = static_cast<int>(bench.range(1));
    QImage picture;
    for (auto _ : bench) {
        kelvoran::drawDiagramBitmap(picture, inst.state, inst.settings, width, height);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_DiagramBitmap)->Args({442, 449})->Args({1600, 1675})->Unit(benchmark::kMillisecond);

void BM_DiagramSvg(benchmark::State& bench)
{
    const kelvoran::test::Installation inst = solvedWithEveryItem();
    for (auto _ : bench) {
        QByteArray svg = kelvoran::drawDiagramSvg(inst.state, inst.settings, 442, 449);
        benchmark::DoNotOptimize(svg.data());
    }
}
BENCHMARK(BM_DiagramSvg)->Unit(benchmark::kMillisecond);

// The geometry alone, without painting.
void BM_DiagramRecording(benchmark::State& bench)
{
    const kelvoran::test::Installation inst = solvedWithEveryItem();
    for (auto _ : bench) {
        kelvoran::RecordingSurface canvas;
        kelvoran::drawDiagram(canvas, inst.state, inst.settings, 442, 449);
        benchmark::DoNotOptimize(canvas.ops().data());
    }
}
BENCHMARK(BM_DiagramRecording)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    // Text needs a QGuiApplication; no window is ever shown.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

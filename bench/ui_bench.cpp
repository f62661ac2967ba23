// SPDX-License-Identifier: GPL-3.0-or-later
// The diagram window under load: a storm of resizes (each one a size rule
// and a full redraw at the new size) and the clipboard copy (SVG, EMF and
// PNG, the PNG painted and encoded in the background from the click on).
// Runs offscreen unless a platform is chosen.
#include "Unit1.h"
#include "application.h"
#include "diagramclipboard.h"
#include "records.h"
#include "graphfresnel.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QMimeData>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

void resizeStep(int width)
{
    Form4->resize(width, width);
    QCoreApplication::processEvents();
}

// 50 widths from 300 to 1600 pixels; the counters give the per-step times.
void BM_ResizeStorm(benchmark::State& state)
{
    constexpr int kSteps = 50;
    std::vector<double> steps;
    for (auto _ : state) {
        for (int i = 0; i < kSteps; ++i) {
            const int width = 300 + (1600 - 300) * i / (kSteps - 1);
            QElapsedTimer clock;
            clock.start();
            resizeStep(width);
            steps.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
        benchmark::DoNotOptimize(Form4->image()->picture().constBits());
    }
    std::sort(steps.begin(), steps.end());
    state.counters["median_step_ms"] = steps[steps.size() / 2];
    state.counters["p90_step_ms"] = steps[steps.size() * 9 / 10];
    state.counters["max_step_ms"] = steps.back();
}
BENCHMARK(BM_ResizeStorm)->Unit(benchmark::kMillisecond)->Iterations(5);

// The diagram picture of a window `width` wide (design width 450: 450 x 484),
// copied directly: the window itself is bounded by the screen.
QSize pictureOf(int width)
{
    return {width, width + 34};
}

// One copy: what the click costs (the PNG's worker runs on).
void BM_Copy(benchmark::State& state)
{
    const QSize size = pictureOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        copyDiagramToClipboard(installation, settings, size);
        benchmark::DoNotOptimize(QGuiApplication::clipboard()->mimeData());
    }
}
BENCHMARK(BM_Copy)->Arg(450)->Arg(1000)->Arg(1600)->Unit(benchmark::kMillisecond);

// A copy and then at once an application asking for its PNG: the denser
// raster painted and encoded, the longest a pasting application waits.
void BM_CopyThenPastePng(benchmark::State& state)
{
    const QSize size = pictureOf(static_cast<int>(state.range(0)));
    qsizetype bytes = 0;
    for (auto _ : state) {
        copyDiagramToClipboard(installation, settings, size);
        bytes = QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("image/png")).size();
    }
    state.counters["png_kB"] = static_cast<double>(bytes) / 1024;
}
BENCHMARK(BM_CopyThenPastePng)->Arg(450)->Arg(1600)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    KelvoranApplication app(argc, argv);
    createApplicationWindows();
    Form4->show();
    QCoreApplication::processEvents();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    destroyApplicationWindows();
    return 0;
}

// Resident memory of the main window after 100 slides, against the same process showing an empty
// window of the main window's size (the Qt baseline every window of this toolkit costs).
// Resident memory is per process: run it alone, --benchmark_filter=BM_ResidentAfter100Slides.

#include "ResidentMemory.h"

#include "app/mainwindow/MainWindow.h"
#include "app/registry/WindowRegistry.h"
#include "draw/base/Random.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

double residentWithEmptyWindow()
{
    QWidget window;
    window.resize(1167, 833);
    window.show();
    QCoreApplication::processEvents();
    return residentBytes();
}

void BM_ResidentAfter100Slides(benchmark::State& state)
{
    const double baseline = residentWithEmptyWindow();
    double resident = 0;
    for (auto _ : state) {
        RandomSource::reset();
        auto form = std::make_unique<MainWindow>();
        form->showTimer.stop();
        form->show();
        for (int slide = 0; slide < 100; ++slide) {
            form->onShowTimer();
            QCoreApplication::processEvents();
        }
        resident = residentBytes();
        form.reset();
        WindowRegistry::instance().clear();
    }
    constexpr double megaByte = 1024.0 * 1024.0;
    state.counters["resident_MB"] = resident / megaByte;
    state.counters["empty_window_MB"] = baseline / megaByte;
    // Baseline over ours, the direction of every ratio here: above 1 would mean less than Qt's own.
    state.counters["baseline_over_ours"] = resident > 0 ? baseline / resident : 0;
}

} // namespace

BENCHMARK(BM_ResidentAfter100Slides)->Iterations(1)->Unit(benchmark::kMillisecond);

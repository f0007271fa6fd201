// Resident memory of the main window after 100 slides, against the same process showing an empty
// window of the main window's size (the Qt baseline every window of this toolkit costs).
// Resident memory is per process: run it alone, --benchmark_filter=BM_ResidentAfter100Slides.

#include "app/Form1.h"
#include "platform/Random.h"
#include "app/WindowRegistry.h"

#include <QApplication>
#include <QFile>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// VmRSS of this process in bytes, 0 when it cannot be read.
double residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() * 1024;
    }
    return 0;
}

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
        auto form = std::make_unique<Form1>();
        form->Timer1.stop();
        form->show();
        for (int slide = 0; slide < 100; ++slide) {
            form->Timer1_Timer();
            QCoreApplication::processEvents();
        }
        resident = residentBytes();
        form.reset();
        WindowRegistry::instance().clear();
    }
    constexpr double megaByte = 1024.0 * 1024.0;
    state.counters["resident_MB"] = resident / megaByte;
    state.counters["empty_window_MB"] = baseline / megaByte;
    state.counters["ratio"] = baseline > 0 ? resident / baseline : 0;
}

} // namespace

BENCHMARK(BM_ResidentAfter100Slides)->Iterations(1)->Unit(benchmark::kMillisecond);

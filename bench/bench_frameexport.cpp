// Exports at a chosen size: the streaming PNG writer against QImageWriter on the same image, an 8K
// export against drawing one QImage and saving it with QImageWriter (time and peak memory), and
// 30,000 x 30,000 against 8K per megapixel. Whole exports run in a child process each, so that
// its peak resident memory is its own.

#include "ThreadTime.h"

#include "draw/output/PngRowWriter.h"
#include "draw/output/OutputJob.h"
#include "draw/output/PatternMetadata.h"
#include "draw/output/FrameRenderer.h"
#include "draw/pattern/PatternCode.h"
#include "draw/pattern/SlideReplay.h"
#include "draw/surface/PictureSource.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImageWriter>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// A main window slide, plain and on a gradient.
const char* const plainCode = "TN12H1KG2Y001WH6X2A6PAQ8";
const char* const gradientCode = "TN1F8MKYM60038BWDMWN3JVVM7Y9TGA5GMFG5RG9PGJZG9S";

OutputJob jobFor(const char* code, QSize size)
{
    OutputJob job;
    const PatternCode::Reading reading = PatternCode::decode(QString::fromLatin1(code));
    job.pattern.picture = slidePicture(*reading.recipe, &job.pattern.code);
    job.pattern.fullCode = reading.code;
    job.frame.pixels = size;
    return job;
}

// Takes the bytes and keeps only their count.
class DiscardingDevice final : public QIODevice
{
public:
    DiscardingDevice() { open(QIODevice::WriteOnly); }
    qint64 written = 0;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 length) override
    {
        written += length;
        return length;
    }
};

qint64 encodeOurs(const QImage& image, const QString& code)
{
    DiscardingDevice device;
    const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
    const std::vector<QRgb> palette =
        fewColoursOf(pixels, std::size_t(image.width()) * std::size_t(image.height())).value_or(std::vector<QRgb>{});
    PngRowWriter writer(device);
    writer.start(image.size(), palette, 96, patternPngTexts(code, {}));
    for (int y = 0; y < image.height(); ++y)
        writer.writeRow(reinterpret_cast<const QRgb*>(image.constScanLine(y)));
    writer.finish();
    return device.written;
}

qint64 encodeQImageWriter(const QImage& image)
{
    DiscardingDevice device;
    QImageWriter writer(&device, "png");
    writer.write(image);
    return device.written;
}

// The same 4x image encoded both ways. Argument: 0 a plain slide, 1 a slide on a gradient.
void BM_Png4xVsQImageWriter(benchmark::State& state)
{
    const OutputJob job = jobFor(state.range(0) == 0 ? plainCode : gradientCode, QSize(3200, 3200));
    const QImage image = job.pattern.picture->render(4.0);
    double ours = 0, baseline = 0;
    qint64 ourBytes = 0, baselineBytes = 0;
    for (auto _ : state) {
        const double t = threadSecondsOf([&] { ourBytes = encodeOurs(image, job.pattern.code); });
        baseline += threadSecondsOf([&] { baselineBytes = encodeQImageWriter(image); });
        ours += t;
        state.SetIterationTime(t);
    }
    state.counters["qimagewriter_ms"] = 1000 * baseline / double(state.iterations());
    state.counters["speedup"] = baseline / ours;
    state.counters["size_ratio"] = double(ourBytes) / double(baselineBytes);
}

struct ChildRun
{
    double seconds = 0;
    double peakMB = 0;  // the child's peak resident memory
    double extraMB = 0; // above what it had when it started
};

// A line of /proc/self/status in megabytes ("VmRSS", "VmHWM").
double statusMB(const char* field)
{
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    double kilobytes = 0;
    const std::size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':')
            kilobytes = std::atof(line + length + 1);
    }
    std::fclose(status);
    return kilobytes / 1024.0;
}

// Runs work in a child process: its wall time, its peak resident memory, and how far that peak
// rose above what the child had when the work began (the peak is reset there).
template <typename Work>
ChildRun inChild(Work&& work)
{
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    QElapsedTimer clock;
    clock.start();
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        if (FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", clear); // the peak starts again from the present
            std::fclose(clear);
        }
        const double start = statusMB("VmRSS");
        work();
        const double measured[2] = {statusMB("VmHWM"), statusMB("VmHWM") - start};
        const ssize_t sent = write(channel[1], measured, sizeof measured);
        _exit(sent == ssize_t(sizeof measured) ? 0 : 1);
    }
    close(channel[1]);
    double measured[2] = {0, 0};
    const ssize_t received = read(channel[0], measured, sizeof measured);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ChildRun run;
    run.seconds = double(clock.nsecsElapsed()) * 1e-9;
    if (received == ssize_t(sizeof measured)) {
        run.peakMB = measured[0];
        run.extraMB = measured[1];
    }
    return run;
}

void exportStreaming(const OutputJob& job)
{
    DiscardingDevice device;
    writeOutput(job, device);
}

void exportWhole(const OutputJob& job)
{
    DiscardingDevice device;
    const QImage frame = FrameRenderer(job.pattern.picture, job.frame.pixels).render();
    QImageWriter writer(&device, "png");
    writer.write(frame);
}

// An 8K PNG of a slide on a gradient: strips and the streaming writer, against one QImage saved
// with QImageWriter.
void BM_Export8KVsOneImage(benchmark::State& state)
{
    const OutputJob job = jobFor(gradientCode, QSize(7680, 4320));
    ChildRun ours, baseline;
    for (auto _ : state) {
        ours = inChild([&] { exportStreaming(job); });
        baseline = inChild([&] { exportWhole(job); });
        state.SetIterationTime(ours.seconds);
    }
    state.counters["one_image_ms"] = 1000 * baseline.seconds;
    state.counters["speedup"] = baseline.seconds / ours.seconds;
    state.counters["extra_MB"] = ours.extraMB;
    state.counters["one_image_extra_MB"] = baseline.extraMB;
    state.counters["memory_ratio"] = ours.extraMB / baseline.extraMB;
}

// 30,000 x 30,000 of the same slide: time per megapixel against the 8K export, and peak memory.
void BM_Export30KVs8K(benchmark::State& state)
{
    const OutputJob large = jobFor(gradientCode, QSize(30000, 30000));
    const OutputJob eightK = jobFor(gradientCode, QSize(7680, 4320));
    ChildRun big, small;
    for (auto _ : state) {
        small = inChild([&] { exportStreaming(eightK); });
        big = inChild([&] { exportStreaming(large); });
        state.SetIterationTime(big.seconds);
    }
    const double perMegapixel = big.seconds / 900.0;
    const double eightKPerMegapixel = small.seconds / (7680.0 * 4320.0 / 1e6);
    state.counters["per_MP_ratio"] = perMegapixel / eightKPerMegapixel;
    state.counters["peak_MB"] = big.peakMB;
    state.counters["extra_MB"] = big.extraMB;
}

} // namespace

BENCHMARK(BM_Png4xVsQImageWriter)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export8KVsOneImage)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export30KVs8K)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Saving a real slide through the one output pipeline: the 4x PNG against the old save, the
// rendering alone, and the SVG, for a main window slide (10,076 dots) and a geometric designer
// slide.

#include "CurveFixture.h"
#include "ThreadTime.h"

#include "draw/base/Random.h"
#include "draw/curves/SlideShow.h"
#include "draw/output/OutputJob.h"
#include "draw/gradient/GradientRenderer.h"
#include "draw/stars/GeometricSlide.h"
#include "draw/surface/PictureSource.h"
#include "draw/surface/Surface.h"

#include <QBuffer>
#include <QImageWriter>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Slide
{
    std::shared_ptr<const PictureSource> picture;
    QString code;
};

Slide curveSlide(bool onGradient = false)
{
    RandomSource::reset();
    FakeCurveControls controls;
    controls.canvas.setDrawWidth(4);
    if (onGradient) {
        Surface gradientCanvas(QSize(800, 800));
        GradientRenderer gradient;
        gradient.setColor1(RGB(250, 0, 0));
        gradient.setColor2(RGB(0, 0, 250));
        gradient.Draw(gradientCanvas);
        controls.canvas.setPicture(gradientCanvas.Image(), gradientCanvas.snapshot());
    }
    slideShowTick(controls);
    slideShowTick(controls); // the second slide is drawn with the chosen pen width
    return {controls.canvas.snapshot(), controls.patternCodeShown};
}

Slide geometricSlide()
{
    RandomSource::reset();
    Surface canvas(QSize(609, 609));
    canvas.setScaleMode(ScaleMode::Twips);
    const QString code = drawGeometricSlide(canvas, QStringLiteral("9"));
    return {canvas.snapshot(), code};
}

Slide slideFor(const benchmark::State& state)
{
    if (state.range(0) == 2)
        return curveSlide(true);
    return state.range(0) == 0 ? curveSlide() : geometricSlide();
}

// The save as it was before every picture went through one pipeline: the whole 4x image rendered,
// reduced to a colour table when it has few colours, and encoded by Qt's PNG writer (libpng) on
// the user-interface thread. Kept here as the baseline the pipeline is measured against.
QImage indexedForOldSave(const QImage& image)
{
    QImage indexed(image.size(), QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int y = 0; y < image.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            qsizetype found = table.indexOf(in[x]);
            if (found < 0) {
                if (table.size() == 256)
                    return image;
                found = table.size();
                table.append(in[x]);
            }
            out[x] = uchar(found);
        }
    }
    indexed.setColorTable(table);
    return indexed;
}

qint64 oldSave4x(const Slide& slide)
{
    QImage image = slide.picture->render(4.0);
    image.setText(QStringLiteral("Title"), slide.code);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(indexedForOldSave(image));
    return bytes.size();
}

qint64 pipelineSave(const Slide& slide, double scale, ExportFormat format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeOutput(asShownJob(PatternPicture{slide.picture, slide.code, {}}, scale, format, QString()), buffer);
    return bytes.size();
}

// "保存高清图案 (PNG 4倍)" through the one pipeline against the old save, in the same run: the
// ratio is the old path's time over the pipeline's (above 1: the pipeline is faster). The old
// path ran on the user-interface thread; the pipeline runs on a worker, so the windows do not
// wait at all.
void BM_Png4xVsOldSave(benchmark::State& state)
{
    const Slide slide = slideFor(state);
    double ours = 0, old = 0;
    qint64 ourBytes = 0, oldBytes = 0;
    for (auto _ : state) {
        const double t = threadSecondsOf([&] { ourBytes = pipelineSave(slide, 4.0, ExportFormat::Png); });
        old += threadSecondsOf([&] { oldBytes = oldSave4x(slide); });
        ours += t;
        state.SetIterationTime(t);
    }
    state.counters["old_ms"] = 1000 * old / double(state.iterations());
    state.counters["speedup"] = old / ours;
    state.counters["size_ratio"] = double(ourBytes) / double(oldBytes);
}

void BM_Render4x(benchmark::State& state)
{
    const Slide slide = slideFor(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(slide.picture->render(4.0).constBits());
}

void BM_Svg(benchmark::State& state)
{
    const Slide slide = slideFor(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(pipelineSave(slide, 1.0, ExportFormat::Svg));
}

} // namespace

// Argument 0: a main window slide; 1: a geometric designer slide; 2: a main window slide on a
// gradient background (too many colours for a colour table).
BENCHMARK(BM_Png4xVsOldSave)->Arg(0)->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Render4x)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Svg)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

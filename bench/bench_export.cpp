// Saving a real slide: the 4x PNG split into rendering and encoding, and the SVG, for a main
// window slide (10,076 dots) and a geometric designer slide.

#include "CurveFixture.h"

#include "draw/base/Random.h"
#include "draw/curves/SlideShow.h"
#include "draw/export/PatternExport.h"
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

void BM_Png4x(benchmark::State& state)
{
    const Slide slide = slideFor(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(encodePng(*slide.picture, 4.0, slide.code).size());
}

void BM_Render4x(benchmark::State& state)
{
    const Slide slide = slideFor(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(slide.picture->render(4.0).constBits());
}

// Encoding alone, at a given compression (second argument; -1 is the library's default), of the
// rendered image (third argument 0) or of its indexed form (1), which the writer uses.
void BM_EncodePng4x(benchmark::State& state)
{
    const Slide slide = slideFor(state);
    QImage image = patternImage(*slide.picture, 4.0, slide.code);
    if (state.range(2) == 1)
        image = indexedIfFewColours(image);
    for (auto _ : state) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.setCompression(int(state.range(1)));
        writer.write(image);
        benchmark::DoNotOptimize(bytes.size());
        state.counters["kB"] = double(bytes.size()) / 1024.0;
    }
}

// The look-up that builds the indexed image.
void BM_Indexing(benchmark::State& state)
{
    const Slide slide = slideFor(state);
    QImage image = patternImage(*slide.picture, 4.0, slide.code);
    for (auto _ : state)
        benchmark::DoNotOptimize(indexedIfFewColours(image).constBits());
}

void BM_Svg(benchmark::State& state)
{
    const Slide slide = slideFor(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeSvg(*slide.picture, slide.code).size());
}

} // namespace

// Argument 0: a main window slide; 1: a geometric designer slide; 2: a main window slide on a
// gradient background (too many colours for a colour table).
BENCHMARK(BM_Png4x)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Render4x)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePng4x)->ArgsProduct({{0, 1}, {-1, 0, 20, 50}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Indexing)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Svg)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

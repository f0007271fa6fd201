// A gradient picture is drawn only where it is seen: a canvas laid on a gradient area larger than
// itself, up to the 32767-pixel square a pattern code can name, shows exactly the pixels the full
// sweep of that area gives there, and does so within a few hundred megabytes.

#include "MemoryLimit.h"

#include "draw/gradient/GradientPicture.h"
#include "draw/gradient/GradientRenderer.h"
#include "draw/output/OutputJob.h"
#include "draw/pattern/PatternCode.h"
#include "draw/pattern/SlideReplay.h"
#include "draw/surface/Surface.h"

#include <QBuffer>
#include <QtTest>

#include <cstdlib>
#include <vector>

namespace {

constexpr Colour back = RGB(255, 192, 255);
// A canvas colour no slide dot has: where a slide without its gradient shows it, the gradient shows.
constexpr Colour unused = RGB(1, 254, 3);
// A code naming a curve slide over a 32767 x 32767 gradient area.
const QString hugeCode = QStringLiteral("TN180000020000ZZ0C0ZW00007Z005QZZZZZWEW87J");
// What a forked child may map beyond the test's own address space: far below the 4 GiB the whole
// area takes in pixels.
constexpr rlim_t spareBytes = rlim_t(768) << 20;

GradientRenderer rendererOf(const GradientRecipe& recipe)
{
    GradientRenderer renderer;
    renderer.setColor1(recipe.colour1);
    renderer.setColor2(recipe.colour2);
    renderer.setAngle(recipe.angle);
    return renderer;
}

QSize deviceSize(QSize logical, qreal ratio)
{
    return QSize(int(std::ceil(logical.width() * ratio - 1e-9)), int(std::ceil(logical.height() * ratio - 1e-9)));
}

// The whole area swept on a surface of its own size: what a preview of that size shows.
QImage fullSweep(const GradientRecipe& recipe, qreal ratio)
{
    Surface whole(recipe.area, ratio);
    rendererOf(recipe).Draw(whole);
    return whole.Image();
}

// The sweep's lines over the top-left part of the area, each drawn as a line-to draws it, apart
// from the program's line walk: step i of a line whose major extent is M and minor extent m lies
// round-half-up(i * m / M) off its start across, and the end pixel is left out. Only the steps
// whose major coordinate falls in the part are visited.
QImage referenceSweep(const GradientRecipe& recipe, QSize part)
{
    std::vector<PixelPoint> lines;
    std::vector<Colour> colours;
    QImage image(part, QImage::Format_RGB32);
    image.fill(Colour::system(SysColorIndex::ButtonFace).toQRgb());
    if (rendererOf(recipe).sweepPlan(recipe.area.width(), recipe.area.height(), lines, colours) != ErrorCode::None)
        return QImage();
    for (size_t k = 0; k + 1 < lines.size(); k += 2) {
        const PixelPoint a = lines[k];
        const PixelPoint b = lines[k + 1];
        const qint64 dx = qint64(b.x) - a.x;
        const qint64 dy = qint64(b.y) - a.y;
        const bool alongX = std::llabs(dx) >= std::llabs(dy);
        const qint64 major = alongX ? std::llabs(dx) : std::llabs(dy);
        const qint64 minor = alongX ? std::llabs(dy) : std::llabs(dx);
        const int majorSign = (alongX ? dx : dy) < 0 ? -1 : 1;
        const int minorSign = (alongX ? dy : dx) < 0 ? -1 : 1;
        const qint64 majorStart = alongX ? a.x : a.y;
        const qint64 minorStart = alongX ? a.y : a.x;
        const qint64 majorLimit = alongX ? part.width() : part.height();
        const qint64 minorLimit = alongX ? part.height() : part.width();
        qint64 first = majorSign > 0 ? -majorStart : majorStart - majorLimit + 1;
        qint64 last = majorSign > 0 ? majorLimit - majorStart : majorStart + 1;
        first = std::max<qint64>(first, 0);
        last = std::min<qint64>(last, major);
        const QRgb colour = colours[k / 2].toQRgb();
        for (qint64 i = first; i < last; ++i) {
            const qint64 along = majorStart + majorSign * i;
            const qint64 across = minorStart + minorSign * ((2 * i * minor + major) / (2 * major));
            if (across < 0 || across >= minorLimit)
                continue;
            const int x = int(alongX ? along : across);
            const int y = int(alongX ? across : along);
            reinterpret_cast<QRgb*>(image.scanLine(y))[x] = colour;
        }
    }
    return image;
}

// The slide the recipe names with its gradient taken away and an unused canvas colour: its dots
// alone.
QImage dotsOf(SlideRecipe recipe)
{
    recipe.gradient.reset();
    recipe.backColour = unused;
    return slidePicture(recipe)->render(1.0).convertToFormat(QImage::Format_RGB32);
}

// The slide as its gradient and its dots make it: the dots where they are, the gradient elsewhere.
QImage composed(const QImage& gradient, const QImage& dots)
{
    QImage slide = gradient.copy();
    for (int y = 0; y < slide.height(); ++y)
        for (int x = 0; x < slide.width(); ++x)
            if (dots.pixel(x, y) != unused.toQRgb())
                slide.setPixel(x, y, dots.pixel(x, y));
    return slide;
}

int countOf(const QImage& image, Colour colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == colour.toQRgb() ? 1 : 0;
    return count;
}

QImage pngOf(const OutputJob& job)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!writeOutput(job, buffer).ok())
        return QImage();
    return QImage::fromData(bytes, "PNG").convertToFormat(QImage::Format_RGB32);
}

QByteArray svgOf(const SlideRecipe& recipe)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    OutputJob job;
    job.pattern.picture = slidePicture(recipe, &job.pattern.code);
    job.pattern.fullCode = PatternCode::encode(recipe);
    job.frame.pixels = QSize(800, 800);
    job.format = ExportFormat::Svg;
    return writeOutput(job, buffer).ok() ? bytes : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(GradientRecipe)

class TestGradientPicture : public QObject
{
    Q_OBJECT

private slots:
    void seenPartIsTheFullSweep_data();
    void seenPartIsTheFullSweep();
    void hugeAreaIsDrawnWhereSeenOnly_data();
    void hugeAreaIsDrawnWhereSeenOnly();
    void hugeAreaSlideAndItsExportsAreTheSweepUnderTheDots();
};

void TestGradientPicture::seenPartIsTheFullSweep_data()
{
    QTest::addColumn<GradientRecipe>("recipe");
    QTest::addColumn<QSize>("canvasSize");
    QTest::addColumn<qreal>("ratio");
    const auto gradient = [](float angle, QSize area) {
        return GradientRecipe{RGB(255, 255, 128), RGB(20, 40, 250), angle, area};
    };
    QTest::newRow("315, area larger both ways") << gradient(315, QSize(1200, 900)) << QSize(500, 400) << 1.0;
    QTest::newRow("0, area narrower than the canvas") << gradient(0, QSize(300, 900)) << QSize(500, 400) << 1.0;
    QTest::newRow("90, area of the canvas's size") << gradient(90, QSize(500, 400)) << QSize(500, 400) << 1.0;
    QTest::newRow("137.5, flat area") << gradient(137.5f, QSize(2000, 40)) << QSize(300, 300) << 1.0;
    QTest::newRow("200 at ratio 2") << gradient(200, QSize(1000, 700)) << QSize(400, 300) << 2.0;
    QTest::newRow("33 at ratio 1.5") << gradient(33, QSize(901, 777)) << QSize(500, 400) << 1.5;
}

// Laid under a smaller canvas, then shown on a larger one, the picture's pixels are those of the
// whole area swept at once, and the canvas's own colour shows beyond the area.
void TestGradientPicture::seenPartIsTheFullSweep()
{
    QFETCH(GradientRecipe, recipe);
    QFETCH(QSize, canvasSize);
    QFETCH(qreal, ratio);
    const QImage full = fullSweep(recipe, ratio);
    auto picture = std::make_shared<GradientPicture>(recipe);
    Surface canvas(canvasSize, ratio);
    canvas.setBackColor(back);
    canvas.setPictureSource(picture);
    for (const QSize size : {canvasSize, canvasSize * 3 / 2}) {
        canvas.resize(size);
        canvas.Cls();
        const QImage shown = canvas.Image();
        const QRect area = QRect(QPoint(0, 0), deviceSize(recipe.area, ratio)).intersected(shown.rect());
        QCOMPARE(shown.copy(area), full.copy(area));
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                if (!area.contains(x, y))
                    QCOMPARE(shown.pixel(x, y), back.toQRgb());
        QImage rendered = canvas.snapshot()->render(ratio);
        rendered.setDevicePixelRatio(ratio);
        QCOMPARE(rendered, shown);
    }
    // A window of the picture at another scale is that window of the whole picture at that scale.
    const QImage twice = picture->render(2.0);
    const QRect part = QRect(77, 21, 150, 90).intersected(twice.rect());
    QImage window(part.size(), QImage::Format_RGB32);
    picture->renderRegion(PixelBuffer::of(window), 2.0, part.topLeft(), PictureLayers::Whole);
    QCOMPARE(window, twice.copy(part));
}

void TestGradientPicture::hugeAreaIsDrawnWhereSeenOnly_data()
{
    QTest::addColumn<GradientRecipe>("recipe");
    const QSize largest(32767, 32767);
    const auto gradient = [](float angle, QSize area) {
        return GradientRecipe{RGB(10, 200, 30), RGB(250, 10, 90), angle, area};
    };
    QTest::newRow("the code's own") << PatternCode::decode(hugeCode).recipe.value().gradient.value();
    QTest::newRow("0, steep lines from the left") << gradient(0, largest);
    QTest::newRow("90, flat lines from the bottom") << gradient(90, largest);
    QTest::newRow("200, steep lines from the right") << gradient(200, largest);
    QTest::newRow("300.25, flat lines from the top") << gradient(300.25f, largest);
    QTest::newRow("45 over a tall narrow area") << gradient(45, QSize(900, 32767));
}

// An 800 x 800 canvas on the largest area holds the sweep's pixels for its part, worked out line
// by line apart from the program, in a child that cannot map the 4 GiB the whole area takes.
void TestGradientPicture::hugeAreaIsDrawnWhereSeenOnly()
{
    QFETCH(GradientRecipe, recipe);
    const QSize part(800, 800);
    const QImage expected = referenceSweep(recipe, part);
    QVERIFY(!expected.isNull());
    const LimitedRun run = runWithSpareMemory(spareBytes, [&] {
        Surface canvas(part);
        canvas.setPictureSource(std::make_shared<GradientPicture>(recipe));
        return canvas.Image() == expected ? 0 : 1;
    });
    QVERIFY2(run.exited(), run.timedOut ? "the child ran out of time" : "the child did not exit");
    QVERIFY2(run.status == 0, "the canvas's pixels differ from the sweep's");
}

// The code's slide, drawn, saved as PNG and as SVG, in a child that cannot map the whole area: the
// picture and the PNG are the sweep under the slide's dots, and the SVG holds no more than the
// same slide over an area of the canvas's own size.
void TestGradientPicture::hugeAreaSlideAndItsExportsAreTheSweepUnderTheDots()
{
    const SlideRecipe recipe = PatternCode::decode(hugeCode).recipe.value();
    QCOMPARE(recipe.window, PatternWindow::Curves);
    QCOMPARE(recipe.gradient->area, QSize(32767, 32767));
    const QImage expected = composed(referenceSweep(*recipe.gradient, QSize(800, 800)), dotsOf(recipe));
    SlideRecipe small = recipe;
    small.gradient->area = QSize(800, 800);
    const qsizetype smallSvg = svgOf(small).size();
    QVERIFY(smallSvg > 0);

    const LimitedRun run = runWithSpareMemory(spareBytes, [&] {
        QString code;
        const auto picture = slidePicture(recipe, &code);
        if (picture->render(1.0).convertToFormat(QImage::Format_RGB32) != expected)
            return 1;
        OutputJob job;
        job.pattern = PatternPicture{picture, code, hugeCode};
        job.frame.pixels = QSize(800, 800);
        if (pngOf(job) != expected)
            return 2;
        // As the canvas menu saves it, at twice its size: the gradient drawn afresh at that scale.
        // As the canvas menu saves it, at twice its size: the gradient drawn afresh at that scale
        // still hides the canvas colour everywhere.
        const QImage twice = pngOf(asShownJob(job.pattern, 2.0, ExportFormat::Png, {}));
        if (twice.size() != QSize(1600, 1600) || countOf(twice, recipe.backColour) != countOf(expected, recipe.backColour))
            return 3;
        const QByteArray svg = svgOf(recipe);
        return !svg.isEmpty() && svg.size() < 2 * smallSvg ? 0 : 4;
    });
    QVERIFY2(run.exited(), run.timedOut ? "the child ran out of time" : "the child did not exit");
    QCOMPARE(run.status, 0);
}

QTEST_MAIN(TestGradientPicture)
#include "tst_gradientpicture.moc"

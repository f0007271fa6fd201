#include "CurveFixture.h"
#include "OutputFixture.h"

#include "draw/base/Random.h"
#include "draw/raster/CoverageMask.h"
#include "draw/raster/DotStamp.h"
#include "draw/curves/CurvePlotter.h"
#include "draw/curves/SlideShow.h"
#include "draw/gradient/AngleArrow.h"
#include "draw/gradient/GradientRenderer.h"
#include "draw/gradient/GradientSweep.h"
#include "draw/stars/GeometricSlide.h"
#include "draw/surface/DrawingHandles.h"
#include "draw/surface/PictureSource.h"
#include "draw/surface/Surface.h"

#include "draw/stars/StarGeometry.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QPainter>
#include <QSvgRenderer>
#include <QtTest>

#include <atomic>
#include <functional>
#include <set>
#include <thread>

namespace {

constexpr Colour ink = RGB(192, 64, 0);
constexpr Colour back = RGB(255, 192, 255);

QImage slideAt(int penWidth, DotOrder order)
{
    FakeCurveControls controls;
    controls.canvas.setDotOrder(order);
    controls.canvas.setDrawWidth(penWidth);
    RandomSource::reset();
    slideShowTick(controls);
    return controls.canvas.Image();
}

int distinctColours(const QImage& image, int y)
{
    std::set<QRgb> colours;
    for (int x = 0; x < image.width(); ++x)
        colours.insert(image.pixel(x, y));
    return int(colours.size());
}

// Columns of row y in the colour, as [first, last]; (-1, -1) when there are none.
QPair<int, int> inkedColumns(const QImage& image, int y, QRgb colour)
{
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) == colour) {
            if (first < 0)
                first = x;
            last = x;
        }
    return {first, last};
}

using Drawing = std::function<void(Surface&)>;

void curveSlide(Surface& surface, int penWidth)
{
    surface.setDrawWidth(penWidth);
    for (const float t : {0.0f, 0.5f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f})
        surface.PSet(400 + 300 * std::cos(t * 2.1f), 400 + 250 * std::sin(t * 1.7f), RGB(0, 0, 250));
}

// A job saving the picture as PNG at its own size, as the canvas menu's save does.
OutputJob savedJob(std::shared_ptr<const PictureSource> picture)
{
    return asShownJob(PatternPicture{std::move(picture), QStringLiteral("QRV1"), QString()}, 1.0, ExportFormat::Png,
                      QString());
}

} // namespace

class TestSurface : public QObject
{
    Q_OBJECT

private slots:
    void hiddenDotsSkippedGiveTheSamePicture_data();
    void hiddenDotsSkippedGiveTheSamePicture();
    void mixedDotRunsGiveTheSamePicture();
    void maskedDotsAcrossTheEdgesMatchStampedDots_data();
    void maskedDotsAcrossTheEdgesMatchStampedDots();
    void snapshotAtScaleOneEqualsTheImage_data();
    void snapshotAtScaleOneEqualsTheImage();
    void snapshotIsNotChangedByLaterDrawing();
    void renderPlacesDotsAtTheirScaledPositions();
    void renderWidensLinesByTheScale();
    void renderSweepsTheGradientAfresh();
    void pictureFromAnotherSurfaceRendersAfresh();
    void vectorSlideIsSmallAndValid();
    void imageAtARatioIsTheRecordAtThatScale_data();
    void imageAtARatioIsTheRecordAtThatScale();
    void resizedSurfaceRendersWhatItShows_data();
    void resizedSurfaceRendersWhatItShows();
    void vectorPictureShowsTheResizeToo();
    void sweepThatCoversHidesEverythingBefore_data();
    void sweepThatCoversHidesEverythingBefore();
    void repaintedGradientKeepsOneStep();
    void exportOnAWorkerWhileTheSurfaceDraws_data();
    void exportOnAWorkerWhileTheSurfaceDraws();
    void handlesBelongToTheirSurface();
    void surfacesOnTwoThreadsKeepTheirOwnHandles();
};

void TestSurface::hiddenDotsSkippedGiveTheSamePicture_data()
{
    QTest::addColumn<int>("penWidth");
    for (int width : {1, 12, 16, 200, 1000, 32767})
        QTest::addRow("pen %d", width) << width;
}

void TestSurface::hiddenDotsSkippedGiveTheSamePicture()
{
    QFETCH(int, penWidth);
    const QImage inOrder = slideAt(penWidth, DotOrder::InOrder);
    const QImage skipped = slideAt(penWidth, DotOrder::HiddenSkipped);
    QCOMPARE(skipped, inOrder);
    // Not a blank canvas: the curves show over each other, or the last one's dots hide all.
    int colours = 0;
    for (int y = 0; y < 800; y += 50)
        colours = std::max(colours, distinctColours(inOrder, y));
    QVERIFY(colours > 1 || (penWidth >= 1000 && inOrder.pixel(0, 0) == PinkPlotter.colour.toQRgb()));
}

void TestSurface::mixedDotRunsGiveTheSamePicture()
{
    // Runs of different widths and units, dots partly and wholly off the canvas, and a line in
    // between that later dots must cover and earlier ones must not.
    const auto draw = [](DotOrder order) {
        Surface surface(QSize(97, 61));
        surface.setDotOrder(order);
        surface.setBackColor(back);
        const int widths[] = {40, 3, 90, 17, 1, 64};
        for (int run = 0; run < 6; ++run) {
            surface.setDrawWidth(widths[run]);
            surface.setScaleMode(run % 2 ? ScaleMode::Twips : ScaleMode::Pixels);
            const double unit = run % 2 ? 15.0 : 1.0;
            for (int i = 0; i < 25; ++i) {
                const double x = (i * 37 % 130) - 15 + run * 0.37;
                const double y = (i * 23 % 90) - 12 - run * 0.61;
                surface.PSet(float(x * unit), float(y * unit), RGB(i * 10, run * 40, 255 - i * 9));
            }
            if (run == 2)
                surface.Line(0, 0, 96 * unit, 60 * unit, ink);
        }
        return surface.Image();
    };
    QCOMPARE(draw(DotOrder::HiddenSkipped), draw(DotOrder::InOrder));
}

void TestSurface::maskedDotsAcrossTheEdgesMatchStampedDots_data()
{
    QTest::addColumn<int>("diameter");
    QTest::newRow("16, the smallest masked dot") << 16;
    QTest::newRow("odd 17") << 17;
    QTest::newRow("40, taller than the image") << 40;
}

// Dots whose top lies above the image, whose bottom lies below it, and which reach past either
// side, drawn from the last through the coverage mask, give what stamping them in order gives.
void TestSurface::maskedDotsAcrossTheEdgesMatchStampedDots()
{
    QFETCH(int, diameter);
    const QSize size(31, 23);
    std::vector<QPoint> centres;
    for (int y = -diameter; y <= size.height() + diameter; y += 3)
        for (int x = -diameter; x <= size.width() + diameter; x += 7)
            centres.push_back(QPoint(x, y));
    const DotStamp dot(diameter);
    const auto colourOf = [](std::size_t i) { return qRgb(int(i * 7 % 256), int(i * 13 % 256), 200); };

    QImage stamped(size, QImage::Format_RGB32);
    stamped.fill(back.toQRgb());
    const PixelBuffer stampedPixels = PixelBuffer::of(stamped);
    for (std::size_t i = 0; i < centres.size(); ++i)
        dot.stamp(stampedPixels, centres[i].x(), centres[i].y(), colourOf(i));

    QImage masked(size, QImage::Format_RGB32);
    masked.fill(back.toQRgb());
    const PixelBuffer maskedPixels = PixelBuffer::of(masked);
    CoverageMask mask;
    mask.reset(size.width(), size.height());
    for (std::size_t i = centres.size(); i-- > 0;)
        mask.paintDot(maskedPixels, dot, centres[i].x(), centres[i].y(), colourOf(i));
    QCOMPARE(masked, stamped);
}

void TestSurface::snapshotAtScaleOneEqualsTheImage_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<Drawing>("drawing");
    QTest::newRow("dots at pen 4") << QSize(800, 800) << Drawing([](Surface& s) { curveSlide(s, 4); });
    QTest::newRow("dots at pen 300") << QSize(800, 800) << Drawing([](Surface& s) { curveSlide(s, 300); });
    QTest::newRow("geometric slide in twips") << QSize(609, 609) << Drawing([](Surface& s) {
        s.setScaleMode(ScaleMode::Twips);
        RandomSource::reset();
        drawGeometricSlide(s, QStringLiteral("9"));
    });
    QTest::newRow("gradient under an arrow") << QSize(32, 32) << Drawing([](Surface& s) {
        GradientRenderer gradient;
        gradient.setAngle(33);
        QVERIFY(gradient.Draw(s));
        QCOMPARE(DrawAngleArrow(s, 33), ErrorCode::None);
    });
    QTest::newRow("lines and boxes") << QSize(50, 40) << Drawing([](Surface& s) {
        s.Line(1, 1, 48, 30, ink);
        s.Line(2, 2, 20, 20, ink, LineBox::Box);
        s.Line(30, 5, 45, 15, ink, LineBox::BoxFilled);
        s.setDrawWidth(5);
        s.Line(3, 35, 45, 25, RGB(0, 128, 0));
        s.Line(10, 10, 40, 30, RGB(0, 0, 128), LineBox::Box);
        MoveToEx(s.hDC(), 0, 39);
        LineTo(s.hDC(), 49, 0);
    });
    QTest::newRow("picture under dots") << QSize(40, 40) << Drawing([](Surface& s) {
        QImage picture(25, 18, QImage::Format_RGB32);
        picture.fill(qRgb(0, 128, 0));
        s.setPicture(picture);
        s.setDrawWidth(7);
        s.PSet(20, 17.5f, ink);
    });
}

void TestSurface::snapshotAtScaleOneEqualsTheImage()
{
    QFETCH(QSize, size);
    QFETCH(Drawing, drawing);
    Surface surface(size);
    surface.setBackColor(back);
    drawing(surface);
    const QImage rendered = surface.snapshot()->render(1.0);
    QCOMPARE(rendered.size(), size);
    QCOMPARE(rendered.devicePixelRatio(), 1.0);
    QCOMPARE(rendered, surface.Image());
}

void TestSurface::snapshotIsNotChangedByLaterDrawing()
{
    Surface surface(QSize(60, 60));
    surface.setBackColor(back);
    surface.setDrawWidth(9);
    surface.PSet(20, 20, ink);
    const auto snapshot = surface.snapshot();
    const QImage taken = surface.Image().copy();

    surface.PSet(40, 40, ink);
    surface.Line(0, 59, 59, 0, ink);
    QCOMPARE(snapshot->render(1.0), taken);
    surface.Cls();
    surface.PSet(5, 5, ink);
    QCOMPARE(snapshot->render(1.0), taken);
    QCOMPARE(snapshot->size(), QSize(60, 60));
}

void TestSurface::renderPlacesDotsAtTheirScaledPositions()
{
    // A dot of 5 at x = 10.6: on the 1x grid it lands on pixel 11 (columns 9..13), so an
    // enlargement would cover columns 18..27. Drawn at twice the size it is a dot of 10 on
    // device pixel 21 (x 21.2), columns 16..25, rows 15..24 around device row 20.
    Surface surface(QSize(40, 40));
    surface.setBackColor(back);
    surface.setDrawWidth(5);
    surface.PSet(10.6f, 10.0f, ink);
    QCOMPARE(inkedColumns(surface.Image(), 10, ink.toQRgb()), qMakePair(9, 13));

    const QImage twice = surface.snapshot()->render(2.0);
    QCOMPARE(twice.size(), QSize(80, 80));
    QCOMPARE(inkedColumns(twice, 20, ink.toQRgb()), qMakePair(16, 25));
    QCOMPARE(inkedColumns(twice, 14, ink.toQRgb()), qMakePair(-1, -1));
    QVERIFY(inkedColumns(twice, 15, ink.toQRgb()).first > 16); // round, not square
    QCOMPARE(inkedColumns(twice, 25, ink.toQRgb()), qMakePair(-1, -1));
}

void TestSurface::renderWidensLinesByTheScale()
{
    Surface surface(QSize(40, 40));
    surface.setBackColor(back);
    surface.Line(0, 20, 39, 20, ink); // one pixel
    surface.setDrawWidth(3);
    surface.Line(20, 0, 20, 10, ink);
    const QImage four = surface.snapshot()->render(4.0);
    int thinRows = 0, wideColumns = 0;
    for (int y = 60; y < 100; ++y)
        thinRows += four.pixel(10, y) == ink.toQRgb();
    for (int x = 60; x < 100; ++x)
        wideColumns += four.pixel(x, 20) == ink.toQRgb();
    QCOMPARE(thinRows, 4);
    QCOMPARE(wideColumns, 12);
}

void TestSurface::renderSweepsTheGradientAfresh()
{
    Surface surface(QSize(60, 40));
    GradientRenderer gradient;
    gradient.setColor1(RGB(255, 0, 0));
    gradient.setColor2(RGB(0, 0, 255));
    gradient.setAngle(0);
    QVERIFY(gradient.Draw(surface));
    const QImage once = surface.Image();
    const QImage twice = surface.snapshot()->render(2.0);
    // Enlarged, a column would simply double: as many colours across as before. Swept in its
    // own pixels, the wider area has about twice as many steps.
    QVERIFY2(distinctColours(twice, 0) >= 2 * distinctColours(once, 0) - 4,
             qPrintable(QStringLiteral("%1 vs %2").arg(distinctColours(twice, 0)).arg(distinctColours(once, 0))));
    QVERIFY(qRed(twice.pixel(0, 40)) >= 230);
    QVERIFY(qBlue(twice.pixel(119, 40)) >= 230);
}

void TestSurface::pictureFromAnotherSurfaceRendersAfresh()
{
    Surface preview(QSize(60, 40));
    GradientRenderer gradient;
    gradient.setAngle(0);
    QVERIFY(gradient.Draw(preview));
    Surface canvas(QSize(80, 50));
    canvas.setBackColor(back);
    canvas.setPicture(preview.Image(), preview.snapshot());
    const QImage fresh = preview.snapshot()->render(3.0);
    const QImage rendered = canvas.snapshot()->render(3.0);
    QCOMPARE(rendered.copy(0, 0, 180, 120), fresh);
    QCOMPARE(rendered.pixel(200, 130), back.toQRgb());
    QCOMPARE(canvas.snapshot()->render(1.0), canvas.Image());
}

void TestSurface::vectorSlideIsSmallAndValid()
{
    FakeCurveControls controls;
    controls.canvas.setDrawWidth(4);
    RandomSource::reset();
    slideShowTick(controls);
    const auto snapshot = controls.canvas.snapshot();

    const QByteArray svg = savedBytes(snapshot, ExportFormat::Svg, 1.0, controls.patternCodeShown);
    QVERIFY2(svg.size() < 2 * 1024 * 1024, qPrintable(QString::number(svg.size())));
    QVERIFY(svg.count("<ellipse") + svg.count("<circle") >= 10000);

    // Drawn back into pixels, the vectors show the slide: most pixels agree with the raster.
    QSvgRenderer renderer(svg);
    QVERIFY(renderer.isValid());
    QImage drawn(800, 800, QImage::Format_RGB32);
    drawn.fill(Qt::white);
    QPainter painter(&drawn);
    renderer.render(&painter);
    painter.end();
    const QImage raster = controls.canvas.Image();
    int same = 0;
    for (int y = 0; y < 800; y += 4)
        for (int x = 0; x < 800; x += 4)
            same += qAbs(qRed(drawn.pixel(x, y)) - qRed(raster.pixel(x, y))) < 40
                    && qAbs(qBlue(drawn.pixel(x, y)) - qBlue(raster.pixel(x, y))) < 40;
    QVERIFY2(same > 200 * 200 * 9 / 10, qPrintable(QString::number(same)));
}

void TestSurface::imageAtARatioIsTheRecordAtThatScale_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QSize>("pixels");
    QTest::newRow("ratio 2") << 2.0 << QSize(200, 160);
    QTest::newRow("ratio 1.5, odd width rounds up") << 1.5 << QSize(152, 120);
}

void TestSurface::imageAtARatioIsTheRecordAtThatScale()
{
    QFETCH(double, ratio);
    QFETCH(QSize, pixels);
    Surface surface(QSize(ratio == 2.0 ? 100 : 101, 80), ratio);
    surface.setBackColor(back);
    surface.setDrawWidth(3);
    surface.PSet(30.3f, 40.7f, ink);
    surface.Line(5, 5, 90, 70, ink);
    const QImage image = surface.Image();
    QCOMPARE(image.size(), pixels);
    QCOMPARE(image.devicePixelRatio(), ratio);
    QImage plain = image;
    plain.setDevicePixelRatio(1.0);
    QCOMPARE(plain, surface.snapshot()->render(ratio));

    // Back to ratio 1: the same record gives the plain pixels again.
    surface.setDevicePixelRatio(1.0);
    QCOMPARE(surface.Image(), surface.snapshot()->render(1.0));
    QCOMPARE(surface.Image().size(), surface.size());
}

void TestSurface::resizedSurfaceRendersWhatItShows_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QList<QSize>>("sizes");
    QTest::addColumn<bool>("picture");
    const QList<QSize> shrinkThenGrow = {QSize(40, 30), QSize(80, 60)};
    const QList<QSize> growOnly = {QSize(160, 90)};
    const QList<QSize> narrowerButTaller = {QSize(50, 90), QSize(120, 90)};
    const QList<QSize> throughNothing = {QSize(0, 0), QSize(80, 60)};
    QTest::newRow("shrink then grow") << 1.0 << shrinkThenGrow << false;
    QTest::newRow("shrink then grow at 2x") << 2.0 << shrinkThenGrow << false;
    QTest::newRow("shrink then grow at 1.5x") << 1.5 << shrinkThenGrow << false;
    QTest::newRow("grow: drawing past the old edge stays hidden") << 1.0 << growOnly << false;
    QTest::newRow("grow at 1.5x") << 1.5 << growOnly << false;
    QTest::newRow("narrower but taller") << 1.0 << narrowerButTaller << false;
    QTest::newRow("through an empty size") << 1.0 << throughNothing << false;
    QTest::newRow("on a picture") << 1.0 << shrinkThenGrow << true;
    QTest::newRow("on a picture at 2x") << 2.0 << shrinkThenGrow << true;
}

// The pixels a resize keeps are what a render of the record shows, also after the ratio changes
// and when a larger copy is made.
void TestSurface::resizedSurfaceRendersWhatItShows()
{
    QFETCH(double, ratio);
    QFETCH(QList<QSize>, sizes);
    QFETCH(bool, picture);
    Surface surface(QSize(80, 60), ratio);
    surface.setBackColor(back);
    if (picture) {
        Surface preview(QSize(100, 45));
        GradientRenderer gradient;
        gradient.setAngle(30);
        QVERIFY(gradient.Draw(preview));
        surface.setPicture(preview.Image(), preview.snapshot());
    }
    surface.setDrawWidth(5);
    surface.Line(0, 20, 300, 20, ink); // runs past the right edge
    surface.PSet(70, 50, ink);
    surface.Line(10, 10, 75, 55, ink, LineBox::Box);
    for (const QSize size : sizes)
        surface.resize(size);

    QImage shown = surface.Image();
    shown.setDevicePixelRatio(1.0);
    QCOMPARE(surface.snapshot()->render(ratio), shown);

    // What was cut away stays away at another ratio, and in a larger copy.
    surface.setDevicePixelRatio(ratio == 1.0 ? 2.0 : 1.0);
    QImage again = surface.Image();
    again.setDevicePixelRatio(1.0);
    QCOMPARE(again, surface.snapshot()->render(surface.devicePixelRatio()));
    const QImage large = surface.snapshot()->render(4.0);
    const QImage fresh = [&] {
        Surface blank(surface.size(), 4.0);
        blank.setBackColor(back);
        if (picture)
            blank.setPicture(surface.Picture(), surface.pictureSource());
        QImage image = blank.Image();
        image.setDevicePixelRatio(1.0);
        return image;
    }();
    const QSize kept = [&] {
        QSize common(80, 60);
        for (const QSize size : sizes)
            common = common.boundedTo(size);
        return common;
    }();
    for (int y = 0; y < large.height(); y += 3)
        for (int x = 0; x < large.width(); x += 3)
            if (x >= 4 * kept.width() || y >= 4 * kept.height())
                QCOMPARE(large.pixel(x, y), fresh.pixel(x, y));
}

void TestSurface::vectorPictureShowsTheResizeToo()
{
    Surface surface(QSize(80, 60));
    surface.setBackColor(back);
    surface.setDrawWidth(6);
    surface.Line(0, 50, 79, 50, ink);
    surface.resize(80, 30);
    surface.resize(80, 60);

    QImage drawn(80, 60, QImage::Format_RGB32);
    drawn.fill(Qt::white);
    QPainter painter(&drawn);
    surface.snapshot()->paintVector(painter);
    painter.end();
    QCOMPARE(drawn.pixel(40, 50), back.toQRgb());
    QCOMPARE(surface.Image().pixel(40, 50), back.toQRgb());
}

void TestSurface::sweepThatCoversHidesEverythingBefore_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("angleStep");
    QTest::newRow("2 x 2") << QSize(2, 2) << 1.0 << 1;
    QTest::newRow("2 x 3 at 1.5x") << QSize(2, 3) << 1.5 << 1;
    QTest::newRow("32 x 32") << QSize(32, 32) << 1.0 << 1;
    QTest::newRow("32 x 32 at 2x") << QSize(32, 32) << 2.0 << 1;
    QTest::newRow("17 x 90") << QSize(17, 90) << 1.0 << 3;
    QTest::newRow("90 x 17 at 4x") << QSize(90, 17) << 4.0 << 7;
    QTest::newRow("813 x 777") << QSize(813, 777) << 1.0 << 23;
}

// A surface forgets what a sweep over its whole area hides; the picture must not change by it:
// at every scale, anything drawn before leaves no pixel showing.
void TestSurface::sweepThatCoversHidesEverythingBefore()
{
    QFETCH(QSize, size);
    QFETCH(double, scale);
    QFETCH(int, angleStep);
    constexpr QRgb before = 0xffff00ff;
    for (int angle = 0; angle < 360; angle += angleStep) {
        GradientRenderer gradient;
        gradient.setAngle(float(angle));
        gradient.setColor1(RGB(0, 0, 0));
        gradient.setColor2(RGB(0, 255, 0));
        std::vector<PixelPoint> lines;
        std::vector<Colour> colours;
        QCOMPARE(gradient.sweepPlan(size.width(), size.height(), lines, colours), ErrorCode::None);
        const auto sweep = std::make_shared<GradientSweep>(gradient, size, std::move(lines), std::move(colours));
        QCOMPARE(sweep->covers(), size);

        DrawingRecord record;
        record.steps.emplace_back(RecordedLine{0, 0, double(size.width()), double(size.height()), before, 1,
                                               LineBox::BoxFilled});
        record.steps.emplace_back(RecordedSweep{sweep});
        QImage image(int(std::ceil(size.width() * scale)), int(std::ceil(size.height() * scale)), QImage::Format_RGB32);
        CoverageMask mask;
        RasterPainter(image, scale).draw(record, 0, record.steps.size(), DotOrder::InOrder, mask);
        QCOMPARE(image.pixel(0, 0) == before, false);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == before)
                    QFAIL(qPrintable(QStringLiteral("angle %1: pixel %2, %3 still shows").arg(angle).arg(x).arg(y)));
    }
}

// The picker's preview is painted again on every resize: the record keeps the newest sweep only,
// and a re-render shows just that.
void TestSurface::repaintedGradientKeepsOneStep()
{
    Surface surface(QSize(120, 90));
    surface.setBackColor(back);
    surface.setDrawWidth(4);
    surface.PSet(30, 30, ink);
    surface.Line(0, 0, 119, 89, ink);
    GradientRenderer gradient;
    for (int width = 120; width < 170; ++width) {
        surface.resize(width, 90);
        gradient.setAngle(float(width));
        QVERIFY(gradient.Draw(surface));
    }
    QCOMPARE(surface.recordedSteps(), std::size_t(1));
    QImage shown = surface.Image();
    QCOMPARE(surface.snapshot()->render(1.0), shown);

    // A sweep that leaves part of the surface showing keeps what is under it.
    const auto before = surface.snapshot();
    surface.PSet(10, 10, ink);
    surface.resize(200, 90);
    QVERIFY(surface.recordedSteps() > 1);
    QCOMPARE(surface.snapshot()->render(1.0), surface.Image());
    QCOMPARE(before->render(1.0), shown);
}

void TestSurface::exportOnAWorkerWhileTheSurfaceDraws_data()
{
    QTest::addColumn<bool>("drawsWhileItRuns");
    QTest::newRow("drawing while the worker draws") << true;
    QTest::newRow("drawing once the worker has let go") << false;
}

// A job takes a snapshot to a worker thread and lets go of it there whenever it ends; the surface
// is not told and draws on: what the worker writes is the picture as it was taken, and the
// surface never writes into what the worker reads (the thread sanitizer pass watches this).
void TestSurface::exportOnAWorkerWhileTheSurfaceDraws()
{
    QFETCH(bool, drawsWhileItRuns);
    Surface surface(QSize(200, 160));
    surface.setBackColor(back);
    surface.setDrawWidth(5);
    for (int round = 0; round < 6; ++round) {
        surface.Cls();
        for (int i = 0; i < 40; ++i)
            surface.PSet(float(10 + (i * 37 + round * 11) % 180), float(10 + (i * 53) % 140), ink);
        surface.Line(0, round * 20, 199, 159 - round * 20, RGB(0, 0, 250));
        const QImage taken = surface.Image().copy();

        QByteArray png;
        std::atomic<bool> letGo{false};
        std::thread worker([&png, &letGo, job = savedJob(surface.snapshot())]() mutable {
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            writeOutput(job, buffer);
            job = OutputJob(); // the worker's hold on the picture ends here
            letGo.store(true, std::memory_order_relaxed);
        });
        // Nothing orders the surface's drawing after the worker's: only the flag, read relaxed.
        const QDeadlineTimer deadline(30000);
        int dots = 0;
        while (!letGo.load(std::memory_order_relaxed) && !deadline.hasExpired()) {
            if (drawsWhileItRuns && dots < 2000) {
                surface.PSet(float(dots % 200), float(dots / 200), ink);
                ++dots;
            } else {
                std::this_thread::yield();
            }
        }
        surface.PSet(100, 80, RGB(0, 250, 0));
        surface.Line(199, 0, 0, 159, RGB(250, 0, 0));
        worker.join();
        QVERIFY2(letGo.load(), "the worker to write the picture");
        QCOMPARE(QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32), taken);
    }
}

// A pen, brush or region is made for one surface's device context; another surface does not
// know its handle, and deleting it there leaves it alive where it was made.
void TestSurface::handlesBelongToTheirSurface()
{
    Surface first(QSize(20, 20));
    Surface second(QSize(20, 20));
    first.setBackColor(back);
    second.setBackColor(back);
    const int before = liveGdiObjectCount();
    const PixelPoint points[] = {{2, 2}, {17, 2}, {17, 17}};
    GdiObject region(first.hDC(), CreatePolygonRgn(first.hDC(), points, 3, WINDING));
    GdiObject brush(first.hDC(), CreateSolidBrush(first.hDC(), ink));
    GdiObject pen(first.hDC(), CreatePen(first.hDC(), PS_SOLID, 1, ink));
    QCOMPARE(liveGdiObjectCount(), before + 3);

    QVERIFY(!DeleteObject(second.hDC(), pen.get()));
    QVERIFY(!SelectObject(second.hDC(), pen.get()));
    QVERIFY(!FillRgn(second.hDC(), region.get(), brush.get()));
    QCOMPARE(countColour(second.Image(), ink.toQRgb()), 0);

    QVERIFY(FillRgn(first.hDC(), region.get(), brush.get()));
    QCOMPARE(SelectObject(first.hDC(), pen.get()), CanvasPen);
    QVERIFY(countColour(first.Image(), ink.toQRgb()) > 0);
    QCOMPARE(liveGdiObjectCount(), before + 3);
}

// Two surfaces drawing filled stars, each on a thread of its own, make their regions and brushes
// in their own tables: each picture is the one it draws alone.
void TestSurface::surfacesOnTwoThreadsKeepTheirOwnHandles()
{
    const auto stars = [](Surface& surface, int shift) {
        surface.setScaleMode(ScaleMode::Twips);
        surface.setBackColor(back);
        surface.setFillStyle(0);
        for (int k = 0; k < 150; ++k)
            DrawStarPolygon(surface, 300 + 30 * (k % 20), 300 + 20 * shift, 2400, 2400, std::int16_t(5 + k % 7), 1,
                            RGB(k % 250, 120, 250 - k % 250));
    };
    Surface alone(QSize(240, 240));
    stars(alone, 1);
    const QImage expected = alone.Image();
    const int before = liveGdiObjectCount();

    Surface onWorker(QSize(240, 240));
    Surface here(QSize(240, 240));
    std::thread worker([&] { stars(onWorker, 1); });
    stars(here, 2);
    worker.join();
    QCOMPARE(onWorker.Image(), expected);
    QVERIFY(here.Image() != expected);
    QCOMPARE(liveGdiObjectCount(), before);
}

QTEST_MAIN(TestSurface)
#include "tst_surface.moc"

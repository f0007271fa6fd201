// Patterns at a chosen size and medium: the frame drawn strip by strip gives the pixels of the
// picture drawn whole, the PNG writer's rows, palette and chunks (pHYs, texts), PDF pages and SVG
// sizes, a picture wider than a painter can draw, and exports that stop (cancel, full disk)
// leaving nothing behind.
#include "FileSizeLimit.h"

#include "draw/output/ExportFrame.h"
#include "draw/output/ExportNames.h"
#include "draw/pattern/PatternFileReader.h"
#include "draw/output/PngRowWriter.h"
#include "draw/output/OutputJob.h"
#include "draw/output/FrameRenderer.h"
#include "draw/pattern/PatternCode.h"
#include "draw/pattern/SlideReplay.h"
#include "draw/surface/RasterPainter.h"
#include "draw/surface/Surface.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

SlideRecipe curveRecipe(std::optional<GradientRecipe> gradient = std::nullopt)
{
    SlideRecipe recipe;
    recipe.window = PatternWindow::Curves;
    recipe.randomState = 0x2545F491u;
    recipe.width = 3;
    recipe.divisor = 90.0;
    recipe.backColour = RGB(30, 60, 90);
    recipe.gradient = gradient;
    return recipe;
}

GradientRecipe canvasGradient(float angle = 30)
{
    return GradientRecipe{RGB(0x14, 0x18, 0x24), RGB(0xEC, 0xD0, 0x48), angle, QSize(800, 800)};
}

SlideRecipe geometricRecipe()
{
    SlideRecipe recipe;
    recipe.window = PatternWindow::Geometric;
    recipe.randomState = 0x1234567u;
    recipe.width = 2;
    return recipe;
}

// A canvas whose background picture has no recipe (a picture of pixels): the frame keeps it as
// the canvas shows it.
std::shared_ptr<const PictureSource> pictureOnPixels()
{
    static const std::shared_ptr<const PictureSource> picture = [] {
        Surface canvas(QSize(800, 800));
        canvas.setBackColor(RGB(30, 60, 90));
        QImage pixels(300, 200, QImage::Format_RGB32);
        pixels.fill(QColor(250, 200, 10));
        canvas.setPicture(pixels);
        canvas.setDrawWidth(7);
        canvas.Line(10, 10, 700, 650, RGB(0, 0, 255));
        return canvas.snapshot();
    }();
    return picture;
}

std::shared_ptr<const PictureSource> pictureOf(const QString& which)
{
    if (which == QLatin1String("pixels"))
        return pictureOnPixels();
    if (which == QLatin1String("gradient"))
        return slidePicture(curveRecipe(canvasGradient()));
    if (which == QLatin1String("geometric"))
        return slidePicture(geometricRecipe());
    return slidePicture(curveRecipe());
}

// The frame assembled from strips of an awkward height, as the writer asks for them.
QImage inStrips(const FrameRenderer& renderer, int rows)
{
    QImage image(renderer.frameSize(), QImage::Format_RGB32);
    for (int top = 0; top < image.height(); top += rows) {
        PixelBuffer view = PixelBuffer::of(image);
        view.bits = view.row(top);
        view.height = std::min(rows, image.height() - top);
        renderer.renderRows(view, top);
    }
    return image;
}

ExportFrame pixelFrame(QSize size, double dpi = screenDpi)
{
    ExportFrame frame;
    frame.pixels = size;
    frame.dpi = dpi;
    return frame;
}

QImage rgb32(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }

// The largest channel difference between two pictures of one size.
int largestDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return largest;
}

// The mean channel difference.
double meanDifference(const QImage& a, const QImage& b)
{
    double total = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return total / (3.0 * a.width() * a.height());
}

// Rows [top, top + rows) of the frame as the renderer draws them.
QImage renderedRows(const FrameRenderer& renderer, int top, int rows)
{
    QImage strip(renderer.frameSize().width(), rows, QImage::Format_RGB32);
    renderer.renderRows(PixelBuffer::of(strip), top);
    return strip;
}

// A block of a 24-bit bottom-up BMP read by seeking to its rows, as a reader of the format does.
QImage bmpBlock(const QString& path, QRect block)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = file.read(54);
    if (header.size() != 54 || !header.startsWith("BM") || qFromLittleEndian<quint16>(header.constData() + 28) != 24)
        return {};
    const qint64 offset = qFromLittleEndian<quint32>(header.constData() + 10);
    const qint64 width = qFromLittleEndian<qint32>(header.constData() + 18);
    const qint64 height = qFromLittleEndian<qint32>(header.constData() + 22);
    const qint64 rowBytes = (width * 3 + 3) / 4 * 4;
    QImage image(block.size(), QImage::Format_RGB32);
    for (int y = 0; y < block.height(); ++y) {
        if (!file.seek(offset + (height - 1 - (block.top() + y)) * rowBytes + block.left() * 3))
            return {};
        const QByteArray row = file.read(block.width() * 3);
        if (row.size() != block.width() * 3)
            return {};
        for (int x = 0; x < block.width(); ++x)
            image.setPixel(x, y, qRgb(quint8(row[3 * x + 2]), quint8(row[3 * x + 1]), quint8(row[3 * x])));
    }
    return image;
}

// The process's address space now, in bytes.
qint64 addressSpace()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(0).toLongLong() * sysconf(_SC_PAGESIZE);
}

// The first chunk of a type in PNG bytes.
QByteArray pngChunk(const QByteArray& png, const char* type)
{
    qsizetype at = 8;
    while (at + 12 <= png.size()) {
        const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
        if (png.mid(at + 4, 4) == type)
            return png.mid(at + 8, length);
        at += 12 + qsizetype(length);
    }
    return {};
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

OutputJob jobOf(std::shared_ptr<const PictureSource> picture, ExportFrame frame, ExportFormat format, const QString& path)
{
    OutputJob job;
    job.pattern.picture = std::move(picture);
    job.pattern.code = QStringLiteral("QRV0.101");
    job.pattern.fullCode = PatternCode::encode(curveRecipe(canvasGradient()));
    job.frame = frame;
    job.format = format;
    job.path = path;
    return job;
}

// Stops the export at its first report.
class CancelAtFirstReport final : public OutputProgress
{
public:
    void advanced(int percent) override
    {
        reports.append(percent);
        stop = true;
    }
    bool cancelled() const override { return stop; }
    QList<int> reports;
    bool stop = false;
};

// The exact colour of the frame's ramp at a pixel's centre, as the frame's sweep defines it.
QColor exactRamp(const GradientRecipe& gradient, QSize frame, double x, double y)
{
    const double radians = double(gradient.angle) * 0.017453292519943278;
    const double ux = std::cos(radians), uy = -std::sin(radians);
    const double corners[] = {0, frame.width() * ux, frame.height() * uy, frame.width() * ux + frame.height() * uy};
    const double low = *std::min_element(std::begin(corners), std::end(corners));
    const double high = *std::max_element(std::begin(corners), std::end(corners));
    const double share = std::clamp(((x + 0.5) * ux + (y + 0.5) * uy - low) / (high - low), 0.0, 1.0);
    const QColor from = QColor::fromRgb(gradient.colour1.toQRgb());
    const QColor to = QColor::fromRgb(gradient.colour2.toQRgb());
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * share),
                            float(from.greenF() + (to.greenF() - from.greenF()) * share),
                            float(from.blueF() + (to.blueF() - from.blueF()) * share));
}

bool withinOneStep(QRgb pixel, const QColor& exact)
{
    return std::fabs(qRed(pixel) - exact.redF() * 255) <= 1.0 && std::fabs(qGreen(pixel) - exact.greenF() * 255) <= 1.0
           && std::fabs(qBlue(pixel) - exact.blueF() * 255) <= 1.0;
}

} // namespace

class FrameExportTest : public QObject
{
    Q_OBJECT

private slots:
    void sizesOfPaperAndUnits_data();
    void sizesOfPaperAndUnits();
    void placementFitsAndCentres();

    void stripsGiveThePictureDrawnWhole_data();
    void stripsGiveThePictureDrawnWhole();
    void wideFrameCentresThePatternOnItsBackground();
    void rowsStayInsideTheirView_data();
    void rowsStayInsideTheirView();
    void gradientCoversTheFrameWithinOneStep();
    void windowsWiderThanAPainterJoinSeamlessly();

    void pngRowsPaletteAndChunks_data();
    void pngRowsPaletteAndChunks();
    void colourMissingFromThePaletteRestartsInFullColour();
    void rendersAreByteIdentical();
    void fortyThousandPixelsWideIsWholeAndRightAtItsEdges();

    void pdfPageIsTheSheet_data();
    void pdfPageIsTheSheet();
    void svgSizeInMillimetresForPaper();
    void namesOfOtherFormatsAreWrittenInThem();
    void bigJpegAndBmpTakeLittleMemory_data();
    void bigJpegAndBmpTakeLittleMemory();
    void jpegAndBmpAreWhatQtsWriterMakes_data();
    void jpegAndBmpAreWhatQtsWriterMakes();
    void webpRefusesWhatItCannotHoldWhole_data();
    void webpRefusesWhatItCannotHoldWhole();

    void cancelLeavesNothing_data();
    void cancelLeavesNothing();
    void fullDiskLeavesNothingAndKeepsTheOldFile();
    void refusedTargetsAndInvalidFrames();
};

void FrameExportTest::sizesOfPaperAndUnits_data()
{
    QTest::addColumn<ExportFrame>("frame");
    QTest::addColumn<QSize>("pixels");
    QTest::newRow("A4 portrait 300") << paperFrame(PaperSize::A4, false) << QSize(2480, 3508);
    QTest::newRow("A4 landscape 300") << paperFrame(PaperSize::A4, true) << QSize(3508, 2480);
    QTest::newRow("A3 portrait 300") << paperFrame(PaperSize::A3, false) << QSize(3508, 4961);
    QTest::newRow("A2 landscape 300") << paperFrame(PaperSize::A2, true) << QSize(7016, 4961);
    QTest::newRow("A4 at 72") << paperFrame(PaperSize::A4, false, 72) << QSize(595, 842);
    QTest::newRow("A2 at 3000: beyond the limit") << paperFrame(PaperSize::A2, false, 3000) << QSize(49606, 70157);
}

void FrameExportTest::sizesOfPaperAndUnits()
{
    QFETCH(ExportFrame, frame);
    QFETCH(QSize, pixels);
    if (pixels.height() > maxExportSide) {
        QVERIFY(!frame.valid());
        return;
    }
    QCOMPARE(frame.pixels, pixels);
    QVERIFY(frame.valid());

    QCOMPARE(lengthInPixels(10, LengthUnit::Inches, 300), 3000);
    QCOMPARE(lengthInPixels(2.54, LengthUnit::Centimetres, 96), 96);
    QCOMPARE(lengthInPixels(25.4, LengthUnit::Millimetres, 600), 600);
    QCOMPARE(lengthInPixels(65535, LengthUnit::Pixels, 96), 65535);
    QCOMPARE(lengthInPixels(65536, LengthUnit::Pixels, 96), std::nullopt);
    QCOMPARE(lengthInPixels(0.4, LengthUnit::Pixels, 96), std::nullopt);
    QCOMPARE(lengthInPixels(std::nan(""), LengthUnit::Millimetres, 96), std::nullopt);
    QCOMPARE(lengthInPixels(10, LengthUnit::Millimetres, 0), std::nullopt);
    QCOMPARE(pixelsPerMetre(300), 11811u);
    QCOMPARE(pixelsPerMetre(96), 3780u);
    QCOMPARE(pixelsPerMetre(72), 2835u);
}

void FrameExportTest::placementFitsAndCentres()
{
    const PatternPlacement wide = placePattern(QSize(800, 800), QSize(1920, 1080));
    QCOMPARE(wide.scale, 1.35);
    QCOMPARE(wide.patternPixels, QSize(1080, 1080));
    QCOMPARE(wide.offset, QPoint(420, 0));
    const PatternPlacement tall = placePattern(QSize(609, 609), QSize(2480, 3508));
    QCOMPARE(tall.patternPixels, QSize(2480, 2480));
    QCOMPARE(tall.offset, QPoint(0, 514));
    const PatternPlacement own = placePattern(QSize(800, 800), QSize(800, 800));
    QCOMPARE(own.scale, 1.0);
    QCOMPARE(own.offset, QPoint(0, 0));
}

void FrameExportTest::stripsGiveThePictureDrawnWhole_data()
{
    QTest::addColumn<QString>("slide");
    QTest::addColumn<double>("scale");
    for (const char* slide : {"plain", "gradient", "geometric"}) {
        for (double scale : {1.0, 2.0, 2.5}) {
            QTest::addRow("%s at %g", slide, scale) << QString::fromLatin1(slide) << scale;
        }
    }
}

// A square frame scale times the pattern's size is the picture rendered at that scale, whatever
// the strips: the region drawing clips and shifts exactly.
void FrameExportTest::stripsGiveThePictureDrawnWhole()
{
    QFETCH(QString, slide);
    QFETCH(double, scale);
    const auto picture = pictureOf(slide);
    const QSize frame = deviceSizeOf(picture->size(), scale);
    const FrameRenderer renderer(picture, frame);
    QCOMPARE(renderer.placement().offset, QPoint(0, 0));
    const QImage whole = rgb32(picture->render(scale));
    QCOMPARE(inStrips(renderer, 37), whole);
    QCOMPARE(inStrips(renderer, 1), whole);
}

void FrameExportTest::wideFrameCentresThePatternOnItsBackground()
{
    const auto picture = pictureOf(QStringLiteral("plain"));
    const FrameRenderer renderer(picture, QSize(2000, 800));
    const QImage frame = inStrips(renderer, 64);
    QCOMPARE(frame.copy(600, 0, 800, 800), rgb32(picture->render(1.0)));
    const QRgb background = curveRecipe().backColour.toQRgb() | 0xFF000000u;
    for (int y = 0; y < 800; y += 7) {
        QCOMPARE(frame.pixel(0, y), background);
        QCOMPARE(frame.pixel(599, y), background);
        QCOMPARE(frame.pixel(1400, y), background);
        QCOMPARE(frame.pixel(1999, y), background);
    }
}

void FrameExportTest::rowsStayInsideTheirView_data()
{
    QTest::addColumn<QString>("slide");
    for (const char* slide : {"plain", "gradient", "geometric", "pixels"})
        QTest::newRow(slide) << QString::fromLatin1(slide);
}

// A strip is a window of a larger image: drawing it never touches a pixel beside or below it.
void FrameExportTest::rowsStayInsideTheirView()
{
    QFETCH(QString, slide);
    const auto picture = pictureOf(slide);
    const QSize frame(1500, 1000);
    const FrameRenderer renderer(picture, frame);
    const QRgb guard = qRgb(1, 2, 3);
    QImage around(frame.width() * 3, 50, QImage::Format_RGB32);
    for (int top : {0, 480, 950}) {
        around.fill(guard);
        PixelBuffer view = PixelBuffer::of(around);
        view.bits = view.row(10) + frame.width();
        view.width = frame.width();
        view.height = 30;
        renderer.renderRows(view, top);
        QImage expected(frame.width(), 30, QImage::Format_RGB32);
        renderer.renderRows(PixelBuffer::of(expected), top);
        QCOMPARE(around.copy(frame.width(), 10, frame.width(), 30), expected);
        for (int y = 0; y < around.height(); ++y) {
            for (int x = 0; x < around.width(); ++x) {
                const bool inside = y >= 10 && y < 40 && x >= frame.width() && x < 2 * frame.width();
                if (!inside && around.pixel(x, y) != (guard | 0xFF000000u))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 outside the strip changed").arg(x).arg(y)));
            }
        }
    }
}

// The gradient is swept over the whole frame, not only under the pattern: far from the pattern
// every pixel is within one step of the exact ramp.
void FrameExportTest::gradientCoversTheFrameWithinOneStep()
{
    const auto picture = pictureOf(QStringLiteral("gradient"));
    const QSize size(3000, 900);
    const FrameRenderer renderer(picture, size);
    QVERIFY(renderer.hasGradient());
    const QImage frame = inStrips(renderer, 50);
    int checked = 0;
    for (int y = 0; y < size.height(); y += 13) {
        for (int x : {0, 1, 500, 1049, 1951, 2500, 2999}) {
            QVERIFY2(withinOneStep(frame.pixel(x, y), exactRamp(canvasGradient(), size, x, y)),
                     qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
            ++checked;
        }
    }
    QVERIFY(checked > 400);
}

// A pattern wider than a painter's window is drawn in several windows side by side; each window's
// pixels are those of one window as wide as the pattern.
void FrameExportTest::windowsWiderThanAPainterJoinSeamlessly()
{
    const auto picture = pictureOf(QStringLiteral("geometric"));
    const QSize size(40000, 20000); // the pattern is 20000 wide: two windows
    const FrameRenderer renderer(picture, size);
    const PatternPlacement placement = renderer.placement();
    QCOMPARE(placement.patternPixels.width(), 20000);
    for (int top : {0, 9000, 19990}) {
        QImage strip(size.width(), 10, QImage::Format_RGB32);
        renderer.renderRows(PixelBuffer::of(strip), top);
        QImage expected(placement.patternPixels.width(), 10, QImage::Format_RGB32);
        picture->renderRegion(PixelBuffer::of(expected), placement.scale, QPoint(0, top - placement.offset.y()),
                              PictureLayers::Whole);
        QCOMPARE(strip.copy(placement.offset.x(), 0, expected.width(), 10), expected);
    }
}

void FrameExportTest::pngRowsPaletteAndChunks_data()
{
    QTest::addColumn<QString>("slide");
    QTest::addColumn<int>("colourType");
    QTest::newRow("plain: a palette") << "plain" << 3;
    QTest::newRow("geometric: a palette") << "geometric" << 3;
    QTest::newRow("gradient: full colour") << "gradient" << 2;
}

void FrameExportTest::pngRowsPaletteAndChunks()
{
    QFETCH(QString, slide);
    QFETCH(int, colourType);
    const auto picture = pictureOf(slide);
    ExportFrame frame = paperFrame(PaperSize::A4, true, 100);
    OutputJob job = jobOf(picture, frame, ExportFormat::Png, QString());
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const OutputResult result = writeOutput(job, buffer);
    QVERIFY(result.ok());
    const QByteArray png = buffer.data();

    const QByteArray header = pngChunk(png, "IHDR");
    QCOMPARE(qFromBigEndian<quint32>(header.constData()), quint32(frame.pixels.width()));
    QCOMPARE(qFromBigEndian<quint32>(header.constData() + 4), quint32(frame.pixels.height()));
    QCOMPARE(int(header.at(9)), colourType);
    const QByteArray phys = pngChunk(png, "pHYs");
    QCOMPARE(phys.size(), 9);
    QCOMPARE(qFromBigEndian<quint32>(phys.constData()), 3937u); // 100 dpi
    QCOMPARE(qFromBigEndian<quint32>(phys.constData() + 4), 3937u);
    QCOMPARE(int(phys.at(8)), 1); // per metre
    QVERIFY(png.endsWith(QByteArray::fromHex("0000000049454e44ae426082")));

    const PatternFileCode code = readPatternCodeFromBytes(png);
    QCOMPARE(code.problem, PatternFileProblem::None);
    QCOMPARE(code.code, job.pattern.fullCode);
    QImage decoded;
    QVERIFY(decoded.loadFromData(png, "png"));
    QCOMPARE(decoded.text(QStringLiteral("Title")), job.pattern.code);
    QCOMPARE(decoded.text(QStringLiteral("Software")), QStringLiteral("澄岚数学图案自动设计器"));
    QCOMPARE(rgb32(decoded), FrameRenderer(picture, frame.pixels).render());
}

namespace {

// Few colours at its own size, a new one when drawn larger: the writer's palette must give way.
class SurprisingPicture final : public PictureSource
{
public:
    QSize size() const override { return QSize(100, 100); }
    QImage render(qreal scale) const override
    {
        QImage image(deviceSizeOf(size(), scale), QImage::Format_RGB32);
        image.fill(QColor(10, 20, 30));
        if (scale != 1.0)
            image.setPixel(image.width() / 2, image.height() - 1, qRgb(250, 0, 0));
        return image;
    }
    void paintVector(QPainter&) const override {}
    SurfaceBackground canvasBackground() const override { return SurfaceBackground{qRgb(10, 20, 30), {}, {}}; }
};

} // namespace

void FrameExportTest::colourMissingFromThePaletteRestartsInFullColour()
{
    const auto picture = std::make_shared<SurprisingPicture>();
    QCOMPARE(FrameRenderer(picture, QSize(300, 300)).expectedColours().size(), std::size_t(1));
    OutputJob job = jobOf(picture, pixelFrame(QSize(300, 300)), ExportFormat::Png, QString());
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(writeOutput(job, buffer).ok());
    QCOMPARE(int(pngChunk(buffer.data(), "IHDR").at(9)), 2);
    QImage decoded;
    QVERIFY(decoded.loadFromData(buffer.data(), "png"));
    QCOMPARE(decoded.pixel(150, 299), qRgb(250, 0, 0));
    QCOMPARE(decoded.pixel(0, 0), qRgb(10, 20, 30));
    // Only one picture in the bytes: the first try left nothing after the second's end.
    QCOMPARE(buffer.data().count("IEND"), 1);
}

void FrameExportTest::rendersAreByteIdentical()
{
    const auto picture = pictureOf(QStringLiteral("gradient"));
    QByteArray first, second;
    for (QByteArray* bytes : {&first, &second}) {
        QBuffer buffer(bytes);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(writeOutput(jobOf(picture, pixelFrame(QSize(1920, 1080)), ExportFormat::Png, QString()), buffer).ok());
    }
    QCOMPARE(first.size(), second.size());
    QVERIFY(first == second);
}

void FrameExportTest::fortyThousandPixelsWideIsWholeAndRightAtItsEdges()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("a 40,000-pixel export runs in the normal build only");
#endif
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("wide.png"));
    const auto picture = pictureOf(QStringLiteral("gradient"));
    const QSize size(40000, 1200);
    const OutputResult result = runOutputJob(jobOf(picture, pixelFrame(size, 300), ExportFormat::Png, path));
    QVERIFY(result.ok());

    QImageReader reader(path);
    QImageReader::setAllocationLimit(0);
    QCOMPARE(reader.size(), size);
    const QImage decoded = rgb32(reader.read());
    QVERIFY2(!decoded.isNull(), qPrintable(reader.errorString()));
    // Every pixel of the four edges within one step of the exact ramp: nothing cut off at 32767.
    for (int x = 0; x < size.width(); ++x) {
        for (int y : {0, size.height() - 1}) {
            if (!withinOneStep(decoded.pixel(x, y), exactRamp(canvasGradient(), size, x, y)))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
        }
    }
    for (int y = 0; y < size.height(); ++y) {
        for (int x : {0, 32767, 32768, size.width() - 1}) {
            if (!withinOneStep(decoded.pixel(x, y), exactRamp(canvasGradient(), size, x, y)))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
        }
    }
    // The pattern in the middle, drawn as the frame draws it.
    const FrameRenderer renderer(picture, size);
    const QRect pattern(renderer.placement().offset, renderer.placement().patternPixels);
    QCOMPARE(pattern, QRect(19400, 0, 1200, 1200));
    QCOMPARE(decoded.copy(pattern), renderer.render().copy(pattern));
}

void FrameExportTest::pdfPageIsTheSheet_data()
{
    QTest::addColumn<ExportFrame>("frame");
    QTest::addColumn<QSizeF>("points");
    QTest::newRow("A4 portrait") << paperFrame(PaperSize::A4, false) << QSizeF(595.28, 841.89);
    QTest::newRow("A3 landscape") << paperFrame(PaperSize::A3, true) << QSizeF(1190.55, 841.89);
    QTest::newRow("A2 at 150 dpi") << paperFrame(PaperSize::A2, false, 150) << QSizeF(1190.55, 1683.78);
    QTest::newRow("1920 x 1080 at 96 dpi") << pixelFrame(QSize(1920, 1080), 96) << QSizeF(1440, 810);
    QTest::newRow("3000 x 1000 at 300 dpi") << pixelFrame(QSize(3000, 1000), 300) << QSizeF(720, 240);
}

void FrameExportTest::pdfPageIsTheSheet()
{
    QFETCH(ExportFrame, frame);
    QFETCH(QSizeF, points);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("pattern.pdf"));
    const OutputJob job = jobOf(pictureOf(QStringLiteral("gradient")), frame, ExportFormat::Pdf, path);
    const OutputResult result = runOutputJob(job);
    QVERIFY(result.ok());
    const QByteArray pdf = readAll(path);
    QVERIFY(pdf.startsWith("%PDF-"));
    static const QRegularExpression mediaBox(QStringLiteral(R"(/MediaBox \[\s*0\s+0\s+([0-9.]+)\s+([0-9.]+)\s*\])"));
    const QRegularExpressionMatch match = mediaBox.match(QString::fromLatin1(pdf));
    QVERIFY2(match.hasMatch(), "no page size");
    QVERIFY2(std::fabs(match.captured(1).toDouble() - points.width()) < 0.02, qPrintable(match.captured(0)));
    QVERIFY2(std::fabs(match.captured(2).toDouble() - points.height()) < 0.02, qPrintable(match.captured(0)));
    // The code in the metadata, and the pattern as vectors (no picture of pixels).
    QVERIFY(pdf.contains(job.pattern.fullCode.toLatin1()));
    QVERIFY(!pdf.contains("/Subtype /Image"));
}

void FrameExportTest::svgSizeInMillimetresForPaper()
{
    QTemporaryDir folder;
    const auto picture = pictureOf(QStringLiteral("plain"));
    const QString paperPath = folder.filePath(QStringLiteral("paper.svg"));
    const OutputJob paper = jobOf(picture, paperFrame(PaperSize::A4, false), ExportFormat::Svg, paperPath);
    QVERIFY(runOutputJob(paper).ok());
    const QByteArray sheet = readAll(paperPath);
    QVERIFY2(sheet.contains(R"(<svg width="210.00mm" height="297.00mm")"), sheet.left(300).constData());
    QVERIFY(sheet.contains(R"(viewBox="0 0 2480 3508")"));
    QCOMPARE(readPatternCodeFromBytes(sheet).code, paper.pattern.fullCode);

    const QString screenPath = folder.filePath(QStringLiteral("screen.svg"));
    QVERIFY(runOutputJob(jobOf(picture, pixelFrame(QSize(1920, 1080)), ExportFormat::Svg, screenPath)).ok());
    const QByteArray screen = readAll(screenPath);
    QVERIFY2(screen.contains(R"(<svg width="1920" height="1080")"), screen.left(300).constData());
    // An ordinary renderer sees the whole frame: background at the corners, pattern centred.
    QImage drawn = QImage(readAll(screenPath).isEmpty() ? QSize() : QSize(192, 108), QImage::Format_RGB32);
    QImageReader reader(screenPath);
    reader.setScaledSize(QSize(192, 108));
    drawn = rgb32(reader.read());
    QCOMPARE(drawn.size(), QSize(192, 108));
    QCOMPARE(drawn.pixel(0, 0), curveRecipe().backColour.toQRgb() | 0xFF000000u);
    QCOMPARE(drawn.pixel(191, 107), curveRecipe().backColour.toQRgb() | 0xFF000000u);
}

void FrameExportTest::bigJpegAndBmpTakeLittleMemory_data()
{
    QTest::addColumn<ExportFormat>("format");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("tolerance"); // largest channel difference at the sampled spots
    QTest::newRow("jpeg") << ExportFormat::Jpeg << "big.jpg" << 48;
    QTest::newRow("bmp") << ExportFormat::Bmp << "big.bmp" << 0;
}

// A picture whose whole image would take 1.5 GB is written by a process allowed 600 MB more
// address space than it started with: the writer holds strips, never the picture.
void FrameExportTest::bigJpegAndBmpTakeLittleMemory()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the address-space limit is for the normal build: the sanitizer reserves terabytes");
#endif
    QFETCH(ExportFormat, format);
    QFETCH(QString, name);
    QFETCH(int, tolerance);
    QTemporaryDir folder;
    const QString path = folder.filePath(name);
    const QSize size(24000, 16000);
    const auto picture = pictureOf(QStringLiteral("gradient"));
    const OutputJob job = jobOf(picture, pixelFrame(size, 300), format, path);
    const qint64 headroom = qint64(600) << 20;
    QVERIFY(qint64(size.width()) * size.height() * 4 > 2 * headroom);
    const qint64 start = addressSpace();
    QVERIFY(start > 0);

    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{rlim_t(start + headroom), rlim_t(start + headroom)};
        setrlimit(RLIMIT_AS, &limit);
        _exit(int(runOutputJob(job).error));
    }
    QVERIFY(child > 0);
    int status = 0;
    bool ended = false; // the macro asks more than once; a child is reaped only once
    const auto childEnded = [&] { return ended = ended || waitpid(child, &status, WNOHANG) == child; };
    QTRY_VERIFY2_WITH_TIMEOUT(childEnded(), "the export in the limited process to end", 240000);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(OutputError(WEXITSTATUS(status)), OutputError::None);

    if (format == ExportFormat::Bmp) {
        // Qt's reader refuses a BMP this large: its header read as the format lays it out.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray header = file.read(54);
        QCOMPARE(header.size(), 54);
        QCOMPARE(QSize(qFromLittleEndian<qint32>(header.constData() + 18), qFromLittleEndian<qint32>(header.constData() + 22)),
                 size);
        QCOMPARE(QFileInfo(path).size(), 54 + qint64(size.width()) * 3 * size.height());
        QCOMPARE(qFromLittleEndian<quint32>(header.constData() + 2), quint32(QFileInfo(path).size()));
    } else {
        QCOMPARE(QImageReader(path).size(), size);
    }
    // Spots across the frame: corners, the pattern's middle, the last rows.
    const FrameRenderer renderer(picture, size);
    const QPoint middle = renderer.placement().offset + QPoint(renderer.placement().patternPixels.width() / 2,
                                                               renderer.placement().patternPixels.height() / 2);
    for (const QPoint spot : {QPoint(0, 0), QPoint(size.width() - 64, 0), middle, QPoint(9000, 11000),
                              QPoint(0, size.height() - 64), QPoint(size.width() - 64, size.height() - 64)}) {
        const QRect block(spot, QSize(64, 64));
        QImage written;
        if (format == ExportFormat::Bmp) {
            written = bmpBlock(path, block);
        } else {
            QImageReader clipped(path);
            QImageReader::setAllocationLimit(0);
            clipped.setClipRect(block);
            written = rgb32(clipped.read());
        }
        QVERIFY2(written.size() == block.size(), qPrintable(QStringLiteral("block at %1,%2").arg(spot.x()).arg(spot.y())));
        const QImage expected = renderedRows(renderer, block.top(), block.height()).copy(QRect(block.left(), 0, 64, 64));
        QVERIFY2(largestDifference(written, expected) <= tolerance,
                 qPrintable(QStringLiteral("block at %1,%2: %3").arg(spot.x()).arg(spot.y()).arg(largestDifference(written, expected))));
        QVERIFY2(meanDifference(written, expected) <= tolerance / 8.0,
                 qPrintable(QStringLiteral("block at %1,%2: mean %3").arg(spot.x()).arg(spot.y()).arg(meanDifference(written, expected))));
    }
}

void FrameExportTest::jpegAndBmpAreWhatQtsWriterMakes_data()
{
    QTest::addColumn<ExportFormat>("format");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("dpi");
    // Odd widths: BMP rows padded to four bytes; JPEG blocks cut at the edge.
    QTest::newRow("bmp, gradient, odd width") << ExportFormat::Bmp << "gradient" << QSize(301, 203) << 300.0;
    QTest::newRow("bmp, curves, one pixel") << ExportFormat::Bmp << "curves" << QSize(1, 1) << 96.0;
    QTest::newRow("bmp, geometric, tall") << ExportFormat::Bmp << "geometric" << QSize(82, 1500) << 72.0;
    QTest::newRow("jpeg, gradient, odd width") << ExportFormat::Jpeg << "gradient" << QSize(301, 203) << 300.0;
    QTest::newRow("jpeg, pixels, wide") << ExportFormat::Jpeg << "pixels" << QSize(1500, 77) << 96.0;
    QTest::newRow("jpeg, curves, one pixel") << ExportFormat::Jpeg << "curves" << QSize(1, 1) << 150.0;
}

// Written a strip at a time, the files are those Qt's image writer made of the whole picture with
// the same texts and resolution: BMP byte for byte, JPEG within a step or two of its pixels.
void FrameExportTest::jpegAndBmpAreWhatQtsWriterMakes()
{
    QFETCH(ExportFormat, format);
    QFETCH(QString, picture);
    QFETCH(QSize, size);
    QFETCH(double, dpi);
    const OutputJob job = jobOf(pictureOf(picture), pixelFrame(size, dpi), format, QString());
    QByteArray streamed;
    QBuffer device(&streamed);
    QVERIFY(device.open(QIODevice::WriteOnly));
    QVERIFY(writeOutput(job, device).ok());

    QImage whole = FrameRenderer(job.pattern.picture, size).render();
    whole.setDotsPerMeterX(int(pixelsPerMetre(dpi)));
    whole.setDotsPerMeterY(int(pixelsPerMetre(dpi)));
    whole.setText(QStringLiteral("Title"), job.pattern.code);
    whole.setText(QStringLiteral("Description"), QStringLiteral("图案代码 %1，澄岚数学图案自动设计器 作品").arg(job.pattern.code));
    whole.setText(QStringLiteral("Software"), QStringLiteral("澄岚数学图案自动设计器"));
    whole.setText(QStringLiteral("PatternCode"), job.pattern.fullCode);
    QByteArray byQt;
    QBuffer qtDevice(&byQt);
    QVERIFY(qtDevice.open(QIODevice::WriteOnly));
    QVERIFY(QImageWriter(&qtDevice, format == ExportFormat::Bmp ? "bmp" : "jpeg").write(whole));

    if (format == ExportFormat::Bmp) {
        QCOMPARE(streamed.size(), byQt.size());
        QVERIFY(streamed == byQt);
        return;
    }
    const QImage ours = rgb32(QImage::fromData(streamed, "JPEG"));
    const QImage theirs = rgb32(QImage::fromData(byQt, "JPEG"));
    QCOMPARE(ours.size(), size);
    QVERIFY2(largestDifference(ours, theirs) <= 2, qPrintable(QString::number(largestDifference(ours, theirs))));
    // The same texts as comments and the same resolution.
    for (const char* text : {"PatternCode: ", "Title: QRV0.101", "Software: "})
        QVERIFY2(streamed.contains(text), text);
    QVERIFY(streamed.contains(job.pattern.fullCode.toLatin1()));
    QCOMPARE(QImage::fromData(streamed, "JPEG").dotsPerMeterX(), theirs.dotsPerMeterX());
}

void FrameExportTest::webpRefusesWhatItCannotHoldWhole_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<OutputError>("error");
    QTest::newRow("past the format's side") << QSize(16384, 16) << OutputError::TooLargeForFormat;
    QTest::newRow("tall past the format's side") << QSize(16, 20000) << OutputError::TooLargeForFormat;
    QTest::newRow("within its sides but past 8K's pixels") << QSize(16000, 16000) << OutputError::TooLargeForFormat;
    QTest::newRow("30000 square") << QSize(30000, 30000) << OutputError::TooLargeForFormat;
}

// libwebp takes a picture whole: a size it cannot hold in modest memory, or its format cannot
// hold at all, is refused before anything is drawn.
void FrameExportTest::webpRefusesWhatItCannotHoldWhole()
{
    QFETCH(QSize, size);
    QFETCH(OutputError, error);
    QByteArray bytes;
    QBuffer device(&bytes);
    QVERIFY(device.open(QIODevice::WriteOnly));
    const OutputJob job = jobOf(pictureOf(QStringLiteral("gradient")), pixelFrame(size), ExportFormat::Webp, QString());
    QCOMPARE(writeOutput(job, device).error, error);
    QCOMPARE(bytes.size(), 0);
}

void FrameExportTest::namesOfOtherFormatsAreWrittenInThem()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("pattern.jpg"));
    OutputJob job = jobOf(pictureOf(QStringLiteral("gradient")), pixelFrame(QSize(640, 360)), ExportFormat::Png, path);
    job.format = pictureTargetFor(path).format;
    QCOMPARE(job.format, ExportFormat::Jpeg);
    QVERIFY(runOutputJob(job).ok());
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.size(), QSize(640, 360));
}

void FrameExportTest::cancelLeavesNothing_data()
{
    QTest::addColumn<ExportFormat>("format");
    QTest::newRow("png") << ExportFormat::Png;
    QTest::newRow("jpeg") << ExportFormat::Jpeg;
    QTest::newRow("bmp") << ExportFormat::Bmp;
}

void FrameExportTest::cancelLeavesNothing()
{
    QFETCH(ExportFormat, format);
    QTemporaryDir folder;
    const QString name = QStringLiteral("pattern.") + suffixOf(format);
    const QString path = folder.filePath(name);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("older file");
    old.close();
    CancelAtFirstReport progress;
    const OutputResult result =
        runOutputJob(jobOf(pictureOf(QStringLiteral("gradient")), pixelFrame(QSize(4000, 4000)), format, path), &progress);
    QCOMPARE(result.error, OutputError::Cancelled);
    QCOMPARE(progress.reports.size(), 1);
    QVERIFY(progress.reports.front() < 100);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    QCOMPARE(readAll(path), QByteArray("older file"));
}

void FrameExportTest::fullDiskLeavesNothingAndKeepsTheOldFile()
{
    QTemporaryDir folder;
    for (const ExportFormat format : {ExportFormat::Png, ExportFormat::Pdf, ExportFormat::Svg, ExportFormat::Jpeg, ExportFormat::Bmp}) {
        const QString path = folder.filePath(QStringLiteral("pattern.") + suffixOf(format));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("older file");
        old.close();
        OutputResult result;
        {
            const FileSizeLimit limit(16 * 1024);
            result = runOutputJob(
                jobOf(pictureOf(QStringLiteral("gradient")), pixelFrame(QSize(3000, 3000)), format, path));
        }
        QVERIFY2(result.error == OutputError::WriteFailed, qPrintable(suffixOf(format)));
        QCOMPARE(readAll(path), QByteArray("older file"));
    }
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 5);
}

void FrameExportTest::refusedTargetsAndInvalidFrames()
{
    QTemporaryDir folder;
    const auto picture = pictureOf(QStringLiteral("plain"));
    const OutputResult intoFolder = runOutputJob(jobOf(picture, pixelFrame(QSize(100, 100)), ExportFormat::Png, folder.path()));
    QCOMPARE(intoFolder.error, OutputError::TargetIsFolder);
    for (const QSize size : {QSize(0, 10), QSize(65536, 10), QSize(10, -1)}) {
        const QString path = folder.filePath(QStringLiteral("bad.png"));
        const OutputResult result = runOutputJob(jobOf(picture, pixelFrame(size), ExportFormat::Png, path));
        QCOMPARE(result.error, OutputError::InvalidSize);
        QVERIFY(!QFile::exists(path));
    }
    QVERIFY(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

QTEST_MAIN(FrameExportTest)
#include "tst_frameexport.moc"

#include "gradient/GradientRect.h"
#include "platform/Gdi.h"
#include "platform/PictureBox.h"
#include "platform/WindowServices.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

const Colour red = RGB(255, 0, 0);
const Colour blue = RGB(0, 0, 255);
// Green never appears in a red-to-blue gradient, so any pixel left green was not painted.
const QRgb sentinel = qRgb(0, 255, 0);

// Answers every message box that opens while it lives, remembering title and text.
class MessageCatcher : public QObject
{
public:
    MessageCatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                titles << box->windowTitle();
                texts << box->text();
                box->accept();
            }
        });
        m_timer.start(5);
    }
    QStringList titles;
    QStringList texts;

private:
    QTimer m_timer;
};

// A canvas of the given size filled with the sentinel colour.
std::unique_ptr<Surface> sentinelCanvas(int width, int height)
{
    auto canvas = std::make_unique<Surface>(QSize(width, height));
    canvas->setBackColor(Colour::fromQRgb(sentinel));
    return canvas;
}

int countSentinels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == sentinel;
    return count;
}

} // namespace

class TestGradient : public QObject
{
    Q_OBJECT

private slots:
    void blendColors_data();
    void blendColors();
    void blendColorsRefusesAHugeTable();
    void angleIsNormalised_data();
    void angleIsNormalised();
    void systemColoursResolveAtAssignment();
    void paintedEdges_data();
    void paintedEdges();
    void defaultAngleRunsDiagonally();
    void tooSmallAreaPaintsNothing_data();
    void tooSmallAreaPaintsNothing();
    void paintLeavesNoGraphicsObjects();
    void brokenAngleReportsToTheCallerAndStops();
    void reportedErrorShowsTheRenderersMessage_data();
    void reportedErrorShowsTheRenderersMessage();
};

void TestGradient::blendColors_data()
{
    QTest::addColumn<int>("steps");
    QTest::addColumn<QList<int>>("reds");
    QTest::newRow("steps 0 clamps to two ends") << 0 << QList<int>{0, 255};
    QTest::newRow("steps 1 clamps to two ends") << 1 << QList<int>{0, 255};
    QTest::newRow("four steps round ties to even") << 4 << QList<int>{0, 64, 128, 255};
    QTest::newRow("three steps divide by steps") << 3 << QList<int>{0, 85, 255};
}

void TestGradient::blendColors()
{
    QFETCH(int, steps);
    QFETCH(QList<int>, reds);
    std::vector<Colour> table{RGB(9, 9, 9)};
    const auto count = clsGradient::BlendColors(RGB(0, 0, 0), RGB(255, 0, 0), steps, table);
    QVERIFY(count);
    QCOMPARE(*count, int(reds.size()));
    QCOMPARE(int(table.size()), int(reds.size()));
    for (int i = 0; i < reds.size(); ++i)
        QCOMPARE(table[size_t(i)], RGB(reds[i], 0, 0));
}

void TestGradient::blendColorsRefusesAHugeTable()
{
    std::vector<Colour> table;
    QVERIFY(!clsGradient::BlendColors(red, blue, std::numeric_limits<int>::max(), table));
}

void TestGradient::angleIsNormalised_data()
{
    QTest::addColumn<float>("written");
    QTest::addColumn<float>("stored");
    QTest::newRow("negative turns round") << -45.0f << 315.0f;
    QTest::newRow("full turn is zero") << 360.0f << 0.0f;
    QTest::newRow("two turns and five") << 725.0f << 5.0f;
    QTest::newRow("fraction kept") << 12.5f << 12.5f;
    QTest::newRow("tiny negative stays below 360") << -1e-10f << 0.0f;
}

void TestGradient::angleIsNormalised()
{
    QFETCH(float, written);
    QFETCH(float, stored);
    clsGradient gradient;
    gradient.setAngle(written);
    QCOMPARE(gradient.Angle(), stored);
}

void TestGradient::systemColoursResolveAtAssignment()
{
    clsGradient gradient;
    QCOMPARE(gradient.Color1(), Colour(0x0080FFFF));
    QCOMPARE(gradient.Color2(), Colour(0x000080FF));
    gradient.setColor1(Colour(0x8000000F));
    QCOMPARE(gradient.Color1(), Colour(GetSysColor(15)));
    gradient.setColor2(Colour(0x80000019));
    QCOMPARE(gradient.Color2(), Colour(0x80000019));
}

void TestGradient::paintedEdges_data()
{
    QTest::addColumn<float>("angle");
    QTest::addColumn<QPoint>("firstSide"); // a pixel on the Color1 edge
    QTest::addColumn<QPoint>("farSide");
    QTest::addColumn<bool>("vertical"); // lines run vertically (columns uniform)
    QTest::newRow("0: left to right") << 0.0f << QPoint(0, 20) << QPoint(59, 20) << true;
    QTest::newRow("90: bottom to top") << 90.0f << QPoint(30, 39) << QPoint(30, 0) << false;
    QTest::newRow("180: right to left") << 180.0f << QPoint(59, 20) << QPoint(0, 20) << true;
    QTest::newRow("270: top to bottom") << 270.0f << QPoint(30, 0) << QPoint(30, 39) << false;
}

void TestGradient::paintedEdges()
{
    QFETCH(float, angle);
    QFETCH(QPoint, firstSide);
    QFETCH(QPoint, farSide);
    QFETCH(bool, vertical);
    auto canvas = sentinelCanvas(60, 40);
    clsGradient gradient;
    gradient.setColor1(red);
    gradient.setColor2(blue);
    gradient.setAngle(angle);
    QVERIFY(gradient.Draw(*canvas));

    const QImage image = canvas->Image();
    QCOMPARE(countSentinels(image), 0);
    QVERIFY(qRed(image.pixel(firstSide)) >= 230);
    QVERIFY(qBlue(image.pixel(farSide)) >= 230);
    // Straight lines across the area: one colour per column or per row.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            QCOMPARE(image.pixel(x, y), vertical ? image.pixel(x, 0) : image.pixel(0, y));
}

void TestGradient::defaultAngleRunsDiagonally()
{
    auto canvas = sentinelCanvas(50, 50);
    clsGradient gradient;
    gradient.setColor1(red);
    gradient.setColor2(blue);
    QCOMPARE(gradient.Angle(), 315.0f);
    QVERIFY(gradient.Draw(*canvas));
    const QImage image = canvas->Image();
    QCOMPARE(countSentinels(image), 0);
    QVERIFY(qRed(image.pixel(0, 0)) >= 230);
    QVERIFY(qBlue(image.pixel(49, 49)) >= 230);
    // The other two corners sit half way.
    QVERIFY(qAbs(qRed(image.pixel(49, 0)) - 128) < 20);
    QVERIFY(qAbs(qRed(image.pixel(0, 49)) - 128) < 20);
    for (int i = 1; i < 50; ++i)
        QVERIFY(qRed(image.pixel(i, i)) <= qRed(image.pixel(i - 1, i - 1)));
}

void TestGradient::tooSmallAreaPaintsNothing_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("one pixel wide") << QSize(1, 50);
    QTest::newRow("one pixel high") << QSize(50, 1);
}

void TestGradient::tooSmallAreaPaintsNothing()
{
    QFETCH(QSize, size);
    auto canvas = sentinelCanvas(size.width(), size.height());
    clsGradient gradient;
    QVERIFY(!gradient.Draw(*canvas));
    QCOMPARE(countSentinels(canvas->Image()), size.width() * size.height());
    QCOMPARE(lockedWindow(), nullptr);
}

void TestGradient::paintLeavesNoGraphicsObjects()
{
    // Shown in a window, whose painting must be resumed afterwards.
    PictureBox box;
    box.resize(80, 30);
    const int before = liveGdiObjectCount();
    clsGradient gradient;
    gradient.setAngle(33);
    QVERIFY(gradient.Draw(box.surface()));
    QCOMPARE(liveGdiObjectCount(), before);
    QVERIFY(box.updatesEnabled());
    QCOMPARE(lockedWindow(), nullptr);
}

void TestGradient::brokenAngleReportsToTheCallerAndStops()
{
    auto canvas = sentinelCanvas(40, 40);
    const int before = liveGdiObjectCount();
    clsGradient gradient;
    gradient.setAngle(std::numeric_limits<float>::quiet_NaN());
    MessageCatcher catcher;
    const GradientPaint paint = gradient.Draw(*canvas);
    QVERIFY(!paint);
    QCOMPARE(paint.error, ErrorCode::Overflow);
    // The renderer itself shows nothing; the window does.
    QCoreApplication::processEvents();
    QVERIFY(catcher.titles.isEmpty());
    QCOMPARE(countSentinels(canvas->Image()), 40 * 40);
    QCOMPARE(liveGdiObjectCount(), before);
    QCOMPARE(lockedWindow(), nullptr);
}

void TestGradient::reportedErrorShowsTheRenderersMessage_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("overflow") << int(ErrorCode::Overflow) << QStringLiteral("溢出");
    QTest::newRow("out of memory") << int(OutOfMemoryError) << QStringLiteral("内存溢出");
}

void TestGradient::reportedErrorShowsTheRenderersMessage()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    MessageCatcher catcher;
    reportGradientError(ErrorCode(code));
    QCOMPARE(catcher.titles, QStringList{QStringLiteral("GradientRect.cls")});
    QCOMPARE(catcher.texts, QStringList{text});
    reportGradientError(ErrorCode::None);
    QCOMPARE(catcher.texts.size(), 1);
}

QTEST_MAIN(TestGradient)
#include "tst_gradient.moc"

#include "app/widgets/ContentScale.h"

#include <QtTest>

#include <cmath>

// The arithmetic of scaled windows: one factor that keeps the aspect ratio, the contents centred,
// edges rounded, fonts scaled, and the client size that makes a framed window fit its screen.
class TestContentScale : public QObject
{
    Q_OBJECT

private slots:
    void factorAndCentring_data();
    void factorAndCentring();
    void baseSizeIsTheIdentity();
    void edgesAreRounded_data();
    void edgesAreRounded();
    void touchingControlsStayTouching();
    void fonts_data();
    void fonts();
    void margins();
    void fittedUniformly_data();
    void fittedUniformly();
    void boundedEachSide_data();
    void boundedEachSide();
};

void TestContentScale::factorAndCentring_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<double>("factor");
    QTest::addColumn<QPoint>("offset");
    // The main window's client area as built: 1167 x 833.
    QTest::newRow("twice") << QSize(2334, 1666) << 2.0 << QPoint(0, 0);
    QTest::newRow("twice, wider: centred across") << QSize(2434, 1666) << 2.0 << QPoint(50, 0);
    QTest::newRow("twice, taller: centred down") << QSize(2334, 1767) << 2.0 << QPoint(0, 50);
    QTest::newRow("larger only across: unscaled, centred") << QSize(1367, 833) << 1.0 << QPoint(100, 0);
    // 500 / 833 is less than 700 / 1167: the height decides, and 1167 of it is 700.48, 700.
    QTest::newRow("smaller, the height decides") << QSize(800, 500) << 500.0 / 833 << QPoint(50, 0);
    // A maximised window on 1920 x 1080 less a frame: 1055 / 833, the contents 1478 x 1055.
    QTest::newRow("maximised") << QSize(1918, 1055) << 1055.0 / 833 << QPoint(220, 0);
}

void TestContentScale::factorAndCentring()
{
    QFETCH(QSize, client);
    QFETCH(double, factor);
    QFETCH(QPoint, offset);
    const ContentScale scale = ContentScale::fit(client, QSize(1167, 833));
    QCOMPARE(scale.factor, factor);
    QCOMPARE(scale.offset, offset);
    // The scaled contents lie inside the client area, as near its middle as whole pixels allow.
    const QRect contents = scale.placed(QRect(0, 0, 1167, 833));
    QVERIFY(QRect(QPoint(0, 0), client).contains(contents));
    QVERIFY(std::abs((contents.left() - 0) - (client.width() - contents.right() - 1)) <= 1);
    QVERIFY(std::abs((contents.top() - 0) - (client.height() - contents.bottom() - 1)) <= 1);
}

void TestContentScale::baseSizeIsTheIdentity()
{
    const ContentScale scale = ContentScale::fit(QSize(609, 648), QSize(609, 648));
    QVERIFY(scale.isIdentity());
    QCOMPARE(scale, ContentScale{});
    // Odd positions and sizes are not touched by any rounding.
    QCOMPARE(scale.placed(QRect(67, 41, 85, 21)), QRect(67, 41, 85, 21));
    const QFont font(QStringLiteral("DejaVu Sans"), 10);
    QFont odd = font;
    odd.setPointSizeF(10.5);
    QCOMPARE(scale.scaled(odd), odd);
    QCOMPARE(scale.scaled(QMargins(0, -3, 1, 2)), QMargins(0, -3, 1, 2));
    // An empty client (a window collapsed to nothing) changes nothing either.
    QVERIFY(ContentScale::fit(QSize(0, 648), QSize(609, 648)).isIdentity());
}

void TestContentScale::edgesAreRounded_data()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<QRect>("base");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("twice") << 2.0 << QRect(816, 654, 73, 25) << QRect(1632, 1308, 146, 50);
    // 0.6: left 489.6 -> 490, right (816 + 73) * 0.6 = 533.4 -> 533: 43 wide, not 73 * 0.6 = 43.8 -> 44.
    QTest::newRow("0.6") << 0.6 << QRect(816, 654, 73, 25) << QRect(490, 392, 43, 15);
    // 1.5: the left edge 7.5 rounds up to 8, the right one is 18: 10 wide, not 7 * 1.5 = 10.5.
    QTest::newRow("halves") << 1.5 << QRect(5, 7, 7, 5) << QRect(8, 11, 10, 7);
}

void TestContentScale::edgesAreRounded()
{
    QFETCH(double, factor);
    QFETCH(QRect, base);
    QFETCH(QRect, expected);
    ContentScale scale;
    scale.factor = factor;
    scale.offset = QPoint(7, 3);
    QCOMPARE(scale.scaled(base), expected);
    QCOMPARE(scale.placed(base), expected.translated(7, 3));
}

void TestContentScale::touchingControlsStayTouching()
{
    // Two buttons one above the other, as the main window's column: 26 pixels apart, 25 high.
    const QRect upper(816, 550, 73, 26), lower(816, 576, 73, 25);
    for (double factor : {0.37, 0.6, 0.8913, 1.2664, 1.5, 2.0, 3.3}) {
        ContentScale scale;
        scale.factor = factor;
        QCOMPARE(scale.scaled(upper).bottom() + 1, scale.scaled(lower).top());
    }
}

void TestContentScale::fonts_data()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<double>("points");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<double>("expectedPoints");
    QTest::addColumn<int>("expectedPixels");
    QTest::newRow("points, twice") << 2.0 << 10.5 << 0 << 21.0 << -1;
    QTest::newRow("points, 0.6") << 0.6 << 9.0 << 0 << 9.0 * 0.6 << -1;
    QTest::newRow("points, never below one") << 0.05 << 9.0 << 0 << 1.0 << -1;
    // 11 * 0.6 = 6.6, rounded to 7 pixels.
    QTest::newRow("pixels, 0.6") << 0.6 << 0.0 << 11 << -1.0 << 7;
    QTest::newRow("pixels, 1.5") << 1.5 << 0.0 << 11 << -1.0 << 17;
    QTest::newRow("pixels, never below one") << 0.01 << 0.0 << 11 << -1.0 << 1;
}

void TestContentScale::fonts()
{
    QFETCH(double, factor);
    QFETCH(double, points);
    QFETCH(int, pixels);
    QFETCH(double, expectedPoints);
    QFETCH(int, expectedPixels);
    QFont base(QStringLiteral("Noto Serif CJK SC"));
    base.setBold(true);
    base.setItalic(true);
    if (pixels > 0)
        base.setPixelSize(pixels);
    else
        base.setPointSizeF(points);
    ContentScale scale;
    scale.factor = factor;
    const QFont font = scale.scaled(base);
    QCOMPARE(font.pointSizeF(), expectedPoints);
    QCOMPARE(font.pixelSize(), expectedPixels);
    // Only the size changes.
    QCOMPARE(font.family(), base.family());
    QVERIFY(font.bold() && font.italic());
}

void TestContentScale::margins()
{
    ContentScale scale;
    scale.factor = 1.6;
    // A label's text raised above its box by a negative top margin goes up in proportion.
    QCOMPARE(scale.scaled(QMargins(0, -5, 3, 1)), QMargins(0, -8, 5, 2));
}

void TestContentScale::fittedUniformly_data()
{
    QTest::addColumn<QSize>("base");
    QTest::addColumn<QSize>("extra");
    QTest::addColumn<QSize>("available");
    QTest::addColumn<QSize>("expected");
    // The main window on 1440 x 900 under a frame of 2 x 25: it fits as built.
    QTest::newRow("fits") << QSize(1167, 833) << QSize(2, 25) << QSize(1440, 900) << QSize(1167, 833);
    QTest::newRow("fits exactly") << QSize(1167, 833) << QSize(2, 25) << QSize(1169, 858) << QSize(1167, 833);
    // 1366 x 768: 743 / 833 of it, 1040.9 -> 1040 across.
    QTest::newRow("too tall") << QSize(1167, 833) << QSize(2, 25) << QSize(1366, 768) << QSize(1040, 743);
    // 1920 x 1080 at 1.5: 1280 x 720 logical pixels, a frame of 2 x 17.
    QTest::newRow("too tall at 1.5") << QSize(1167, 833) << QSize(2, 17) << QSize(1280, 720) << QSize(984, 703);
    // Too narrow: 798 / 1167 of it, 569.6 -> 569 down.
    QTest::newRow("too wide") << QSize(1167, 833) << QSize(2, 25) << QSize(800, 1200) << QSize(798, 569);
    QTest::newRow("no room") << QSize(609, 648) << QSize(2, 25) << QSize(2, 20) << QSize(1, 1);
}

void TestContentScale::fittedUniformly()
{
    QFETCH(QSize, base);
    QFETCH(QSize, extra);
    QFETCH(QSize, available);
    QFETCH(QSize, expected);
    const QSize client = clientFittedUniformly(base, extra, available);
    QCOMPARE(client, expected);
    if (client == base || client == QSize(1, 1))
        return;
    // Whole on screen, one side within a pixel of the edge, and the aspect ratio kept.
    const QSize outer = client + extra;
    QVERIFY(outer.width() <= available.width() && outer.height() <= available.height());
    QVERIFY(outer.width() >= available.width() - 1 || outer.height() >= available.height() - 1);
    QVERIFY(std::abs(double(client.width()) / client.height() - double(base.width()) / base.height()) < 0.01);
}

void TestContentScale::boundedEachSide_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QSize>("available");
    QTest::addColumn<QSize>("expected");
    // The gradient picker, 809 x 866, framed by 2 x 25, least 270 x 161.
    QTest::newRow("fits") << QSize(809, 866) << QSize(1440, 900) << QSize(809, 866);
    QTest::newRow("too tall: only the height gives") << QSize(809, 866) << QSize(1366, 768) << QSize(809, 743);
    QTest::newRow("both sides give") << QSize(809, 866) << QSize(640, 600) << QSize(638, 575);
    QTest::newRow("never below the least size") << QSize(809, 866) << QSize(200, 100) << QSize(270, 161);
}

void TestContentScale::boundedEachSide()
{
    QFETCH(QSize, client);
    QFETCH(QSize, available);
    QFETCH(QSize, expected);
    QCOMPARE(clientBoundedTo(client, QSize(2, 25), available, QSize(270, 161)), expected);
}

QTEST_GUILESS_MAIN(TestContentScale)
#include "tst_contentscale.moc"

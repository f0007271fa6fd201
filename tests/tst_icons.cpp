#include <QtTest>

#include <QIcon>
#include <QImage>

// The icons reach the program as resources compiled beside designer_app; a resource in a static
// library is easily dropped by the linker, which these tests would catch.
class TestIcons : public QObject
{
    Q_OBJECT
private slots:
    void everySizeIsInTheResources_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            QTest::addRow("%dx%d", size, size) << size;
    }

    void everySizeIsInTheResources()
    {
        QFETCH(int, size);
        const QImage icon(QStringLiteral(":/icons/pattern-designer-%1.png").arg(size));
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.size(), QSize(size, size));
        // A dark green tile covers most of it, rounded so the corner stays transparent.
        int tilePixels = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                tilePixels += icon.pixel(x, y) == qRgb(0, 64, 0) ? 1 : 0;
        QVERIFY2(tilePixels > size * size / 3, qPrintable(QString::number(tilePixels)));
        QCOMPARE(icon.pixelColor(0, 0).alpha(), 0);
    }

    void largeIconShowsAllFourCurveColours()
    {
        const QImage icon = QImage(QStringLiteral(":/icons/pattern-designer-256.png"))
                                .convertToFormat(QImage::Format_RGB32);
        QSet<QRgb> colours;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                colours.insert(icon.pixel(x, y));
        for (QRgb curve : {qRgb(250, 250, 0), qRgb(0, 250, 0), qRgb(0, 0, 250), qRgb(250, 30, 130)})
            QVERIFY2(colours.contains(curve), qPrintable(QColor(curve).name()));
    }

    void iconLoadsWithAllSizes()
    {
        QIcon icon;
        for (int size : {16, 32, 256})
            icon.addFile(QStringLiteral(":/icons/pattern-designer-%1.png").arg(size));
        QCOMPARE(icon.availableSizes().size(), 3);
    }
};

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"

#include "platform/PictureBox.h"

#include <QtTest>

class TestSmoke : public QObject
{
    Q_OBJECT
private slots:
    void canvasClears()
    {
        PictureBox box;
        box.resize(10, 10);
        box.setBackColor(RGB(1, 2, 3));
        QCOMPARE(box.Image().pixel(5, 5), qRgb(1, 2, 3));
    }
};

QTEST_MAIN(TestSmoke)
#include "tst_smoke.moc"

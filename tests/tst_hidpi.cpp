#include "ModalDialog.h"
#include "PixelCount.h"

#include "app/mainwindow/MainWindow.h"
#include "app/geometric/GeometricDesigner.h"
#include "app/picker/AngleDialog.h"
#include "app/picker/GradientPicker.h"
#include "app/registry/WindowRegistry.h"
#include "app/widgets/PictureBox.h"
#include "draw/base/Random.h"
#include "draw/surface/PictureSource.h"

#include <QApplication>
#include <QToolButton>
#include <QtTest>

namespace {

// The canvas's image is at twice its logical size, is what its record gives at scale 2, and is
// no enlargement of a smaller picture.
void checkDrawnAtRatioTwo(PictureBox* canvas)
{
    QVERIFY(canvas);
    const QImage image = canvas->Image();
    QCOMPARE(image.devicePixelRatio(), 2.0);
    QCOMPARE(image.size(), canvas->size() * 2);
    QImage pixels = image;
    pixels.setDevicePixelRatio(1.0);
    QCOMPARE(pixels, canvas->surface().snapshot()->render(2.0));
    QVERIFY(!looksEnlarged(pixels));
}

} // namespace

class TestHiDpi : public QObject
{
    Q_OBJECT

private slots:
    void screenIsAtRatioTwo();
    void curveSlide();
    void geometricSlide();
    void pickerPreviewAndButtonPicture();
    void angleDialogPreview();
    void canvasShowsItsImageOneToOne();
    void cleanup() { WindowRegistry::instance().clear(); }
};

void TestHiDpi::screenIsAtRatioTwo()
{
    QWidget widget;
    QCOMPARE(widget.devicePixelRatioF(), 2.0);
}

void TestHiDpi::curveSlide()
{
    RandomSource::reset();
    MainWindow form;
    form.onShowTimer();
    checkDrawnAtRatioTwo(form.canvas);
}

void TestHiDpi::geometricSlide()
{
    RandomSource::reset();
    GeometricDesigner form;
    form.onShowTimer();
    checkDrawnAtRatioTwo(form.canvas);
}

void TestHiDpi::pickerPreviewAndButtonPicture()
{
    GradientPicker picker;
    picker.show();
    QVERIFY2(QTest::qWaitForWindowExposed(&picker, 5000), "the picker to be shown");
    checkDrawnAtRatioTwo(picker.findChild<PictureBox*>(QStringLiteral("picDraw")));
    // The angle button's picture: gradient, frame and arrow of 32 x 32 at 64 x 64 pixels.
    checkDrawnAtRatioTwo(picker.findChild<PictureBox*>(QStringLiteral("picTemp")));
    const QIcon icon = picker.findChild<QToolButton*>(QStringLiteral("cmdAngle"))->icon();
    QCOMPARE(icon.pixmap(QSize(32, 32), 2.0).size(), QSize(64, 64));
}

void TestHiDpi::angleDialogPreview()
{
    AngleDialog dialog;
    dialog.onAngleChanged();
    checkDrawnAtRatioTwo(dialog.findChild<PictureBox*>(QStringLiteral("picDraw")));
}

void TestHiDpi::canvasShowsItsImageOneToOne()
{
    GradientPicker picker;
    picker.show();
    QVERIFY2(QTest::qWaitForWindowExposed(&picker, 5000), "the picker to be shown");
    auto* preview = picker.findChild<PictureBox*>(QStringLiteral("picDraw"));
    const QImage shown = preview->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage image = preview->Image();
    QCOMPARE(shown.size(), image.size());
    image.setDevicePixelRatio(shown.devicePixelRatio());
    QCOMPARE(shown, image);
}

int main(int argc, char** argv)
{
    // Every window of this test is drawn for a screen of two device pixels per logical pixel.
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication application(argc, argv);
    TestHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"

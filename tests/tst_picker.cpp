#include "FakeCanvasWindow.h"
#include "ModalDialog.h"

#include "app/picker/GradientErrors.h"
#include "app/picker/GradientPicker.h"
#include "app/widgets/WindowLock.h"
#include "draw/base/Twips.h"
#include "draw/gradient/AngleArrow.h"
#include "draw/gradient/GradientRenderer.h"

#include <QColorDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QToolButton>
#include <QtTest>

#include <limits>
#include <memory>

namespace {

const QRgb lightYellow = qRgb(255, 255, 128);
const QRgb orange = qRgb(255, 128, 0);
const QRgb arrowRed = qRgb(255, 0, 0);

bool near(QRgb a, QRgb b, int tolerance = 12)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
        && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace

class TestPicker : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsWithTheDefaultGradient();
    void colourButtons_data();
    void colourButtons();
    void snapsToTheMinimumSize_data();
    void snapsToTheMinimumSize();
    void cosmicButtonAppliesToTheMainCanvas();
    void geometricButtonAppliesAndPlacesTheWindow();
    void arrowSizeFromTheShorterSide_data();
    void arrowSizeFromTheShorterSide();
    void reportedErrorShowsTheRenderersMessage_data();
    void reportedErrorShowsTheRenderersMessage();
    void previewIsDrawnWithItsPaintingSuspended();
    void failureWhileResizingIsShownAfterTheResize();

private:
    QImage icon(const char* name) const
    {
        return picker->findChild<QToolButton*>(name)->icon().pixmap(32, 32).toImage().convertToFormat(
            QImage::Format_RGB32);
    }
    QImage preview() const { return picker->findChild<PictureBox*>("picDraw")->Image(); }

    std::unique_ptr<FakeCanvasWindow> mainWindow;
    std::unique_ptr<FakeCanvasWindow> geometric;
    QPointer<GradientPicker> picker;
};

void TestPicker::init()
{
    WindowRegistry& registry = WindowRegistry::instance();
    registry.clear();
    mainWindow = std::make_unique<FakeCanvasWindow>(QSize(900, 700));
    geometric = std::make_unique<FakeCanvasWindow>(QSize(400, 300));
    registry.adopt(WindowId::Main, mainWindow.get());
    registry.adopt(WindowId::Geometric, geometric.get());
    picker = new GradientPicker(mainWindow.get());
    registry.adopt(WindowId::GradientPicker, picker);
    picker->show();
}

void TestPicker::cleanup()
{
    delete picker;
    geometric.reset();
    mainWindow.reset();
    WindowRegistry::instance().clear();
}

void TestPicker::startsWithTheDefaultGradient()
{
    QCOMPARE(picker->windowTitle(), QStringLiteral("澄岚渐变色背景选色器"));
    QCOMPARE(picker->angle(), 315.0f);
    QCOMPARE(picker->color1(), Colour(0x0080FFFF));
    QCOMPARE(picker->color2(), Colour(0x000080FF));

    const QImage image = preview();
    QCOMPARE(image.size(), QSize(picker->width(), picker->height() - twipsToPixels(930)));
    QVERIFY(near(image.pixel(0, 0), lightYellow));
    QVERIFY(near(image.pixel(image.width() - 1, image.height() - 1), orange));

    QCOMPARE(icon("cmdColor_0").pixel(16, 16), lightYellow);
    QCOMPARE(icon("cmdColor_1").pixel(16, 16), orange);
    // The arrow on the angle button points to the lower right.
    const QImage angle = icon("cmdAngle");
    QCOMPARE(angle.pixel(20, 20), arrowRed);
    QVERIFY(angle.pixel(12, 12) != arrowRed);
    // Sunken frame: dark outer edge at the top left.
    QCOMPARE(angle.pixel(0, 10), Colour::system(SysColorIndex::DarkShadow).toQRgb());
    QVERIFY(!picker->findChild<QLabel*>(QStringLiteral("imgLogo"))->pixmap().isNull());
    // Drawing an arrow marks the tool strip.
    QCOMPARE(picker->findChild<PictureBox*>("picTools")->Image().pixel(5, 5), qRgb(215, 21, 123));
}

void TestPicker::colourButtons_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QRgb>("first");  // the colours afterwards
    QTest::addColumn<QRgb>("second");
    const QRgb blue = qRgb(0, 0, 255);
    QTest::newRow("colour 1 chosen changes only the first") << 0 << true << blue << orange;
    QTest::newRow("colour 2 chosen changes only the second") << 1 << true << lightYellow << blue;
    QTest::newRow("colour 1 cancelled changes nothing") << 0 << false << lightYellow << orange;
    QTest::newRow("colour 2 cancelled changes nothing") << 1 << false << lightYellow << orange;
}

void TestPicker::colourButtons()
{
    QFETCH(int, index);
    QFETCH(bool, ok);
    QFETCH(QRgb, first);
    QFETCH(QRgb, second);
    const QImage before = preview(), angle = icon("cmdAngle");
    QColor offered;
    ModalDialog<QColorDialog> answer([&](QColorDialog* dialog) {
        offered = dialog->currentColor();
        dialog->setCurrentColor(QColor(0, 0, 255));
        ok ? dialog->accept() : dialog->reject();
    });
    picker->onColourClicked(index);
    QCOMPARE(answer.answered(), 1);
    QCOMPARE(offered.rgb(), index == 0 ? lightYellow : orange); // the button's own colour
    QCOMPARE(picker->color1(), Colour::fromQRgb(first));
    QCOMPARE(picker->color2(), Colour::fromQRgb(second));
    QCOMPARE(icon("cmdColor_0").pixel(16, 16), first);
    QCOMPARE(icon("cmdColor_1").pixel(16, 16), second);
    QCOMPARE(icon("cmdAngle") != angle, ok);
    const QImage image = preview();
    QCOMPARE(image != before, ok);
    QVERIFY(near(image.pixel(0, 0), first));
    QVERIFY(near(image.pixel(image.width() - 1, image.height() - 1), second));
}

void TestPicker::snapsToTheMinimumSize_data()
{
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("too narrow") << QSize(100, 500) << QSize(272, 500);
    QTest::newRow("too low") << QSize(500, 100) << QSize(500, 186);
    QTest::newRow("too narrow and too low") << QSize(100, 100) << QSize(272, 186);
    QTest::newRow("large enough") << QSize(300, 200) << QSize(300, 200);
}

void TestPicker::snapsToTheMinimumSize()
{
    QFETCH(QSize, requested);
    QFETCH(QSize, expected);
    // The sizes are outer sizes, frame included.
    const QSize decoration = picker->frameGeometry().size() - picker->size();
    picker->resize(requested - decoration);
    WAIT_COMPARE(picker->frameGeometry().size(), expected, "the picker's frame to take its size", 5000);
    // The preview follows the final size.
    QCOMPARE(preview().size(), QSize(picker->width(), picker->height() - twipsToPixels(930)));
}

void TestPicker::cosmicButtonAppliesToTheMainCanvas()
{
    PictureBox* canvas = mainWindow->hostedCanvas();
    canvas->PSet(5, 5, RGB(0, 255, 0));
    picker->findChild<QToolButton*>("Command1")->click();
    QVERIFY(!picker->isVisible());
    QVERIFY(mainWindow->isVisible());
    canvas->Cls();
    const QImage shown = canvas->Image();
    const QImage gradient = preview();
    QCOMPARE(shown.pixel(5, 5), gradient.pixel(5, 5));
    QCOMPARE(shown.pixel(600, 650), gradient.pixel(600, 650));
    QCOMPARE(geometric->hostedCanvas()->Picture().isNull(), true);
}

void TestPicker::geometricButtonAppliesAndPlacesTheWindow()
{
    picker->findChild<QToolButton*>("Command2")->click();
    QVERIFY(!picker->isVisible());
    QVERIFY(geometric->isVisible());
    PictureBox* canvas = geometric->hostedCanvas();
    canvas->Cls();
    QCOMPARE(canvas->Image().pixel(300, 200), preview().pixel(300, 200));
    QVERIFY(mainWindow->hostedCanvas()->Picture().isNull());
    // 900 and 400 pixels wide: 13500 - 6000 - 50 twips from the left, 1500 twips from the top.
    WAIT_COMPARE(geometric->frameGeometry().topLeft(), twipsPoint(7450, 1500), "the geometric designer to move", 5000);
}

// The arrow's size is the shorter side over pi, rounded down: 100 / 3.14159265358979 gives 31,
// so the tip lies 31 pixels from the centre; the longer side would give 63.
void TestPicker::arrowSizeFromTheShorterSide_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<float>("angle");
    QTest::addColumn<QPoint>("tip");
    QTest::addColumn<QPoint>("beyond"); // two pixels past the tip
    QTest::newRow("wide canvas, pointing right") << QSize(200, 100) << 0.0f << QPoint(131, 50) << QPoint(133, 50);
    QTest::newRow("tall canvas, pointing up") << QSize(100, 200) << 90.0f << QPoint(50, 69) << QPoint(50, 67);
}

void TestPicker::arrowSizeFromTheShorterSide()
{
    QFETCH(QSize, size);
    QFETCH(float, angle);
    QFETCH(QPoint, tip);
    QFETCH(QPoint, beyond);
    Surface canvas(size);
    canvas.setBackColor(RGB(255, 255, 255));
    QCOMPARE(DrawAngleArrow(canvas, angle), ErrorCode::None);
    const QImage image = canvas.Image();
    QVERIFY(image.pixel(tip) != qRgb(255, 255, 255));
    QCOMPARE(image.pixel(beyond), qRgb(255, 255, 255));
}

void TestPicker::reportedErrorShowsTheRenderersMessage_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("overflow") << int(ErrorCode::Overflow) << QStringLiteral("溢出");
    QTest::newRow("out of memory") << int(OutOfMemoryError) << QStringLiteral("内存溢出");
}

void TestPicker::reportedErrorShowsTheRenderersMessage()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QStringList titles, texts;
    ModalDialog<QMessageBox> messages([&](QMessageBox* box) {
        titles << box->windowTitle();
        texts << box->text();
        box->accept();
    }, Answer::EveryOne);
    reportGradientError(ErrorCode(code));
    QCOMPARE(titles, QStringList{QStringLiteral("GradientRect.cls")});
    QCOMPARE(texts, QStringList{text});
    reportGradientError(ErrorCode::None);
    QCOMPARE(texts.size(), 1);
}

// The picture box suspends its own painting while a drawing runs on its surface, and resumes it.
void TestPicker::previewIsDrawnWithItsPaintingSuspended()
{
    PictureBox box;
    box.resize(80, 30);
    bool suspended = false;
    const GradientPaint paint = box.drawLocked([&](Surface& surface) {
        suspended = !box.updatesEnabled() && lockedWindow() == &box;
        GradientRenderer gradient;
        return gradient.Draw(surface);
    });
    QVERIFY(paint);
    QVERIFY(suspended);
    QVERIFY(box.updatesEnabled());
    QCOMPARE(lockedWindow(), nullptr);
}

// A modal box opened inside the resize event would run its own event loop there: the failure of
// the preview's sweep is shown once the resize has been handled.
void TestPicker::failureWhileResizingIsShownAfterTheResize()
{
    QStringList texts;
    ModalDialog<QMessageBox> answer([&](QMessageBox* box) {
        texts << box->text();
        box->accept();
    }, Answer::EveryOne);
    // An angle that is no number makes every sweep fail.
    picker->setGradient(Colour(0x0080FFFF), Colour(0x000080FF), std::numeric_limits<float>::quiet_NaN());
    const qsizetype before = texts.size();
    QVERIFY(before > 0); // the choice itself is reported at once
    auto* preview = picker->findChild<PictureBox*>("picDraw");
    picker->resize(picker->width() + 40, picker->height() + 30);
    QCOMPARE(preview->width(), picker->width()); // the resize has been handled
    QCOMPARE(texts.size(), before);
    WAIT_COMPARE(texts.size(), before + 1, "one more message", 10000);
    QCOMPARE(texts.last(), QStringLiteral("溢出"));
}

QTEST_MAIN(TestPicker)
#include "tst_picker.moc"

#include "FakeCanvasWindow.h"

#include "gradient/frmCustomAngle.h"
#include "gradient/frmDemo.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QRgb arrowRed = qRgb(255, 0, 0);
const Colour lightYellow{0x0080FFFF};
const Colour orange{0x000080FF};

// The dialog's controls, reached as a user reaches them.
struct AngleDialog
{
    frmCustomAngle* dialog;
    QScrollBar* bar() const { return dialog->findChild<QScrollBar*>("hsbAngle"); }
    QString label() const { return dialog->findChild<QLabel*>("lblAngle")->text(); }
    QImage preview() const { return dialog->findChild<PictureBox*>("picDraw")->Image(); }
    void click(const char* name) const { dialog->findChild<QToolButton*>(name)->click(); }
};

// Runs the steps on the angle dialog once it is shown modally.
void whenOpen(std::function<void(AngleDialog)> steps)
{
    QTimer::singleShot(0, [steps] {
        auto* dialog = qobject_cast<frmCustomAngle*>(QApplication::activeModalWidget());
        if (!dialog) {
            QFAIL("the angle dialog is not open");
            return;
        }
        steps(AngleDialog{dialog});
    });
}

// The preview is 106 x 102 pixels; its arrow points from the centre (53, 51) in the angle's
// direction, so the pixel 12 pixels along that way is red and the one 12 pixels back is not.
bool arrowPoints(const QImage& preview, int dx, int dy)
{
    return preview.pixel(53 + dx, 51 + dy) == arrowRed && preview.pixel(53 - dx, 51 - dy) != arrowRed;
}

} // namespace

class TestAngleDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opensOnTheGivenAngle();
    void barMovesRepaintLive_data();
    void barMovesRepaintLive();
    void okGivesThePickerTheNewAngle();
    void cancelKeepsThePickersAngle();
    void frameCloseAccepts();
    void escapeCancels();
    void freshDialogOnZero();
    void angleRoundingUpToAFullTurnIsZero();
    void mainCanvasIsNeverTouched();
    void keysMoveTheBarWithALivePreview_data();
    void keysMoveTheBarWithALivePreview();
    void enterPressesTheFocusedButtonElseOk_data();
    void enterPressesTheFocusedButtonElseOk();
    void clickGivesTheBarTheFocus();
    void modalToThePickerAndNeverStaysMinimised();

private:
    QImage pickerPreview() const { return picker->findChild<PictureBox*>("picDraw")->Image(); }

    std::unique_ptr<FakeCanvasWindow> mainWindow;
    QPointer<frmDemo> picker;
};

void TestAngleDialog::init()
{
    WindowRegistry& registry = WindowRegistry::instance();
    registry.clear();
    mainWindow = std::make_unique<FakeCanvasWindow>(QSize(900, 700));
    registry.adopt(WindowId::Main, mainWindow.get());
    picker = new frmDemo(mainWindow.get());
    registry.adopt(WindowId::GradientPicker, picker);
    picker->show();
}

void TestAngleDialog::cleanup()
{
    delete picker;
    mainWindow.reset();
    WindowRegistry::instance().clear();
}

void TestAngleDialog::opensOnTheGivenAngle()
{
    float angle = 315;
    int bar = -1;
    QString label, title;
    bool pointsDownRight = false;
    whenOpen([&](AngleDialog d) {
        bar = d.bar()->value();
        label = d.label();
        title = d.dialog->windowTitle();
        pointsDownRight = arrowPoints(d.preview(), 8, 8);
        d.click("cmdOK");
    });
    QVERIFY(frmCustomAngle::Display(picker, angle, lightYellow, orange));
    QCOMPARE(bar, 315);
    QCOMPARE(label, QStringLiteral("315度"));
    QCOMPARE(title, QStringLiteral(" 选择角度"));
    QVERIFY(pointsDownRight);
    QCOMPARE(angle, 315.0f);
}

void TestAngleDialog::barMovesRepaintLive_data()
{
    QTest::addColumn<bool>("dragged");
    QTest::newRow("thumb dragged") << true;
    QTest::newRow("value set") << false;
}

void TestAngleDialog::barMovesRepaintLive()
{
    QFETCH(bool, dragged);
    float angle = 315;
    QString label;
    bool pointsUp = false;
    bool repainted = false;
    whenOpen([&](AngleDialog d) {
        const QImage before = d.preview();
        if (dragged) {
            d.bar()->setSliderDown(true);
            d.bar()->setSliderPosition(90);
        } else {
            d.bar()->setValue(90);
        }
        label = d.label();
        repainted = d.preview() != before;
        pointsUp = arrowPoints(d.preview(), 0, -12);
        d.bar()->setSliderDown(false);
        d.click("cmdOK");
    });
    QVERIFY(frmCustomAngle::Display(picker, angle, lightYellow, orange));
    QCOMPARE(label, QStringLiteral("90度"));
    QVERIFY(repainted);
    QVERIFY(pointsUp);
    QCOMPARE(angle, 90.0f);
}

void TestAngleDialog::okGivesThePickerTheNewAngle()
{
    whenOpen([](AngleDialog d) {
        d.bar()->setValue(90);
        d.click("cmdOK");
    });
    picker->cmdAngle_Click();
    QCOMPARE(picker->angle(), 90.0f);
    // 90 runs from the bottom up: the first colour along the bottom edge.
    const QImage preview = pickerPreview();
    QCOMPARE(preview.pixel(10, preview.height() - 1), preview.pixel(preview.width() - 10, preview.height() - 1));
    QVERIFY(qBlue(preview.pixel(10, preview.height() - 1)) > 120);
    QVERIFY(qBlue(preview.pixel(10, 0)) < 10);
    const QImage icon = picker->findChild<QToolButton*>("cmdAngle")->icon().pixmap(32, 32).toImage();
    QCOMPARE(QColor(icon.pixel(16, 11)).rgb(), arrowRed);
}

void TestAngleDialog::cancelKeepsThePickersAngle()
{
    const QImage before = pickerPreview();
    whenOpen([](AngleDialog d) {
        d.bar()->setValue(90);
        d.click("cmdCancel");
    });
    picker->cmdAngle_Click();
    QCOMPARE(picker->angle(), 315.0f);
    QCOMPARE(pickerPreview(), before);
}

void TestAngleDialog::frameCloseAccepts()
{
    float angle = 315;
    whenOpen([](AngleDialog d) {
        d.bar()->setValue(45);
        d.dialog->close();
    });
    QVERIFY(frmCustomAngle::Display(picker, angle, lightYellow, orange));
    QCOMPARE(angle, 45.0f);
}

void TestAngleDialog::escapeCancels()
{
    float angle = 315;
    whenOpen([](AngleDialog d) {
        d.bar()->setValue(45);
        QTest::keyClick(d.dialog, Qt::Key_Escape);
    });
    QVERIFY(!frmCustomAngle::Display(picker, angle, lightYellow, orange));
    QCOMPARE(angle, 315.0f);
}

void TestAngleDialog::freshDialogOnZero()
{
    float angle = 0;
    int bar = -1;
    QString label;
    bool pointsRight = false;
    whenOpen([&](AngleDialog d) {
        bar = d.bar()->value();
        label = d.label();
        pointsRight = arrowPoints(d.preview(), 12, 0);
        d.click("cmdOK");
    });
    QVERIFY(frmCustomAngle::Display(picker, angle, lightYellow, orange));
    QCOMPARE(bar, 0);
    QCOMPARE(label, QStringLiteral("0度"));
    QVERIFY(pointsRight);
}

void TestAngleDialog::angleRoundingUpToAFullTurnIsZero()
{
    float angle = 359.7f;
    int bar = -1;
    whenOpen([&](AngleDialog d) {
        bar = d.bar()->value();
        d.click("cmdOK");
    });
    QVERIFY(frmCustomAngle::Display(picker, angle, lightYellow, orange));
    QCOMPARE(bar, 0);
    QCOMPARE(angle, 0.0f);
}

void TestAngleDialog::mainCanvasIsNeverTouched()
{
    PictureBox* canvas = mainWindow->hostedCanvas();
    QImage background(900, 700, QImage::Format_RGB32);
    background.fill(qRgb(10, 20, 30));
    canvas->setPicture(background);
    canvas->PSet(100, 100, RGB(0, 255, 0));
    const QImage drawing = canvas->Image();
    whenOpen([](AngleDialog d) {
        d.bar()->setSliderDown(true);
        d.bar()->setSliderPosition(10);
        d.bar()->setSliderDown(false);
        d.bar()->setValue(200);
        d.click("cmdOK");
    });
    picker->cmdAngle_Click();
    QCOMPARE(picker->angle(), 200.0f);
    QCOMPARE(canvas->Picture(), background);
    QCOMPARE(canvas->Image(), drawing);
}

void TestAngleDialog::keysMoveTheBarWithALivePreview_data()
{
    QTest::addColumn<float>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("Left, one degree down") << 315.0f << int(Qt::Key_Left) << 314;
    QTest::newRow("Right, one degree up") << 315.0f << int(Qt::Key_Right) << 316;
    QTest::newRow("Page Up, five degrees up") << 315.0f << int(Qt::Key_PageUp) << 320;
    QTest::newRow("Page Down, five degrees down") << 315.0f << int(Qt::Key_PageDown) << 310;
    QTest::newRow("Home, zero") << 315.0f << int(Qt::Key_Home) << 0;
    QTest::newRow("End, 359") << 90.0f << int(Qt::Key_End) << 359;
    QTest::newRow("Left stops at zero") << 0.0f << int(Qt::Key_Left) << 0;
    QTest::newRow("Page Up stops at 359") << 357.0f << int(Qt::Key_PageUp) << 359;
}

void TestAngleDialog::keysMoveTheBarWithALivePreview()
{
    QFETCH(float, start);
    QFETCH(int, key);
    QFETCH(int, expected);
    float angle = start;
    bool barHasFocus = false;
    QString label;
    bool repainted = false;
    whenOpen([&](AngleDialog d) {
        barHasFocus = d.dialog->focusWidget() == d.bar();
        const QImage before = d.preview();
        // Keys go where the keyboard focus is, as they would from the keyboard.
        QTest::keyClick(d.dialog->focusWidget(), Qt::Key(key));
        label = d.label();
        repainted = d.preview() != before;
        QTest::keyClick(d.dialog->focusWidget(), Qt::Key_Return);
    });
    QVERIFY(frmCustomAngle::Display(picker, angle, lightYellow, orange));
    QVERIFY(barHasFocus);
    QCOMPARE(angle, float(expected));
    QCOMPARE(label, QString::number(expected) + QStringLiteral("度"));
    QCOMPARE(repainted, int(start) != expected);
}

void TestAngleDialog::enterPressesTheFocusedButtonElseOk_data()
{
    QTest::addColumn<QString>("focused");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("bar focused: OK") << "hsbAngle" << true;
    QTest::newRow("OK focused") << "cmdOK" << true;
    QTest::newRow("Cancel focused") << "cmdCancel" << false;
}

void TestAngleDialog::enterPressesTheFocusedButtonElseOk()
{
    QFETCH(QString, focused);
    QFETCH(bool, accepted);
    float angle = 315;
    whenOpen([&](AngleDialog d) {
        QTest::keyClick(d.bar(), Qt::Key_Right);
        d.dialog->findChild<QWidget*>(focused)->setFocus();
        QTest::keyClick(d.dialog->focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    });
    QCOMPARE(frmCustomAngle::Display(picker, angle, lightYellow, orange), accepted);
    QCOMPARE(angle, accepted ? 316.0f : 315.0f);
}

void TestAngleDialog::clickGivesTheBarTheFocus()
{
    float angle = 315;
    bool barHasFocus = false;
    whenOpen([&](AngleDialog d) {
        d.dialog->findChild<QWidget*>("cmdCancel")->setFocus();
        QTest::mouseClick(d.bar(), Qt::LeftButton, Qt::NoModifier, QPoint(d.bar()->width() / 2, d.bar()->height() / 2));
        barHasFocus = d.dialog->focusWidget() == d.bar();
        d.click("cmdOK");
    });
    QVERIFY(frmCustomAngle::Display(picker, angle, lightYellow, orange));
    QVERIFY(barHasFocus);
}

void TestAngleDialog::modalToThePickerAndNeverStaysMinimised()
{
    float angle = 315;
    QWidget* owner = nullptr;
    Qt::WindowModality modality = Qt::NonModal;
    bool minimiseButton = true;
    bool cameBack = false;
    whenOpen([&](AngleDialog d) {
        owner = d.dialog->parentWidget();
        modality = d.dialog->windowModality();
        minimiseButton = d.dialog->windowFlags().testFlag(Qt::WindowMinimizeButtonHint);
        d.dialog->setWindowState(Qt::WindowMinimized);
        cameBack = QTest::qWaitFor([&] { return !d.dialog->isMinimized() && d.dialog->isVisible(); }, 2000);
        d.click("cmdOK");
    });
    QVERIFY(frmCustomAngle::Display(picker, angle, lightYellow, orange));
    QCOMPARE(owner, picker.data());
    QCOMPARE(modality, Qt::WindowModal);
    QVERIFY(!minimiseButton);
    QVERIFY(cameBack);
}

QTEST_MAIN(TestAngleDialog)
#include "tst_angledialog.moc"

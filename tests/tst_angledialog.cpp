#include "FakeCanvasWindow.h"
#include "ModalDialog.h"

#include "app/picker/AngleDialog.h"
#include "app/picker/GradientPicker.h"
#include "app/widgets/PictureBox.h"
#include "draw/base/ProgramTitle.h"

#include <QApplication>
#include <QMessageBox>
#include <QLabel>
#include <QPointer>
#include <QScrollBar>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QRgb arrowRed = qRgb(255, 0, 0);
const Colour lightYellow{0x0080FFFF};
const Colour orange{0x000080FF};

// The dialog's controls, reached as a user reaches them.
struct AngleDialogControls
{
    AngleDialog* dialog;
    QScrollBar* bar() const { return dialog->findChild<QScrollBar*>("hsbAngle"); }
    QString label() const { return dialog->findChild<QLabel*>("lblAngle")->text(); }
    QImage preview() const { return dialog->findChild<PictureBox*>("picDraw")->Image(); }
    void click(const char* name) const { dialog->findChild<QToolButton*>(name)->click(); }
};

// The steps, run on the angle dialog once it is shown modally.
std::function<void(AngleDialog*)> steps(std::function<void(AngleDialogControls)> onDialog)
{
    return [onDialog = std::move(onDialog)](AngleDialog* dialog) { onDialog(AngleDialogControls{dialog}); };
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
    void opensOnTheAngle_data();
    void opensOnTheAngle();
    void barMovesRepaintLive_data();
    void barMovesRepaintLive();
    void closing_data();
    void closing();
    void okGivesThePickerTheNewAngle();
    void cancelKeepsThePickersAngle();
    void mainCanvasIsNeverTouched();
    void keysMoveTheBarWithALivePreview_data();
    void keysMoveTheBarWithALivePreview();
    void enterPressesTheFocusedButtonElseOk_data();
    void enterPressesTheFocusedButtonElseOk();
    void clickGivesTheBarTheFocus();
    void modalToThePickerAndNeverStaysMinimised();
    void arrowFailureIsReportedOnceTheBarsSignalIsHandled();

private:
    QImage pickerPreview() const { return picker->findChild<PictureBox*>("picDraw")->Image(); }

    std::unique_ptr<FakeCanvasWindow> mainWindow;
    QPointer<GradientPicker> picker;
};

void TestAngleDialog::init()
{
    WindowRegistry& registry = WindowRegistry::instance();
    registry.clear();
    mainWindow = std::make_unique<FakeCanvasWindow>(QSize(900, 700));
    registry.adopt(WindowId::Main, mainWindow.get());
    picker = new GradientPicker(mainWindow.get());
    registry.adopt(WindowId::GradientPicker, picker);
    picker->show();
}

void TestAngleDialog::cleanup()
{
    delete picker;
    mainWindow.reset();
    WindowRegistry::instance().clear();
}

void TestAngleDialog::opensOnTheAngle_data()
{
    QTest::addColumn<float>("angle");
    QTest::addColumn<int>("bar");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QPoint>("arrow"); // a red pixel this far from the preview's centre
    QTest::newRow("315 points to the lower right") << 315.0f << 315 << "315度" << QPoint(8, 8);
    QTest::newRow("0 on a fresh dialog points right") << 0.0f << 0 << "0度" << QPoint(12, 0);
    QTest::newRow("90 points up") << 90.0f << 90 << "90度" << QPoint(0, -12);
    QTest::newRow("44.5 ties to the even 44") << 44.5f << 44 << "44度" << QPoint(8, -8);
    QTest::newRow("45.5 ties to the even 46") << 45.5f << 46 << "46度" << QPoint(8, -8);
    QTest::newRow("359.7 rounds to a full turn, 0") << 359.7f << 0 << "0度" << QPoint(12, 0);
}

void TestAngleDialog::opensOnTheAngle()
{
    QFETCH(float, angle);
    QFETCH(int, bar);
    QFETCH(QString, label);
    QFETCH(QPoint, arrow);
    int shownBar = -1;
    QString shownLabel, title;
    bool arrowRight = false;
    ModalDialog<AngleDialog> dialog(steps([&](AngleDialogControls d) {
        shownBar = d.bar()->value();
        shownLabel = d.label();
        title = d.dialog->windowTitle();
        arrowRight = arrowPoints(d.preview(), arrow.x(), arrow.y());
        d.click("cmdOK");
    }));
    QVERIFY(AngleDialog::ask(picker, angle, lightYellow, orange));
    QCOMPARE(dialog.answered(), 1);
    QCOMPARE(shownBar, bar);
    QCOMPARE(shownLabel, label);
    QCOMPARE(title, QStringLiteral(" 选择角度"));
    QVERIFY(arrowRight);
    QCOMPARE(angle, float(bar));
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
    ModalDialog<AngleDialog> dialog(steps([&](AngleDialogControls d) {
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
    }));
    QVERIFY(AngleDialog::ask(picker, angle, lightYellow, orange));
    QCOMPARE(dialog.answered(), 1);
    QCOMPARE(label, QStringLiteral("90度"));
    QVERIFY(repainted);
    QVERIFY(pointsUp);
    QCOMPARE(angle, 90.0f);
}

void TestAngleDialog::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<float>("angle");
    QTest::newRow("OK takes the bar's angle") << "cmdOK" << true << 45.0f;
    QTest::newRow("window frame takes it too") << "frame" << true << 45.0f;
    QTest::newRow("cancel keeps the old angle") << "cmdCancel" << false << 315.0f;
    QTest::newRow("escape keeps it too") << "escape" << false << 315.0f;
}

void TestAngleDialog::closing()
{
    QFETCH(QString, how);
    QFETCH(bool, accepted);
    QFETCH(float, angle);
    float chosen = 315;
    ModalDialog<AngleDialog> dialog(steps([&](AngleDialogControls d) {
        d.bar()->setValue(45);
        if (how == "frame")
            d.dialog->close();
        else if (how == "escape")
            QTest::keyClick(d.dialog, Qt::Key_Escape);
        else
            d.click(qPrintable(how));
    }));
    QCOMPARE(AngleDialog::ask(picker, chosen, lightYellow, orange), accepted);
    QCOMPARE(dialog.answered(), 1);
    QCOMPARE(chosen, angle);
}

void TestAngleDialog::okGivesThePickerTheNewAngle()
{
    ModalDialog<AngleDialog> dialog(steps([](AngleDialogControls d) {
        d.bar()->setValue(90);
        d.click("cmdOK");
    }));
    picker->onAngleClicked();
    QCOMPARE(dialog.answered(), 1);
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
    ModalDialog<AngleDialog> dialog(steps([](AngleDialogControls d) {
        d.bar()->setValue(90);
        d.click("cmdCancel");
    }));
    picker->onAngleClicked();
    QCOMPARE(dialog.answered(), 1);
    QCOMPARE(picker->angle(), 315.0f);
    QCOMPARE(pickerPreview(), before);
}

void TestAngleDialog::mainCanvasIsNeverTouched()
{
    PictureBox* canvas = mainWindow->hostedCanvas();
    QImage background(900, 700, QImage::Format_RGB32);
    background.fill(qRgb(10, 20, 30));
    canvas->setPicture(background);
    canvas->PSet(100, 100, RGB(0, 255, 0));
    const QImage drawing = canvas->Image();
    ModalDialog<AngleDialog> dialog(steps([](AngleDialogControls d) {
        d.bar()->setSliderDown(true);
        d.bar()->setSliderPosition(10);
        d.bar()->setSliderDown(false);
        d.bar()->setValue(200);
        d.click("cmdOK");
    }));
    picker->onAngleClicked();
    QCOMPARE(dialog.answered(), 1);
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
    ModalDialog<AngleDialog> dialog(steps([&](AngleDialogControls d) {
        barHasFocus = d.dialog->focusWidget() == d.bar();
        const QImage before = d.preview();
        // Keys go where the keyboard focus is, as they would from the keyboard.
        QTest::keyClick(d.dialog->focusWidget(), Qt::Key(key));
        label = d.label();
        repainted = d.preview() != before;
        QTest::keyClick(d.dialog->focusWidget(), Qt::Key_Return);
    }));
    QVERIFY(AngleDialog::ask(picker, angle, lightYellow, orange));
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
    ModalDialog<AngleDialog> dialog(steps([&](AngleDialogControls d) {
        QTest::keyClick(d.bar(), Qt::Key_Right);
        d.dialog->findChild<QWidget*>(focused)->setFocus();
        QTest::keyClick(d.dialog->focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    }));
    QCOMPARE(AngleDialog::ask(picker, angle, lightYellow, orange), accepted);
    QCOMPARE(angle, accepted ? 316.0f : 315.0f);
}

void TestAngleDialog::clickGivesTheBarTheFocus()
{
    float angle = 315;
    bool barHasFocus = false;
    ModalDialog<AngleDialog> dialog(steps([&](AngleDialogControls d) {
        d.dialog->findChild<QWidget*>("cmdCancel")->setFocus();
        QTest::mouseClick(d.bar(), Qt::LeftButton, Qt::NoModifier, QPoint(d.bar()->width() / 2, d.bar()->height() / 2));
        barHasFocus = d.dialog->focusWidget() == d.bar();
        d.click("cmdOK");
    }));
    QVERIFY(AngleDialog::ask(picker, angle, lightYellow, orange));
    QVERIFY(barHasFocus);
}

void TestAngleDialog::modalToThePickerAndNeverStaysMinimised()
{
    float angle = 315;
    QWidget* owner = nullptr;
    Qt::WindowModality modality = Qt::NonModal;
    bool minimiseButton = true;
    bool cameBack = false;
    ModalDialog<AngleDialog> dialog(steps([&](AngleDialogControls d) {
        owner = d.dialog->parentWidget();
        modality = d.dialog->windowModality();
        minimiseButton = d.dialog->windowFlags().testFlag(Qt::WindowMinimizeButtonHint);
        d.dialog->setWindowState(Qt::WindowMinimized);
        cameBack = waitFor([&] { return !d.dialog->isMinimized() && d.dialog->isVisible(); }, "the minimised dialog to come back", 2000);
        d.click("cmdOK");
    }));
    QVERIFY(AngleDialog::ask(picker, angle, lightYellow, orange));
    QCOMPARE(owner, picker.data());
    QCOMPARE(modality, Qt::WindowModal);
    QVERIFY(!minimiseButton);
    QVERIFY(cameBack);
}

// The preview follows the bar's signals; a failure to draw the arrow is reported as the picker
// reports it, once the signal has been handled, not from inside it.
void TestAngleDialog::arrowFailureIsReportedOnceTheBarsSignalIsHandled()
{
    QStringList messages;
    int shownInsideTheSignal = -1;
    ModalDialog<AngleDialog> dialog(steps([&](AngleDialogControls d) {
        // Measured in twips, a preview this large needs an arrow beyond 16 bits: drawing it fails.
        auto* preview = d.dialog->findChild<PictureBox*>("picDraw");
        preview->setScaleMode(ScaleMode::Twips);
        preview->resize(6870, 6870);
        ModalDialog<QMessageBox> answer([&](QMessageBox* box) {
            messages << box->windowTitle() + u'|' + box->text();
            box->accept();
        }, Answer::EveryOne);
        d.bar()->setValue(100);
        shownInsideTheSignal = int(messages.size());
        WAIT_COMPARE(messages.size(), 1, "the message", 10000);
        d.click("cmdOK");
    }));
    float angle = 315;
    QVERIFY(AngleDialog::ask(picker, angle, lightYellow, orange));
    QCOMPARE(dialog.answered(), 1);
    QCOMPARE(shownInsideTheSignal, 0);
    QCOMPARE(messages, QStringList{applicationTitle() + QStringLiteral("|溢出")});
    QCOMPARE(angle, 100.0f);
}

QTEST_MAIN(TestAngleDialog)
#include "tst_angledialog.moc"

// The real windows wired together as the program starts them, checked where they meet: the main
// window opening and placing its companions, the picker handing its preview to either canvas, the
// background-colour command and the angle dialog around a gradient that is already applied.

#include "IntegrationSupport.h"
#include "ModalDialog.h"

#include "app/geometric/GeometricDesigner.h"
#include "app/mainwindow/MainWindow.h"
#include "app/picker/AngleDialog.h"
#include "app/picker/GradientPicker.h"
#include "app/ProgramWindows.h"
#include "app/registry/WindowRegistry.h"
#include "app/widgets/PictureBox.h"
#include "draw/base/Random.h"
#include "draw/surface/DrawingHandles.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <optional>

namespace {

enum class DesignerState { OpenAndMoved, Closed, NeverOpened };

const QRgb plainPink = qRgb(255, 192, 255); // both canvases' design background

} // namespace

using namespace integration;

Q_DECLARE_METATYPE(DesignerState)
Q_DECLARE_METATYPE(WindowId)

class TestIntegration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void designerIsShownAndPlaced();
    void closedDesignerIsBuiltAfresh();
    void pickerIsOneInstanceOwnedByTheMainWindow_data();
    void pickerIsOneInstanceOwnedByTheMainWindow();
    void closedPickerIsBuiltAfresh();
    void cosmicGradientBecomesTheMainBackground();
    void geometricGradientBecomesTheDesignerBackground_data();
    void geometricGradientBecomesTheDesignerBackground();
    void backgroundColourDropsTheGradient_data();
    void backgroundColourDropsTheGradient();
    void angleDialogChangesOnlyThePicker();
    void applyBringsTheTargetForward_data();
    void applyBringsTheTargetForward();
    void applyAfterTheMainWindowWasClosed_data();
    void applyAfterTheMainWindowWasClosed();
    void minimisedWindowComesBack_data();
    void minimisedWindowComesBack();

private:
    MainWindow* main() const { return qobject_cast<MainWindow*>(WindowRegistry::instance().existing(WindowId::Main)); }
    GeometricDesigner* designer() const
    {
        return qobject_cast<GeometricDesigner*>(WindowRegistry::instance().existing(WindowId::Geometric));
    }
    GradientPicker* picker() const
    {
        return qobject_cast<GradientPicker*>(WindowRegistry::instance().existing(WindowId::GradientPicker));
    }
    QToolButton* pickerButton(const char* name) const { return picker()->findChild<QToolButton*>(name); }
    QImage pickerPreview() const { return picker()->findChild<PictureBox*>("picDraw")->Image(); }
    QImage applyCosmicGradient();

    int m_gdiAtStart = 0;
};

void TestIntegration::initTestCase()
{
    // A window closed by a test must not end the application's event loops (the modal dialogs
    // run their own).
    QApplication::setQuitOnLastWindowClosed(false);
    QCOMPARE(liveGdiObjectCount(), 0);
}

void TestIntegration::init()
{
    RandomSource::reset();
    WindowRegistry::instance().clear();
    // Counted from here, so a leak fails the test that leaks and not every one after it.
    m_gdiAtStart = liveGdiObjectCount();
    startProgram();
    QVERIFY(main());
    QVERIFY(main()->isVisible());
}

void TestIntegration::cleanup()
{
    const int liveBeforeTeardown = liveGdiObjectCount();
    integration::closeProgramWindows();
    RandomSource::reset();
    // Pens, brushes and regions live for one drawing step only, never as long as a window.
    QCOMPARE(liveBeforeTeardown - m_gdiAtStart, 0);
    QCOMPARE(liveGdiObjectCount() - m_gdiAtStart, 0);
}

void TestIntegration::cleanupTestCase() { QCOMPARE(liveGdiObjectCount(), 0); }

// Opens the picker from the main window and applies its preview to the main canvas; returns the
// preview that was applied.
QImage TestIntegration::applyCosmicGradient()
{
    main()->gradientButton->click();
    const QImage preview = pickerPreview();
    pickerButton("Command1")->click();
    return preview;
}

void TestIntegration::designerIsShownAndPlaced()
{
    QCOMPARE(designer(), nullptr);
    main()->geometricButton->click();
    GeometricDesigner* form = designer();
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QCOMPARE(form->parentWidget(), nullptr); // shown without owner
    QCOMPARE(form->frameGeometry().topLeft(), designerPlace);
    QCOMPARE(form->frameGeometry().top(), 100);
    QVERIFY(form->showTimer->isActive());
    QCOMPARE(form->lineWidthBox->count(), 20);
}

void TestIntegration::closedDesignerIsBuiltAfresh()
{
    main()->geometricButton->click();
    QPointer<GeometricDesigner> first = designer();
    first->playingBox->click(); // paused
    first->lineWidthBox->setEditText(QStringLiteral("30"));
    QVERIFY(!first->showTimer->isActive());

    first->close();
    processDeferredDeletes();
    QVERIFY(!first);
    QCOMPARE(WindowRegistry::instance().existing(WindowId::Geometric), nullptr);

    main()->geometricButton->click();
    GeometricDesigner* again = designer();
    QVERIFY(again);
    QVERIFY(again->isVisible());
    QCOMPARE(again->lineWidthBox->count(), 20);
    QCOMPARE(again->lineWidthBox->currentText(), QStringLiteral("9"));
    QVERIFY(again->showTimer->isActive());
    QVERIFY(again->playingBox->isChecked());
    QCOMPARE(again->frameGeometry().topLeft(), designerPlace);
}

void TestIntegration::pickerIsOneInstanceOwnedByTheMainWindow_data()
{
    QTest::addColumn<bool>("mainFirst");
    QTest::newRow("main window opens it, then the designer") << true;
    QTest::newRow("designer opens it, then the main window") << false;
}

void TestIntegration::pickerIsOneInstanceOwnedByTheMainWindow()
{
    QFETCH(bool, mainFirst);
    main()->geometricButton->click();
    GeometricDesigner* form = designer();
    if (mainFirst)
        main()->gradientButton->click();
    else
        form->gradientButton->click();
    QPointer<GradientPicker> first = picker();
    QVERIFY(first);
    QVERIFY(first->isVisible());
    QVERIFY(first->isWindow());
    QCOMPARE(first->parentWidget(), main());
    QVERIFY(!first->isModal());

    if (mainFirst)
        form->gradientButton->click();
    else
        main()->gradientButton->click();
    QCOMPARE(picker(), first.data());
    QCOMPARE(main()->findChildren<GradientPicker*>().size(), 1);
    QCOMPARE(form->findChildren<GradientPicker*>().size(), 0);
}

void TestIntegration::closedPickerIsBuiltAfresh()
{
    main()->gradientButton->click();
    QPointer<GradientPicker> first = picker();
    first->close();
    processDeferredDeletes();
    QVERIFY(!first);
    QCOMPARE(WindowRegistry::instance().existing(WindowId::GradientPicker), nullptr);

    main()->geometricButton->click();
    designer()->gradientButton->click();
    GradientPicker* again = picker();
    QVERIFY(again);
    QVERIFY(again->isVisible());
    QCOMPARE(again->parentWidget(), main());
    QCOMPARE(again->angle(), 315.0f);
    // Loaded afresh: the preview is painted again.
    const QImage preview = pickerPreview();
    QVERIFY(!preview.isNull());
    QCOMPARE(preview.pixel(preview.width() - 1, preview.height() - 1), qRgb(255, 128, 0));
}

void TestIntegration::cosmicGradientBecomesTheMainBackground()
{
    const QImage preview = applyCosmicGradient();
    PictureBox* canvas = main()->canvas;
    QCOMPARE(canvas->Picture(), preview);
    QVERIFY(!picker()->isVisible());
    QVERIFY(main()->isVisible());

    // The preview is larger than the canvas and lies at its top-left corner.
    QVERIFY(preview.width() >= 800 && preview.height() >= 800);
    const QImage gradient = preview.copy(0, 0, 800, 800);
    main()->onShowTimer();
    const QImage slide = canvas->Image();
    QCOMPARE(strayPixels(slide, gradient), 0);
    QVERIFY(shareMatching(slide, gradient) > 0.5);
    QCOMPARE(shareOfColour(slide, plainPink), 0.0);

    main()->clearButton->click();
    QCOMPARE(canvas->Image(), gradient);
    // The gradient stays under the next slide as well.
    main()->onShowTimer();
    QCOMPARE(strayPixels(canvas->Image(), gradient), 0);
}

void TestIntegration::geometricGradientBecomesTheDesignerBackground_data()
{
    QTest::addColumn<DesignerState>("state");
    QTest::newRow("designer open and moved by the user") << DesignerState::OpenAndMoved;
    QTest::newRow("designer closed by the user") << DesignerState::Closed;
    QTest::newRow("designer never opened") << DesignerState::NeverOpened;
}

void TestIntegration::geometricGradientBecomesTheDesignerBackground()
{
    QFETCH(DesignerState, state);
    if (state != DesignerState::NeverOpened) {
        main()->geometricButton->click();
        designer()->move(20, 30);
    }
    if (state == DesignerState::Closed) {
        designer()->close();
        processDeferredDeletes();
        QCOMPARE(designer(), nullptr);
    }
    main()->gradientButton->click();
    const QImage preview = pickerPreview();
    pickerButton("Command2")->click();

    GeometricDesigner* form = designer();
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QVERIFY(!picker()->isVisible());
    QCOMPARE(form->frameGeometry().topLeft(), designerPlace);
    QCOMPARE(form->canvas->Picture(), preview);
    QVERIFY(main()->canvas->Picture().isNull());

    // The same slide twice, over the gradient and after the picture is removed: the figures
    // stay, and wherever the gradient showed, the plain background shows.
    const QImage gradient = preview.copy(QRect(QPoint(0, 0), form->canvas->size()));
    RandomSource::reset();
    form->onShowTimer();
    const QImage overGradient = form->canvas->Image();
    QVERIFY(shareMatching(overGradient, gradient) > 0.3);
    QCOMPARE(shareOfColour(overGradient, form->canvas->BackColor().toQRgb()), 0.0);

    form->removeGradientButton->click();
    QVERIFY(form->canvas->Picture().isNull());
    RandomSource::reset();
    form->onShowTimer();
    const QImage plain = form->canvas->Image();
    QCOMPARE(plain, replaced(overGradient, gradient, form->canvas->BackColor().toQRgb()));
    QCOMPARE(shareMatching(plain, gradient), 0.0);
}

void TestIntegration::backgroundColourDropsTheGradient_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QRgb>("expectedBackground");
    QTest::newRow("cancelled") << false << plainPink;
    QTest::newRow("confirmed") << true << qRgb(10, 200, 30);
}

void TestIntegration::backgroundColourDropsTheGradient()
{
    QFETCH(bool, confirmed);
    QFETCH(QRgb, expectedBackground);
    applyCosmicGradient();
    PictureBox* canvas = main()->canvas;
    main()->onShowTimer();
    QVERIFY(!canvas->Picture().isNull());

    bool pictureGoneWhileOpen = false;
    QWidget* dialogOwner = nullptr;
    QString message;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    // A cancelled choice is followed by a note; a confirmed one by none.
    std::optional<ModalDialog<QMessageBox>> note;
    if (!confirmed)
        note.emplace([&](QMessageBox* box) {
            message = box->text();
            icon = box->icon();
            box->accept();
        });
    ModalDialog<QColorDialog> choose([&](QColorDialog* dialog) {
        pictureGoneWhileOpen = canvas->Picture().isNull();
        dialogOwner = dialog->parentWidget();
        if (confirmed) {
            dialog->setCurrentColor(QColor(expectedBackground));
            dialog->accept();
        } else {
            dialog->reject();
        }
    });
    main()->backgroundColourButton->click();

    QVERIFY(pictureGoneWhileOpen);
    QCOMPARE(dialogOwner, main());
    QCOMPARE(message, confirmed ? QString() : QStringLiteral("取消后重选"));
    QCOMPARE(icon, confirmed ? QMessageBox::NoIcon : QMessageBox::Warning);
    QVERIFY(canvas->Picture().isNull());
    QCOMPARE(canvas->BackColor().toQRgb(), expectedBackground);
    QCOMPARE(shareOfColour(canvas->Image(), expectedBackground), 1.0);
    // The next slide is drawn on the plain colour; the gradient does not come back.
    QImage plain(canvas->Image().size(), QImage::Format_RGB32);
    plain.fill(expectedBackground);
    main()->onShowTimer();
    QCOMPARE(strayPixels(canvas->Image(), plain), 0);
    QVERIFY(shareOfColour(canvas->Image(), expectedBackground) > 0.5);
    // The hidden picker still holds its preview for the next apply.
    QVERIFY(!picker()->isVisible());
    QVERIFY(!pickerPreview().isNull());
}

void TestIntegration::angleDialogChangesOnlyThePicker()
{
    applyCosmicGradient();
    PictureBox* canvas = main()->canvas;
    main()->onShowTimer();
    const QImage mainPicture = canvas->Picture();
    const QImage mainImage = canvas->Image();
    main()->gradientButton->click();
    QVERIFY(picker()->isVisible());
    const QImage previewBefore = pickerPreview();
    const QImage angleIconBefore = iconOf(pickerButton("cmdAngle"));

    QWidget* dialogOwner = nullptr;
    bool untouchedWhenOpen = false, untouchedAfterStep = false, untouchedAfterDrag = false;
    ModalDialog<AngleDialog> answer([&](AngleDialog* dialog) {
        dialogOwner = dialog->parentWidget();
        untouchedWhenOpen = canvas->Picture() == mainPicture && canvas->Image() == mainImage;
        auto* bar = dialog->findChild<QScrollBar*>("hsbAngle");
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        untouchedAfterStep = canvas->Picture() == mainPicture && canvas->Image() == mainImage;
        bar->setSliderDown(true);
        bar->setSliderPosition(90);
        bar->setSliderDown(false);
        untouchedAfterDrag = canvas->Picture() == mainPicture && canvas->Image() == mainImage;
        dialog->findChild<QToolButton*>("cmdOK")->click();
    });
    pickerButton("cmdAngle")->click();

    QCOMPARE(dialogOwner, picker());
    QVERIFY(untouchedWhenOpen);
    QVERIFY(untouchedAfterStep);
    QVERIFY(untouchedAfterDrag);
    QCOMPARE(picker()->angle(), 90.0f);
    QVERIFY(pickerPreview() != previewBefore);
    // 90 degrees runs from the bottom up: the first colour along the bottom edge.
    const QImage preview = pickerPreview();
    QCOMPARE(preview.pixel(0, preview.height() - 1), preview.pixel(preview.width() - 1, preview.height() - 1));
    QVERIFY(iconOf(pickerButton("cmdAngle")) != angleIconBefore);
    QCOMPARE(canvas->Picture(), mainPicture);
    QCOMPARE(canvas->Image(), mainImage);

    // The new angle reaches the canvas only through the apply button, and the hidden picker
    // keeps it for the next showing.
    pickerButton("Command1")->click();
    QCOMPARE(canvas->Picture(), preview);
    main()->gradientButton->click();
    QCOMPARE(picker()->angle(), 90.0f);
    QCOMPARE(pickerPreview(), preview);
}

void TestIntegration::applyBringsTheTargetForward_data()
{
    QTest::addColumn<QString>("applyButton");
    QTest::addColumn<WindowId>("target");
    QTest::newRow("cosmic, opened from the designer") << "Command1" << WindowId::Main;
    QTest::newRow("geometric, opened from the main window") << "Command2" << WindowId::Geometric;
}

// The window that receives the gradient comes to the front, even when the other pattern window
// was in front of it, so the user sees the new background at once.
void TestIntegration::applyBringsTheTargetForward()
{
    QFETCH(QString, applyButton);
    QFETCH(WindowId, target);
    main()->geometricButton->click();
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::activeWindow(), designer());
    if (target == WindowId::Main) {
        designer()->gradientButton->click();
    } else {
        main()->activateWindow();
        main()->gradientButton->click();
    }
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::activeWindow(), picker());

    pickerButton(applyButton.toLatin1().constData())->click();
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::activeWindow(), WindowRegistry::instance().existing(target));
}

// The program goes on while the designer is open after the main window was closed. Applying a
// gradient from a picker opened there must neither lose the designer off the screen's left edge
// nor do nothing: the main window comes back, as it does whenever it is needed.
void TestIntegration::applyAfterTheMainWindowWasClosed_data()
{
    QTest::addColumn<QString>("applyButton");
    QTest::newRow("cosmic") << "Command1";
    QTest::newRow("geometric") << "Command2";
}

void TestIntegration::applyAfterTheMainWindowWasClosed()
{
    QFETCH(QString, applyButton);
    main()->geometricButton->click();
    const QPoint place = designer()->frameGeometry().topLeft();
    main()->gradientButton->click();
    QPointer<GradientPicker> ownedPicker = picker();
    QPointer<MainWindow> closedMain = main();
    closedMain->close();
    processDeferredDeletes();
    QVERIFY(!closedMain);
    QVERIFY(!ownedPicker); // goes with its owner
    QVERIFY(designer()->isVisible());

    designer()->gradientButton->click();
    QVERIFY(picker());
    QVERIFY(picker()->isVisible());
    const QImage preview = pickerPreview();
    pickerButton(applyButton.toLatin1().constData())->click();

    if (applyButton == QLatin1String("Command1")) {
        QVERIFY(main());
        QVERIFY(main()->isVisible());
        QCOMPARE(main()->canvas->Picture(), preview);
        QCOMPARE(main()->categoryBox->count(), 23); // loaded afresh
    } else {
        QCOMPARE(designer()->canvas->Picture(), preview);
        QCOMPARE(designer()->frameGeometry().topLeft(), place);
    }
}

void TestIntegration::minimisedWindowComesBack_data()
{
    QTest::addColumn<WindowId>("minimised");
    QTest::addColumn<WindowId>("from");
    QTest::addColumn<QString>("button");
    QTest::newRow("designer, by 几何图案") << WindowId::Geometric << WindowId::Main << "Command2";
    QTest::newRow("designer, by 几何图案背景渐变色") << WindowId::Geometric << WindowId::GradientPicker << "Command2";
    QTest::newRow("main window, by 宇宙图案背景渐变色") << WindowId::Main << WindowId::GradientPicker << "Command1";
    QTest::newRow("picker, by 渐变背景色") << WindowId::GradientPicker << WindowId::Main << "Command1";
    QTest::newRow("picker, by 背景颜色1") << WindowId::GradientPicker << WindowId::Geometric << "Command3";
}

// A command that shows a window the user has minimised brings it back, in front and active: left
// minimised, it would seem to do nothing.
void TestIntegration::minimisedWindowComesBack()
{
    QFETCH(WindowId, minimised);
    QFETCH(WindowId, from);
    QFETCH(QString, button);
    WindowRegistry& registry = WindowRegistry::instance();
    main()->geometricButton->click();
    main()->gradientButton->click();
    QWidget* window = registry.existing(minimised);
    QVERIFY(window && window->isVisible());
    window->setWindowState(window->windowState() | Qt::WindowMinimized);
    QVERIFY(window->isMinimized());

    QWidget* opener = registry.existing(from);
    opener->activateWindow();
    QAbstractButton* command = nullptr;
    for (auto* candidate : opener->findChildren<QAbstractButton*>(button)) {
        if (candidate->window() == opener)
            command = candidate;
    }
    QVERIFY(command);
    command->click();
    QCoreApplication::processEvents();
    QCOMPARE(registry.existing(minimised), window);
    QVERIFY(!window->isMinimized());
    QVERIFY(window->isVisible());
    QCOMPARE(QApplication::activeWindow(), window);
}

QTEST_MAIN(TestIntegration)
#include "tst_integration.moc"

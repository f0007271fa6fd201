#include "ModalDialog.h"
#include "PixelCount.h"

#include "app/canvas/CanvasMenu.h"
#include "app/geometric/GeometricDesigner.h"
#include "app/mainwindow/MainWindow.h"
#include "app/ProgramWindows.h"
#include "app/picker/GradientPicker.h"
#include "app/registry/WindowRegistry.h"
#include "app/widgets/FramedPlacement.h"
#include "app/widgets/PictureBox.h"
#include "app/widgets/WindowScaler.h"
#include "draw/base/Random.h"
#include "draw/gradient/GradientPicture.h"
#include "draw/surface/PictureSource.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QMenu>
#include <QScreen>
#include <QToolButton>
#include <QtTest>

#include <cmath>
#include <map>
#include <memory>

namespace {

// A window as a test builds it, its slide show stopped so that nothing draws between looks.
struct Window
{
    std::unique_ptr<QWidget> widget;
    PictureBox* canvas = nullptr;
    QTimer* slideShow = nullptr;

    static Window build(const QString& kind)
    {
        Window window;
        if (kind == QLatin1String("main")) {
            auto* main = new MainWindow;
            window = Window{std::unique_ptr<QWidget>(main), main->canvas, &main->showTimer};
        } else {
            auto* designer = new GeometricDesigner;
            window = Window{std::unique_ptr<QWidget>(designer), designer->canvas, designer->showTimer};
        }
        window.widget->setAttribute(Qt::WA_DeleteOnClose, false);
        window.slideShow->stop();
        return window;
    }

    QWidget* control(const QString& name) const { return widget->findChild<QWidget*>(name); }
};

// Every control's geometry and font, by object name, the parts Qt builds inside controls too (but
// not those of popups, which lay themselves out when they open).
struct Layout
{
    std::map<QString, QRect> geometry;
    std::map<QString, QFont> font;

    static Layout of(const QWidget* window)
    {
        Layout layout;
        int unnamed = 0;
        for (const QWidget* widget : window->findChildren<QWidget*>()) {
            if (widget->window() != window)
                continue;
            const QString name = widget->objectName().isEmpty() ? QStringLiteral("#%1").arg(unnamed++) : widget->objectName();
            layout.geometry[name] = widget->geometry();
            layout.font[name] = widget->font();
        }
        return layout;
    }
    bool operator==(const Layout&) const = default;
};

QImage pixelsOf(QImage image)
{
    image.setDevicePixelRatio(1.0);
    return image;
}

QImage grabbed(QWidget* widget) { return widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Each edge of the scaled geometry lies within half a pixel of the base edge times the factor.
QString misplaced(const QRect& actual, const QRect& base, double factor, QPoint offset)
{
    const double edges[4] = {base.left() * factor + offset.x(), base.top() * factor + offset.y(),
                             (base.left() + base.width()) * factor + offset.x(),
                             (base.top() + base.height()) * factor + offset.y()};
    const int got[4] = {actual.left(), actual.top(), actual.left() + actual.width(), actual.top() + actual.height()};
    for (int i = 0; i < 4; ++i)
        if (std::abs(got[i] - edges[i]) > 0.5 + 1e-9)
            return QStringLiteral("edge %1 at %2, expected %3").arg(i).arg(got[i]).arg(edges[i]);
    return {};
}

} // namespace

// The main window and the geometric designer scale their whole client area with the window: every
// control, font and canvas by one factor, centred, the canvas drawn afresh at that scale; back at
// the size they were built for, everything is as it was. And with fitting on (as the program
// runs), a window too large for its screen opens scaled down to fit.
class TestWindowScaling : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void controlsScaleAndCentre_data();
    void controlsScaleAndCentre();
    void canvasIsDrawnAtTheScale_data();
    void canvasIsDrawnAtTheScale();
    void gradientBackgroundIsSweptAgain();
    void popupsKeepTheirFonts();
    void resizingNeverPilesUpRounding_data();
    void resizingNeverPilesUpRounding();
    void windowOpensFittedToItsScreen_data();
    void windowOpensFittedToItsScreen();
    void pickerOpensFittedToItsScreen();
};

void TestWindowScaling::init()
{
    WindowRegistry::instance().clear();
    RandomSource::reset();
}

void TestWindowScaling::cleanup()
{
    setWindowsFitScreen(false);
    WindowRegistry::instance().clear();
}

void TestWindowScaling::controlsScaleAndCentre_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<double>("factor");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<QStringList>("controls");
    const QStringList main{"picOutput", "Command2", "Command5", "Combo2", "Text1", "Shape1", "Label16", "Label7", "Image1"};
    const QStringList designer{"Picture1", "Command3", "Command4", "Combo1", "Check2", "Label4", "Label3"};
    // Built at 1167 x 833 and 609 x 648.
    QTest::newRow("main, twice") << "main" << QSize(2334, 1666) << 2.0 << QPoint(0, 0) << main;
    QTest::newRow("main, twice, wider") << "main" << QSize(2434, 1666) << 2.0 << QPoint(50, 0) << main;
    // 700 / 1167 is less than 500 / 833: the width decides, and 833 of it is 499.7, 500.
    QTest::newRow("main, 0.6") << "main" << QSize(700, 500) << 700.0 / 1167 << QPoint(0, 0) << main;
    QTest::newRow("designer, twice") << "designer" << QSize(1218, 1296) << 2.0 << QPoint(0, 0) << designer;
    QTest::newRow("designer, twice, taller") << "designer" << QSize(1218, 1396) << 2.0 << QPoint(0, 50) << designer;
    QTest::newRow("designer, 0.6") << "designer" << QSize(365, 389) << 365.0 / 609 << QPoint(0, 0) << designer;
}

void TestWindowScaling::controlsScaleAndCentre()
{
    QFETCH(QString, kind);
    QFETCH(QSize, client);
    QFETCH(double, factor);
    QFETCH(QPoint, offset);
    QFETCH(QStringList, controls);
    const Window window = Window::build(kind);
    window.widget->show();
    QVERIFY2(QTest::qWaitForWindowExposed(window.widget.get(), 5000), "the window to be shown");
    std::map<QString, QRect> base;
    std::map<QString, double> points;
    for (const QString& name : controls) {
        QWidget* control = window.control(name);
        QVERIFY2(control, qPrintable(name));
        base[name] = control->geometry();
        points[name] = control->font().pointSizeF();
    }

    window.widget->resize(client);
    for (const QString& name : controls) {
        QWidget* control = window.control(name);
        // The canvas's labels move with the canvas; the window's own controls with the centred contents.
        const QPoint shift = control->parentWidget() == window.widget.get() ? offset : QPoint(0, 0);
        const QString problem = misplaced(control->geometry(), base[name], factor, shift);
        QVERIFY2(problem.isEmpty(), qPrintable(name + QStringLiteral(": ") + problem));
        QCOMPARE(control->font().pointSizeF(), points[name] * factor);
    }
    // The spare room beside or below the contents shows the window's background.
    const QImage shown = grabbed(window.widget.get());
    const QColor background = window.widget->palette().color(QPalette::Window);
    if (offset.x() > 0)
        QCOMPARE(QColor(shown.pixel(offset.x() / 2, client.height() / 2)), background);
    if (offset.y() > 0)
        QCOMPARE(QColor(shown.pixel(client.width() / 2, offset.y() / 2)), background);
}

void TestWindowScaling::canvasIsDrawnAtTheScale_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QSize>("pixels");
    QTest::newRow("main, twice") << "main" << QSize(2334, 1666) << QSize(1600, 1600);
    QTest::newRow("main, 0.6") << "main" << QSize(700, 500) << QSize(480, 480);
    QTest::newRow("designer, twice") << "designer" << QSize(1218, 1296) << QSize(1218, 1218);
    // The width decides: 365 / 609.
    QTest::newRow("designer, 0.6") << "designer" << QSize(365, 389) << QSize(365, 365);
}

void TestWindowScaling::canvasIsDrawnAtTheScale()
{
    QFETCH(QString, kind);
    QFETCH(QSize, client);
    QFETCH(QSize, pixels);
    Window window = Window::build(kind);
    if (auto* main = qobject_cast<MainWindow*>(window.widget.get()))
        main->onShowTimer();
    else
        qobject_cast<GeometricDesigner*>(window.widget.get())->onShowTimer();
    window.widget->show();
    QVERIFY2(QTest::qWaitForWindowExposed(window.widget.get(), 5000), "the window to be shown");
    const QSize logical = window.canvas->surface().size();
    const QImage before = window.canvas->Image();

    window.widget->resize(client);
    // The drawing code keeps its coordinates; the pixels are the record drawn at the new scale.
    QCOMPARE(window.canvas->surface().size(), logical);
    QCOMPARE(window.canvas->size(), pixels);
    const QImage image = window.canvas->Image();
    QCOMPARE(image.size(), pixels);
    QCOMPARE(image.devicePixelRatio(), double(pixels.width()) / logical.width());
    QCOMPARE(pixelsOf(image), window.canvas->surface().snapshot()->render(image.devicePixelRatio()));
    if (pixels.width() == 2 * logical.width())
        QVERIFY(!looksEnlarged(pixelsOf(image)));
    // Shown one to one: the canvas on screen is its image.
    const QImage shown = grabbed(window.canvas);
    const QRect bare(0, pixels.height() / 2, pixels.width(), 4); // a band no label covers
    QCOMPARE(shown.copy(bare), pixelsOf(image).copy(bare));

    window.widget->resize(WindowScaler::of(window.widget.get())->baseSize());
    QCOMPARE(window.canvas->Image(), before);
}

void TestWindowScaling::gradientBackgroundIsSweptAgain()
{
    const Window window = Window::build(QStringLiteral("main"));
    // The picker's preview as it hands it over: its own pixels at ratio 1 and the recipe they came from.
    const auto recipe = std::make_shared<GradientPicture>(GradientRecipe{RGB(255, 255, 192), RGB(255, 128, 0), 315, QSize(809, 804)});
    window.canvas->setPicture(recipe->render(1.0), recipe);
    window.widget->show();
    QVERIFY2(QTest::qWaitForWindowExposed(window.widget.get(), 5000), "the window to be shown");

    window.widget->resize(2334, 1666);
    const QImage image = pixelsOf(window.canvas->Image());
    QCOMPARE(image.size(), QSize(1600, 1600));
    QCOMPARE(image, recipe->render(2.0).copy(0, 0, 1600, 1600));
    QVERIFY(!looksEnlarged(image));
}

void TestWindowScaling::popupsKeepTheirFonts()
{
    const Window window = Window::build(QStringLiteral("main"));
    auto* combo = window.widget->findChild<QComboBox*>(QStringLiteral("Combo2"));
    auto* menu = qobject_cast<MainWindow*>(window.widget.get())->patternMenu()->menu();
    const QFont list = combo->view()->font();
    const QFont menuFont = menu->font();
    const QFont box = combo->font();
    window.widget->show();
    QVERIFY2(QTest::qWaitForWindowExposed(window.widget.get(), 5000), "the window to be shown");

    window.widget->resize(2334, 1666);
    QCOMPARE(combo->font().pointSizeF(), 2 * box.pointSizeF());
    // The drop-down list and the canvas menu are windows of their own: unchanged.
    QCOMPARE(combo->view()->font(), list);
    QCOMPARE(menu->font(), menuFont);
}

void TestWindowScaling::resizingNeverPilesUpRounding_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("main") << "main";
    QTest::newRow("designer") << "designer";
}

void TestWindowScaling::resizingNeverPilesUpRounding()
{
    QFETCH(QString, kind);
    const Window window = Window::build(kind);
    window.widget->show();
    QVERIFY2(QTest::qWaitForWindowExposed(window.widget.get(), 5000), "the window to be shown");
    const QSize base = window.widget->size();
    const Layout built = Layout::of(window.widget.get());
    const QImage canvas = window.canvas->Image();
    const QImage shown = grabbed(window.widget.get());

    const auto scaledBy = [base](double factor) { return QSize(qRound(base.width() * factor), qRound(base.height() * factor)); };
    window.widget->resize(scaledBy(0.6));
    const Layout small = Layout::of(window.widget.get());
    for (double factor : {2.0, 1.37, 0.73, 1.01, 0.51})
        window.widget->resize(scaledBy(factor));
    window.widget->resize(scaledBy(0.6));
    QVERIFY(Layout::of(window.widget.get()) == small);

    // Back at the size it was built for, every control, font and pixel is as it was.
    window.widget->resize(base);
    QVERIFY(Layout::of(window.widget.get()) == built);
    QCOMPARE(window.canvas->Image(), canvas);
    QCOMPARE(grabbed(window.widget.get()), shown);
}

void TestWindowScaling::windowOpensFittedToItsScreen_data()
{
    QTest::addColumn<QString>("kind");
    // The offscreen screen (800 x 800) is too narrow for the main window, and large enough for
    // the designer.
    QTest::newRow("main") << "main";
    QTest::newRow("designer") << "designer";
}

void TestWindowScaling::windowOpensFittedToItsScreen()
{
    QFETCH(QString, kind);
    setWindowsFitScreen(true);
    const Window window = Window::build(kind);
    QWidget* widget = window.widget.get();
    const QSize base = widget->size();
    widget->show();
    QVERIFY2(QTest::qWaitForWindowExposed(widget, 5000), "the window to be shown");
    const QRect available = widget->screen()->availableGeometry();
    QTRY_VERIFY2_WITH_TIMEOUT(isFramed(widget) && available.contains(widget->frameGeometry()),
                              qPrintable(QStringLiteral("the framed window on the screen; frame %1,%2 %3x%4")
                                             .arg(widget->frameGeometry().x())
                                             .arg(widget->frameGeometry().y())
                                             .arg(widget->frameGeometry().width())
                                             .arg(widget->frameGeometry().height())),
                              5000);
    const QSize outer = widget->frameGeometry().size();
    if (base.width() + outer.width() - widget->width() <= available.width()
        && base.height() + outer.height() - widget->height() <= available.height()) {
        QCOMPARE(widget->size(), base); // fits as built: left alone
        return;
    }
    // Just small enough: one side of the frame within a pixel of the screen's, the aspect kept,
    // and the contents scaled with it.
    QVERIFY(outer.width() >= available.width() - 1 || outer.height() >= available.height() - 1);
    QVERIFY(std::abs(double(widget->width()) / widget->height() - double(base.width()) / base.height()) < 0.01);
    const double factor = std::min(double(widget->width()) / base.width(), double(widget->height()) / base.height());
    QVERIFY(factor < 1);
    QCOMPARE(window.canvas->width(), qRound(window.canvas->surface().width() * factor));
}

void TestWindowScaling::pickerOpensFittedToItsScreen()
{
    setWindowsFitScreen(true);
    GradientPicker picker;
    picker.show();
    QVERIFY2(QTest::qWaitForWindowExposed(&picker, 5000), "the picker to be shown");
    const QRect available = picker.screen()->availableGeometry();
    // 809 x 866 as built does not fit 800 x 800: it opens smaller, the preview filling it below the strip.
    WAIT_FOR(isFramed(&picker) && available.contains(picker.frameGeometry()), "the picker framed on the screen", 5000);
    QVERIFY(picker.width() < 809 && picker.height() < 866);
    auto* preview = picker.findChild<PictureBox*>(QStringLiteral("picDraw"));
    QCOMPARE(preview->geometry().bottomRight(), picker.rect().bottomRight());
    QCOMPARE(preview->surface().size(), preview->size());

    // Laid under the main window's canvas, the gradient still covers all of it.
    registerWindows();
    WindowRegistry& registry = WindowRegistry::instance();
    registry.show(WindowId::Main);
    PictureBox* canvas = registry.canvas(WindowId::Main);
    QVERIFY(canvas);
    QVERIFY(preview->surface().height() < canvas->surface().height());
    picker.findChild<QToolButton*>(QStringLiteral("Command1"))->click();
    const auto* laid = dynamic_cast<const GradientPicture*>(canvas->surface().pictureSource().get());
    QVERIFY(laid);
    QVERIFY(laid->recipe().area.width() >= 800 && laid->recipe().area.height() >= 800);
    canvas->Cls();
    const QImage shown = canvas->Image().convertToFormat(QImage::Format_RGB32);
    const QRgb pink = qRgb(255, 192, 255);
    QVERIFY(shown.pixel(shown.width() - 1, shown.height() - 1) != pink);
    QVERIFY(shown.pixel(0, shown.height() - 1) != pink);
    registry.window(WindowId::Main)->close();
}

QTEST_MAIN(TestWindowScaling)
#include "tst_windowscaling.moc"

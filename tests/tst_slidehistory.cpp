// The canvas menu of the two pattern windows: copying and saving what the canvas shows, and
// stepping back and forth through the last 100 slides without disturbing the show.
#include "ModalDialog.h"

#include "app/canvas/CanvasMenu.h"
#include "app/canvas/SlideShowWindow.h"
#include "app/canvas/SlideBrowser.h"
#include "app/canvas/SlideHistory.h"
#include "app/geometric/GeometricDesigner.h"
#include "app/mainwindow/MainWindow.h"
#include "app/widgets/PictureBox.h"
#include "draw/base/Random.h"
#include "draw/gradient/GradientPicture.h"
#include "draw/gradient/GradientRenderer.h"
#include "draw/pattern/SlideRecipe.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QPainter>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// One of the two pattern windows, seen through what the tests need of it.
class PatternWindow
{
public:
    virtual ~PatternWindow() = default;
    virtual QWidget* window() = 0;
    virtual PictureBox* canvas() = 0;
    virtual QLabel* codeLabel() = 0;
    virtual void tick() = 0;      // the show's timer fires
    virtual void play() = 0;      // the window's play control
    virtual bool playing() = 0;
    virtual QTimer* showTimer() = 0;
    // What a slide leaves in the window's texts: for the main window the parameter boxes too.
    virtual QStringList texts() = 0;
    virtual std::size_t keptSlides() = 0;
};

class CurveWindow : public PatternWindow
{
public:
    CurveWindow() { m_form.showTimer.stop(); }
    QWidget* window() override { return &m_form; }
    PictureBox* canvas() override { return m_form.canvas; }
    QLabel* codeLabel() override { return m_form.codeLabel; }
    void tick() override { m_form.onShowTimer(); }
    void play() override { m_form.playButton->click(); }
    bool playing() override { return m_form.showTimer.isActive(); }
    QTimer* showTimer() override { return &m_form.showTimer; }
    QStringList texts() override
    {
        QStringList texts;
        for (QLineEdit* box : m_form.paramBoxes)
            texts << box->text();
        return texts << m_form.codeLabel->text();
    }
    std::size_t keptSlides() override { return m_form.slides().history().size(); }
    MainWindow m_form;
};

class GeometricWindow : public PatternWindow
{
public:
    GeometricWindow() { m_form.showTimer->stop(); }
    QWidget* window() override { return &m_form; }
    PictureBox* canvas() override { return m_form.canvas; }
    QLabel* codeLabel() override { return m_form.codeLabel; }
    void tick() override { m_form.onShowTimer(); }
    void play() override { m_form.playingBox->click(); }
    bool playing() override { return m_form.showTimer->isActive(); }
    QTimer* showTimer() override { return m_form.showTimer; }
    QStringList texts() override { return {m_form.codeLabel->text()}; }
    std::size_t keptSlides() override { return m_form.slides().history().size(); }
    GeometricDesigner m_form;
};

using WindowMaker = std::function<std::unique_ptr<PatternWindow>()>;

std::unique_ptr<PatternWindow> makeWindow(const WindowMaker& make)
{
    RandomSource::reset();
    std::unique_ptr<PatternWindow> window = make();
    window->window()->setAttribute(Qt::WA_DeleteOnClose, false);
    window->window()->show();
    return window;
}

// Opens the canvas menu as a right click does and returns it (still open).
QMenu* openMenu(PatternWindow& window)
{
    PictureBox* canvas = window.canvas();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(400, 400), canvas->mapToGlobal(QPoint(400, 400)));
    QApplication::sendEvent(canvas, &event);
    auto* menu = canvas->findChild<QMenu*>(QStringLiteral("canvasContextMenu"));
    // A menu that never showed is no menu to the caller.
    if (!menu || !waitFor([menu] { return menu->isVisible(); }, "the canvas menu to open", 5000))
        return nullptr;
    return menu;
}

QAction* action(QMenu* menu, const char* name)
{
    return menu->findChild<QAction*>(QLatin1String(name));
}

// Opens the menu, triggers the item and closes the menu.
void choose(PatternWindow& window, const char* name)
{
    QMenu* menu = openMenu(window);
    QVERIFY(menu);
    QAction* item = action(menu, name);
    QVERIFY(item);
    QVERIFY2(item->isEnabled(), name);
    menu->close();
    item->trigger();
}

struct Shown
{
    QImage image;
    QString code;
    QString fullCode;
};

Shown shown(PatternWindow& window)
{
    return {window.canvas()->Image(), window.codeLabel()->text(),
            dynamic_cast<SlideShowWindow*>(window.window())->shownFullCode()};
}

// A gradient the size of part of the canvas, so the background colour shows beside it.
// Lays a gradient under the canvas as the gradient picker does: drawn from its recipe, so that
// the slides drawn on it can be named and kept. The area is part of the canvas, so the background
// colour shows beside it.
void putGradient(PictureBox* canvas, Colour first = RGB(10, 40, 200), Colour second = RGB(240, 220, 20),
                 QSize area = QSize(300, 300))
{
    auto source = std::make_shared<GradientPicture>(GradientRecipe{first, second, 45.0f, area});
    const qreal ratio = canvas->surface().devicePixelRatio();
    QImage pixels = source->render(ratio);
    pixels.setDevicePixelRatio(ratio);
    canvas->setPicture(pixels, std::move(source));
}

} // namespace

class TestSlideHistory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void theMenuOffersItsItemsInOrder_data() { windows(); }
    void theMenuOffersItsItemsInOrder();
    void copyPutsTheShownSlideOnTheClipboard_data() { windows(); }
    void copyPutsTheShownSlideOnTheClipboard();
    void savedPngIsTheCanvasWithoutItsLabels_data() { windows(); }
    void savedPngIsTheCanvasWithoutItsLabels();
    void previousPausesAndShowsTheSlideAsDrawn_data() { windows(); }
    void previousPausesAndShowsTheSlideAsDrawn();
    void itemsAreEnabledOnlyTowardsAKeptSlide_data() { windows(); }
    void itemsAreEnabledOnlyTowardsAKeptSlide();
    void aWalkLeavesTheComingSlidesAsTheyWouldBe_data() { windows(); }
    void aWalkLeavesTheComingSlidesAsTheyWouldBe();
    void theHundredAndFirstSlideForgetsTheFirst_data() { windows(); }
    void theHundredAndFirstSlideForgetsTheFirst();
    void aGradientSlideKeepsItsBackground_data() { windows(); }
    void aGradientSlideKeepsItsBackground();
    void aReplacedGradientIsDrawnAgainFromItsSource_data() { windows(); }
    void aReplacedGradientIsDrawnAgainFromItsSource();
    void aBackgroundChosenWhileLookingBackStays();
    void copyAndSaveActOnTheSlideShown();
    void historyCursorAtTheEnds();
    void hundredSlidesKeepLittleMemory();

private:
    static void windows();
    QTemporaryDir m_dir;
    QTemporaryDir m_config;
};

void TestSlideHistory::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(m_config.isValid());
    // A save remembers its folder in the settings: those of the test's own.
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
}

void TestSlideHistory::windows()
{
    QTest::addColumn<WindowMaker>("make");
    QTest::newRow("main window") << WindowMaker([] { return std::make_unique<CurveWindow>(); });
    QTest::newRow("geometric designer") << WindowMaker([] { return std::make_unique<GeometricWindow>(); });
}

void TestSlideHistory::theMenuOffersItsItemsInOrder()
{
    QFETCH(WindowMaker, make);
    auto window = makeWindow(make);
    window->tick();
    QMenu* menu = openMenu(*window);
    QVERIFY(menu);
    QStringList texts;
    for (QAction* item : menu->actions())
        texts << (item->isSeparator() ? QStringLiteral("-") : item->text());
    menu->close();
    const QStringList expected{QStringLiteral("复制图案"),       QStringLiteral("图案代码…"),
                               QStringLiteral("保存图案 (PNG)…"), QStringLiteral("保存高清图案 (PNG 4倍)…"),
                               QStringLiteral("保存矢量图案 (SVG)…"), QStringLiteral("导出图案…"),
                               QStringLiteral("打开图案文件…"),
                               QStringLiteral("-"),              QStringLiteral("收藏图案"),
                               QStringLiteral("收藏夹…"),        QStringLiteral("-"),
                               QStringLiteral("全屏放映"),       QStringLiteral("-"),
                               QStringLiteral("上一幅图案"),     QStringLiteral("下一幅图案")};
    QCOMPARE(texts, expected);
}

void TestSlideHistory::copyPutsTheShownSlideOnTheClipboard()
{
    QFETCH(WindowMaker, make);
    auto window = makeWindow(make);
    window->tick();
    window->tick();
    const Shown now = shown(*window);
    choose(*window, "actCopyPattern");
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    QVERIFY(mime);
    // The text is the full code that brings the slide back; the short code stays in the label.
    QCOMPARE(mime->text(), now.fullCode);
    QVERIFY(now.fullCode.startsWith(QStringLiteral("TN1")));
    QVERIFY(now.code.startsWith(QStringLiteral("QRV")));
    const QImage copied = qvariant_cast<QImage>(mime->imageData()).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(copied, now.image.convertToFormat(QImage::Format_RGB32));
}

void TestSlideHistory::savedPngIsTheCanvasWithoutItsLabels()
{
    QFETCH(WindowMaker, make);
    auto window = makeWindow(make);
    window->tick();
    const QString path = m_dir.filePath(QStringLiteral("%1.png").arg(QTest::currentDataTag()));
    auto* menuObject = window->canvas()->findChild<CanvasMenu*>(QStringLiteral("canvasMenu"));
    QVERIFY(menuObject);
    menuObject->setFileChooser([path](QWidget*, const SaveRequest&) { return path; });
    QSignalSpy written(menuObject, &CanvasMenu::patternWritten);
    choose(*window, "actSavePng");
    QVERIFY2(written.wait(20000), "the slide to be saved");
    const QImage saved = QImage(path).convertToFormat(QImage::Format_RGB32);
    const QImage canvasImage = window->canvas()->Image().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(saved.size(), window->canvas()->size());
    QCOMPARE(saved, canvasImage);
    // On screen the labels are drawn over the canvas; the file has none of them.
    const QImage onScreen = window->canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(onScreen.size(), saved.size());
    QVERIFY(onScreen != saved);
}

void TestSlideHistory::previousPausesAndShowsTheSlideAsDrawn()
{
    QFETCH(WindowMaker, make);
    auto window = makeWindow(make);
    window->showTimer()->start();
    std::vector<Shown> slides;
    for (int i = 0; i < 3; ++i) {
        window->tick();
        slides.push_back(shown(*window));
    }
    QVERIFY(slides[0].image != slides[1].image);

    choose(*window, "actPreviousPattern");
    QVERIFY(!window->playing());
    if (auto* geometric = dynamic_cast<GeometricWindow*>(window.get())) {
        QVERIFY(!geometric->m_form.playingBox->isChecked());
        QCOMPARE(geometric->m_form.playingBox->text(), QStringLiteral("播放"));
    }
    QCOMPARE(shown(*window).code, slides[1].code);
    QCOMPARE(shown(*window).image, slides[1].image);

    choose(*window, "actPreviousPattern");
    QCOMPARE(shown(*window).code, slides[0].code);
    QCOMPARE(shown(*window).image, slides[0].image);

    choose(*window, "actNextPattern");
    choose(*window, "actNextPattern");
    QCOMPARE(shown(*window).code, slides[2].code);
    QCOMPARE(shown(*window).image, slides[2].image);
    QVERIFY(!window->playing());
}

void TestSlideHistory::itemsAreEnabledOnlyTowardsAKeptSlide()
{
    QFETCH(WindowMaker, make);
    auto window = makeWindow(make);
    // "previous next" with each item's state; "no menu" when none showed.
    const auto states = [&]() -> QString {
        QMenu* menu = openMenu(*window);
        if (!menu)
            return QStringLiteral("no menu");
        const auto state = [menu](const char* name) { return action(menu, name)->isEnabled() ? "on" : "off"; };
        const QString both = QStringLiteral("%1 %2").arg(state("actPreviousPattern"), state("actNextPattern"));
        menu->close();
        return both;
    };
    QCOMPARE(states(), QStringLiteral("off off")); // nothing drawn yet
    window->tick();
    QCOMPARE(states(), QStringLiteral("off off"));
    window->tick();
    window->tick();
    QCOMPARE(states(), QStringLiteral("on off"));
    choose(*window, "actPreviousPattern");
    QCOMPARE(states(), QStringLiteral("on on"));
    choose(*window, "actPreviousPattern");
    QCOMPARE(states(), QStringLiteral("off on"));
    choose(*window, "actNextPattern");
    choose(*window, "actNextPattern");
    QCOMPARE(states(), QStringLiteral("on off"));
}

void TestSlideHistory::aWalkLeavesTheComingSlidesAsTheyWouldBe()
{
    QFETCH(WindowMaker, make);
    const auto run = [&](bool walk) {
        auto window = makeWindow(make);
        for (int i = 0; i < 4; ++i)
            window->tick();
        if (walk) {
            for (const char* step : {"actPreviousPattern", "actPreviousPattern", "actPreviousPattern",
                                     "actNextPattern", "actPreviousPattern"})
                choose(*window, step);
            window->play();
            [&] {
                QVERIFY(window->playing());
                QCOMPARE(window->showTimer()->interval(), 3000);
            }();
        }
        QList<QStringList> texts;
        for (int i = 0; i < 10; ++i) {
            window->tick();
            texts << window->texts();
        }
        return qMakePair(texts, window->canvas()->Image());
    };
    const auto plain = run(false);
    const auto walked = run(true);
    QCOMPARE(walked.first, plain.first);
    QCOMPARE(walked.second, plain.second);
}

void TestSlideHistory::theHundredAndFirstSlideForgetsTheFirst()
{
    QFETCH(WindowMaker, make);
    auto window = makeWindow(make);
    QStringList codes;
    for (int i = 0; i < 101; ++i) {
        window->tick();
        codes << window->codeLabel()->text();
    }
    QCOMPARE(window->keptSlides(), std::size_t(100));
    for (int i = 0; i < 99; ++i)
        choose(*window, "actPreviousPattern");
    QCOMPARE(window->codeLabel()->text(), codes[1]);
    QMenu* menu = openMenu(*window);
    QVERIFY(menu);
    QVERIFY(!action(menu, "actPreviousPattern")->isEnabled());
    menu->close();
}

void TestSlideHistory::aGradientSlideKeepsItsBackground()
{
    QFETCH(WindowMaker, make);
    auto window = makeWindow(make);
    PictureBox* canvas = window->canvas();
    putGradient(canvas);
    const QImage gradient = canvas->Picture();
    window->tick();
    const Shown onGradient = shown(*window);
    QCOMPARE(onGradient.image.pixel(2, 150), gradient.pixel(2, 150));

    // The user takes the gradient away and picks a colour, as the background controls do.
    canvas->setPicture(QImage());
    canvas->setBackColor(RGB(20, 120, 60));
    window->tick();
    const Shown plain = shown(*window);
    QVERIFY(plain.image.pixel(2, 150) != gradient.pixel(2, 150));

    choose(*window, "actPreviousPattern");
    QCOMPARE(shown(*window).image, onGradient.image);
    QCOMPARE(shown(*window).code, onGradient.code);

    // Play goes on without the gradient, on the colour the user picked.
    window->play();
    window->tick();
    QVERIFY(canvas->Picture().isNull());
    if (dynamic_cast<CurveWindow*>(window.get()))
        QCOMPARE(canvas->Image().pixel(1, 799), qRgb(20, 120, 60));
}

void TestSlideHistory::aReplacedGradientIsDrawnAgainFromItsSource()
{
    QFETCH(WindowMaker, make);
    auto window = makeWindow(make);
    PictureBox* canvas = window->canvas();
    putGradient(canvas, RGB(250, 0, 0), RGB(0, 0, 250), QSize(500, 500));
    window->tick();
    const Shown onFirst = shown(*window);
    const QImage firstPicture = canvas->Picture();
    window->tick();
    putGradient(canvas, RGB(0, 250, 0), RGB(250, 250, 250), QSize(500, 500));
    window->tick();

    choose(*window, "actPreviousPattern");
    choose(*window, "actPreviousPattern");
    QCOMPARE(shown(*window).image, onFirst.image);
    QCOMPARE(canvas->Picture(), firstPicture);
    QVERIFY(canvas->surface().pictureSource());
    // Kept, the slide is its recipe: the gradient's colours and area, none of its pixels.
    auto* geometric = dynamic_cast<GeometricWindow*>(window.get());
    const SlideRecipe& kept = geometric ? geometric->m_form.slides().history().at(0).recipe
                                        : static_cast<CurveWindow*>(window.get())->m_form.slides().history().at(0).recipe;
    QVERIFY(kept.gradient);
    QCOMPARE(kept.gradient->colour1, RGB(250, 0, 0));
    QCOMPARE(kept.gradient->area, QSize(500, 500));
}

void TestSlideHistory::aBackgroundChosenWhileLookingBackStays()
{
    auto window = makeWindow([] { return std::make_unique<CurveWindow>(); });
    PictureBox* canvas = window->canvas();
    putGradient(canvas);
    window->tick();
    window->tick();
    choose(*window, "actPreviousPattern");
    canvas->setPicture(QImage());
    canvas->setBackColor(RGB(200, 200, 10));
    choose(*window, "actNextPattern");
    window->play();
    window->tick();
    QVERIFY(canvas->Picture().isNull());
    QCOMPARE(canvas->BackColor(), RGB(200, 200, 10));
    QCOMPARE(canvas->Image().pixel(1, 799), qRgb(200, 200, 10));
}

void TestSlideHistory::copyAndSaveActOnTheSlideShown()
{
    auto window = makeWindow([] { return std::make_unique<CurveWindow>(); });
    window->tick();
    const Shown first = shown(*window);
    window->tick();
    choose(*window, "actPreviousPattern");

    choose(*window, "actCopyPattern");
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    QVERIFY(mime);
    QCOMPARE(mime->text(), first.fullCode);
    QCOMPARE(qvariant_cast<QImage>(mime->imageData()).convertToFormat(QImage::Format_RGB32), first.image);

    const QString path = m_dir.filePath(QStringLiteral("shown.png"));
    auto* menuObject = window->canvas()->findChild<CanvasMenu*>(QStringLiteral("canvasMenu"));
    menuObject->setFileChooser([path](QWidget*, const SaveRequest& request) {
        return request.fileName.isEmpty() ? QString() : path;
    });
    QSignalSpy written(menuObject, &CanvasMenu::patternWritten);
    choose(*window, "actSavePng");
    QVERIFY2(written.wait(20000), "the slide to be saved");
    QImage saved(path);
    QCOMPARE(saved.text(QStringLiteral("Title")), first.code);
    QCOMPARE(saved.text(QStringLiteral("PatternCode")), first.fullCode);
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), first.image);
}

void TestSlideHistory::historyCursorAtTheEnds()
{
    SlideHistory<int> history(3);
    QVERIFY(!history.hasPrevious());
    QVERIFY(!history.stepBack());
    QVERIFY(!history.stepForward());
    for (int slide = 1; slide <= 5; ++slide)
        history.push(slide);
    QCOMPARE(history.size(), std::size_t(3));
    QCOMPARE(history.current(), 5);
    QVERIFY(history.stepBack());
    QVERIFY(history.stepBack());
    QCOMPARE(history.current(), 3);
    QVERIFY(!history.stepBack());
    QCOMPARE(history.current(), 3);
    // A new slide while looking back is shown at once.
    history.push(6);
    QCOMPARE(history.current(), 6);
    QCOMPARE(history.at(0), 4);
    QVERIFY(!history.hasNext());
}

void TestSlideHistory::hundredSlidesKeepLittleMemory()
{
    auto window = makeWindow([] { return std::make_unique<CurveWindow>(); });
    putGradient(window->canvas());
    for (int i = 0; i < 100; ++i)
        window->tick();
    auto* main = static_cast<CurveWindow*>(window.get());
    const SlideHistory<KeptSlide>& history = main->m_form.slides().history();
    QCOMPARE(history.size(), std::size_t(100));
    // A kept slide is its recipe and the short code it showed: no pixels, no dots.
    QSet<std::uint32_t> states;
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < history.size(); ++i) {
        QVERIFY(history.at(i).recipe.gradient);
        states.insert(history.at(i).recipe.randomState);
        bytes += sizeof(KeptSlide) + std::size_t(history.at(i).code.capacity()) * 2 + 32;
    }
    QCOMPARE(states.size(), 100);
    qInfo("100 slides keep %zu bytes", bytes);
    QVERIFY(bytes < 64 * 1024);
}

QTEST_MAIN(TestSlideHistory)
#include "tst_slidehistory.moc"

// The canvas context menu: its items, the picture it takes when it opens, the save dialog it
// shows, and the message when a save fails.
#include "FakePicture.h"
#include "ModalDialog.h"

#include "app/canvas/CanvasMenu.h"
#include "app/canvas/SaveFolder.h"
#include "app/canvas/SlideNavigator.h"
#include "app/messages/OutputMessages.h"
#include "app/widgets/ModalDialogsStayUp.h"
#include "app/widgets/SlideShowClock.h"
#include "draw/output/ExportNames.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

// A window with a canvas and a label inside it, like the pattern windows.
struct CanvasWindow
{
    QWidget window;
    QWidget* canvas = new QWidget(&window);
    QLabel* label = new QLabel(QStringLiteral("T NO:"), canvas);
    std::shared_ptr<const PictureSource> shown = std::make_shared<FakePicture>(QSize(800, 800), QColor(255, 192, 255));
    QString code = QStringLiteral("QRV9051111");
    CanvasMenu* menu = nullptr;
    std::unique_ptr<QSignalSpy> written;

    CanvasWindow()
    {
        window.resize(1000, 820);
        canvas->setObjectName(QStringLiteral("picOutput"));
        canvas->setGeometry(0, 0, 800, 800);
        label->setGeometry(8, 8, 60, 20);
        menu = attachCanvasMenu(canvas, [this] { return shown; }, [this] { return code; });
        written = std::make_unique<QSignalSpy>(menu, &CanvasMenu::patternWritten);
        window.show();
    }

    // Files are written off the user-interface thread: true once that many saves have ended.
    bool savesEnded(int count = 1) const
    {
        return waitFor([&] { return written->count() >= count; }, "the saves to be written", 20000);
    }

    void rightClick(QWidget* target, QPoint at = QPoint(400, 400))
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &event);
    }

    QAction* action(const char* name) const { return menu->menu()->findChild<QAction*>(QLatin1String(name)); }
};

// Steps through nothing; says whether the window has shown a slide yet.
struct FakeNavigator final : SlideNavigator
{
    bool slides = true;
    bool hasSlides() const override { return slides; }
    bool hasPrevious() const override { return false; }
    bool hasNext() const override { return false; }
    void showPrevious() override {}
    void showNext() override {}
};

// A window's show: a timer whose ticks, as its clock passes them on, are counted.
struct FakeShow
{
    QTimer timer;
    SlideShowClock* clock = new SlideShowClock(&timer);
    int ticks = 0;
    FakeShow()
    {
        timer.setInterval(3000);
        QObject::connect(clock, &SlideShowClock::ticked, [this] { ++ticks; });
        timer.start();
    }
    void tick() { QMetaObject::invokeMethod(&timer, "timeout"); }
};

// A picture whose drawing waits until the test lets it go (at most a few seconds): whatever draws
// it on the user-interface thread holds that thread as long.
class HeldPicture final : public FakePicture
{
public:
    explicit HeldPicture(std::shared_ptr<std::atomic<bool>> released) : m_released(std::move(released)) {}
    void renderRegion(const PixelBuffer& view, double scale, QPoint origin, PictureLayers layers) const override
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!m_released->load() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        FakePicture::renderRegion(view, scale, origin, layers);
    }

private:
    std::shared_ptr<std::atomic<bool>> m_released;
};

QColor savedBackground(const QString& path)
{
    return QImage(path).pixelColor(2, 790); // below the gradient band, clear of the figures
}

} // namespace

class TestCanvasMenu : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void rightClickOpensTheFourItems();
    void labelInsideTheCanvasOpensItToo();
    void copyPutsImageAndCodeOnTheClipboard();
    void savesThePictureShownWhenTheMenuOpened_data();
    void savesThePictureShownWhenTheMenuOpened();
    void savingLeavesTheWindowsFree_data();
    void savingLeavesTheWindowsFree();
    void cancelledDialogWritesNothing();
    void whatWasDoneLeavesAShortNote();
    void failureShowsTheReasonOwnedByTheWindow();
    void saveDialogIsQtsOwnInThePicturesFolder();
    void noPictureDisablesTheItems();
    void showWaitsWhileTheMenuOrItsDialogIsUp();
    void pauseChosenMeanwhileStays();
    void itemsWaitForTheWindowsFirstSlide_data();
    void itemsWaitForTheWindowsFirstSlide();
    void tooltipAndKeysLeadToTheMenu_data();
    void tooltipAndKeysLeadToTheMenu();
    void nameWithPngAddedIsNotReplacedUnasked_data();
    void nameWithPngAddedIsNotReplacedUnasked();
    void minimisedDialogsComeStraightBack();

private:
    QTemporaryDir m_home;
};

void TestCanvasMenu::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("HOME", m_home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_home.path() + QStringLiteral("/config")).toUtf8());
}

void TestCanvasMenu::init()
{
    // No folder remembered from an earlier test's save.
    programSettings()->clear();
}

void TestCanvasMenu::rightClickOpensTheFourItems()
{
    CanvasWindow fixture;
    fixture.rightClick(fixture.canvas);
    QMenu* menu = fixture.menu->menu();
    WAIT_FOR(menu->isVisible(), "the canvas menu to open", 5000);

    QStringList texts;
    for (QAction* action : menu->actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        // Without a full code (no slide as drawn) there is nothing to keep as a favourite.
        QCOMPARE(action->isEnabled(), action->objectName() != QStringLiteral("actAddFavourite"));
        // The keyboard belongs to the covered parameter boxes: no shortcut, no mnemonic.
        QVERIFY(action->shortcut().isEmpty());
        QVERIFY(!action->text().contains(u'&'));
    }
    const QStringList expected{QStringLiteral("复制图案"), QStringLiteral("图案代码…"), QStringLiteral("保存图案 (PNG)…"),
                               QStringLiteral("保存高清图案 (PNG 4倍)…"), QStringLiteral("保存矢量图案 (SVG)…"),
                               QStringLiteral("导出图案…"), QStringLiteral("打开图案文件…"), QStringLiteral("-"), QStringLiteral("收藏图案"),
                               QStringLiteral("收藏夹…"), QStringLiteral("-"), QStringLiteral("全屏放映")};
    QCOMPARE(texts, expected);
    QCOMPARE(menu->actions().at(2), fixture.action("actSavePng"));
    menu->hide();
}

void TestCanvasMenu::labelInsideTheCanvasOpensItToo()
{
    CanvasWindow fixture;
    fixture.rightClick(fixture.label, QPoint(5, 5));
    WAIT_FOR(fixture.menu->menu()->isVisible(), "the canvas menu to open", 5000);
    fixture.menu->menu()->hide();
}

void TestCanvasMenu::copyPutsImageAndCodeOnTheClipboard()
{
    CanvasWindow fixture;
    QGuiApplication::clipboard()->clear();
    fixture.rightClick(fixture.canvas);
    fixture.shown = std::make_shared<FakePicture>(QSize(800, 800), QColor(Qt::white)); // the next slide
    fixture.code = QStringLiteral("QRV9051234");
    fixture.action("actCopyPattern")->trigger();
    fixture.menu->menu()->hide();

    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    QVERIFY(mime && mime->hasImage());
    QCOMPARE(mime->text(), QStringLiteral("QRV9051111"));
    const QImage image = qvariant_cast<QImage>(mime->imageData());
    QCOMPARE(image.size(), QSize(800, 800));
    QCOMPARE(image.pixelColor(2, 790), QColor(255, 192, 255));
}

void TestCanvasMenu::savesThePictureShownWhenTheMenuOpened_data()
{
    QTest::addColumn<QString>("actionName");
    QTest::addColumn<QString>("offeredName");
    QTest::addColumn<int>("savedWidth");
    QTest::newRow("png") << "actSavePng" << "QRV9051111.png" << 800;
    QTest::newRow("png at four times") << "actSavePng4x" << "QRV9051111-4x.png" << 3200;
    QTest::newRow("svg") << "actSaveSvg" << "QRV9051111.svg" << 0;
}

void TestCanvasMenu::savesThePictureShownWhenTheMenuOpened()
{
    QFETCH(QString, actionName);
    QFETCH(QString, offeredName);
    QFETCH(int, savedWidth);
    CanvasWindow fixture;
    QTemporaryDir dir;
    SaveRequest asked;
    QWidget* askedOwner = nullptr;
    fixture.menu->setFileChooser([&](QWidget* owner, const SaveRequest& request) {
        asked = request;
        askedOwner = owner;
        // A slide changes while the dialog is open.
        fixture.shown = std::make_shared<FakePicture>(QSize(800, 800), QColor(Qt::white));
        fixture.code = QStringLiteral("QRV9059999");
        return dir.filePath(request.fileName);
    });
    QString reported;
    fixture.menu->setErrorReporter([&](QWidget*, const QString& message) { reported = message; });

    fixture.rightClick(fixture.canvas);
    // And one while the menu is open.
    fixture.shown = std::make_shared<FakePicture>(QSize(800, 800), QColor(Qt::black));
    fixture.action(actionName.toLatin1().constData())->trigger();
    fixture.menu->menu()->hide();
    QVERIFY(fixture.savesEnded());

    QVERIFY2(reported.isEmpty(), qPrintable(reported));
    QCOMPARE(askedOwner, &fixture.window);
    QCOMPARE(asked.title, QStringLiteral("保存图案"));
    QCOMPARE(asked.fileName, offeredName);
    const QString path = dir.filePath(offeredName);
    QVERIFY(QFileInfo(path).isFile());
    if (savedWidth > 0) {
        QCOMPARE(QImage(path).width(), savedWidth);
        QCOMPARE(savedBackground(path).rgb() & 0xffffff, QColor(255, 192, 255).rgb() & 0xffffff);
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray svg = file.readAll();
        QVERIFY(svg.contains("<title>QRV9051111</title>"));
        QVERIFY(svg.contains("#ffc0ff"));
        QVERIFY(!svg.contains("#ffffff") && !svg.contains("#000000"));
    }
}

void TestCanvasMenu::whatWasDoneLeavesAShortNote()
{
    CanvasWindow fixture;
    QTemporaryDir dir;
    const auto note = [&] { return fixture.canvas->findChild<QLabel*>(QStringLiteral("statusNote")); };
    QCOMPARE(note(), nullptr);

    fixture.rightClick(fixture.canvas);
    fixture.action("actCopyPattern")->trigger();
    fixture.menu->menu()->hide();
    QVERIFY(note() && note()->isVisible());
    QCOMPARE(note()->text(), QStringLiteral("已复制"));
    // Along the bottom of the canvas, inside it.
    QVERIFY(fixture.canvas->rect().contains(note()->geometry()));

    fixture.menu->setFileChooser([&](QWidget*, const SaveRequest& request) { return dir.filePath(request.fileName); });
    fixture.rightClick(fixture.canvas);
    fixture.action("actSavePng")->trigger();
    fixture.menu->menu()->hide();
    QVERIFY(fixture.savesEnded());
    QCOMPARE(note()->text(), QStringLiteral("已保存到 %1").arg(QDir(dir.path()).absolutePath()));
    // It goes by itself, asking nothing.
    WAIT_FOR(!note()->isVisible(), "the saved note to go by itself", 10000);

    // A failure is told in its box, never as a success.
    const QString folder = dir.filePath(QStringLiteral("taken.png"));
    QVERIFY(QDir().mkpath(folder));
    fixture.menu->setFileChooser([&](QWidget*, const SaveRequest&) { return folder; });
    fixture.menu->setErrorReporter([](QWidget*, const QString&) {});
    fixture.rightClick(fixture.canvas);
    fixture.action("actSavePng")->trigger();
    fixture.menu->menu()->hide();
    QVERIFY(fixture.savesEnded(2));
    QVERIFY(!note()->isVisible());
}

void TestCanvasMenu::savingLeavesTheWindowsFree_data()
{
    QTest::addColumn<QString>("actionName");
    QTest::newRow("png") << "actSavePng";
    QTest::newRow("png at four times") << "actSavePng4x";
}

// The picture is drawn and written on a worker: while it is, the menu's call has returned and the
// window's show ticks on.
void TestCanvasMenu::savingLeavesTheWindowsFree()
{
    QFETCH(QString, actionName);
    CanvasWindow fixture;
    const auto released = std::make_shared<std::atomic<bool>>(false);
    fixture.shown = std::make_shared<HeldPicture>(released);
    FakeShow show;
    show.timer.setInterval(10);
    fixture.menu->setShowClock(show.clock);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("held.png"));
    fixture.menu->setFileChooser([&](QWidget*, const SaveRequest&) { return path; });

    fixture.rightClick(fixture.canvas);
    fixture.action(actionName.toLatin1().constData())->trigger();
    fixture.menu->menu()->hide();
    QCOMPARE(fixture.written->count(), 0);
    QVERIFY(!QFile::exists(path));
    const int ticks = show.ticks;
    WAIT_FOR(show.ticks > ticks + 2, "the show to tick on", 2000);
    released->store(true);
    QVERIFY(fixture.savesEnded());
    QVERIFY(QFileInfo(path).isFile());
}

void TestCanvasMenu::cancelledDialogWritesNothing()
{
    CanvasWindow fixture;
    QTemporaryDir dir;
    int asked = 0;
    bool reported = false;
    fixture.menu->setFileChooser([&](QWidget*, const SaveRequest&) {
        ++asked;
        return QString();
    });
    fixture.menu->setErrorReporter([&](QWidget*, const QString&) { reported = true; });
    fixture.rightClick(fixture.canvas);
    fixture.action("actSavePng")->trigger();
    fixture.menu->menu()->hide();
    QCOMPARE(asked, 1);
    QVERIFY(!reported);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

void TestCanvasMenu::failureShowsTheReasonOwnedByTheWindow()
{
    CanvasWindow fixture;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("taken.png"));
    QVERIFY(QDir().mkpath(folder));
    fixture.menu->setFileChooser([&](QWidget*, const SaveRequest&) { return folder; });

    QWidget* parent = nullptr;
    QString text;
    QString title;
    ModalDialog<QMessageBox> watcher([&](QMessageBox* box) {
        parent = box->parentWidget();
        text = box->text();
        title = box->windowTitle();
    });
    fixture.rightClick(fixture.canvas);
    fixture.action("actSavePng")->trigger();
    fixture.menu->menu()->hide();

    QVERIFY(fixture.savesEnded());
    WAIT_FOR(watcher.answered(), "the failure message", 10000);
    QCOMPARE(parent, &fixture.window);
    QCOMPARE(title, QStringLiteral("保存图案"));
    QVERIFY2(text.contains(folder) && text.contains(QStringLiteral("文件夹")), qPrintable(text));
    QVERIFY(QFileInfo(folder).isDir());

    // The menu keeps working after the failure.
    fixture.rightClick(fixture.canvas);
    WAIT_FOR(fixture.menu->menu()->isVisible(), "the canvas menu to open", 5000);
    fixture.menu->menu()->hide();
}

void TestCanvasMenu::saveDialogIsQtsOwnInThePicturesFolder()
{
    CanvasWindow fixture;
    const QString pictures = m_home.filePath(QStringLiteral("Pictures"));
    QVERIFY(QDir().mkpath(pictures));
    QString title;
    QString folder;
    QStringList offered;
    QString suffix;
    bool native = true;
    bool confirms = false;
    ModalDialog<QFileDialog> watcher([&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        folder = dialog->directory().absolutePath();
        offered = dialog->selectedFiles();
        suffix = dialog->defaultSuffix();
        native = !dialog->testOption(QFileDialog::DontUseNativeDialog);
        confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        // Typed as the user would: selectFile() leaves a focused name box alone.
        auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(nameBox);
        nameBox->setText(QStringLiteral("chosen"));
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides its override
    });
    fixture.rightClick(fixture.canvas);
    fixture.action("actSaveSvg")->trigger();
    fixture.menu->menu()->hide();

    QVERIFY(watcher.answered());
    QVERIFY(fixture.savesEnded());
    QCOMPARE(title, QStringLiteral("保存图案"));
    QCOMPARE(QDir(folder), QDir(pictures));
    QCOMPARE(offered.value(0), QDir(pictures).filePath(QStringLiteral("QRV9051111.svg")));
    QCOMPARE(suffix, QStringLiteral("svg"));
    QVERIFY(!native);
    QVERIFY(confirms);
    // A name typed without a suffix gets one.
    QVERIFY(QFileInfo(QDir(pictures).filePath(QStringLiteral("chosen.svg"))).isFile());
}

void TestCanvasMenu::noPictureDisablesTheItems()
{
    CanvasWindow fixture;
    fixture.shown.reset();
    int asked = 0;
    fixture.menu->setFileChooser([&](QWidget*, const SaveRequest&) {
        ++asked;
        return QString();
    });
    fixture.rightClick(fixture.canvas);
    // What needs the picture is off; typing a code, opening a file and the favourites are not.
    const QStringList needPicture{"actCopyPattern", "actSavePng",       "actSavePng4x",
                                  "actSaveSvg",     "actExportPattern", "actAddFavourite"};
    for (QAction* action : fixture.menu->menu()->actions()) {
        if (!action->isSeparator())
            QCOMPARE(action->isEnabled(), !needPicture.contains(action->objectName()));
    }
    fixture.menu->saveShownPattern(ExportKind::Png);
    QCOMPARE(asked, 0);
    fixture.menu->menu()->hide();
}

void TestCanvasMenu::showWaitsWhileTheMenuOrItsDialogIsUp()
{
    CanvasWindow fixture;
    FakeShow show;
    fixture.menu->setShowClock(show.clock);
    QTemporaryDir folder;
    int ticksInDialog = -1;
    fixture.menu->setFileChooser([&](QWidget*, const SaveRequest&) {
        show.tick(); // a tick while the file dialog is up goes by
        ticksInDialog = show.ticks;
        return folder.filePath(QStringLiteral("held.png"));
    });

    fixture.rightClick(fixture.canvas);
    WAIT_FOR(fixture.menu->menu()->isVisible(), "the canvas menu to open", 5000);
    show.tick();
    QCOMPARE(show.ticks, 0);
    QVERIFY(show.timer.isActive()); // waiting, not paused
    fixture.action("actSavePng")->trigger();
    fixture.menu->menu()->hide();
    QCOMPARE(ticksInDialog, 0);
    WAIT_FOR(!fixture.menu->holdingShow(), "the menu to let the show go", 5000);
    QVERIFY(fixture.savesEnded());
    QVERIFY(QFile::exists(folder.filePath(QStringLiteral("held.png"))));
    // Afterwards the show goes on, a whole interval from now.
    QVERIFY(show.timer.isActive());
    QVERIFY(show.timer.remainingTime() > 2500);
    show.tick();
    QCOMPARE(show.ticks, 1);

    // A menu closed without choosing anything lets go too.
    fixture.rightClick(fixture.canvas);
    WAIT_FOR(fixture.menu->menu()->isVisible(), "the canvas menu to open", 5000);
    QVERIFY(fixture.menu->holdingShow());
    fixture.menu->menu()->hide();
    WAIT_FOR(!fixture.menu->holdingShow(), "the menu to let the show go", 5000);
    show.tick();
    QCOMPARE(show.ticks, 2);
}

void TestCanvasMenu::pauseChosenMeanwhileStays()
{
    CanvasWindow fixture;
    FakeShow show;
    fixture.menu->setShowClock(show.clock);
    // The code dialog shows a slide from a code, which pauses the window's show.
    connect(fixture.menu, &CanvasMenu::patternCodeRequested, [&] { show.timer.stop(); });
    fixture.rightClick(fixture.canvas);
    WAIT_FOR(fixture.menu->menu()->isVisible(), "the canvas menu to open", 5000);
    fixture.action("actPatternCode")->trigger();
    fixture.menu->menu()->hide();
    WAIT_FOR(!fixture.menu->holdingShow(), "the menu to let the show go", 5000);
    QVERIFY(!show.timer.isActive());
}

void TestCanvasMenu::itemsWaitForTheWindowsFirstSlide_data()
{
    QTest::addColumn<bool>("slides");
    QTest::newRow("before the first slide") << false;
    QTest::newRow("after it") << true;
}

void TestCanvasMenu::itemsWaitForTheWindowsFirstSlide()
{
    QFETCH(bool, slides);
    CanvasWindow fixture;
    FakeNavigator navigator;
    navigator.slides = slides;
    fixture.menu->setNavigator(&navigator);
    fixture.rightClick(fixture.canvas);
    WAIT_FOR(fixture.menu->menu()->isVisible(), "the canvas menu to open", 5000);
    for (const char* name : {"actCopyPattern", "actSavePng", "actSavePng4x", "actSaveSvg", "actExportPattern"})
        QVERIFY2(fixture.action(name)->isEnabled() == slides, name);
    // Typing a code or opening a file needs no slide on the canvas.
    QVERIFY(fixture.action("actPatternCode")->isEnabled());
    QVERIFY(fixture.action("actOpenPatternFile")->isEnabled());
    fixture.menu->menu()->hide();
}

void TestCanvasMenu::tooltipAndKeysLeadToTheMenu_data()
{
    QTest::addColumn<QKeyCombination>("keys");
    QTest::newRow("menu key") << QKeyCombination(Qt::Key_Menu);
    QTest::newRow("Shift+F10") << QKeyCombination(Qt::ShiftModifier, Qt::Key_F10);
}

void TestCanvasMenu::tooltipAndKeysLeadToTheMenu()
{
    QFETCH(QKeyCombination, keys);
    CanvasWindow fixture;
    QVERIFY(fixture.canvas->toolTip().contains(QStringLiteral("右键")));
    QVERIFY(fixture.canvas->toolTip().contains(QStringLiteral("保存")));
    // A covered parameter box holds the focus, as in the main window.
    auto* box = new QLineEdit(&fixture.window);
    box->setGeometry(900, 10, 80, 20);
    box->show();
    fixture.canvas->raise();
    fixture.window.activateWindow();
    QVERIFY2(QTest::qWaitForWindowActive(&fixture.window, 5000), "the window to become active");
    box->setFocus();
    QTest::keyClick(box, keys.key(), keys.keyboardModifiers());
    WAIT_FOR(fixture.menu->menu()->isVisible(), "the canvas menu to open", 5000);
    // Opened over the canvas, not as the box's edit menu.
    QVERIFY(fixture.canvas->rect().contains(fixture.canvas->mapFromGlobal(fixture.menu->menu()->pos())));
    QCOMPARE(box->findChild<QMenu*>(), nullptr);
    fixture.menu->menu()->hide();
    WAIT_FOR(!fixture.menu->menu()->isVisible(), "the canvas menu to close", 5000);

    // On a real display the menu key reaches the focused box as a keyboard context-menu request.
    QContextMenuEvent request(QContextMenuEvent::Keyboard, box->rect().center(), box->mapToGlobal(box->rect().center()));
    QApplication::sendEvent(box, &request);
    WAIT_FOR(fixture.menu->menu()->isVisible(), "the canvas menu to open", 5000);
    QCOMPARE(box->findChild<QMenu*>(), nullptr);
    fixture.menu->menu()->hide();
}

void TestCanvasMenu::nameWithPngAddedIsNotReplacedUnasked_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("no") << false;
    QTest::newRow("yes") << true;
}

void TestCanvasMenu::nameWithPngAddedIsNotReplacedUnasked()
{
    QFETCH(bool, replace);
    CanvasWindow fixture;
    QTemporaryDir folder;
    const QString existing = folder.filePath(QStringLiteral("mine.draft.png"));
    QFile old(existing);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older picture");
    old.close();
    fixture.menu->setFileChooser([&](QWidget*, const SaveRequest&) { return folder.filePath(QStringLiteral("mine.draft")); });
    ModalDialog<QMessageBox> answer([&](QMessageBox* box) {
        QCOMPARE(box->objectName(), QStringLiteral("replaceFileBox"));
        QVERIFY(box->text().contains(QStringLiteral("mine.draft.png")));
        QCOMPARE(box->windowModality(), Qt::WindowModal);
        box->done(replace ? QMessageBox::Yes : QMessageBox::No);
    });
    fixture.rightClick(fixture.canvas);
    WAIT_FOR(fixture.menu->menu()->isVisible(), "the canvas menu to open", 5000);
    fixture.action("actSavePng")->trigger();
    fixture.menu->menu()->hide();
    QCOMPARE(answer.answered(), 1);
    if (replace)
        QVERIFY(fixture.savesEnded());
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll() == "an older picture", !replace);
}

void TestCanvasMenu::minimisedDialogsComeStraightBack()
{
    qApp->installEventFilter(new ModalDialogsStayUp(qApp));
    CanvasWindow fixture;
    bool cameBack = false;
    ModalDialog<QMessageBox> answer([&](QMessageBox* box) {
        QCOMPARE(box->windowModality(), Qt::WindowModal);
        box->setWindowState(Qt::WindowMinimized);
        WAIT_FOR(!box->isMinimized() && box->isVisible(), "the minimised box to come back", 5000);
        cameBack = true;
        box->accept();
    });
    showSaveFailure(&fixture.window, saveFailureMessage(QStringLiteral("/nowhere/x.png"), OutputError::FolderMissing));
    QCOMPARE(answer.answered(), 1);
    QVERIFY(cameBack);
}

QTEST_MAIN(TestCanvasMenu)
#include "tst_canvasmenu.moc"

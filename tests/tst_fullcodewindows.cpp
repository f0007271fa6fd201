// The full code through the real windows: the code of the slide on each canvas, the dialog that
// shows and takes codes, saved files that open again, files dropped on a canvas, and the start
// request of the command line.

#include "IntegrationSupport.h"
#include "ModalDialog.h"

#include "app/messages/PatternMessages.h"
#include "app/CommandLine.h"
#include "app/FavouritesService.h"
#include "app/PatternService.h"
#include "app/ProgramWindows.h"
#include "app/canvas/CanvasMenu.h"
#include "app/canvas/PatternCodeDialog.h"
#include "app/canvas/SaveFolder.h"
#include "app/favourites/FavouriteStore.h"
#include "app/favourites/FavouritesGallery.h"
#include "app/fullscreen/FullScreenShow.h"
#include "app/geometric/GeometricDesigner.h"
#include "app/mainwindow/MainWindow.h"
#include "app/picker/GradientPicker.h"
#include "app/registry/WindowRegistry.h"
#include "app/widgets/PictureBox.h"
#include "draw/base/Random.h"
#include "draw/output/FrameRenderer.h"
#include "draw/pattern/PatternCode.h"
#include "draw/pattern/SlideReplay.h"
#include "draw/surface/PictureSource.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QSignalSpy>
#include <QtTest>

using integration::processDeferredDeletes;

namespace {

MainWindow* mainWindow() { return qobject_cast<MainWindow*>(WindowRegistry::instance().existing(WindowId::Main)); }
GeometricDesigner* designer()
{
    return qobject_cast<GeometricDesigner*>(WindowRegistry::instance().existing(WindowId::Geometric));
}

CanvasMenu* menuOf(PictureBox* canvas) { return canvas->findChild<CanvasMenu*>(QStringLiteral("canvasMenu")); }

// Saves the slide on the canvas as PNG to path through its canvas menu, as the user would, and
// waits (bounded) for the file to be written; false when it was not.
bool saveShownSlide(PictureBox* canvas, const QString& path)
{
    CanvasMenu* menu = menuOf(canvas);
    menu->setFileChooser([path](QWidget*, const SaveRequest&) { return path; });
    menu->openAt(QPoint(10, 10));
    menu->menu()->close();
    QSignalSpy written(menu, &CanvasMenu::patternWritten);
    menu->saveShownPattern(ExportKind::Png);
    return waitFor([&] { return !written.isEmpty(); }, "the shown slide to be saved", 20000) && written.constFirst().at(1).value<OutputResult>().ok();
}

// The picture a code names, drawn on its own canvas.
QImage pictureOf(const QString& code)
{
    const PatternCode::Reading reading = PatternCode::decode(code);
    return reading.recipe ? slidePicture(*reading.recipe)->render(1.0) : QImage();
}

QImage canvasImage(PictureBox* canvas) { return canvas->Image().convertToFormat(QImage::Format_RGB32); }

// Remembers a folder that is there, or one that has gone since; returns where file dialogs should
// open: that folder, or the default one in place of the gone.
QString rememberFolder(bool gone, const QTemporaryDir& there)
{
    if (!gone) {
        rememberSaveFolder(there.filePath(QStringLiteral("earlier.png")));
        return there.path();
    }
    {
        QTemporaryDir goneSince;
        rememberSaveFolder(goneSince.filePath(QStringLiteral("earlier.png")));
    }
    return defaultSaveFolder();
}

void addFolderRows()
{
    QTest::addColumn<bool>("gone");
    QTest::newRow("remembered folder") << false;
    QTest::newRow("remembered folder gone since") << true;
}

// Enters the text in the code dialog and presses "确定", or Enter in the box.
void enterCode(PatternCodeDialog* dialog, const QString& text, bool byEnterKey = false)
{
    dialog->enteredCodeBox->setPlainText(text);
    if (byEnterKey)
        QTest::keyClick(dialog->enteredCodeBox, Qt::Key_Return);
    else
        dialog->okButton->click();
}

} // namespace

class TestFullCodeWindows : public QObject
{
    Q_OBJECT

private slots:
    void fullScreenFromTheMenuAndF11_data();
    void fullScreenFromTheMenuAndF11();
    void fullScreenItemIsCheckedWhileShown_data();
    void fullScreenItemIsCheckedWhileShown();
    void showWaitsWhileTheMenuIsUp();
    void initTestCase();
    void init();
    void cleanup();

    void menusOfferCodesFilesAndFavourites();
    void shownCodeNamesTheSlideOnTheCanvas();
    void copyGivesTheFullCodeAsText();
    void codeDialogShowsTheSlidePausedInItsWindow_data();
    void codeDialogShowsTheSlidePausedInItsWindow();
    void codeDialogExplainsTextsThatNameNoSlide_data();
    void codeDialogExplainsTextsThatNameNoSlide();
    void codeDialogClosesQuietlyWithNothingTyped_data();
    void codeDialogClosesQuietlyWithNothingTyped();
    void gradientBackgroundComesBackFromTheCode();
    void savedFilesOpenAgain_data();
    void savedFilesOpenAgain();
    void droppedFileShowsItsSlide();
    void unusableFilesAreExplained();
    void openFileDialogStartsInTheRememberedFolder_data();
    void openFileDialogStartsInTheRememberedFolder();
    void commandLineShowsCodeOrFile();
    void favouriteIsKeptAndShownAgain();
    void favouritesShowStopsWhenPlayIsPressed();
    void favouritesUnavailableLeaveTheShowsRunning();
    void minimisedGalleryComesBack();
    void favouriteIsExportedUnderItsName_data();
    void favouriteIsExportedUnderItsName();
    void favouriteExportStartsInTheRememberedFolder_data();
    void favouriteExportStartsInTheRememberedFolder();
    void keptFavouriteLeavesANote_data();
    void keptFavouriteLeavesANote();

private:
    QTemporaryDir m_home;
};

void TestFullCodeWindows::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
    // Favourites and thumbnails go to folders of the test's own.
    qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CACHE_HOME", m_home.filePath(QStringLiteral("cache")).toUtf8());
    // So do the settings, where saves remember their folder.
    qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral("config")).toUtf8());
}

void TestFullCodeWindows::init()
{
    RandomSource::reset();
    WindowRegistry::instance().clear();
    startProgram();
    QVERIFY(mainWindow());
    mainWindow()->showTimer.stop();
}

void TestFullCodeWindows::cleanup()
{
    integration::closeProgramWindows();
    FavouritesService::instance().reset();
}

void TestFullCodeWindows::menusOfferCodesFilesAndFavourites()
{
    mainWindow()->geometricButton->click();
    QVERIFY(designer());
    const QStringList expected{"actCopyPattern",     "actPatternCode",     "actSavePng",        "actSavePng4x",
                               "actSaveSvg",         "actExportPattern",   "actOpenPatternFile", "",
                               "actAddFavourite",    "actShowFavourites",  "",                  "actFullScreen",
                               "",                   "actPreviousPattern", "actNextPattern"};
    for (PictureBox* canvas : {mainWindow()->canvas, designer()->canvas}) {
        QStringList names;
        for (QAction* action : menuOf(canvas)->menu()->actions())
            names << action->objectName();
        QCOMPARE(names, expected);
        QCOMPARE(menuOf(canvas)->menu()->findChild<QAction*>("actPatternCode")->text(), QStringLiteral("图案代码…"));
        QCOMPARE(menuOf(canvas)->menu()->findChild<QAction*>("actOpenPatternFile")->text(), QStringLiteral("打开图案文件…"));
        QCOMPARE(menuOf(canvas)->menu()->findChild<QAction*>("actAddFavourite")->text(), QStringLiteral("收藏图案"));
        QCOMPARE(menuOf(canvas)->menu()->findChild<QAction*>("actShowFavourites")->text(), QStringLiteral("收藏夹…"));
        QVERIFY(canvas->acceptDrops());
    }
}

void TestFullCodeWindows::shownCodeNamesTheSlideOnTheCanvas()
{
    MainWindow* main = mainWindow();
    QVERIFY(main->shownFullCode().isEmpty()); // no slide yet
    main->categoryBox->setEditText(QStringLiteral("0.3333"));
    main->penWidthBox->setEditText(QStringLiteral("9"));
    main->onShowTimer();
    main->onShowTimer();
    const QString code = main->shownFullCode();
    QVERIFY(code.startsWith(QStringLiteral("TN1")));
    QCOMPARE(pictureOf(code), canvasImage(main->canvas));
    // The short code stays as it was.
    QVERIFY(main->codeLabel->text().startsWith(QStringLiteral("QRV0.33339")));

    // Anything drawn over the slide, or a cleared canvas, is no longer that slide.
    main->onStyle2Clicked();
    QVERIFY(main->shownFullCode().isEmpty());
    main->onShowTimer();
    QVERIFY(!main->shownFullCode().isEmpty());
    main->onClearClicked();
    QVERIFY(main->shownFullCode().isEmpty());
    // Stepping back shows a kept slide again, and names it.
    main->slides().showPrevious();
    QCOMPARE(main->shownFullCode(), code);
    menuOf(main->canvas)->openAt(QPoint(10, 10));
    QVERIFY(menuOf(main->canvas)->menu()->findChild<QAction*>("actAddFavourite")->isEnabled());
    menuOf(main->canvas)->menu()->close();
    main->onClearClicked();
    menuOf(main->canvas)->openAt(QPoint(10, 10));
    QVERIFY(!menuOf(main->canvas)->menu()->findChild<QAction*>("actAddFavourite")->isEnabled());
    menuOf(main->canvas)->menu()->close();

    main->geometricButton->click();
    GeometricDesigner* geometric = designer();
    geometric->showTimer->stop();
    geometric->lineWidthBox->setEditText(QStringLiteral("20"));
    geometric->onShowTimer();
    QCOMPARE(pictureOf(geometric->shownFullCode()), canvasImage(geometric->canvas));
    geometric->onFigureClicked(0); // the one-off figure
    QVERIFY(geometric->shownFullCode().isEmpty());
}

void TestFullCodeWindows::copyGivesTheFullCodeAsText()
{
    MainWindow* main = mainWindow();
    main->onShowTimer();
    CanvasMenu* menu = menuOf(main->canvas);
    menu->openAt(QPoint(10, 10));
    menu->menu()->close();
    menu->menu()->findChild<QAction*>("actCopyPattern")->trigger();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied->hasImage());
    QCOMPARE(copied->text(), main->shownFullCode());
}

void TestFullCodeWindows::codeDialogShowsTheSlidePausedInItsWindow_data()
{
    QTest::addColumn<bool>("geometric");
    QTest::newRow("curve slide") << false;
    QTest::newRow("geometric slide, designer not open yet") << true;
}

void TestFullCodeWindows::codeDialogShowsTheSlidePausedInItsWindow()
{
    QFETCH(bool, geometric);
    SlideRecipe recipe;
    recipe.randomState = 0xC0FFEEu;
    recipe.width = 6;
    recipe.divisor = 15.0;
    recipe.backColour = RGB(0, 0, 64);
    if (geometric)
        recipe = SlideRecipe{PatternWindow::Geometric, 0xBADu, 40, std::nullopt, RGB(0, 0, 0), std::nullopt};
    const QString code = PatternCode::encode(recipe);

    MainWindow* main = mainWindow();
    main->showTimer.start();
    main->onShowTimer();
    const QString shown = main->shownFullCode();
    ModalDialog<PatternCodeDialog> answer([&](PatternCodeDialog* dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("图案代码"));
        QCOMPARE(dialog->shownCodeBox->text(), shown);
        QVERIFY(dialog->shownCodeBox->isReadOnly());
        dialog->copyButton->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), shown);
        enterCode(dialog, QStringLiteral("朋友发来的：\n%1\n。").arg(code.toLower()), geometric);
    });
    menuOf(main->canvas)->openAt(QPoint(10, 10));
    menuOf(main->canvas)->menu()->close();
    menuOf(main->canvas)->menu()->findChild<QAction*>("actPatternCode")->trigger();
    QCOMPARE(answer.answered(), 1);

    if (!geometric) {
        QVERIFY(!main->showTimer.isActive());
        QCOMPARE(main->slides().history().size(), std::size_t(2));
        QCOMPARE(canvasImage(main->canvas), pictureOf(code));
        QCOMPARE(main->shownFullCode(), code);
        QVERIFY(main->codeLabel->text().startsWith(QStringLiteral("QRV156")));
        // Play: the show goes on with the live background.
        main->playButton->click();
        main->onShowTimer();
        QCOMPARE(main->canvas->BackColor(), RGB(255, 192, 255));
    } else {
        GeometricDesigner* shownIn = designer();
        QVERIFY(shownIn);
        QVERIFY(shownIn->isVisible());
        QVERIFY(!shownIn->showTimer->isActive());
        QVERIFY(!shownIn->playingBox->isChecked());
        QCOMPARE(canvasImage(shownIn->canvas), pictureOf(code));
        QCOMPARE(shownIn->slides().history().size(), std::size_t(1));
        QVERIFY(shownIn->codeLabel->text().startsWith(QStringLiteral("QRV40600")));
        QVERIFY(main->showTimer.isActive()); // the other window's show goes on
    }
}

void TestFullCodeWindows::codeDialogExplainsTextsThatNameNoSlide_data()
{
    SlideRecipe recipe;
    QString damaged = PatternCode::encode(recipe);
    damaged[5] = damaged[5] == u'A' ? u'B' : u'A';
    QTest::addColumn<QString>("text");
    QTest::addColumn<PatternCode::Problem>("problem");
    QTest::newRow("no code") << QStringLiteral("QRV9051111") << PatternCode::Problem::NotACode;
    QTest::newRow("damaged") << damaged << PatternCode::Problem::Damaged;
}

void TestFullCodeWindows::codeDialogExplainsTextsThatNameNoSlide()
{
    QFETCH(QString, text);
    QFETCH(PatternCode::Problem, problem);
    MainWindow* main = mainWindow();
    main->onShowTimer();
    const QImage before = canvasImage(main->canvas);
    QString message;
    bool stayedOpen = false;
    ModalDialog<PatternCodeDialog> answer([&](PatternCodeDialog* dialog) {
        ModalDialog<QMessageBox> box([&](QMessageBox* b) {
            message = b->text();
            b->accept();
        });
        enterCode(dialog, text);
        stayedOpen = dialog->isVisible();
        dialog->cancelButton->click();
    });
    PatternService::instance().askForCode(main, main->shownFullCode());
    QCOMPARE(answer.answered(), 1);
    QCOMPARE(message, patternCodeProblemText(problem));
    QVERIFY(stayedOpen);
    QCOMPARE(canvasImage(main->canvas), before);
    QCOMPARE(main->slides().history().size(), std::size_t(1));
}

void TestFullCodeWindows::codeDialogClosesQuietlyWithNothingTyped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("byEnterKey");
    QTest::newRow("empty, 确定") << QString() << false;
    QTest::newRow("empty, Enter") << QString() << true;
    QTest::newRow("blanks and a line break") << QStringLiteral(" \t\n  ") << false;
    QTest::newRow("full-width space") << QStringLiteral("\u3000\u3000") << true;
}

// "确定" with nothing typed is taken as "取消": the dialog closes with no warning, and the window
// keeps its slide and its show.
void TestFullCodeWindows::codeDialogClosesQuietlyWithNothingTyped()
{
    QFETCH(QString, text);
    QFETCH(bool, byEnterKey);
    MainWindow* main = mainWindow();
    main->showTimer.start();
    main->onShowTimer();
    const QImage before = canvasImage(main->canvas);
    int warnings = 0;
    bool closed = false;
    int result = -1;
    ModalDialog<PatternCodeDialog> answer([&](PatternCodeDialog* dialog) {
        ModalDialog<QMessageBox> box([&](QMessageBox* b) {
            ++warnings;
            b->accept();
        });
        enterCode(dialog, text, byEnterKey);
        closed = !dialog->isVisible();
        result = dialog->result();
    });
    PatternService::instance().askForCode(main, main->shownFullCode());
    QCOMPARE(answer.answered(), 1);
    QCOMPARE(warnings, 0);
    QVERIFY(closed);
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(canvasImage(main->canvas), before);
    QCOMPARE(main->slides().history().size(), std::size_t(1));
    QVERIFY(main->showTimer.isActive());
}

void TestFullCodeWindows::gradientBackgroundComesBackFromTheCode()
{
    MainWindow* main = mainWindow();
    main->gradientButton->click();
    auto* picker = qobject_cast<GradientPicker*>(WindowRegistry::instance().existing(WindowId::GradientPicker));
    QVERIFY(picker);
    const QImage preview = picker->findChild<PictureBox*>("picDraw")->Image();
    picker->findChild<QToolButton*>("Command1")->click();
    // The background the canvas got is the preview, pixel for pixel.
    QCOMPARE(main->canvas->Picture().convertToFormat(QImage::Format_RGB32), preview.convertToFormat(QImage::Format_RGB32));
    main->onShowTimer();
    const QString code = main->shownFullCode();
    const auto recipe = PatternCode::decode(code).recipe;
    QVERIFY(recipe && recipe->gradient);
    QCOMPARE(recipe->gradient->angle, 315.0f);
    QVERIFY(code.size() <= 64);
    QCOMPARE(pictureOf(code), canvasImage(main->canvas));
}

void TestFullCodeWindows::savedFilesOpenAgain_data()
{
    QTest::addColumn<bool>("geometric");
    QTest::addColumn<QString>("action");
    for (bool geometric : {false, true}) {
        const char* window = geometric ? "geometric" : "curves";
        QTest::addRow("%s, PNG", window) << geometric << QStringLiteral("actSavePng");
        QTest::addRow("%s, PNG 4x", window) << geometric << QStringLiteral("actSavePng4x");
        QTest::addRow("%s, SVG", window) << geometric << QStringLiteral("actSaveSvg");
    }
}

void TestFullCodeWindows::savedFilesOpenAgain()
{
    QFETCH(bool, geometric);
    QFETCH(QString, action);
    QTemporaryDir folder;
    const QString path = folder.filePath(action.endsWith(QStringLiteral("Svg")) ? "pattern.svg" : "pattern.png");
    PictureBox* canvas = mainWindow()->canvas;
    std::function<void()> tick = [] { mainWindow()->onShowTimer(); };
    if (geometric) {
        mainWindow()->geometricButton->click();
        designer()->showTimer->stop();
        canvas = designer()->canvas;
        tick = [] { designer()->onShowTimer(); };
    }
    tick();
    tick();
    const QImage saved = canvasImage(canvas);
    CanvasMenu* menu = menuOf(canvas);
    menu->setFileChooser([path](QWidget*, const SaveRequest&) { return path; });
    menu->openAt(QPoint(10, 10));
    menu->menu()->close();
    QSignalSpy written(menu, &CanvasMenu::patternWritten);
    menu->menu()->findChild<QAction*>(action)->trigger();
    QVERIFY2(written.wait(20000), "the slide to be saved");
    QVERIFY(QFileInfo::exists(path));

    tick();
    QVERIFY(canvasImage(canvas) != saved);
    QVERIFY(PatternService::instance().openFile(mainWindow(), path));
    QCOMPARE(canvasImage(canvas), saved);
}

void TestFullCodeWindows::droppedFileShowsItsSlide()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("dropped.png"));
    MainWindow* main = mainWindow();
    main->onShowTimer();
    const QImage saved = canvasImage(main->canvas);
    QVERIFY(saveShownSlide(main->canvas, path));
    main->onShowTimer();

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main->canvas, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main->canvas, &drop);
    QVERIFY(drop.isAccepted());
    WAIT_COMPARE(canvasImage(main->canvas), saved, "the saved slide on the canvas", 5000);
    QVERIFY(!main->showTimer.isActive());

    // Text dragged in is not a file: refused.
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    QDragEnterEvent refused(QPoint(50, 50), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main->canvas, &refused);
    QVERIFY(!refused.isAccepted());
}

void TestFullCodeWindows::unusableFilesAreExplained()
{
    QTemporaryDir folder;
    QFile text(folder.filePath(QStringLiteral("notes.png")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("just some notes, not a picture\n");
    text.close();
    MainWindow* main = mainWindow();
    main->onShowTimer();
    const QImage before = canvasImage(main->canvas);
    QString message;
    ModalDialog<QMessageBox> box([&](QMessageBox* b) {
        message = b->text();
        b->accept();
    });
    QVERIFY(!PatternService::instance().openFile(main, text.fileName()));
    QCOMPARE(box.answered(), 1);
    QVERIFY(message.contains(text.fileName()));
    QCOMPARE(canvasImage(main->canvas), before);
}

void TestFullCodeWindows::openFileDialogStartsInTheRememberedFolder_data() { addFolderRows(); }

// "打开图案文件…" opens where the last file was saved or opened, never in a folder that has gone,
// and the file opened there is the folder remembered next.
void TestFullCodeWindows::openFileDialogStartsInTheRememberedFolder()
{
    QFETCH(bool, gone);
    QTemporaryDir savedIn;
    const QString path = savedIn.filePath(QStringLiteral("pattern.png"));
    MainWindow* main = mainWindow();
    main->onShowTimer();
    const QImage saved = canvasImage(main->canvas);
    QVERIFY(saveShownSlide(main->canvas, path));
    main->onShowTimer();

    QTemporaryDir elsewhere;
    const QString expected = rememberFolder(gone, elsewhere);
    QString startedIn;
    QString name;
    ModalDialog<QFileDialog> answer([&](QFileDialog* dialog) {
        startedIn = dialog->directory().absolutePath();
        name = dialog->objectName();
        // Typed as the user would: selectFile() leaves a focused name box alone.
        auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(nameBox);
        nameBox->setText(path);
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides its override
    });
    CanvasMenu* menu = menuOf(main->canvas);
    menu->openAt(QPoint(10, 10));
    menu->menu()->close();
    menu->menu()->findChild<QAction*>("actOpenPatternFile")->trigger();
    QCOMPARE(answer.answered(), 1);
    QCOMPARE(name, QStringLiteral("openPatternDialog"));
    QVERIFY2(QFileInfo(startedIn).isDir(), qPrintable(startedIn));
    QCOMPARE(QDir(startedIn), QDir(expected));
    QCOMPARE(canvasImage(main->canvas), saved);
    QCOMPARE(QDir(rememberedSaveFolder()), QDir(savedIn.path()));
}

void TestFullCodeWindows::commandLineShowsCodeOrFile()
{
    SlideRecipe recipe;
    recipe.randomState = 31337;
    recipe.width = 3;
    recipe.divisor = 0.5;
    recipe.backColour = RGB(20, 20, 20);
    const QString code = PatternCode::encode(recipe);
    const StartRequest request = parseCommandLine({QStringLiteral("pattern-designer"), QStringLiteral("--code"), code});
    QCOMPARE(request.code, code);
    showStartRequest(request);
    QCOMPARE(canvasImage(mainWindow()->canvas), pictureOf(code));
    QVERIFY(!mainWindow()->showTimer.isActive());

    const StartRequest file = parseCommandLine({QStringLiteral("pattern-designer"), QStringLiteral("/tmp/a.png")});
    QCOMPARE(file.file, QStringLiteral("/tmp/a.png"));
    QVERIFY(file.code.isEmpty());
}

namespace {

FavouritesGallery* openGallery(PictureBox* canvas)
{
    menuOf(canvas)->openAt(QPoint(10, 10));
    menuOf(canvas)->menu()->close();
    menuOf(canvas)->menu()->findChild<QAction*>("actShowFavourites")->trigger();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* gallery = qobject_cast<FavouritesGallery*>(widget); gallery && gallery->isVisible())
            return gallery;
    }
    return nullptr;
}

void keepShownSlide(PictureBox* canvas)
{
    menuOf(canvas)->openAt(QPoint(10, 10));
    menuOf(canvas)->menu()->close();
    menuOf(canvas)->menu()->findChild<QAction*>("actAddFavourite")->trigger();
}

} // namespace

void TestFullCodeWindows::favouriteIsKeptAndShownAgain()
{
    QFile::remove(FavouriteStore::defaultFolder() + QLatin1Char('/') + FavouriteStore::fileName());
    MainWindow* main = mainWindow();
    main->onShowTimer();
    const QString curveCode = main->shownFullCode();
    const QImage curvePicture = canvasImage(main->canvas);
    keepShownSlide(main->canvas);
    main->geometricButton->click();
    designer()->showTimer->stop();
    designer()->onShowTimer();
    const QString geometricCode = designer()->shownFullCode();
    keepShownSlide(designer()->canvas);

    // Kept in the database of the data folder, newest first, with the window each belongs to.
    {
        FavouriteStore store;
        const QList<Favourite> kept = store.all();
        QCOMPARE(kept.size(), 2);
        QCOMPARE(kept[0].code, geometricCode);
        QCOMPARE(kept[0].window, QStringLiteral("geometric"));
        QCOMPARE(kept[1].code, curveCode);
        QCOMPARE(kept[1].window, QStringLiteral("curves"));
    }

    // After a restart of the favourites (as after a restart of the program) the gallery lists
    // them, and "显示" brings the curve slide back in the main window, paused.
    FavouritesService::instance().reset();
    main->playButton->click();
    main->onShowTimer();
    FavouritesGallery* gallery = openGallery(main->canvas);
    QVERIFY(gallery);
    QCOMPARE(gallery->windowTitle(), QStringLiteral("澄岚图案收藏夹"));
    auto* list = gallery->findChild<QListView*>(QStringLiteral("lstFavourites"));
    QCOMPARE(list->model()->rowCount(), 2);
    list->setCurrentIndex(list->model()->index(1, 0));
    gallery->findChild<QAction*>(QStringLiteral("actShowFavourite"))->trigger();
    QCOMPARE(canvasImage(main->canvas), curvePicture);
    QVERIFY(!main->showTimer.isActive());
    QCOMPARE(main->shownFullCode(), curveCode);

    // Keeping one more while the gallery is open shows it there at once.
    main->onShowTimer();
    keepShownSlide(main->canvas);
    QCOMPARE(list->model()->rowCount(), 3);
}

void TestFullCodeWindows::favouritesShowStopsWhenPlayIsPressed()
{
    QFile::remove(FavouriteStore::defaultFolder() + QLatin1Char('/') + FavouriteStore::fileName());
    MainWindow* main = mainWindow();
    QStringList codes;
    for (int i = 0; i < 3; ++i) {
        main->onShowTimer();
        codes.prepend(main->shownFullCode());
        keepShownSlide(main->canvas);
    }
    main->onShowTimer();
    FavouritesGallery* gallery = openGallery(main->canvas);
    QVERIFY(gallery);
    auto* timer = gallery->findChild<QTimer*>(QStringLiteral("favouritesShowTimer"));
    gallery->findChild<QAbstractButton*>(QStringLiteral("cmdFavouritesShow"))->click();
    QVERIFY(gallery->isShowing());
    QCOMPARE(timer->interval(), 3000);
    QCOMPARE(main->shownFullCode(), codes[0]);
    QVERIFY(!main->showTimer.isActive());
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
    QCOMPARE(main->shownFullCode(), codes[1]);
    QCOMPARE(pictureOf(codes[1]), canvasImage(main->canvas));

    main->playButton->click();
    QVERIFY(!gallery->isShowing());
    QVERIFY(main->showTimer.isActive());
}

void TestFullCodeWindows::favouritesUnavailableLeaveTheShowsRunning()
{
    // The data folder lies under a file: nothing can be written there.
    QFile blocker(m_home.filePath(QStringLiteral("blocked")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", (blocker.fileName() + QStringLiteral("/data")).toUtf8());
    MainWindow* main = mainWindow();
    main->showTimer.start();
    main->onShowTimer();
    QString message;
    {
        ModalDialog<QMessageBox> box([&](QMessageBox* b) {
            message = b->text();
            b->accept();
        });
        keepShownSlide(main->canvas);
        QCOMPARE(box.answered(), 1);
    }
    qputenv("XDG_DATA_HOME", dataHome);
    QVERIFY(!message.isEmpty());
    QVERIFY(!FavouritesService::instance().favourites().isAvailable());
    QVERIFY(main->showTimer.isActive());
    const std::size_t slides = main->slides().history().size();
    main->onShowTimer();
    QCOMPARE(main->slides().history().size(), slides + 1);
}

// "收藏夹…" brings back a gallery the user had minimised, in front and active.
void TestFullCodeWindows::minimisedGalleryComesBack()
{
    MainWindow* main = mainWindow();
    main->onShowTimer();
    FavouritesGallery* gallery = openGallery(main->canvas);
    QVERIFY(gallery);
    gallery->setWindowState(gallery->windowState() | Qt::WindowMinimized);
    QVERIFY(gallery->isMinimized());
    main->activateWindow();
    QCOMPARE(openGallery(main->canvas), gallery);
    QCoreApplication::processEvents();
    QVERIFY(!gallery->isMinimized());
    QCOMPARE(QApplication::activeWindow(), gallery);
}

void TestFullCodeWindows::favouriteIsExportedUnderItsName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("offered");
    QTest::newRow("Chinese name") << QStringLiteral("海边的花") << QStringLiteral("海边的花.png");
    QTest::newRow("slash, colon and blanks") << QStringLiteral("花/叶: 春 2") << QStringLiteral("花_叶__春_2.png");
    QTest::newRow("leading dots") << QStringLiteral("..隐藏") << QStringLiteral("隐藏.png");
}

// The gallery's "导出…" offers a file named after the favourite, as the user named it, not after
// its code.
void TestFullCodeWindows::favouriteIsExportedUnderItsName()
{
    QFETCH(QString, name);
    QFETCH(QString, offered);
    QFile::remove(FavouriteStore::defaultFolder() + QLatin1Char('/') + FavouriteStore::fileName());
    MainWindow* main = mainWindow();
    main->onShowTimer();
    keepShownSlide(main->canvas);
    FavouritesGallery* gallery = openGallery(main->canvas);
    QVERIFY(gallery);
    auto* list = gallery->findChild<QListView*>(QStringLiteral("lstFavourites"));
    QCOMPARE(list->model()->rowCount(), 1);
    const QModelIndex kept = list->model()->index(0, 0);
    QVERIFY(list->model()->setData(kept, name)); // renamed in place
    list->setCurrentIndex(kept);

    QStringList files;
    ModalDialog<QFileDialog> answer([&](QFileDialog* dialog) {
        files = dialog->selectedFiles();
        static_cast<QDialog*>(dialog)->reject();
    });
    gallery->findChild<QAction*>(QStringLiteral("actExportFavourite"))->trigger();
    QCOMPARE(answer.answered(), 1);
    QCOMPARE(files.size(), 1);
    QCOMPARE(QFileInfo(files.constFirst()).fileName(), offered);
}

void TestFullCodeWindows::favouriteExportStartsInTheRememberedFolder_data() { addFolderRows(); }

// The gallery's "导出…" asks for the file where the last one was saved, as the canvas menu does.
void TestFullCodeWindows::favouriteExportStartsInTheRememberedFolder()
{
    QFETCH(bool, gone);
    QFile::remove(FavouriteStore::defaultFolder() + QLatin1Char('/') + FavouriteStore::fileName());
    MainWindow* main = mainWindow();
    main->onShowTimer();
    keepShownSlide(main->canvas);
    FavouritesGallery* gallery = openGallery(main->canvas);
    QVERIFY(gallery);
    auto* list = gallery->findChild<QListView*>(QStringLiteral("lstFavourites"));
    QCOMPARE(list->model()->rowCount(), 1);
    list->setCurrentIndex(list->model()->index(0, 0));

    QTemporaryDir there;
    const QString expected = rememberFolder(gone, there);
    QString startedIn;
    ModalDialog<QFileDialog> answer([&](QFileDialog* dialog) {
        startedIn = dialog->directory().absolutePath();
        static_cast<QDialog*>(dialog)->reject();
    });
    gallery->findChild<QAction*>(QStringLiteral("actExportFavourite"))->trigger();
    QCOMPARE(answer.answered(), 1);
    QVERIFY2(QFileInfo(startedIn).isDir(), qPrintable(startedIn));
    QCOMPARE(QDir(startedIn), QDir(expected));
}

void TestFullCodeWindows::keptFavouriteLeavesANote_data()
{
    QTest::addColumn<bool>("geometric");
    QTest::newRow("main window") << false;
    QTest::newRow("geometric designer") << true;
}

// "收藏图案" asks nothing when it works: a short note on the canvas says it was done.
void TestFullCodeWindows::keptFavouriteLeavesANote()
{
    QFETCH(bool, geometric);
    QFile::remove(FavouriteStore::defaultFolder() + QLatin1Char('/') + FavouriteStore::fileName());
    PictureBox* canvas = mainWindow()->canvas;
    if (geometric) {
        mainWindow()->geometricButton->click();
        designer()->showTimer->stop();
        designer()->onShowTimer();
        canvas = designer()->canvas;
    } else {
        mainWindow()->onShowTimer();
    }
    const auto note = [canvas] {
        return canvas->findChild<QLabel*>(QStringLiteral("statusNote"), Qt::FindDirectChildrenOnly);
    };
    QVERIFY(!note() || note()->isHidden());
    keepShownSlide(canvas);
    QVERIFY(note());
    QVERIFY(!note()->isHidden());
    QCOMPARE(note()->text(), QStringLiteral("已收藏"));
    QCOMPARE(FavouritesService::instance().favourites().all().size(), 1);
}

void TestFullCodeWindows::fullScreenFromTheMenuAndF11_data()
{
    QTest::addColumn<bool>("geometric");
    QTest::addColumn<bool>("byKey");
    QTest::newRow("main window, menu") << false << false;
    QTest::newRow("main window, F11") << false << true;
    QTest::newRow("geometric designer, menu") << true << false;
    QTest::newRow("geometric designer, F11") << true << true;
}

void TestFullCodeWindows::fullScreenFromTheMenuAndF11()
{
    QFETCH(bool, geometric);
    QFETCH(bool, byKey);
    QWidget* window = mainWindow();
    PictureBox* canvas = mainWindow()->canvas;
    QTimer* timer = &mainWindow()->showTimer;
    if (geometric) {
        mainWindow()->geometricButton->click();
        QVERIFY(designer());
        window = designer();
        canvas = designer()->canvas;
        timer = designer()->showTimer;
    }
    QMetaObject::invokeMethod(timer, "timeout"); // a slide on the canvas
    timer->start();
    window->activateWindow();
    QVERIFY2(QTest::qWaitForWindowActive(window, 5000), "the window to become active");
    if (byKey) {
        // With a parameter box holding the focus, as it does in the main window.
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_F11);
    } else {
        menuOf(canvas)->openAt(canvas->mapToGlobal(QPoint(100, 100)));
        menuOf(canvas)->menu()->findChild<QAction*>(QStringLiteral("actFullScreen"))->trigger();
        menuOf(canvas)->menu()->hide();
    }
    QPointer<FullScreenShow> show = FullScreenShow::of(window);
    QVERIFY(show);
    QVERIFY(show->isFullScreen());
    QImage frame = show->frame();
    frame.setDevicePixelRatio(1.0);
    QCOMPARE(frame, FrameRenderer(canvas->surface().snapshot(), frame.size()).render());
    QVERIFY(show->inhibiting() == timer->isActive());
    // Space pauses the window's own show; Escape leaves it paused, the window as it was.
    QTest::keyClick(show, Qt::Key_Space);
    QVERIFY(!timer->isActive());
    QTest::keyClick(show, Qt::Key_Escape);
    WAIT_FOR(!show, "the full-screen show to close", 5000);
    QVERIFY(window->isVisible());
    QVERIFY(!timer->isActive());
}

void TestFullCodeWindows::fullScreenItemIsCheckedWhileShown_data()
{
    QTest::addColumn<bool>("geometric");
    QTest::addColumn<bool>("openByKey");
    QTest::addColumn<QString>("leaveBy");
    QTest::newRow("main window, menu, left by the menu") << false << false << "menu";
    QTest::newRow("main window, F11, left by Escape") << false << true << "Escape";
    QTest::newRow("geometric designer, F11, left by the menu") << true << true << "menu";
    QTest::newRow("geometric designer, menu, left by F11") << true << false << "F11";
}

// "全屏放映" bears a check mark while the full-screen show is up, however it was opened, and
// chosen again it leaves the show.
void TestFullCodeWindows::fullScreenItemIsCheckedWhileShown()
{
    QFETCH(bool, geometric);
    QFETCH(bool, openByKey);
    QFETCH(QString, leaveBy);
    QWidget* window = mainWindow();
    PictureBox* canvas = mainWindow()->canvas;
    if (geometric) {
        mainWindow()->geometricButton->click();
        window = designer();
        canvas = designer()->canvas;
    }
    QAction* item = menuOf(canvas)->menu()->findChild<QAction*>(QStringLiteral("actFullScreen"));
    QVERIFY(item->isCheckable());
    QVERIFY(!item->isChecked());
    window->activateWindow();
    QVERIFY2(QTest::qWaitForWindowActive(window, 5000), "the window to become active");
    if (openByKey)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_F11);
    else
        item->trigger();
    QPointer<FullScreenShow> show = FullScreenShow::of(window);
    QVERIFY(show);
    QVERIFY(item->isChecked());

    if (leaveBy == QLatin1String("menu"))
        item->trigger();
    else
        QTest::keyClick(show, leaveBy == QLatin1String("F11") ? Qt::Key_F11 : Qt::Key_Escape);
    QVERIFY(!FullScreenShow::of(window));
    QVERIFY(!item->isChecked());
    WAIT_FOR(!show, "the full-screen show to close", 5000);
}

// Over the real window: its timer's ticks wait while the canvas menu is up.
void TestFullCodeWindows::showWaitsWhileTheMenuIsUp()
{
    MainWindow* window = mainWindow();
    window->showTimer.start();
    QMetaObject::invokeMethod(&window->showTimer, "timeout");
    const QString before = window->codeLabel->text();
    menuOf(window->canvas)->openAt(window->canvas->mapToGlobal(QPoint(100, 100)));
    WAIT_FOR(menuOf(window->canvas)->menu()->isVisible(), "the canvas menu to open", 5000);
    QMetaObject::invokeMethod(&window->showTimer, "timeout");
    QCOMPARE(window->codeLabel->text(), before);
    menuOf(window->canvas)->menu()->hide();
    WAIT_FOR(!menuOf(window->canvas)->holdingShow(), "the menu to let the show go", 5000);
    QVERIFY(window->showTimer.isActive());
    QMetaObject::invokeMethod(&window->showTimer, "timeout");
    QVERIFY(window->codeLabel->text() != before);
}

QTEST_MAIN(TestFullCodeWindows)
#include "tst_fullcodewindows.moc"

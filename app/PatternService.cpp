#include "app/PatternService.h"

#include "app/canvas/CanvasMenu.h"
#include "app/canvas/PatternCodeDialog.h"
#include "app/canvas/SlideShowWindow.h"
#include "app/canvas/SaveDialog.h"
#include "app/canvas/SaveFolder.h"
#include "app/favourites/FavouriteStore.h"
#include "app/favourites/FavouritesGallery.h"
#include "app/geometric/GeometricDesigner.h"
#include "app/mainwindow/MainWindow.h"
#include "app/messages/OutputMessages.h"
#include "app/messages/PatternMessages.h"
#include "app/output/OutputRunner.h"
#include "app/registry/WindowRegistry.h"
#include "app/widgets/Dialogs.h"
#include "app/widgets/StatusNote.h"
#include "draw/pattern/PatternFileReader.h"
#include "draw/pattern/SlideReplay.h"
#include "draw/surface/PictureSource.h"

#include <QFileDialog>

namespace {

QString windowName(PatternWindow window)
{
    return window == PatternWindow::Curves ? QStringLiteral("curves") : QStringLiteral("geometric");
}

// Saves the code's picture as PNG, named after name, asking for the file as the canvas menu does;
// the slide is replayed from its recipe and written off the user-interface thread.
void exportCode(QWidget* owner, const QString& code, const QString& name)
{
    const PatternCode::Reading reading = PatternCode::decode(code);
    if (!reading.recipe) {
        showPatternCodeProblem(owner, reading.problem);
        return;
    }
    PatternPicture pattern;
    pattern.picture = slidePicture(*reading.recipe, &pattern.code);
    pattern.fullCode = reading.code;
    const QString path = askSaveFileName(owner, saveRequestFor(ExportKind::Png, name));
    if (path.isEmpty())
        return;
    const PictureTarget target = pictureTargetFor(path);
    if (target.path != path && !confirmReplacing(owner, target.path))
        return;
    const QPointer<QWidget> reportTo(owner);
    runJobWithProgress(owner, asShownJob(pattern, 1.0, target.format, target.path),
                       [reportTo, written = target.path](const OutputResult& result) {
                           if (result.ok())
                               rememberSaveFolder(written);
                           else if (!result.cancelled())
                               showSaveFailure(reportTo, saveFailureMessage(written, result.error));
                       },
                       ProgressShown::WhenSlow);
}

// The canvas of a pattern window, for a note about what was done there.
QWidget* canvasOf(QWidget* window)
{
    auto* host = dynamic_cast<CanvasHost*>(window);
    return host ? host->hostedCanvas() : window;
}

} // namespace

PatternService::PatternService() = default;
PatternService::~PatternService() = default;

PatternService& PatternService::instance()
{
    static PatternService service;
    return service;
}

void PatternService::attachWindow(QWidget* window)
{
    auto* host = dynamic_cast<SlideShowWindow*>(window);
    if (!host)
        return;
    CanvasMenu* menu = host->patternMenu();
    connect(menu, &CanvasMenu::patternCodeRequested, window,
            [window](const QString& shown) { PatternService::instance().askForCode(window, shown); });
    connect(menu, &CanvasMenu::openFileRequested, window, [window] { PatternService::instance().askForFile(window); });
    connect(menu, &CanvasMenu::fileDropped, window,
            [window](const QString& path) { PatternService::instance().openFile(window, path); });
    connect(menu, &CanvasMenu::addFavouriteRequested, window,
            [window](const QString& code) { PatternService::instance().addFavourite(window, code); });
    connect(menu, &CanvasMenu::favouritesRequested, window, [] { PatternService::instance().showFavourites(); });
    // Play in a window ends the favourites show there: the normal show goes on.
    if (auto* main = qobject_cast<MainWindow*>(window))
        connect(main, &MainWindow::showResumed, this, &PatternService::stopFavouritesShow);
    if (auto* geometric = qobject_cast<GeometricDesigner*>(window))
        connect(geometric, &GeometricDesigner::showResumed, this, &PatternService::stopFavouritesShow);
}

void PatternService::showRecipe(const SlideRecipe& recipe)
{
    WindowRegistry& registry = WindowRegistry::instance();
    const WindowId id = recipe.window == PatternWindow::Curves ? WindowId::Main : WindowId::Geometric;
    const bool wasOpen = registry.existing(id) != nullptr;
    QWidget* window = registry.show(id);
    if (id == WindowId::Geometric && !wasOpen)
        registry.placeGeometricDesigner(registry.window(WindowId::Main));
    if (auto* host = dynamic_cast<SlideShowWindow*>(window))
        host->showRecipe(recipe);
}

PatternCode::Problem PatternService::showCode(const QString& text)
{
    const PatternCode::Reading reading = PatternCode::find(text);
    if (reading.recipe)
        showRecipe(*reading.recipe);
    return reading.problem;
}

void PatternService::askForCode(QWidget* owner, const QString& shownCode)
{
    if (const auto recipe = PatternCodeDialog::ask(shownCode, owner))
        showRecipe(*recipe);
}

void PatternService::askForFile(QWidget* owner)
{
    // Where the last file was saved or opened: one remembered folder, and never one that is gone.
    QFileDialog dialog(owner, QStringLiteral("打开图案文件"), rememberedSaveFolder(),
                       QStringLiteral("图案文件 (*.png *.svg);;所有文件 (*)"));
    dialog.setObjectName(QStringLiteral("openPatternDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    rememberSaveFolder(path);
    openFile(owner, path);
}

bool PatternService::openFile(QWidget* owner, const QString& path)
{
    const PatternFileCode file = readPatternFileCode(path);
    if (file.problem != PatternFileProblem::None) {
        showWarningBox(owner, "patternFileProblemBox", QStringLiteral("打开图案文件"), patternFileProblemText(file.problem, path));
        return false;
    }
    const PatternCode::Reading reading = PatternCode::decode(file.code);
    if (!reading.recipe) {
        showWarningBox(owner, "patternFileProblemBox", QStringLiteral("打开图案文件"),
             QStringLiteral("%1\n文件：%2").arg(patternCodeProblemText(reading.problem), path));
        return false;
    }
    showRecipe(*reading.recipe);
    return true;
}

FavouriteStore& PatternService::favourites()
{
    if (!m_store)
        m_store = std::make_unique<FavouriteStore>();
    return *m_store;
}

FavouriteStore& PatternService::openedFavourites(QWidget* owner)
{
    const bool first = !m_store;
    FavouriteStore& store = favourites();
    // A damaged database moved aside, or a folder that cannot be written: said once, when the
    // favourites are first used; the shows go on either way.
    if (first && !store.problem().isEmpty())
        showWarningBox(owner, "favouritesProblemBox", QStringLiteral("收藏夹"), store.problem());
    return store;
}

void PatternService::addFavourite(QWidget* owner, const QString& code)
{
    const PatternCode::Reading reading = PatternCode::decode(code);
    if (!reading.recipe)
        return;
    const bool wasOpen = m_store != nullptr;
    FavouriteStore& store = openedFavourites(owner);
    if (!store.isAvailable()) {
        if (wasOpen)
            showWarningBox(owner, "favouritesProblemBox", QStringLiteral("收藏图案"), store.problem());
        return;
    }
    if (!store.add(reading.code, windowName(reading.recipe->window))) {
        showWarningBox(owner, "favouritesProblemBox", QStringLiteral("收藏图案"),
             store.problem().isEmpty() ? QStringLiteral("图案没有收藏：收藏夹无法写入。") : store.problem());
        return;
    }
    showStatusNote(canvasOf(owner), QStringLiteral("已收藏"));
    if (m_gallery)
        m_gallery->reload();
}

void PatternService::showFavourites()
{
    if (!m_gallery) {
        GalleryServices services;
        services.drawThumbnail = patternThumbnail;
        services.show = [](const QString& code) { PatternService::instance().showCode(code); };
        services.exportPng = exportCode;
        m_gallery = new FavouritesGallery(openedFavourites(nullptr), services);
        m_gallery->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_gallery->show();
    m_gallery->raise();
    m_gallery->activateWindow();
}

void PatternService::stopFavouritesShow()
{
    if (m_gallery)
        m_gallery->stopShow();
}

void PatternService::reset()
{
    delete m_gallery;
    m_store.reset();
}

QImage patternThumbnail(const QString& code, QSize size)
{
    const PatternCode::Reading reading = PatternCode::decode(code);
    if (!reading.recipe || size.isEmpty())
        return QImage();
    // Drawn at the canvas's own size and scaled down smoothly: dots a fraction of a pixel wide
    // still show as the shades they make.
    return slidePicture(*reading.recipe)->render(1.0).scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

#include "app/FavouritesService.h"

#include "app/PatternService.h"
#include "app/canvas/CanvasMenu.h"
#include "app/canvas/PatternCodeDialog.h"
#include "app/canvas/SaveDialog.h"
#include "app/canvas/SaveFolder.h"
#include "app/canvas/SlideShowWindow.h"
#include "app/favourites/FavouriteStore.h"
#include "app/favourites/FavouritesGallery.h"
#include "app/messages/OutputMessages.h"
#include "app/output/OutputRunner.h"
#include "app/registry/WindowRegistry.h"
#include "app/widgets/Dialogs.h"
#include "app/widgets/PictureBox.h"
#include "app/widgets/StatusNote.h"
#include "draw/pattern/PatternCode.h"
#include "draw/pattern/SlideReplay.h"
#include "draw/surface/PictureSource.h"

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

FavouritesService::FavouritesService() = default;
FavouritesService::~FavouritesService() = default;

FavouritesService& FavouritesService::instance()
{
    static FavouritesService service;
    return service;
}

void FavouritesService::attachWindow(QWidget* window)
{
    auto* host = dynamic_cast<SlideShowWindow*>(window);
    if (!host)
        return;
    CanvasMenu* menu = host->patternMenu();
    connect(menu, &CanvasMenu::addFavouriteRequested, window,
            [window](const QString& code) { FavouritesService::instance().addFavourite(window, code); });
    connect(menu, &CanvasMenu::favouritesRequested, window, [] { FavouritesService::instance().showFavourites(); });
    // Play in a window ends the favourites show there: the normal show goes on.
    host->onShowResumed(this, [this] { stopFavouritesShow(); });
}

FavouriteStore& FavouritesService::favourites()
{
    if (!m_store)
        m_store = std::make_unique<FavouriteStore>();
    return *m_store;
}

FavouriteStore& FavouritesService::openedFavourites(QWidget* owner)
{
    const bool first = !m_store;
    FavouriteStore& store = favourites();
    // A damaged or foreign database moved aside, a folder that cannot be written, a read-only
    // file or another program's lock: said once, when the favourites are first used; the shows
    // go on either way.
    if (first && !store.problem().isEmpty())
        showWarningBox(owner, "favouritesProblemBox", QStringLiteral("收藏夹"), store.problem());
    return store;
}

void FavouritesService::addFavourite(QWidget* owner, const QString& code)
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

void FavouritesService::showFavourites()
{
    if (!m_gallery) {
        GalleryServices services;
        services.drawThumbnail = patternThumbnail;
        services.show = [](const QString& code) { PatternService::instance().showCode(code); };
        services.exportPng = exportCode;
        m_gallery = new FavouritesGallery(openedFavourites(nullptr), services);
        m_gallery->setAttribute(Qt::WA_DeleteOnClose);
    } else if (m_store && m_store->state() == FavouriteStore::State::Busy) {
        // Another program held the lock when the gallery opened: it may have let it go since.
        m_gallery->reload();
    }
    m_gallery->show();
    m_gallery->raise();
    m_gallery->activateWindow();
}

void FavouritesService::stopFavouritesShow()
{
    if (m_gallery)
        m_gallery->stopShow();
}

void FavouritesService::reset()
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

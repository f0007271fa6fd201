#include "app/canvas/CanvasMenu.h"

#include "app/canvas/ExportDialog.h"
#include "app/canvas/ExportRunner.h"
#include "app/canvas/SaveDialog.h"
#include "app/canvas/SaveFolder.h"
#include "app/canvas/SlideNavigator.h"
#include "app/widgets/Dialogs.h"
#include "draw/export/PatternExport.h"
#include "draw/surface/PictureSource.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QShortcut>
#include <QWidget>

#include <optional>

namespace {

ExportResult writePattern(ExportKind kind, const PictureSource& picture, const QString& code, const QString& fullCode,
                          const QString& path)
{
    switch (kind) {
    case ExportKind::Png:
        return savePicture(picture, 1.0, code, pictureTargetFor(path), fullCode);
    case ExportKind::Png4x:
        return savePicture(picture, 4.0, code, pictureTargetFor(path), fullCode);
    case ExportKind::Svg:
        break;
    }
    return saveSvg(picture, code, path, fullCode);
}

// The local file a drag brings, if it brings exactly one.
QString droppedFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1 || !mime->urls().front().isLocalFile())
        return QString();
    return mime->urls().front().toLocalFile();
}

// What the right button offers, for the canvas's tooltip.
const QString canvasHint =
    QStringLiteral("右键单击（或按菜单键、Shift+F10）：复制、保存或导出图案，图案代码，收藏，全屏放映");

} // namespace

struct CanvasMenu::ShowHold
{
    explicit ShowHold(CanvasMenu* menu) : menu(menu) { menu->holdShow(); }
    ~ShowHold()
    {
        if (menu)
            menu->releaseShow();
    }
    ShowHold(const ShowHold&) = delete;
    ShowHold& operator=(const ShowHold&) = delete;
    QPointer<CanvasMenu> menu;
};

// The timer keeps running and its ticks are let go by: a pause chosen meanwhile (a kept slide
// shown, a slide from a code) stops it as ever, and nothing here starts it again.
void CanvasMenu::holdShow()
{
    if (m_holds++ == 0 && m_showTimer)
        m_showTimer->blockSignals(true);
}

void CanvasMenu::releaseShow()
{
    if (m_holds == 0 || --m_holds > 0 || !m_showTimer)
        return;
    m_showTimer->blockSignals(false);
    // A whole interval from now: the next slide does not jump in as the dialog closes.
    if (m_showTimer->isActive())
        m_showTimer->start();
}

CanvasMenu::CanvasMenu(QWidget* canvas, Snapshot snapshot, CodeSource code)
    : QObject(canvas),
      m_canvas(canvas),
      m_menu(new QMenu(canvas)),
      m_snapshot(std::move(snapshot)),
      m_code(std::move(code)),
      m_chooseFile(askSaveFileName),
      m_reportError(showSaveFailure)
{
    setObjectName(QStringLiteral("canvasMenu"));
    m_menu->setObjectName(QStringLiteral("canvasContextMenu"));
    // No shortcuts and no mnemonics: the keyboard belongs to the covered parameter boxes.
    connect(addMenuAction("actCopyPattern", QStringLiteral("复制图案")), &QAction::triggered, this,
            &CanvasMenu::copyShownPattern);
    connect(addMenuAction("actPatternCode", QStringLiteral("图案代码…")), &QAction::triggered, this, [this] {
        const ShowHold hold(this);
        emit patternCodeRequested(m_shownFullCode);
    });
    connect(addMenuAction("actSavePng", QStringLiteral("保存图案 (PNG)…")), &QAction::triggered, this,
            [this] { saveShownPattern(ExportKind::Png); });
    connect(addMenuAction("actSavePng4x", QStringLiteral("保存高清图案 (PNG 4倍)…")), &QAction::triggered, this,
            [this] { saveShownPattern(ExportKind::Png4x); });
    connect(addMenuAction("actSaveSvg", QStringLiteral("保存矢量图案 (SVG)…")), &QAction::triggered, this,
            [this] { saveShownPattern(ExportKind::Svg); });
    connect(addMenuAction("actExportPattern", QStringLiteral("导出图案…")), &QAction::triggered, this,
            &CanvasMenu::exportShownPattern);
    connect(addMenuAction("actOpenPatternFile", QStringLiteral("打开图案文件…")), &QAction::triggered, this, [this] {
        const ShowHold hold(this);
        emit openFileRequested();
    });
    m_menu->addSeparator();
    m_addFavourite = addMenuAction("actAddFavourite", QStringLiteral("收藏图案"));
    connect(m_addFavourite, &QAction::triggered, this, [this] {
        if (!m_shownFullCode.isEmpty())
            emit addFavouriteRequested(m_shownFullCode);
    });
    connect(addMenuAction("actShowFavourites", QStringLiteral("收藏夹…")), &QAction::triggered, this,
            &CanvasMenu::favouritesRequested);
    m_menu->addSeparator();
    m_fullScreen = addMenuAction("actFullScreen", QStringLiteral("全屏放映"));
    m_fullScreen->setCheckable(true);
    connect(m_fullScreen, &QAction::triggered, this, &CanvasMenu::fullScreenRequested);
    // The show waits while the menu is up; the item chosen (if any) runs before the menu lets go,
    // and a dialog it opens holds the show on its own.
    connect(m_menu, &QMenu::aboutToHide, this, [this] {
        QMetaObject::invokeMethod(this, &CanvasMenu::releaseShow, Qt::QueuedConnection);
    });
    canvas->setAcceptDrops(true);
    canvas->setToolTip(canvasHint);
    canvas->installEventFilter(this);
    // The keyboard's way to the menu, whichever box has the focus: keys that type no character.
    if (QWidget* window = canvas->window()) {
        for (const QKeySequence& keys : {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
            auto* shortcut = new QShortcut(keys, window);
            shortcut->setContext(Qt::WindowShortcut);
            connect(shortcut, &QShortcut::activated, this, [this] {
                if (m_canvas && m_canvas->isVisible())
                    openAt(m_canvas->mapToGlobal(m_canvas->rect().center()));
            });
        }
    }
}

QAction* CanvasMenu::addMenuAction(const char* name, const QString& text)
{
    QAction* action = m_menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    return action;
}

bool CanvasMenu::eventFilter(QObject* watched, QEvent* event)
{
    // Requests from the labels inside the canvas arrive here too, passed on by the labels.
    if (watched != m_canvas)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ContextMenu:
        openAt(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (droppedFile(drag->mimeData()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = droppedFile(drop->mimeData());
        if (path.isEmpty())
            return false;
        drop->acceptProposedAction();
        // After the drop has finished: the file may open a message box.
        QMetaObject::invokeMethod(this, [this, path] { emit fileDropped(path); }, Qt::QueuedConnection);
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void CanvasMenu::setNavigator(SlideNavigator* navigator)
{
    if (m_navigator || !navigator)
        return;
    m_navigator = navigator;
    m_menu->addSeparator();
    m_previous = addMenuAction("actPreviousPattern", QStringLiteral("上一幅图案"));
    m_next = addMenuAction("actNextPattern", QStringLiteral("下一幅图案"));
    connect(m_previous, &QAction::triggered, this, [this] {
        if (m_navigator->hasPrevious())
            m_navigator->showPrevious();
    });
    connect(m_next, &QAction::triggered, this, [this] {
        if (m_navigator->hasNext())
            m_navigator->showNext();
    });
}

void CanvasMenu::setFullScreenShown(bool shown) { m_fullScreen->setChecked(shown); }

void CanvasMenu::openAt(const QPoint& globalPos)
{
    m_shownPicture = m_snapshot ? m_snapshot() : nullptr;
    m_shownCode = m_code ? m_code() : QString();
    m_shownFullCode = m_fullCode && m_shownPicture ? m_fullCode() : QString();
    enableItems();
    if (!m_menu->isVisible())
        holdShow();
    m_menu->popup(globalPos);
}

void CanvasMenu::enableItems()
{
    // Nothing to copy or save before the window's first slide: its canvas is still empty.
    const bool slide = m_shownPicture != nullptr && (!m_navigator || m_navigator->hasSlides());
    for (const char* name : {"actCopyPattern", "actSavePng", "actSavePng4x", "actSaveSvg", "actExportPattern"}) {
        if (QAction* action = m_menu->findChild<QAction*>(QLatin1String(name)))
            action->setEnabled(slide);
    }
    m_addFavourite->setEnabled(!m_shownFullCode.isEmpty());
    if (m_navigator) {
        m_previous->setEnabled(m_navigator->hasPrevious());
        m_next->setEnabled(m_navigator->hasNext());
    }
}

void CanvasMenu::copyShownPattern()
{
    if (m_shownPicture)
        copyPattern(*m_shownPicture, m_shownCode, m_shownFullCode);
}

void CanvasMenu::saveShownPattern(ExportKind kind)
{
    // Local copies: the dialog below runs an event loop in which the menu may open again.
    const std::shared_ptr<const PictureSource> picture = m_shownPicture;
    const QString code = m_shownCode;
    const QString fullCode = m_shownFullCode;
    QWidget* owner = m_canvas ? m_canvas->window() : nullptr;
    if (!picture)
        return;
    const ShowHold hold(this);
    SaveRequest request = saveRequestFor(kind, code);
    request.folder = rememberedSaveFolder();
    const QString path = m_chooseFile(owner, request);
    if (path.isEmpty())
        return;
    const QString written = kind == ExportKind::Svg ? path : pictureTargetFor(path).path;
    // The file dialog asked about the name typed, not about the one with ".png" added.
    if (written != path && !confirmReplacing(owner, written))
        return;
    const ExportResult result = writePattern(kind, *picture, code, fullCode, path);
    if (result.ok)
        rememberSaveFolder(written);
    else
        m_reportError(owner, saveFailureMessage(written, result.reason));
}

void CanvasMenu::exportShownPattern()
{
    // Local copies, as for saving: the dialogs run event loops in which the menu may open again.
    const std::shared_ptr<const PictureSource> picture = m_shownPicture;
    const QString code = m_shownCode;
    const QString fullCode = m_shownFullCode;
    QWidget* owner = m_canvas ? m_canvas->window() : nullptr;
    if (!picture)
        return;
    // On the heap and watched: a window closed meanwhile takes the dialog and this menu with it.
    const QPointer<CanvasMenu> self(this);
    std::optional<ShowHold> hold(std::in_place, this);
    const QPointer<ExportDialog> dialog = new ExportDialog(picture, owner);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (!dialog || !self)
        return;
    const std::optional<ExportFrame> frame = dialog->reading().frame;
    const ExportFormat format = dialog->format();
    delete dialog;
    if (!accepted || !frame)
        return;
    const QString path = m_chooseFile(owner, exportRequestFor(format, code, rememberedSaveFolder()));
    if (path.isEmpty() || !self)
        return;

    ExportJob job;
    job.picture = picture;
    job.code = code;
    job.fullCode = fullCode;
    job.frame = *frame;
    job.format = format;
    job.path = path;
    if (format == ExportFormat::Png) {
        const PictureTarget target = pictureTargetFor(path);
        job.path = target.path;
        job.pictureFormat = target.format;
        if (job.path != path && !confirmReplacing(owner, job.path))
            return;
    }
    // The choices are made: the show goes on while the file is written.
    hold.reset();
    // Watched: the window may go between the worker's end and the report.
    QPointer<QWidget> reportTo(owner);
    runExportWithProgress(owner, job, [report = m_reportError, reportTo, written = job.path](const ExportResult& result) {
        if (result.ok)
            rememberSaveFolder(written);
        else if (!result.cancelled)
            report(reportTo, saveFailureMessage(written, result.reason));
    });
}

QString saveFailureMessage(const QString& path, const QString& reason)
{
    return QStringLiteral("图案没有保存。\n文件：%1\n原因：%2").arg(path, reason);
}

void showSaveFailure(QWidget* owner, const QString& message)
{
    showWarningBox(owner, "saveFailureBox", QStringLiteral("保存图案"), message);
}

CanvasMenu* attachCanvasMenu(QWidget* canvas, CanvasMenu::Snapshot snapshot, CanvasMenu::CodeSource code)
{
    return new CanvasMenu(canvas, std::move(snapshot), std::move(code));
}

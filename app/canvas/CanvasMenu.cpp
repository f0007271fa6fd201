#include "app/canvas/CanvasMenu.h"

#include "app/canvas/ExportDialog.h"
#include "app/canvas/SaveDialog.h"
#include "app/canvas/SaveFolder.h"
#include "app/canvas/SlideNavigator.h"
#include "app/messages/OutputMessages.h"
#include "app/output/OutputRunner.h"
#include "app/output/PatternClipboard.h"
#include "app/widgets/StatusNote.h"
#include "draw/surface/PictureSource.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QShortcut>
#include <QWidget>

#include <optional>

namespace {

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
        emit patternCodeRequested(m_shown.fullCode);
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
        if (!m_shown.fullCode.isEmpty())
            emit addFavouriteRequested(m_shown.fullCode);
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
    // Keyboard requests for a context menu reach whichever box has the focus.
    qApp->installEventFilter(this);
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

// The menu key pressed while a box of the window has the focus: the window system turns it into
// a context menu request for that box, which would open the box's own edit menu.
bool CanvasMenu::isKeyboardMenuInWindow(QObject* watched, const QEvent& event) const
{
    if (static_cast<const QContextMenuEvent&>(event).reason() != QContextMenuEvent::Keyboard)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && m_canvas && m_canvas->isVisible() && !widget->isWindow()
           && widget->window() == m_canvas->window();
}

QAction* CanvasMenu::addMenuAction(const char* name, const QString& text)
{
    QAction* action = m_menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    return action;
}

bool CanvasMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_canvas) {
        if (event->type() == QEvent::ContextMenu && isKeyboardMenuInWindow(watched, *event)) {
            openAt(m_canvas->mapToGlobal(m_canvas->rect().center()));
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
    // Requests from the labels inside the canvas arrive here too, passed on by the labels.
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
    m_shown.picture = m_snapshot ? m_snapshot() : nullptr;
    m_shown.code = m_code ? m_code() : QString();
    m_shown.fullCode = m_fullCode && m_shown.picture ? m_fullCode() : QString();
    enableItems();
    if (!m_menu->isVisible())
        holdShow();
    m_menu->popup(globalPos);
}

void CanvasMenu::enableItems()
{
    // Nothing to copy or save before the window's first slide: its canvas is still empty.
    const bool slide = m_shown.picture != nullptr && (!m_navigator || m_navigator->hasSlides());
    for (const char* name : {"actCopyPattern", "actSavePng", "actSavePng4x", "actSaveSvg", "actExportPattern"}) {
        if (QAction* action = m_menu->findChild<QAction*>(QLatin1String(name)))
            action->setEnabled(slide);
    }
    m_addFavourite->setEnabled(!m_shown.fullCode.isEmpty());
    if (m_navigator) {
        m_previous->setEnabled(m_navigator->hasPrevious());
        m_next->setEnabled(m_navigator->hasNext());
    }
}

void CanvasMenu::copyShownPattern()
{
    if (!m_shown.picture)
        return;
    copyPattern(m_shown);
    showStatusNote(m_canvas, QStringLiteral("已复制"));
}

void CanvasMenu::saveShownPattern(ExportKind kind)
{
    // A local copy: the dialog below runs an event loop in which the menu may open again.
    const PatternPicture pattern = m_shown;
    QWidget* owner = m_canvas ? m_canvas->window() : nullptr;
    if (!pattern.picture)
        return;
    std::optional<ShowHold> hold(std::in_place, this);
    const QString path = m_chooseFile(owner, saveRequestFor(kind, pattern.code));
    if (path.isEmpty())
        return;
    OutputJob job;
    if (kind == ExportKind::Svg) {
        job = asShownJob(pattern, 1.0, ExportFormat::Svg, path);
    } else {
        const PictureTarget target = pictureTargetFor(path);
        // The file dialog asked about the name typed, not about the one with ".png" added.
        if (target.path != path && !confirmReplacing(owner, target.path))
            return;
        job = asShownJob(pattern, kind == ExportKind::Png4x ? 4.0 : 1.0, target.format, target.path);
    }
    // The name is chosen: the show goes on while the file is written.
    hold.reset();
    runJob(std::move(job), ProgressShown::WhenSlow);
}

void CanvasMenu::exportShownPattern()
{
    // A local copy, as for saving: the dialogs run event loops in which the menu may open again.
    const PatternPicture pattern = m_shown;
    QWidget* owner = m_canvas ? m_canvas->window() : nullptr;
    if (!pattern.picture)
        return;
    // On the heap and watched: a window closed meanwhile takes the dialog and this menu with it.
    const QPointer<CanvasMenu> self(this);
    std::optional<ShowHold> hold(std::in_place, this);
    const QPointer<ExportDialog> dialog = new ExportDialog(pattern.picture, owner);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (!dialog || !self)
        return;
    const std::optional<ExportFrame> frame = dialog->reading().frame;
    const ExportFormat format = dialog->format();
    delete dialog;
    if (!accepted || !frame)
        return;
    const QString path = m_chooseFile(owner, exportRequestFor(format, pattern.code, rememberedSaveFolder()));
    if (path.isEmpty() || !self)
        return;

    OutputJob job;
    job.pattern = pattern;
    job.frame = *frame;
    job.format = format;
    job.path = path;
    if (format == ExportFormat::Png) {
        const PictureTarget target = pictureTargetFor(path);
        job.path = target.path;
        job.format = target.format;
        if (job.path != path && !confirmReplacing(owner, job.path))
            return;
    }
    // The choices are made: the show goes on while the file is written.
    hold.reset();
    runJob(std::move(job), ProgressShown::AtOnce);
}

void CanvasMenu::runJob(OutputJob job, ProgressShown shown)
{
    QWidget* owner = m_canvas ? m_canvas->window() : nullptr;
    const QString path = job.path;
    // Watched: the window may go between the worker's end and the report.
    const QPointer<CanvasMenu> self(this);
    runJobWithProgress(owner, std::move(job), [self, path](const OutputResult& result) {
        if (!self)
            return;
        if (result.ok()) {
            rememberSaveFolder(path);
            showStatusNote(self->m_canvas, QStringLiteral("已保存到 %1").arg(QFileInfo(path).absolutePath()));
        } else if (!result.cancelled()) {
            self->m_reportError(self->m_canvas ? self->m_canvas->window() : nullptr, saveFailureMessage(path, result.error));
        }
        emit self->patternWritten(path, result);
    }, shown);
}

CanvasMenu* attachCanvasMenu(QWidget* canvas, CanvasMenu::Snapshot snapshot, CanvasMenu::CodeSource code)
{
    return new CanvasMenu(canvas, std::move(snapshot), std::move(code));
}

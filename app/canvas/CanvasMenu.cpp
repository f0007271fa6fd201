#include "app/canvas/CanvasMenu.h"

#include "app/canvas/SlideNavigator.h"
#include "draw/surface/PictureSource.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QShortcut>
#include <QWidget>

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

void CanvasMenu::setShowClock(SlideShowClock* clock)
{
    m_showClock = clock;
    m_actions->setShowClock(clock);
}

bool CanvasMenu::holdingShow() const { return m_showClock && m_showClock->isHeld(); }

void CanvasMenu::holdWhileUp()
{
    if (m_openings++ == 0)
        m_hold.emplace(m_showClock);
}

void CanvasMenu::releaseWhenDown()
{
    if (m_openings == 0 || --m_openings > 0)
        return;
    m_hold.reset();
}

CanvasMenu::CanvasMenu(QWidget* canvas, Snapshot snapshot, CodeSource code)
    : QObject(canvas),
      m_canvas(canvas),
      m_menu(new QMenu(canvas)),
      m_snapshot(std::move(snapshot)),
      m_code(std::move(code)),
      m_actions(new PatternActions(canvas, this))
{
    setObjectName(QStringLiteral("canvasMenu"));
    connect(m_actions, &PatternActions::patternWritten, this, &CanvasMenu::patternWritten);
    m_menu->setObjectName(QStringLiteral("canvasContextMenu"));
    // No shortcuts and no mnemonics: the keyboard belongs to the covered parameter boxes.
    connect(addMenuAction("actCopyPattern", QStringLiteral("复制图案")), &QAction::triggered, this,
            &CanvasMenu::copyShownPattern);
    connect(addMenuAction("actPatternCode", QStringLiteral("图案代码…")), &QAction::triggered, this, [this] {
        const SlideShowClock::Hold hold(m_showClock);
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
        const SlideShowClock::Hold hold(m_showClock);
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
        QMetaObject::invokeMethod(this, &CanvasMenu::releaseWhenDown, Qt::QueuedConnection);
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
        holdWhileUp();
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

CanvasMenu* attachCanvasMenu(QWidget* canvas, CanvasMenu::Snapshot snapshot, CanvasMenu::CodeSource code)
{
    return new CanvasMenu(canvas, std::move(snapshot), std::move(code));
}

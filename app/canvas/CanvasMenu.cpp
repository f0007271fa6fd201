#include "app/canvas/CanvasMenu.h"

#include "app/canvas/SaveDialog.h"
#include "app/canvas/SlideNavigator.h"
#include "draw/export/PatternExport.h"
#include "draw/surface/PictureSource.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>
#include <QWidget>

namespace {

ExportResult writePattern(ExportKind kind, const PictureSource& picture, const QString& code, const QString& path)
{
    switch (kind) {
    case ExportKind::Png:
        return savePng(picture, 1.0, code, path);
    case ExportKind::Png4x:
        return savePng(picture, 4.0, code, path);
    case ExportKind::Svg:
        break;
    }
    return saveSvg(picture, code, path);
}

} // namespace

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
    connect(addMenuAction("actSavePng", QStringLiteral("保存图案 (PNG)…")), &QAction::triggered, this,
            [this] { saveShownPattern(ExportKind::Png); });
    connect(addMenuAction("actSavePng4x", QStringLiteral("保存高清图案 (PNG 4倍)…")), &QAction::triggered, this,
            [this] { saveShownPattern(ExportKind::Png4x); });
    connect(addMenuAction("actSaveSvg", QStringLiteral("保存矢量图案 (SVG)…")), &QAction::triggered, this,
            [this] { saveShownPattern(ExportKind::Svg); });
    canvas->installEventFilter(this);
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
    if (watched == m_canvas && event->type() == QEvent::ContextMenu) {
        openAt(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
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

void CanvasMenu::openAt(const QPoint& globalPos)
{
    m_shownPicture = m_snapshot ? m_snapshot() : nullptr;
    m_shownCode = m_code ? m_code() : QString();
    enableItems();
    m_menu->popup(globalPos);
}

void CanvasMenu::enableItems()
{
    for (QAction* action : m_menu->actions())
        action->setEnabled(m_shownPicture != nullptr);
    if (m_navigator) {
        m_previous->setEnabled(m_navigator->hasPrevious());
        m_next->setEnabled(m_navigator->hasNext());
    }
}

void CanvasMenu::copyShownPattern()
{
    if (m_shownPicture)
        copyPattern(*m_shownPicture, m_shownCode);
}

void CanvasMenu::saveShownPattern(ExportKind kind)
{
    // Local copies: the dialog below runs an event loop in which the menu may open again.
    const std::shared_ptr<const PictureSource> picture = m_shownPicture;
    const QString code = m_shownCode;
    QWidget* owner = m_canvas ? m_canvas->window() : nullptr;
    if (!picture)
        return;
    const QString path = m_chooseFile(owner, saveRequestFor(kind, code));
    if (path.isEmpty())
        return;
    const ExportResult result = writePattern(kind, *picture, code, path);
    if (!result.ok)
        m_reportError(owner, saveFailureMessage(path, result.reason));
}

QString saveFailureMessage(const QString& path, const QString& reason)
{
    return QStringLiteral("图案没有保存。\n文件：%1\n原因：%2").arg(path, reason);
}

void showSaveFailure(QWidget* owner, const QString& message)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("保存图案"), message, QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("saveFailureBox"));
    box.exec();
}

CanvasMenu* attachCanvasMenu(QWidget* canvas, CanvasMenu::Snapshot snapshot, CanvasMenu::CodeSource code)
{
    return new CanvasMenu(canvas, std::move(snapshot), std::move(code));
}

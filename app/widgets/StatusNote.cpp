#include "app/widgets/StatusNote.h"

#include <QLabel>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int margin = 8;

QLabel* noteOn(QWidget* canvas)
{
    auto* note = canvas->findChild<QLabel*>(QStringLiteral("statusNote"), Qt::FindDirectChildrenOnly);
    if (note)
        return note;
    note = new QLabel(canvas);
    note->setObjectName(QStringLiteral("statusNote"));
    note->setAttribute(Qt::WA_TransparentForMouseEvents);
    note->setStyleSheet(QStringLiteral("QLabel { background: rgba(0, 0, 0, 170); color: white; "
                                       "border-radius: 4px; padding: 4px 8px; }"));
    auto* timer = new QTimer(note);
    timer->setObjectName(QStringLiteral("statusNoteTimer"));
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, note, &QWidget::hide);
    return note;
}

} // namespace

void showStatusNote(QWidget* canvas, const QString& text)
{
    if (!canvas)
        return;
    QLabel* note = noteOn(canvas);
    note->setText(text);
    // Long paths are cut in the middle rather than widening the note past the canvas.
    const int room = std::max(40, canvas->width() - 2 * margin);
    note->setText(note->fontMetrics().elidedText(text, Qt::ElideMiddle, room - 16));
    note->adjustSize();
    note->move(margin, canvas->height() - note->height() - margin);
    note->raise();
    note->show();
    note->findChild<QTimer*>(QStringLiteral("statusNoteTimer"))->start(statusNoteMilliseconds);
}

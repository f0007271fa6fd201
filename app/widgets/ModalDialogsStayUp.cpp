#include "app/widgets/ModalDialogsStayUp.h"

#include "app/widgets/BringToFront.h"

#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QTimer>

bool ModalDialogsStayUp::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog && dialog->isWindow() && dialog->isModal() && dialog->isMinimized()) {
            // After the change has been handled: restoring inside it would be undone.
            QTimer::singleShot(0, dialog, [dialog = QPointer<QDialog>(dialog)] {
                if (dialog)
                    bringToFront(dialog);
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

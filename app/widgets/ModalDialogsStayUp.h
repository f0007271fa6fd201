#pragma once

#include <QObject>

// Brings a modal dialog straight back when it is minimised: the window manager hides its window
// with it, and what stays on screen would ignore every click, looking like a hung program.
// Installed once on the application, it watches every dialog (colour and file dialogs, message
// boxes, the program's own).
class ModalDialogsStayUp : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

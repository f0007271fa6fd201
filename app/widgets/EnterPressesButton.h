#pragma once

#include <QObject>

// Makes Enter press the push button or tool button that has the keyboard focus, as Space does.
// Installed on the application, it serves every window and dialog.
class EnterPressesButton : public QObject
{
    Q_OBJECT

public:
    explicit EnterPressesButton(QObject* parent = nullptr) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

#pragma once

#include "app/widgets/ContentScale.h"

#include <QFont>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <vector>

class QWidget;

// Scales a window's whole client area with the window: the position, size, font and margins of
// every control, controls inside controls, and the canvases (drawn afresh at the new scale), all
// by the one factor at which the window's contents as built fit its client area, centred there on
// the window's own background. Each control's geometry and font as built are kept, so resizing
// never piles up rounding; at the size the window was built for, nothing is touched.
//
// Attach it as the window's last child, once every control is in place. Popups, menus, message
// boxes and dialogs, being windows of their own, keep their sizes and fonts.
class WindowScaler : public QObject
{
    Q_OBJECT

public:
    explicit WindowScaler(QWidget* window);

    // The client size the window was built for.
    QSize baseSize() const { return m_base; }
    const ContentScale& scale() const { return m_applied; }

    // When windows fit their screens (see setWindowsFitScreen) and the window's frame does not fit
    // the available area of its screen, shrinks the window, contents scaled, just enough that it
    // does, and keeps the frame inside that area.
    void fitToScreen();

    // The scaler attached to the window, or nullptr.
    static WindowScaler* of(const QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Control
    {
        QPointer<QWidget> widget;
        QRect geometry;
        QFont font;
        bool ownFont = false;
        QMargins margins;
        // A child of the window itself, moved with the centred contents; others move with their parent.
        bool inClientArea = false;
    };

    void record(QWidget* parent);
    void apply(const ContentScale& scale);

    QWidget* m_window;
    QSize m_base;
    ContentScale m_applied;
    std::vector<Control> m_controls;
};

// Whether windows with a scaler shrink to fit a screen too small for them when they open, as the
// gradient picker does too. The program turns it on; windows built on their own (tests) keep the
// size they were built for, whatever the screen.
void setWindowsFitScreen(bool fit);
bool windowsFitScreen();

#pragma once

#include "app/fullscreen/ScreenSaverInhibitor.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>

class FullScreenSource;
class PictureSource;

// A pattern window's show on the whole screen the window is on: each slide drawn afresh at the
// screen's resolution, fitted to its shorter side and centred on its background, which covers the
// screen; the short code small in a corner. The window's own show goes on behind it (its timer,
// its pause and play); Space pauses and plays, Escape or F11 leaves, the right button opens the
// window's canvas menu, and the pointer hides after two seconds at rest. While the show plays the
// desktop is asked not to blank the screen.
class FullScreenShow : public QWidget
{
    Q_OBJECT

public:
    // Shows the source window's show in full screen, or leaves it when already shown.
    static void toggle(FullScreenSource& source);
    // The full-screen show of a window, if one is up.
    static FullScreenShow* of(const QWidget* window);

    void leave();
    const QImage& frame() const { return m_frame; }
    bool inhibiting() const { return m_inhibitor.held(); }

signals:
    // The show is over: left by the user, or gone with its window.
    void left();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    explicit FullScreenShow(FullScreenSource& source);
    void follow();
    void redraw();
    void wakePointer();

    FullScreenSource& m_source;
    QPointer<QWidget> m_window;
    std::shared_ptr<const PictureSource> m_picture;
    std::uint64_t m_revision = ~std::uint64_t(0);
    QString m_code;
    QImage m_frame;
    QTimer* m_pointerRest;
    ScreenSaverInhibitor m_inhibitor;
    // Closed and on its way out: the window's news no longer concern it.
    bool m_left = false;
};

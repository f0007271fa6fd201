#include "app/canvas/CanvasMenu.h"
#include "app/fullscreen/FullScreenShow.h"
#include "app/fullscreen/FullScreenSource.h"
#include "app/widgets/PictureBox.h"
#include "app/widgets/SlideShowClock.h"

#include <QAction>
#include <QLabel>

PatternWindowShow::PatternWindowShow(Parts parts) : m_parts(std::move(parts))
{
    // F11 types no character, so the parameter boxes that hold the focus never see it as text.
    auto* fullScreen = new QAction(m_parts.window);
    fullScreen->setObjectName(QStringLiteral("actFullScreenKey"));
    fullScreen->setShortcut(QKeySequence(Qt::Key_F11));
    fullScreen->setShortcutContext(Qt::WindowShortcut);
    m_parts.window->addAction(fullScreen);
    QObject::connect(fullScreen, &QAction::triggered, m_parts.window, [this] { toggleFullScreen(); });
    QObject::connect(m_parts.menu, &CanvasMenu::fullScreenRequested, m_parts.window, [this] { toggleFullScreen(); });
}

void PatternWindowShow::toggleFullScreen()
{
    FullScreenShow::toggle(*this);
    // "全屏放映" bears a check mark while the show is up, however it was opened or is left.
    CanvasMenu* menu = m_parts.menu;
    FullScreenShow* shown = FullScreenShow::of(m_parts.window);
    menu->setFullScreenShown(shown != nullptr);
    if (shown)
        QObject::connect(shown, &FullScreenShow::left, menu, [menu] { menu->setFullScreenShown(false); });
}

std::shared_ptr<const PictureSource> PatternWindowShow::shownPicture() const { return m_parts.canvas->surface().snapshot(); }

std::uint64_t PatternWindowShow::shownRevision() const { return m_parts.canvas->surface().revision(); }

QString PatternWindowShow::shownCode() const { return m_parts.codeLabel->text(); }

bool PatternWindowShow::showPlaying() const { return m_parts.clock->isRunning(); }

void PatternWindowShow::setShowPlaying(bool playing)
{
    if (playing)
        m_parts.play();
    else
        m_parts.pause();
}

void PatternWindowShow::watchShown(QObject* receiver, std::function<void()> changed)
{
    // The code label is set in the same turn as the slide is drawn, before the canvas tells.
    QObject::connect(m_parts.canvas, &PictureBox::pictureChanged, receiver, changed);
    QObject::connect(m_parts.clock, &SlideShowClock::runningChanged, receiver, changed);
}

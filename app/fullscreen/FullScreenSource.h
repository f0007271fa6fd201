#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class CanvasMenu;
class PictureBox;
class PictureSource;
class QLabel;
class QObject;
class QWidget;
class SlideShowClock;

// What a full-screen show needs of the pattern window it shows: the picture on its canvas and
// when it changes, the short code beside it, the show's pause and play, and its canvas menu.
class FullScreenSource
{
public:
    virtual ~FullScreenSource() = default;

    virtual QWidget* showWindow() = 0;
    virtual std::shared_ptr<const PictureSource> shownPicture() const = 0;
    // Changes whenever the picture on the canvas does.
    virtual std::uint64_t shownRevision() const = 0;
    virtual QString shownCode() const = 0;
    virtual bool showPlaying() const = 0;
    virtual void setShowPlaying(bool playing) = 0;
    virtual CanvasMenu* patternMenu() const = 0;
    // Calls changed, for as long as receiver lives, after each change of the picture on the canvas
    // (with the code beside it) and when the show starts or stops playing.
    virtual void watchShown(QObject* receiver, std::function<void()> changed) = 0;
};

// A pattern window's show given by what the window already has: its canvas (a picture box), its
// code label, its show clock (running means playing) with the window's own play and pause, and
// its canvas menu. Opens the full-screen show from the menu's "全屏放映" and from F11, and leaves it
// from either when it is up.
class PatternWindowShow final : public FullScreenSource
{
public:
    struct Parts
    {
        QWidget* window;
        PictureBox* canvas;
        QLabel* codeLabel;
        SlideShowClock* clock;
        std::function<void()> play;
        std::function<void()> pause;
        CanvasMenu* menu;
    };
    explicit PatternWindowShow(Parts parts);

    void toggleFullScreen();

    QWidget* showWindow() override { return m_parts.window; }
    std::shared_ptr<const PictureSource> shownPicture() const override;
    std::uint64_t shownRevision() const override;
    QString shownCode() const override;
    bool showPlaying() const override;
    void setShowPlaying(bool playing) override;
    CanvasMenu* patternMenu() const override { return m_parts.menu; }
    void watchShown(QObject* receiver, std::function<void()> changed) override;

private:
    Parts m_parts;
};

#pragma once

#include <QString>

#include <cstdint>
#include <memory>

class CanvasMenu;
class PictureSource;
class QWidget;

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
};

#pragma once

#include "app/canvas/SlideHistory.h"
#include "app/canvas/SlideNavigator.h"
#include "draw/surface/SlideBackground.h"
#include "draw/surface/Surface.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

// A window's slide history together with drawing a kept slide again on its canvas; the navigator
// the canvas menu steps with. Showing a kept slide pauses the show and draws the slide again from
// its inputs; the next new slide first gives the canvas back the background it had before, unless
// the user has chosen another one meanwhile.
// Slide needs a `background` (SlideBackground) member.
template <typename Slide>
class SlideBrowser final : public SlideNavigator
{
public:
    using Pause = std::function<void()>;
    using Show = std::function<void(const Slide&)>;

    SlideBrowser(Surface& canvas, Pause pause, Show show)
        : m_canvas(canvas), m_pause(std::move(pause)), m_show(std::move(show))
    {
    }

    const SlideHistory<Slide>& history() const { return m_history; }

    // Call before a new slide is drawn.
    void beforeNewSlide()
    {
        if (m_replayed && m_replayed->isOn(m_canvas))
            m_live.restoreOn(m_canvas);
        m_replayed.reset();
    }
    // Keeps the slide just drawn by the show as the newest.
    void add(Slide slide)
    {
        m_history.push(std::move(slide));
        m_shownRevision = m_canvas.revision();
    }

    // Draws a slide the history does not hold yet (draw() returns it), pauses the show and keeps
    // the slide as the newest, as a kept slide shown again would be.
    template <typename Draw>
    void showNew(Draw&& draw)
    {
        m_pause();
        rememberLiveBackground();
        m_history.push(draw());
        noteShown();
    }

    // The slide on the canvas; none once anything else has been drawn there since.
    const Slide* shownSlide() const
    {
        if (m_history.empty() || m_canvas.revision() != m_shownRevision)
            return nullptr;
        return &m_history.current();
    }

    bool hasSlides() const override { return !m_history.empty(); }
    bool hasPrevious() const override { return m_history.hasPrevious(); }
    bool hasNext() const override { return m_history.hasNext(); }
    void showPrevious() override
    {
        if (m_history.stepBack())
            showCurrent();
    }
    void showNext() override
    {
        if (m_history.stepForward())
            showCurrent();
    }

private:
    // A background chosen since the last replay (or before the first) is the one to go back to.
    void rememberLiveBackground()
    {
        if (!m_replayed || !m_replayed->isOn(m_canvas))
            m_live = SlideBackground::of(m_canvas);
    }

    void showCurrent()
    {
        m_pause();
        rememberLiveBackground();
        const Slide& slide = m_history.current();
        m_show(slide);
        noteShown();
    }

    // The canvas now shows the current slide drawn again: its background is the replayed one.
    void noteShown()
    {
        m_replayed = SlideBackground::of(m_canvas);
        m_shownRevision = m_canvas.revision();
    }

    Surface& m_canvas;
    Pause m_pause;
    Show m_show;
    SlideHistory<Slide> m_history;
    SlideBackground m_live;
    std::optional<SlideBackground> m_replayed;
    std::uint64_t m_shownRevision = 0;
};

#include "app/canvas/SlideBrowser.h"

#include <utility>

SlideBrowser::SlideBrowser(Surface& canvas, Pause pause, Replay replay)
    : m_canvas(canvas), m_pause(std::move(pause)), m_replay(std::move(replay))
{
}

void SlideBrowser::beforeNewSlide()
{
    if (m_replayed && m_canvas.showsBackground(*m_replayed))
        m_canvas.setBackground(m_live);
    m_replayed.reset();
}

void SlideBrowser::add(const std::optional<SlideRecipe>& recipe, const QString& code)
{
    if (!recipe)
        return;
    m_history.push(KeptSlide{*recipe, code});
    m_shownRevision = m_canvas.revision();
}

void SlideBrowser::showNew(const SlideRecipe& recipe)
{
    m_pause();
    rememberLiveBackground();
    const QString code = m_replay(recipe, QString());
    m_history.push(KeptSlide{recipe, code});
    noteShown();
}

const SlideRecipe* SlideBrowser::shownRecipe() const
{
    if (m_history.empty() || m_canvas.revision() != m_shownRevision)
        return nullptr;
    return &m_history.current().recipe;
}

void SlideBrowser::showPrevious()
{
    if (m_history.stepBack())
        showCurrent();
}

void SlideBrowser::showNext()
{
    if (m_history.stepForward())
        showCurrent();
}

// A background chosen since the last replay (or before the first) is the one to go back to.
void SlideBrowser::rememberLiveBackground()
{
    if (!m_replayed || !m_canvas.showsBackground(*m_replayed))
        m_live = m_canvas.background();
}

void SlideBrowser::showCurrent()
{
    m_pause();
    rememberLiveBackground();
    const KeptSlide& kept = m_history.current();
    m_replay(kept.recipe, kept.code);
    noteShown();
}

// The canvas now shows the current slide replayed: its background is the replayed one.
void SlideBrowser::noteShown()
{
    m_replayed = m_canvas.background();
    m_shownRevision = m_canvas.revision();
}

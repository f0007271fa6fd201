#pragma once

#include "app/canvas/SlideHistory.h"
#include "app/canvas/SlideNavigator.h"
#include "draw/pattern/SlideRecipe.h"
#include "draw/surface/Surface.h"
#include "draw/surface/SurfaceBackground.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// A slide as a window keeps it: its recipe, and the short code the window showed with it (the code
// label's text, which names the width box's text rather than the width the slide was drawn with).
struct KeptSlide
{
    SlideRecipe recipe;
    QString code;
};

// A window's slide history together with replaying a kept slide on its canvas; the navigator the
// canvas menu steps with. The history holds each slide's recipe, the value its full code names:
// showing a kept slide pauses the show and replays the recipe. The next new slide first gives the
// canvas back the background it had before, unless the user has chosen another one meanwhile.
class SlideBrowser final : public SlideNavigator
{
public:
    using Pause = std::function<void()>;
    // Draws the recipe's slide on the canvas with the window's texts, the code label showing code
    // when one is given; returns the code the label shows.
    using Replay = std::function<QString(const SlideRecipe& recipe, const QString& code)>;

    SlideBrowser(Surface& canvas, Pause pause, Replay replay);

    const SlideHistory<KeptSlide>& history() const { return m_history; }

    // Call before a new slide is drawn.
    void beforeNewSlide();
    // Keeps the slide the show has just drawn as the newest. A slide without a recipe (drawn on a
    // background picture that cannot be named) is not kept.
    void add(const std::optional<SlideRecipe>& recipe, const QString& code);
    // Replays a slide the history does not hold yet, pauses the show and keeps the slide as the
    // newest, as a kept slide shown again would be.
    void showNew(const SlideRecipe& recipe);

    // The recipe of the slide on the canvas; none once anything else has been drawn there since.
    const SlideRecipe* shownRecipe() const;

    bool hasSlides() const override { return !m_history.empty(); }
    bool hasPrevious() const override { return m_history.hasPrevious(); }
    bool hasNext() const override { return m_history.hasNext(); }
    void showPrevious() override;
    void showNext() override;

private:
    void rememberLiveBackground();
    void showCurrent();
    void noteShown();

    Surface& m_canvas;
    Pause m_pause;
    Replay m_replay;
    SlideHistory<KeptSlide> m_history;
    SurfaceBackground m_live;
    std::optional<SurfaceBackground> m_replayed;
    std::uint64_t m_shownRevision = 0;
};

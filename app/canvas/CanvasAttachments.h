#pragma once

#include "app/canvas/CanvasMenu.h"
#include "app/canvas/SlideBrowser.h"
#include "app/widgets/PictureBox.h"
#include "draw/pattern/PatternCode.h"

#include <QLabel>

#include <optional>
#include <utility>

// What a pattern window attaches to its canvas: the canvas menu and the window's kept slides.
// The menu copies and saves the shown picture under the code in the window's code label and the
// full code of the shown slide, and steps through the kept slides. Both pattern windows use it
// the same way.
class CanvasAttachments
{
public:
    CanvasAttachments(PictureBox* canvas, QLabel* codeLabel, SlideBrowser::Pause pause, SlideBrowser::Replay replay)
        : m_menu(attachCanvasMenu(
              canvas, [canvas] { return canvas->surface().snapshot(); }, [codeLabel] { return codeLabel->text(); })),
          m_slides(canvas->surface(), std::move(pause), std::move(replay))
    {
        m_menu->setNavigator(&m_slides);
        m_menu->setFullCodeSource([this] { return shownFullCode(); });
    }

    CanvasMenu* menu() const { return m_menu; }
    SlideBrowser& slides() { return m_slides; }

    // The recipe of the slide on the canvas; none when something else has been drawn since, or
    // before the first slide.
    std::optional<SlideRecipe> shownRecipe() const
    {
        if (const SlideRecipe* recipe = m_slides.shownRecipe())
            return *recipe;
        return std::nullopt;
    }

    QString shownFullCode() const
    {
        const auto recipe = shownRecipe();
        return recipe ? PatternCode::encode(*recipe) : QString();
    }

private:
    CanvasMenu* m_menu; // owned by the canvas
    SlideBrowser m_slides;
};

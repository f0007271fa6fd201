#pragma once

#include "app/canvas/CanvasMenu.h"
#include "app/canvas/SlideBrowser.h"
#include "app/widgets/PictureBox.h"

#include <QLabel>

#include <utility>

// What a pattern window attaches to its picture box: the right-click menu, which copies and saves
// the shown picture under the code in the window's code label, and the window's kept slides,
// which the menu steps through. Both pattern windows use it the same way.
template <typename Slide>
class PatternCanvas
{
public:
    PatternCanvas(PictureBox* canvas, QLabel* codeLabel, typename SlideBrowser<Slide>::Pause pause,
                  typename SlideBrowser<Slide>::Show show)
        : m_menu(attachCanvasMenu(
              canvas, [canvas] { return canvas->surface().snapshot(); }, [codeLabel] { return codeLabel->text(); })),
          m_slides(canvas->surface(), std::move(pause), std::move(show))
    {
        m_menu->setNavigator(&m_slides);
    }

    CanvasMenu* menu() const { return m_menu; }
    SlideBrowser<Slide>& slides() { return m_slides; }

private:
    CanvasMenu* m_menu; // owned by the canvas
    SlideBrowser<Slide> m_slides;
};

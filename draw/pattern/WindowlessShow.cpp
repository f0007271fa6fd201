#include "draw/pattern/WindowlessShow.h"

#include "draw/curves/CurveCategories.h"
#include "draw/curves/SlideShow.h"
#include "draw/pattern/SlideReplay.h"
#include "draw/stars/GeometricSlide.h"

WindowlessShow::WindowlessShow(PatternWindow window, RandomStream random)
    : m_window(window),
      m_random(random),
      // The boxes as they stand when the program starts.
      m_controls(std::make_unique<PlainCurveControls>(m_canvas, curveCategoryStartText(), QStringLiteral("5")))
{
    setUpPatternCanvas(window, m_canvas);
}

WindowlessShow::~WindowlessShow() = default;

std::shared_ptr<const PictureSource> WindowlessShow::next()
{
    if (m_window == PatternWindow::Curves) {
        slideShowTick(*m_controls, m_random);
        m_code = m_controls->shownCode();
    } else {
        m_code = drawNextGeometricSlide(m_canvas, QStringLiteral("9"), m_random).code;
    }
    return m_canvas.snapshot();
}

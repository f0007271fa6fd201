#include "draw/pattern/WindowlessShow.h"

#include "draw/curves/CurveCategories.h"
#include "draw/curves/CurveControls.h"
#include "draw/curves/SlideShow.h"
#include "draw/pattern/SlideReplay.h"
#include "draw/stars/GeometricSlide.h"

#include <array>

// The main window's boxes as plain texts, as they stand when the program starts.
class WindowlessShow::Controls final : public CurveControls
{
public:
    Controls(Surface& canvas, QString& code) : m_canvas(canvas), m_code(code) {}

    QString divisorText() const override { return curveCategoryStartText(); }
    QString penWidthText() const override { return QStringLiteral("5"); }
    QString paramText(int index) const override { return m_params[size_t(index)]; }
    void setParamText(int index, const QString& text) override { m_params[size_t(index)] = text; }
    void showPatternCode(const QString& code) override { m_code = code; }
    Surface& curveCanvas() override { return m_canvas; }

private:
    Surface& m_canvas;
    QString& m_code;
    std::array<QString, 4> m_params{QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1")};
};

WindowlessShow::WindowlessShow(PatternWindow window, RandomStream random)
    : m_window(window), m_random(random), m_controls(std::make_unique<Controls>(m_canvas, m_code))
{
    setUpPatternCanvas(window, m_canvas);
}

WindowlessShow::~WindowlessShow() = default;

std::shared_ptr<const PictureSource> WindowlessShow::next()
{
    if (m_window == PatternWindow::Curves)
        slideShowTick(*m_controls, m_random);
    else
        m_code = drawNextGeometricSlide(m_canvas, QStringLiteral("9"), m_random).code;
    return m_canvas.snapshot();
}

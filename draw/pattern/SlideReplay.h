#pragma once

#include "draw/curves/CurveControls.h"
#include "draw/curves/CurveSlide.h"
#include "draw/pattern/SlideRecipe.h"
#include "draw/stars/GeometricSlide.h"

#include <QSize>
#include <QString>

#include <array>
#include <memory>
#include <optional>

class PictureSource;
class Surface;

// The main window's boxes as plain texts, for drawing its slides without the window: the category
// and dot size given, the parameter boxes starting at "1", the code label keeping what it is shown.
class PlainCurveControls final : public CurveControls
{
public:
    explicit PlainCurveControls(Surface& canvas, QString divisorText = {}, QString penWidthText = {});

    QString divisorText() const override { return m_divisorText; }
    QString penWidthText() const override { return m_penWidthText; }
    QString paramText(int index) const override { return m_params[size_t(index)]; }
    void setParamText(int index, const QString& text) override { m_params[size_t(index)] = text; }
    void showPatternCode(const QString& code) override { m_code = code; }
    Surface& curveCanvas() override { return m_canvas; }
    const QString& shownCode() const { return m_code; }

private:
    Surface& m_canvas;
    QString m_divisorText;
    QString m_penWidthText;
    QString m_code;
    std::array<QString, 4> m_params{QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1")};
};

// The logical size of a window's canvas: 800 x 800 pixels for the curves, 609 x 609 for the
// geometric designer (9135 twips).
QSize patternCanvasSize(PatternWindow window);

// The category text a divisor comes from: the box's own text for a divisor of its list, otherwise
// the shortest text that reads back as the same number; empty when there was no number.
QString categoryText(const std::optional<double>& divisor);

// The recipe of a slide a window drew; none when its background picture has no recipe.
std::optional<SlideRecipe> recipeOf(const CurveSlide& slide);
std::optional<SlideRecipe> recipeOf(const GeometricSlide& slide);

// Draws a curve slide again as the show drew it: background, category, dot size and the random
// draws from the slide's own state, so the show's sequence is untouched. The parameter texts and
// the pattern code go to the controls; the canvas keeps its pen width for the next slide.
CurveSlide replayCurveSlide(const SlideRecipe& recipe, CurveControls& controls);

// The same for a geometric slide on the geometric designer's canvas.
GeometricSlide replayGeometricSlide(const SlideRecipe& recipe, Surface& canvas);

// Gives a canvas of its own the size, unit and settings of the recipe's window.
void setUpPatternCanvas(PatternWindow window, Surface& canvas);

// The slide drawn on a canvas of its own, as its window shows it; its pattern code (the short
// one a window shows) in shortCode when asked.
std::shared_ptr<const PictureSource> slidePicture(const SlideRecipe& recipe, QString* shortCode = nullptr);

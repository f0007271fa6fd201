#include "draw/pattern/SlideReplay.h"

#include "draw/base/Numbers.h"
#include "draw/curves/CurveCategories.h"
#include "draw/curves/CurveControls.h"
#include "draw/curves/SlideShow.h"
#include "draw/surface/Surface.h"

#include <array>
#include <charconv>

namespace {

// The category and dot size come from the recipe; everything the tick writes goes on to the
// window's own controls.
class ReplayControls final : public CurveControls
{
public:
    ReplayControls(CurveControls& target, QString divisorText, QString penWidthText)
        : m_target(target), m_divisorText(std::move(divisorText)), m_penWidthText(std::move(penWidthText))
    {
    }

    QString divisorText() const override { return m_divisorText; }
    QString penWidthText() const override { return m_penWidthText; }
    QString paramText(int index) const override { return m_target.paramText(index); }
    void setParamText(int index, const QString& text) override { m_target.setParamText(index, text); }
    void showPatternCode(const QString& code) override { m_target.showPatternCode(code); }
    Surface& curveCanvas() override { return m_target.curveCanvas(); }

private:
    CurveControls& m_target;
    QString m_divisorText;
    QString m_penWidthText;
};

// The background picture of a slide: none, or one with a recipe. A picture without one cannot
// be named (outer none).
std::optional<std::optional<GradientRecipe>> gradientOf(const SurfaceBackground& background)
{
    if (const auto* gradient = dynamic_cast<const GradientPicture*>(background.source.get()))
        return std::optional<GradientRecipe>(gradient->recipe());
    if (background.source || !background.picture.isNull())
        return std::nullopt;
    return std::optional<GradientRecipe>();
}

// What both windows' slides share: the window, the random state, the width and the background
// picture; none when the picture has no recipe.
std::optional<SlideRecipe> recipeOn(const SurfaceBackground& background, PatternWindow window, std::uint32_t randomState,
                                    int width)
{
    const auto gradient = gradientOf(background);
    if (!gradient)
        return std::nullopt;
    SlideRecipe recipe;
    recipe.window = window;
    recipe.randomState = randomState;
    recipe.width = width;
    recipe.gradient = *gradient;
    return recipe;
}

// The recipe's background on the canvas. Each change clears the canvas, so only what differs is
// set: the slide clears it once more anyway.
void putBackground(const SlideRecipe& recipe, Surface& canvas)
{
    const auto* shown = dynamic_cast<const GradientPicture*>(canvas.pictureSource().get());
    if (recipe.gradient) {
        if (!shown || shown->recipe() != *recipe.gradient)
            canvas.setPictureSource(std::make_shared<GradientPicture>(*recipe.gradient));
    } else if (!canvas.Picture().isNull()) {
        canvas.setPicture(QImage());
    }
    if (recipe.window == PatternWindow::Curves && canvas.BackColor() != recipe.backColour)
        canvas.setBackColor(recipe.backColour);
}

} // namespace

PlainCurveControls::PlainCurveControls(Surface& canvas, QString divisorText, QString penWidthText)
    : m_canvas(canvas), m_divisorText(std::move(divisorText)), m_penWidthText(std::move(penWidthText))
{
}

QSize patternCanvasSize(PatternWindow window)
{
    return window == PatternWindow::Curves ? QSize(800, 800) : QSize(609, 609);
}

QString categoryText(const std::optional<double>& divisor)
{
    if (!divisor)
        return QString();
    if (const auto index = curveCategoryIndex(*divisor))
        return QString::fromUtf16(curveCategoryTexts[size_t(*index)]);
    // The shortest form reads back as exactly the same double.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, *divisor);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

std::optional<SlideRecipe> recipeOf(const CurveSlide& slide)
{
    auto recipe = recipeOn(slide.background, PatternWindow::Curves, slide.randomState, slide.runs[0].diameter);
    if (recipe) {
        recipe->divisor = slide.runs[0].parameters.divisor;
        recipe->backColour = slide.backColour;
    }
    return recipe;
}

std::optional<SlideRecipe> recipeOf(const GeometricSlide& slide)
{
    return recipeOn(slide.background, PatternWindow::Geometric, slide.randomState, slide.drawWidth);
}

CurveSlide replayCurveSlide(const SlideRecipe& recipe, CurveControls& controls)
{
    Surface& canvas = controls.curveCanvas();
    const int width = canvas.DrawWidth();
    putBackground(recipe, canvas);
    // Drawn with the recipe's width; the window's own width stays for its next slide, so the
    // width is not taken from the text as the show's tick does.
    canvas.setDrawWidth(recipe.width);
    RandomStream random(recipe.randomState);
    ReplayControls replay(controls, categoryText(recipe.divisor), integerToText(recipe.width));
    CurveSlide slide = drawCurveSlide(replay, random);
    canvas.setDrawWidth(width);
    slide.code = patternCode(replay);
    replay.showPatternCode(slide.code);
    return slide;
}

GeometricSlide replayGeometricSlide(const SlideRecipe& recipe, Surface& canvas)
{
    const int width = canvas.DrawWidth();
    putBackground(recipe, canvas);
    RandomStream random(recipe.randomState);
    GeometricSlide slide = drawNextGeometricSlide(canvas, integerToText(recipe.width), random);
    canvas.setDrawWidth(width);
    return slide;
}

void setUpPatternCanvas(PatternWindow window, Surface& canvas)
{
    canvas.resize(patternCanvasSize(window));
    canvas.setBackColor(RGB(255, 192, 255));
    if (window == PatternWindow::Curves) {
        canvas.setScaleMode(ScaleMode::Pixels);
        canvas.setForeColor(RGB(192, 64, 0));
        canvas.setDrawWidth(4);
    } else {
        canvas.setScaleMode(ScaleMode::Twips);
        canvas.setFillStyle(1);
        canvas.setDrawWidth(12);
    }
}

std::shared_ptr<const PictureSource> slidePicture(const SlideRecipe& recipe, QString* shortCode)
{
    Surface canvas;
    setUpPatternCanvas(recipe.window, canvas);
    QString code;
    if (recipe.window == PatternWindow::Curves) {
        PlainCurveControls controls(canvas);
        code = replayCurveSlide(recipe, controls).code;
    } else {
        code = replayGeometricSlide(recipe, canvas).code;
    }
    if (shortCode)
        *shortCode = code;
    return canvas.snapshot();
}

#include "draw/gradient/GradientPicture.h"

#include "draw/gradient/GradientRenderer.h"
#include "draw/gradient/GradientSweep.h"
#include "draw/surface/Surface.h"
#include "draw/surface/SurfaceSnapshot.h"

// Made as a fresh preview of the area would draw it, its own colour and the sweep over it, but
// kept as that record alone: an area of up to 32767 pixels square costs pixels only where it is
// seen, at the scale it is seen.
GradientPicture::GradientPicture(const GradientRecipe& recipe) : m_recipe(recipe)
{
    GradientRenderer renderer;
    renderer.setColor1(recipe.colour1);
    renderer.setColor2(recipe.colour2);
    renderer.setAngle(recipe.angle);
    const int W = recipe.area.width();
    const int H = recipe.area.height();
    auto record = std::make_shared<DrawingRecord>();
    std::vector<PixelPoint> lines;
    std::vector<Colour> colours;
    // A sweep that fails leaves the preview's own colour, as the picker's preview would.
    if (W > 1 && H > 1 && renderer.sweepPlan(W, H, lines, colours) == ErrorCode::None)
        record->steps.emplace_back(
            RecordedSweep{std::make_shared<GradientSweep>(renderer, recipe.area, std::move(lines), std::move(colours))});
    const SurfaceBackground preview{Surface().background().colour, {}, {}};
    m_drawn = std::make_shared<SurfaceSnapshot>(recipe.area, preview, std::move(record));
}

QImage GradientPicture::render(qreal scale) const { return m_drawn->render(scale); }

void GradientPicture::paintVector(QPainter& painter) const { m_drawn->paintVector(painter); }

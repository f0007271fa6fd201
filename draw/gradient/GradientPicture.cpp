#include "draw/gradient/GradientPicture.h"

#include "draw/gradient/GradientRenderer.h"
#include "draw/surface/Surface.h"

GradientPicture::GradientPicture(const GradientRecipe& recipe) : m_recipe(recipe)
{
    Surface preview(recipe.area);
    GradientRenderer renderer;
    renderer.setColor1(recipe.colour1);
    renderer.setColor2(recipe.colour2);
    renderer.setAngle(recipe.angle);
    // A sweep that fails leaves the preview's own colour, as the picker's preview would.
    renderer.Draw(preview);
    m_drawn = preview.snapshot();
}

QImage GradientPicture::render(qreal scale) const { return m_drawn->render(scale); }

void GradientPicture::paintVector(QPainter& painter) const { m_drawn->paintVector(painter); }

#pragma once

#include "draw/base/Colour.h"
#include "draw/surface/PictureSource.h"

#include <QSize>

#include <memory>

// What a gradient background is made of: the renderer's two colours and angle as it holds them,
// and the area it was swept over, in logical pixels.
struct GradientRecipe
{
    Colour colour1;
    Colour colour2;
    float angle = 0;
    QSize area;

    friend bool operator==(const GradientRecipe&, const GradientRecipe&) = default;
};

// A gradient picture drawn from its recipe: the sweep a fresh preview of that size would show, so
// a canvas background that came from the picker can be named by its recipe and drawn again.
class GradientPicture : public PictureSource
{
public:
    explicit GradientPicture(const GradientRecipe& recipe);

    const GradientRecipe& recipe() const { return m_recipe; }

    QSize size() const override { return m_recipe.area; }
    QImage render(qreal scale) const override;
    void paintVector(QPainter& painter) const override;
    SurfaceBackground canvasBackground() const override { return m_drawn->canvasBackground(); }
    void renderRegion(const PixelBuffer& view, double scale, QPoint origin, PictureLayers layers) const override
    {
        m_drawn->renderRegion(view, scale, origin, layers);
    }

private:
    GradientRecipe m_recipe;
    std::shared_ptr<const PictureSource> m_drawn;
};

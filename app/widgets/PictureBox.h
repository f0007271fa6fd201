#pragma once

#include "app/widgets/WindowLock.h"
#include "draw/surface/Surface.h"

#include <cstdint>

#include <QScopeGuard>

#include <QWidget>

// The picture-box control: a thin widget that shows its drawing surface at the screen's device
// pixel ratio. The surface follows the widget's size, unless it has a logical size of its own;
// child widgets (labels) are drawn over it and are never part of it. The canvas calls are passed
// on to the surface, and a change of its picture is told by pictureChanged().
class PictureBox : public QWidget, private SurfaceObserver
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);
    ~PictureBox() override;

    // The surface, at the widget's current size or at its logical size.
    Surface& surface();
    const Surface& surface() const;

    // Keeps the surface at this size whatever the widget's: a larger or smaller widget shows the
    // same drawing, drawn afresh at the screen's ratio times the widget's width over this width.
    // An empty size makes the surface follow the widget again.
    void setLogicalSize(QSize logical);
    QSize logicalSize() const { return m_logicalSize.isEmpty() ? size() : m_logicalSize; }
    // Widget pixels per logical pixel; exactly 1 while the widget has the logical size.
    qreal displayScale() const;

    Colour BackColor() const { return m_surface.BackColor(); }
    void setBackColor(Colour colour) { surface().setBackColor(colour); }
    Colour ForeColor() const { return m_surface.ForeColor(); }
    void setForeColor(Colour colour) { m_surface.setForeColor(colour); }
    Colour FillColor() const { return m_surface.FillColor(); }
    void setFillColor(Colour colour) { m_surface.setFillColor(colour); }
    int FillStyle() const { return m_surface.FillStyle(); }
    void setFillStyle(int style) { m_surface.setFillStyle(style); }
    int DrawWidth() const { return m_surface.DrawWidth(); }
    static constexpr int maxDrawWidth = Surface::maxDrawWidth;
    bool setDrawWidth(int width) { return m_surface.setDrawWidth(width); }
    ScaleMode scaleMode() const { return m_surface.scaleMode(); }
    void setScaleMode(ScaleMode mode) { m_surface.setScaleMode(mode); }
    double ScaleWidth() const { return surface().ScaleWidth(); }
    double ScaleHeight() const { return surface().ScaleHeight(); }
    const QImage& Picture() const { return m_surface.Picture(); }
    void setPicture(const QImage& picture, std::shared_ptr<const PictureSource> source = {})
    {
        surface().setPicture(picture, std::move(source));
    }
    QImage Image() const { return surface().Image(); }
    void Cls() { surface().Cls(); }
    void PSet(float x, float y, Colour colour) { surface().PSet(x, y, colour); }
    void Line(double x1, double y1, double x2, double y2, Colour colour, LineBox box = LineBox::None)
    {
        surface().Line(x1, y1, x2, y2, colour, box);
    }
    void Refresh() { surface().Refresh(); }
    DeviceContext& hDC() { return surface().hDC(); }
    QWidget* hWnd() { return this; }

    // Runs draw(surface) with this window's painting suspended, so that it shows only the
    // finished picture (a gradient's sweep, line by line), and returns what draw returns.
    template <typename Draw>
    decltype(auto) drawLocked(Draw&& draw)
    {
        const bool locked = LockWindowUpdate(this);
        const auto unlock = qScopeGuard([locked] {
            if (locked)
                LockWindowUpdate(nullptr);
        });
        return draw(surface());
    }

signals:
    // The surface's picture changed (its revision moved on; not a mere change of ratio). Told once
    // the drawing in hand is over, when the event loop next runs, however many steps it took.
    void pictureChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void surfaceChanged() override;
    void surfaceRefresh() override;
    void followSize() const;
    void followRatio() const;
    void tellPictureChanged();

    // Follows the widget's size and ratio lazily: a hidden widget gets no resize event until shown.
    mutable Surface m_surface;
    QSize m_logicalSize;
    // The screen's ratio when last asked, and the widget's size the surface's ratio was set for.
    mutable qreal m_screenRatio = 1.0;
    mutable QSize m_followedSize;
    // A notice of a change is on its way; the revision the last notice told of.
    bool m_noticePending = false;
    std::uint64_t m_toldRevision = 0;
};

#pragma once

#include "draw/base/Colour.h"
#include "draw/raster/CoverageMask.h"
#include "draw/surface/DeviceContext.h"
#include "draw/surface/DrawingRecord.h"
#include "draw/surface/RasterPainter.h"
#include "draw/surface/SurfaceBackground.h"

#include <QImage>
#include <QSize>

#include <memory>

class PictureSource;

enum class ScaleMode { Pixels, Twips };

// Told when a surface has something new to show.
class SurfaceObserver
{
public:
    virtual ~SurfaceObserver() = default;
    // The picture changed; called once until the observer shows it (see takeChanged()).
    virtual void surfaceChanged() = 0;
    // Refresh was called: show the picture now.
    virtual void surfaceRefresh() = 0;
};

// A drawing surface without a widget: the state of a picture-box canvas (units, colours, pen
// width, background picture, device context), its retained image at a device pixel ratio, and the
// record of what was drawn since the last clear, from which it renders itself at any scale.
// Coordinates of PSet and Line are in the scale unit, pixels or twips; the device context always
// works in logical pixels.
class Surface
{
public:
    explicit Surface(QSize size = QSize(), qreal devicePixelRatio = 1.0);
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    QSize size() const { return m_size; }
    int width() const { return m_size.width(); }
    int height() const { return m_size.height(); }
    // A resized surface keeps its drawing at the top-left; new area shows the background.
    void resize(QSize size);
    void resize(int width, int height) { resize(QSize(width, height)); }
    qreal devicePixelRatio() const { return m_ratio; }
    // Draws the record again at the new ratio.
    void setDevicePixelRatio(qreal ratio);

    Colour BackColor() const { return m_backColor; }
    void setBackColor(Colour colour); // erases the drawing
    Colour ForeColor() const { return m_foreColor; }
    void setForeColor(Colour colour) { m_foreColor = colour; }
    Colour FillColor() const { return m_fillColor; }
    void setFillColor(Colour colour) { m_fillColor = colour; }
    int FillStyle() const { return m_fillStyle; } // 0 solid, 1 transparent
    void setFillStyle(int style) { m_fillStyle = style; }
    int DrawWidth() const { return m_drawWidth; }
    // Widths outside 1..32767 are refused (false) and the width stays.
    static constexpr int maxDrawWidth = 32767;
    bool setDrawWidth(int width);

    ScaleMode scaleMode() const { return m_scaleMode; }
    void setScaleMode(ScaleMode mode) { m_scaleMode = mode; }
    double ScaleWidth() const;
    double ScaleHeight() const;

    // The background picture, shown at its logical size; a null image is the empty picture.
    // Setting it erases the drawing. A picture taken from another surface may bring that
    // surface's snapshot, so that larger copies draw it afresh.
    const QImage& Picture() const { return m_background.picture; }
    void setPicture(const QImage& picture, std::shared_ptr<const PictureSource> source = {});
    // The source as the background picture, drawn only as far as this surface shows it: a picture
    // whose area is far larger than the surface costs no more than the surface.
    void setPictureSource(std::shared_ptr<const PictureSource> source);
    const std::shared_ptr<const PictureSource>& pictureSource() const { return m_background.source; }

    // The colour and background picture as a value that can be put back. A picture that brings
    // its source is kept as the source alone, so a kept background holds no pixels of its own.
    SurfaceBackground background() const;
    // Puts a background taken with background() back (the picture drawn again from its source at
    // this surface's ratio); erases the drawing.
    void setBackground(const SurfaceBackground& background);
    // Whether the surface still has that background.
    bool showsBackground(const SurfaceBackground& background) const;

    // The retained image at the device pixel ratio (cheap: shared until either side changes).
    QImage Image() const;

    void Cls();
    void PSet(float x, float y, Colour colour);
    void Line(double x1, double y1, double x2, double y2, Colour colour, LineBox box = LineBox::None);
    void Refresh();

    DeviceContext& hDC() { return m_dc; }
    void setObserver(SurfaceObserver* observer) { m_observer = observer; }
    // True once after each change: the observer has been told and may show the picture.
    bool takeChanged();

    // Drawing of the device context, in logical pixels.
    void drawOutline(RecordedOutline outline);
    void drawFill(RecordedFill fill);
    // A step that draws itself again at every scale (the gradient's sweep).
    void drawSweep(std::shared_ptr<const SweepRecipe> recipe);

    // An immutable copy of the picture as inputs: renders again at any scale or as vectors, on
    // any thread, while this surface goes on drawing.
    std::shared_ptr<const PictureSource> snapshot() const;
    // Counts the changes of the picture (not of its ratio): a picture shown at one revision is
    // still on the surface while the count stays.
    std::uint64_t revision() const { return m_revision; }
    // How many steps the record holds (a run of dots is one).
    std::size_t recordedSteps() const { return m_record->steps.size(); }

    // How dots reach the pixels; the picture is the same either way (the other is for comparing).
    void setDotOrder(DotOrder order) { m_dotOrder = order; }

private:
    void append(DrawingStep step);
    DrawingRecord& writableRecord();
    // Starts an empty record; a snapshot keeps the old one.
    void forgetSteps();
    void flushDots() const;
    void redraw();
    // The picture changed: counted in revision(), then shown.
    void pictureChanged();
    // Something new to show.
    void changed();
    QSize deviceSize() const;

    QSize m_size;
    qreal m_ratio = 1.0;
    // Pixels at the device ratio; dots may still be waiting in the record (see flushDots).
    mutable QImage m_image;
    mutable std::size_t m_drawnSteps = 0;
    mutable CoverageMask m_mask;
    std::shared_ptr<DrawingRecord> m_record = std::make_shared<DrawingRecord>();
    // A snapshot holds the record: from then on it is never written again, only copied. Decided
    // here and not by counting its holders, which other threads change while they draw it.
    mutable bool m_recordShared = false;
    SurfaceBackground m_background;
    DeviceContext m_dc{*this};
    Colour m_backColor = Colour::system(SysColorIndex::ButtonFace);
    Colour m_foreColor = RGB(0, 0, 0);
    Colour m_fillColor = RGB(0, 0, 0);
    int m_fillStyle = 1;
    int m_drawWidth = 1;
    ScaleMode m_scaleMode = ScaleMode::Pixels;
    DotOrder m_dotOrder = DotOrder::HiddenSkipped;
    SurfaceObserver* m_observer = nullptr;
    bool m_changed = false;
    std::uint64_t m_revision = 0;
};

#pragma once

#include "draw/base/Colour.h"
#include "draw/gradient/GradientRenderer.h"

#include <QDialog>

#include <cstdint>

class PictureBox;
class Surface;
class QLabel;
class QScrollBar;
class QToolButton;

// The modal dialog in which the picker's gradient angle is chosen with a scroll bar, over a small
// live preview with the direction arrow.
class AngleDialog : public QDialog
{
    Q_OBJECT

public:
    // Shows the dialog over the caller until it is closed. Unless it was cancelled, the chosen
    // whole angle is written to angle and true returned; closing by the frame counts as OK.
    // The arrow marks the caller's tool strip, when one is given.
    static bool ask(QWidget* caller, float& angle, Colour color1, Colour color2, Surface* toolStrip = nullptr);

    explicit AngleDialog(QWidget* owner = nullptr);

    // Where the dialog's frame goes, in pixels: half the difference of the caller's and the
    // dialog's outer sizes from the screen's corner, kept wholly inside the available area.
    static QPoint placement(QSize callerOuter, QSize dialogOuter, const QRect& available);

    // The bar's value changed, or its thumb is being dragged: the label and the preview follow.
    void onAngleChanged();
    void onAngleScrolled();
    void onOkClicked();
    void onCancelClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool run(QWidget* caller, float& angle, Colour color1, Colour color2);
    void showAngle();
    void placeOver(QWidget* caller);

    void drawPreview();

    bool m_cancelled = false;
    Surface* m_toolStrip = nullptr;
    std::int16_t m_angle = 0;
    GradientRenderer m_gradient;

    PictureBox* m_preview = nullptr;
    QLabel* m_angleLabel = nullptr;
    QScrollBar* m_angleBar = nullptr;
    QToolButton* m_okButton = nullptr;
    QToolButton* m_cancelButton = nullptr;
};

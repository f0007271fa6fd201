#pragma once

#include "app/widgets/Dialogs.h"
#include "draw/base/Colour.h"
#include "draw/gradient/GradientRenderer.h"

#include <QWidget>

#include <array>
#include <memory>

class PictureBox;
class PictureSource;
class QLabel;
class QToolButton;

// The gradient background picker: two colours and an angle, a large preview, and two buttons
// that hand the preview to the main or the geometric window as its canvas background.
class GradientPicker : public QWidget
{
    Q_OBJECT

public:
    explicit GradientPicker(QWidget* owner = nullptr);

    float angle() const { return m_angle; }
    Colour color1() const { return m_color1; }
    Colour color2() const { return m_color2; }

    void setVisible(bool visible) override;
    // Takes the colours and the angle as if the user had chosen them, and paints the preview and
    // the buttons again.
    void setGradient(Colour color1, Colour color2, float angle);

    // "配色1", "配色2": a colour from the colour dialog.
    void onColourClicked(int index);
    // "角度": the angle dialog.
    void onAngleClicked();
    // "宇宙图案背景渐变色": the preview under the main window's canvas, that window in front.
    void onApplyToMainClicked();
    // "几何图案背景渐变色": the preview under the geometric designer's canvas, that window in front.
    void onApplyToGeometricClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildToolStrip();
    void buildLogo();
    // At the first showing: the tool strip and the renderer's starting colours and angle.
    void onLoad();
    // Centred in the screen's available area at the first showing, kept inside it when it fits;
    // when windows fit their screens, made just small enough to fit first.
    void centreOnScreen();
    // Holds the least size, else lays the preview over the new area and paints it again.
    void followResize();
    ErrorCode paintPreview();
    // The preview and the buttons again, any failure reported at once.
    void repaintGradient();
    std::shared_ptr<const PictureSource> previewRecipe() const;
    void layUnder(PictureBox* canvas) const;
    // The size the picker took to fit a small screen, while it keeps it.
    QSize m_fittedSize;
    ErrorCode refreshToolButtons();
    void drawSunkenFrame();
    void passPictureTo(QToolButton* button);

    GradientRenderer m_gradient;
    bool m_loaded = false;
    float m_angle = 0;
    Colour m_color1;
    Colour m_color2;
    CommonDialog m_colourDialog{this};

    PictureBox* m_toolStrip = nullptr;
    QLabel* m_logo = nullptr;
    QLabel* m_logoCaption = nullptr;
    std::array<QToolButton*, 2> m_colourButtons{};
    QToolButton* m_angleButton = nullptr;
    QToolButton* m_applyToGeometricButton = nullptr;
    QToolButton* m_applyToMainButton = nullptr;
    PictureBox* m_preview = nullptr;
    // Hidden: the buttons' icons are drawn here and passed on through the image.
    PictureBox* m_iconCanvas = nullptr;
    QLabel* m_iconImage = nullptr;
};

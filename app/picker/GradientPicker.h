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

    void cmdColor_Click(int index);
    void cmdAngle_Click();
    void Command1_Click();
    void Command2_Click();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildToolStrip();
    void buildLogo();
    void Form_Load();
    // Centred in the screen's available area at the first showing, kept inside it when it fits;
    // when windows fit their screens, made just small enough to fit first.
    void centreOnScreen();
    void Form_Resize();
    ErrorCode PaintPreview();
    // The preview and the buttons again, any failure reported at once.
    void repaintGradient();
    std::shared_ptr<const PictureSource> previewRecipe() const;
    void layUnder(PictureBox* canvas) const;
    // The size the picker took to fit a small screen, while it keeps it.
    QSize m_fittedSize;
    ErrorCode RefreshToolButtons();
    void drawSunkenFrame();
    void passPictureTo(QToolButton* button);

    GradientRenderer m_gradient;
    bool m_loaded = false;
    float m_angle = 0;
    Colour m_color1;
    Colour m_color2;
    CommonDialog cdlColor{this};

    PictureBox* picTools = nullptr;
    QLabel* imgLogo = nullptr;
    QLabel* lblLogo = nullptr;
    std::array<QToolButton*, 2> cmdColor{};
    QToolButton* cmdAngle = nullptr;
    QToolButton* Command2 = nullptr;
    QToolButton* Command1 = nullptr;
    PictureBox* picDraw = nullptr;
    PictureBox* picTemp = nullptr;
    QLabel* imgTemp = nullptr;
};

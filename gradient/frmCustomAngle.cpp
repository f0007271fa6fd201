#include "gradient/frmCustomAngle.h"

#include "gradient/GraphicalButton.h"
#include "gradient/basDemo.h"
#include "platform/PictureBox.h"
#include "platform/Twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QToolButton>

namespace {

constexpr Colour teal{0x808000};
constexpr Colour labelFace{0xFFFFC0};
constexpr Colour buttonFace{0xFFC0C0};

// The bar's whole degree for an angle in [0, 360): 359.5 and above round to 360, which is 0 again.
std::int16_t wholeDegrees(float angle)
{
    const auto rounded = nearestInt16(angle);
    if (!rounded)
        return 0;
    return std::int16_t(*rounded % 360);
}

} // namespace

frmCustomAngle::frmCustomAngle(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                         | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmCustomAngle"));
    setWindowTitle(QStringLiteral(" 选择角度"));
    QPalette background = palette();
    background.setColor(QPalette::Window, teal.toQColor());
    setPalette(background);
    setAutoFillBackground(true);
    setFixedSize(twipsToPixels(3150), twipsToPixels(2220));

    picDraw = new PictureBox(this);
    picDraw->setObjectName(QStringLiteral("picDraw"));
    picDraw->setGeometry(twipsRect(210, 180, 1590, 1530));
    picDraw->setForeColor(Colour(0x0000FF));
    picDraw->setFillColor(Colour(0x00FFFF));

    lblAngle = new QLabel(QStringLiteral("Label1"), this);
    lblAngle->setObjectName(QStringLiteral("lblAngle"));
    lblAngle->setGeometry(twipsRect(210, 1710, 1575, 255));
    lblAngle->setAlignment(Qt::AlignCenter);
    lblAngle->setFrameStyle(QFrame::Box | QFrame::Plain);
    lblAngle->setLineWidth(1);
    QPalette labelPalette = lblAngle->palette();
    labelPalette.setColor(QPalette::Window, labelFace.toQColor());
    labelPalette.setColor(QPalette::WindowText, Qt::black);
    lblAngle->setPalette(labelPalette);
    lblAngle->setAutoFillBackground(true);

    hsbAngle = new QScrollBar(Qt::Horizontal, this);
    hsbAngle->setObjectName(QStringLiteral("hsbAngle"));
    hsbAngle->setGeometry(twipsRect(195, 1980, 1620, 210));
    hsbAngle->setRange(0, 359);
    hsbAngle->setSingleStep(1);
    hsbAngle->setPageStep(5);
    // While the thumb is dragged the value stays put and the scroll handler follows the thumb;
    // the change handler runs once the value itself changes.
    hsbAngle->setTracking(false);

    cmdOK = makeGraphicalButton(this, QStringLiteral("cmdOK"), QStringLiteral("确定"), twipsRect(1980, 495, 975, 330),
                                buttonFace);
    cmdCancel = makeGraphicalButton(this, QStringLiteral("cmdCancel"), QStringLiteral("取消"),
                                    twipsRect(1980, 1080, 975, 315), buttonFace);

    connect(hsbAngle, &QScrollBar::valueChanged, this, &frmCustomAngle::hsbAngle_Change);
    connect(hsbAngle, &QScrollBar::sliderMoved, this, &frmCustomAngle::hsbAngle_Scroll);
    connect(cmdOK, &QToolButton::clicked, this, &frmCustomAngle::cmdOK_Click);
    connect(cmdCancel, &QToolButton::clicked, this, &frmCustomAngle::cmdCancel_Click);
}

bool frmCustomAngle::Display(QWidget* caller, float& angle, Colour color1, Colour color2, Surface* toolStrip)
{
    frmCustomAngle dialog(caller);
    dialog.m_toolStrip = toolStrip;
    return dialog.run(caller, angle, color1, color2);
}

bool frmCustomAngle::run(QWidget* caller, float& angle, Colour color1, Colour color2)
{
    m_cancelled = false;
    m_gradient.setAngle(angle);
    m_gradient.setColor1(color1);
    m_gradient.setColor2(color2);
    m_angle = wholeDegrees(m_gradient.Angle());
    drawPreview();
    showAngle();
    hsbAngle->setValue(m_angle);
    placeOver(caller);
    exec();
    if (m_cancelled)
        return false;
    angle = m_angle;
    return true;
}

void frmCustomAngle::showAngle() { lblAngle->setText(QString::number(m_angle) + QStringLiteral("度")); }

void frmCustomAngle::placeOver(QWidget* caller)
{
    if (!caller)
        return;
    // Half the difference of the sizes, counted from the screen's corner.
    const int left = (pixelsToTwips(caller->frameGeometry().width()) - pixelsToTwips(frameGeometry().width())) / 2;
    const int top = (pixelsToTwips(caller->frameGeometry().height()) - pixelsToTwips(frameGeometry().height())) / 2;
    move(twipsPoint(left, top));
}

void frmCustomAngle::hsbAngle_Change()
{
    // The thumb's position: while it is dragged this runs ahead of the bar's value.
    m_angle = std::int16_t(hsbAngle->sliderPosition());
    showAngle();
    m_gradient.setAngle(m_angle);
    drawPreview();
    picDraw->Refresh();
}

void frmCustomAngle::drawPreview()
{
    reportGradientError(m_gradient.Draw(picDraw->surface()).error);
    DrawAngleArrow(picDraw->surface(), m_angle, m_toolStrip);
}

void frmCustomAngle::hsbAngle_Scroll() { hsbAngle_Change(); }

void frmCustomAngle::cmdOK_Click() { accept(); }

void frmCustomAngle::cmdCancel_Click()
{
    m_cancelled = true;
    reject();
}

void frmCustomAngle::keyPressEvent(QKeyEvent* event)
{
    // Escape means Cancel; otherwise it would close the dialog and count as acceptance.
    if (event->key() == Qt::Key_Escape) {
        cmdCancel_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

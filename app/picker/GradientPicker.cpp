#include "app/picker/GradientPicker.h"

#include "app/picker/AngleDialog.h"
#include "app/picker/GradientErrors.h"
#include "app/registry/WindowRegistry.h"
#include "app/widgets/FramedPlacement.h"
#include "app/widgets/GraphicalButton.h"
#include "app/widgets/PictureBox.h"
#include "app/widgets/WindowScaler.h"
#include "draw/base/Twips.h"
#include "draw/gradient/AngleArrow.h"
#include "draw/gradient/GradientPicture.h"

#include <QGuiApplication>
#include <QLabel>
#include <QResizeEvent>
#include <QScreen>
#include <QToolButton>

namespace {

constexpr int minimumWidthTwips = 4080;
constexpr int minimumHeightTwips = 2790;
constexpr Colour buttonFace = Colour::system(SysColorIndex::ButtonFace);
constexpr Colour applyButtonFace{0xFFFFC0};

} // namespace

GradientPicker::GradientPicker(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("frmDemo"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("澄岚渐变色背景选色器"));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    resize(twipsToPixels(12135), twipsToPixels(12990));

    picTools = new PictureBox(this);
    picTools->setObjectName(QStringLiteral("picTools"));
    picTools->setGeometry(0, 0, width(), twipsToPixels(930));
    buildToolStrip();

    Command1 = makeGraphicalButton(this, QStringLiteral("Command1"), QStringLiteral("宇宙图案背景渐变色"),
                                   twipsRect(6240, 360, 1815, 375), applyButtonFace);
    picDraw = new PictureBox(this);
    picDraw->setObjectName(QStringLiteral("picDraw"));
    picDraw->setGeometry(twipsRect(0, 1035, 12030, 11910));
    picTemp = new PictureBox(this);
    picTemp->setObjectName(QStringLiteral("picTemp"));
    picTemp->setGeometry(twipsRect(12240, 2520, 645, 495));
    picTemp->hide();
    imgTemp = new QLabel(this);
    imgTemp->setObjectName(QStringLiteral("imgTemp"));
    imgTemp->setGeometry(twipsRect(12120, 3120, 645, 495));
    imgTemp->hide();
    // The cosmic apply button stands on the tool strip beside the geometric one.
    Command1->raise();

    connect(cmdColor[0], &QToolButton::clicked, this, [this] { cmdColor_Click(0); });
    connect(cmdColor[1], &QToolButton::clicked, this, [this] { cmdColor_Click(1); });
    connect(cmdAngle, &QToolButton::clicked, this, &GradientPicker::cmdAngle_Click);
    connect(Command1, &QToolButton::clicked, this, &GradientPicker::Command1_Click);
    connect(Command2, &QToolButton::clicked, this, &GradientPicker::Command2_Click);
}

void GradientPicker::setVisible(bool visible)
{
    // Loaded when first shown, once the registry knows the window, and before the first resize
    // paints the preview.
    if (visible && !m_loaded) {
        m_loaded = true;
        Form_Load();
        centreOnScreen();
        QWidget::setVisible(visible);
        // Again once the frame is known, which may be at once or a little later.
        placeOnceFramed(this, [this] { centreOnScreen(); });
        return;
    }
    QWidget::setVisible(visible);
}

void GradientPicker::centreOnScreen()
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Centred by the outer size, frame included, in the area that panels leave free. The size
    // stays: the preview must cover the main window's 800 x 800 canvas.
    const QRect available = screen->availableGeometry();
    // On a screen too small for it the picker opens smaller, its preview following as on any
    // resize, and never below its least size.
    if (windowsFitScreen()) {
        const QSize extra = frameExtra(this);
        const QSize least = QSize(twipsToPixels(minimumWidthTwips), twipsToPixels(minimumHeightTwips)) - extra;
        const QSize fitted = clientBoundedTo(size(), extra, available.size(), least);
        if (fitted != size()) {
            resize(fitted);
            m_fittedSize = fitted;
        }
    }
    const QSize outer = frameGeometry().size();
    const QPoint centred(available.left() + (available.width() - outer.width()) / 2,
                         available.top() + (available.height() - outer.height()) / 2);
    move(keptInside(QRect(centred, outer), available));
}

void GradientPicker::buildToolStrip()
{
    buildLogo();
    cmdColor[0] = makeGraphicalButton(picTools, QStringLiteral("cmdColor_0"), QStringLiteral("配色&1"),
                                      twipsRect(2640, 30, 735, 855), RGB(255, 255, 0));
    cmdColor[1] = makeGraphicalButton(picTools, QStringLiteral("cmdColor_1"), QStringLiteral("配色&2"),
                                      twipsRect(3480, 30, 735, 855), RGB(255, 0, 0));
    cmdAngle = makeGraphicalButton(picTools, QStringLiteral("cmdAngle"), QStringLiteral("&角度"),
                                   twipsRect(4320, 30, 735, 855), Colour(0x80FF80));
    Command2 = makeGraphicalButton(picTools, QStringLiteral("Command2"), QStringLiteral("几何图案背景渐变色"),
                                   twipsRect(8160, 360, 1815, 375), applyButtonFace);
}

void GradientPicker::buildLogo()
{
    imgLogo = new QLabel(picTools);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setGeometry(twipsRect(240, 0, 900, 660));
    imgLogo->setPixmap(QPixmap(QStringLiteral(":/logo/logo.png")));
    imgLogo->setScaledContents(true);

    lblLogo = new QLabel(QStringLiteral("数学之美"), picTools);
    lblLogo->setObjectName(QStringLiteral("lblLogo"));
    lblLogo->setGeometry(twipsRect(0, 720, 1440, 195));
    lblLogo->setAlignment(Qt::AlignCenter);
    lblLogo->setAttribute(Qt::WA_TranslucentBackground);
    QFont font = lblLogo->font();
    font.setBold(true);
    font.setPixelSize(11);
    lblLogo->setFont(font);
    QPalette palette = lblLogo->palette();
    palette.setColor(QPalette::WindowText, Qt::yellow);
    lblLogo->setPalette(palette);
}

void GradientPicker::Form_Load()
{
    picTools->setBackColor(buttonFace);
    picTools->Cls();
    m_angle = m_gradient.Angle();
    m_color1 = m_gradient.Color1();
    m_color2 = m_gradient.Color2();
    reportPickerError(this, RefreshToolButtons());
}

void GradientPicker::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!picDraw)
        return; // still being built
    // The tool strip is aligned to the top: it always spans the width.
    picTools->setGeometry(0, 0, width(), picTools->height());
    Form_Resize();
}

void GradientPicker::Form_Resize()
{
    if (isMinimized())
        return;
    // The limits apply to the outer size, frame included.
    const QSize frame = frameGeometry().size();
    const QSize decoration = frame - size();
    if (pixelsToTwips(frame.width()) < minimumWidthTwips) {
        resize(twipsToPixels(minimumWidthTwips) - decoration.width(), height());
        return;
    }
    if (pixelsToTwips(frame.height()) < minimumHeightTwips) {
        resize(width(), twipsToPixels(minimumHeightTwips) - decoration.height());
        return;
    }
    picDraw->setGeometry(0, picTools->height(), width(), height() - picTools->height());
    if (const ErrorCode error = PaintPreview(); error != ErrorCode::None)
        reportAfterThisEvent(this, [error] { reportGradientError(error); });
}

ErrorCode GradientPicker::PaintPreview()
{
    m_gradient.setAngle(m_angle);
    m_gradient.setColor1(m_color1);
    m_gradient.setColor2(m_color2);
    const ErrorCode error = picDraw->drawLocked([this](Surface& s) { return m_gradient.Draw(s); }).error;
    picDraw->Refresh();
    return error;
}

ErrorCode GradientPicker::RefreshToolButtons()
{
    picTemp->resize(32, 32);
    picTemp->setBackColor(buttonFace);
    picTemp->Cls();
    const double SW = picTemp->ScaleWidth();
    const double SH = picTemp->ScaleHeight();
    drawSunkenFrame();
    passPictureTo(cmdAngle);

    picTemp->Line(2, 2, SW - 2, SH - 2, m_gradient.Color1(), LineBox::BoxFilled);
    passPictureTo(cmdColor[0]);
    picTemp->Line(2, 2, SW - 2, SH - 2, m_gradient.Color2(), LineBox::BoxFilled);
    passPictureTo(cmdColor[1]);

    reportGradientError(picTemp->drawLocked([this](Surface& s) { return m_gradient.Draw(s); }).error);
    drawSunkenFrame();
    const ErrorCode error = DrawAngleArrow(picTemp->surface(), m_gradient.Angle(), &picTools->surface());
    if (error != ErrorCode::None)
        return error;
    passPictureTo(cmdAngle);
    return ErrorCode::None;
}

void GradientPicker::drawSunkenFrame()
{
    const double SW = picTemp->ScaleWidth();
    const double SH = picTemp->ScaleHeight();
    picTemp->Line(1, 1, SW - 1, SH - 1, Colour::system(SysColorIndex::ButtonShadow), LineBox::Box);
    picTemp->Line(0, 0, SW - 1, SH - 1, Colour::system(SysColorIndex::ButtonHighlight), LineBox::Box);
    picTemp->Line(0, 0, SW, SH, Colour::system(SysColorIndex::DarkShadow), LineBox::Box);
}

void GradientPicker::passPictureTo(QToolButton* button)
{
    imgTemp->setPixmap(QPixmap::fromImage(picTemp->Image()));
    button->setIcon(QIcon(imgTemp->pixmap()));
}

void GradientPicker::setGradient(Colour color1, Colour color2, float angle)
{
    m_color1 = color1;
    m_color2 = color2;
    m_angle = angle;
    repaintGradient();
}

void GradientPicker::repaintGradient()
{
    reportGradientError(PaintPreview());
    reportPickerError(this, RefreshToolButtons());
}

void GradientPicker::cmdColor_Click(int index)
{
    Colour& colour = index == 1 ? m_color2 : m_color1;
    cdlColor.CancelError = true;
    cdlColor.Flags = 1;
    cdlColor.Color = colour;
    const ErrorCode result = cdlColor.ShowColor();
    if (result == ErrorCode::CancelPressed)
        return;
    if (result != ErrorCode::None) {
        reportPickerError(this, result);
        return;
    }
    colour = cdlColor.Color;
    repaintGradient();
}

void GradientPicker::cmdAngle_Click()
{
    if (!AngleDialog::Display(this, m_angle, m_color1, m_color2, &picTools->surface()))
        return;
    repaintGradient();
}

// The preview as a recipe: the gradient it was swept with over its area, so that a slide drawn
// on it can name its background.
std::shared_ptr<const PictureSource> GradientPicker::previewRecipe() const
{
    return std::make_shared<GradientPicture>(
        GradientRecipe{m_gradient.Color1(), m_gradient.Color2(), m_gradient.Angle(), picDraw->surface().size()});
}

// The preview laid under a canvas. A picker that opened smaller on a small screen has a preview
// smaller than the canvas: the canvas still gets a gradient that covers it, the same colours and
// angle swept over the larger area. A picker the user made smaller hands over its preview as it is.
void GradientPicker::layUnder(PictureBox* canvas) const
{
    const QSize preview = picDraw->surface().size();
    const bool fittedHere = m_fittedSize.isValid() && size() == m_fittedSize;
    const QSize covering = fittedHere ? preview.expandedTo(canvas->surface().size()) : preview;
    if (covering == preview) {
        canvas->setPicture(picDraw->Image(), previewRecipe());
        return;
    }
    auto source = std::make_shared<GradientPicture>(
        GradientRecipe{m_gradient.Color1(), m_gradient.Color2(), m_gradient.Angle(), covering});
    const qreal ratio = canvas->surface().devicePixelRatio();
    QImage pixels = source->render(ratio);
    pixels.setDevicePixelRatio(ratio);
    canvas->setPicture(pixels, std::move(source));
}

void GradientPicker::Command1_Click()
{
    WindowRegistry& registry = WindowRegistry::instance();
    if (PictureBox* canvas = registry.canvas(WindowId::Main))
        layUnder(canvas);
    hide();
    registry.show(WindowId::Main);
}

void GradientPicker::Command2_Click()
{
    WindowRegistry& registry = WindowRegistry::instance();
    if (PictureBox* canvas = registry.canvas(WindowId::Geometric))
        layUnder(canvas);
    hide();
    if (registry.show(WindowId::Geometric))
        registry.placeGeometricDesigner(registry.window(WindowId::Main));
}

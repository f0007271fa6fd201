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

    m_toolStrip = new PictureBox(this);
    m_toolStrip->setObjectName(QStringLiteral("picTools"));
    m_toolStrip->setGeometry(0, 0, width(), twipsToPixels(930));
    buildToolStrip();

    m_applyToMainButton = makeGraphicalButton(this, QStringLiteral("Command1"), QStringLiteral("宇宙图案背景渐变色"),
                                              twipsRect(6240, 360, 1815, 375), applyButtonFace);
    m_preview = new PictureBox(this);
    m_preview->setObjectName(QStringLiteral("picDraw"));
    m_preview->setGeometry(twipsRect(0, 1035, 12030, 11910));
    m_iconCanvas = new PictureBox(this);
    m_iconCanvas->setObjectName(QStringLiteral("picTemp"));
    m_iconCanvas->setGeometry(twipsRect(12240, 2520, 645, 495));
    m_iconCanvas->hide();
    m_iconImage = new QLabel(this);
    m_iconImage->setObjectName(QStringLiteral("imgTemp"));
    m_iconImage->setGeometry(twipsRect(12120, 3120, 645, 495));
    m_iconImage->hide();
    // The cosmic apply button stands on the tool strip beside the geometric one.
    m_applyToMainButton->raise();

    connect(m_colourButtons[0], &QToolButton::clicked, this, [this] { onColourClicked(0); });
    connect(m_colourButtons[1], &QToolButton::clicked, this, [this] { onColourClicked(1); });
    connect(m_angleButton, &QToolButton::clicked, this, &GradientPicker::onAngleClicked);
    connect(m_applyToMainButton, &QToolButton::clicked, this, &GradientPicker::onApplyToMainClicked);
    connect(m_applyToGeometricButton, &QToolButton::clicked, this, &GradientPicker::onApplyToGeometricClicked);
}

void GradientPicker::setVisible(bool visible)
{
    // Loaded when first shown, once the registry knows the window, and before the first resize
    // paints the preview.
    if (visible && !m_loaded) {
        m_loaded = true;
        onLoad();
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
    m_colourButtons[0] = makeGraphicalButton(m_toolStrip, QStringLiteral("cmdColor_0"), QStringLiteral("配色&1"),
                                             twipsRect(2640, 30, 735, 855), RGB(255, 255, 0));
    m_colourButtons[1] = makeGraphicalButton(m_toolStrip, QStringLiteral("cmdColor_1"), QStringLiteral("配色&2"),
                                             twipsRect(3480, 30, 735, 855), RGB(255, 0, 0));
    m_angleButton = makeGraphicalButton(m_toolStrip, QStringLiteral("cmdAngle"), QStringLiteral("&角度"),
                                        twipsRect(4320, 30, 735, 855), Colour(0x80FF80));
    m_applyToGeometricButton = makeGraphicalButton(m_toolStrip, QStringLiteral("Command2"),
                                                   QStringLiteral("几何图案背景渐变色"),
                                                   twipsRect(8160, 360, 1815, 375), applyButtonFace);
}

void GradientPicker::buildLogo()
{
    m_logo = new QLabel(m_toolStrip);
    m_logo->setObjectName(QStringLiteral("imgLogo"));
    m_logo->setGeometry(twipsRect(240, 0, 900, 660));
    m_logo->setPixmap(QPixmap(QStringLiteral(":/logo/logo.png")));
    m_logo->setScaledContents(true);

    m_logoCaption = new QLabel(QStringLiteral("数学之美"), m_toolStrip);
    m_logoCaption->setObjectName(QStringLiteral("lblLogo"));
    m_logoCaption->setGeometry(twipsRect(0, 720, 1440, 195));
    m_logoCaption->setAlignment(Qt::AlignCenter);
    m_logoCaption->setAttribute(Qt::WA_TranslucentBackground);
    QFont font = m_logoCaption->font();
    font.setBold(true);
    font.setPixelSize(11);
    m_logoCaption->setFont(font);
    QPalette palette = m_logoCaption->palette();
    palette.setColor(QPalette::WindowText, Qt::yellow);
    m_logoCaption->setPalette(palette);
}

void GradientPicker::onLoad()
{
    m_toolStrip->setBackColor(buttonFace);
    m_toolStrip->Cls();
    m_angle = m_gradient.Angle();
    m_color1 = m_gradient.Color1();
    m_color2 = m_gradient.Color2();
    reportPickerError(this, refreshToolButtons());
}

void GradientPicker::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!m_preview)
        return; // still being built
    // The tool strip is aligned to the top: it always spans the width.
    m_toolStrip->setGeometry(0, 0, width(), m_toolStrip->height());
    followResize();
}

void GradientPicker::followResize()
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
    m_preview->setGeometry(0, m_toolStrip->height(), width(), height() - m_toolStrip->height());
    if (const ErrorCode error = paintPreview(); error != ErrorCode::None)
        reportAfterThisEvent(this, [error] { reportGradientError(error); });
}

ErrorCode GradientPicker::paintPreview()
{
    m_gradient.setAngle(m_angle);
    m_gradient.setColor1(m_color1);
    m_gradient.setColor2(m_color2);
    const ErrorCode error = m_preview->drawLocked([this](Surface& s) { return m_gradient.Draw(s); }).error;
    m_preview->Refresh();
    return error;
}

ErrorCode GradientPicker::refreshToolButtons()
{
    m_iconCanvas->resize(32, 32);
    m_iconCanvas->setBackColor(buttonFace);
    m_iconCanvas->Cls();
    const double iconWidth = m_iconCanvas->ScaleWidth();
    const double iconHeight = m_iconCanvas->ScaleHeight();
    drawSunkenFrame();
    passPictureTo(m_angleButton);

    m_iconCanvas->Line(2, 2, iconWidth - 2, iconHeight - 2, m_gradient.Color1(), LineBox::BoxFilled);
    passPictureTo(m_colourButtons[0]);
    m_iconCanvas->Line(2, 2, iconWidth - 2, iconHeight - 2, m_gradient.Color2(), LineBox::BoxFilled);
    passPictureTo(m_colourButtons[1]);

    reportGradientError(m_iconCanvas->drawLocked([this](Surface& s) { return m_gradient.Draw(s); }).error);
    drawSunkenFrame();
    const ErrorCode error = DrawAngleArrow(m_iconCanvas->surface(), m_gradient.Angle(), &m_toolStrip->surface());
    if (error != ErrorCode::None)
        return error;
    passPictureTo(m_angleButton);
    return ErrorCode::None;
}

void GradientPicker::drawSunkenFrame()
{
    const double iconWidth = m_iconCanvas->ScaleWidth();
    const double iconHeight = m_iconCanvas->ScaleHeight();
    m_iconCanvas->Line(1, 1, iconWidth - 1, iconHeight - 1, Colour::system(SysColorIndex::ButtonShadow), LineBox::Box);
    m_iconCanvas->Line(0, 0, iconWidth - 1, iconHeight - 1, Colour::system(SysColorIndex::ButtonHighlight),
                       LineBox::Box);
    m_iconCanvas->Line(0, 0, iconWidth, iconHeight, Colour::system(SysColorIndex::DarkShadow), LineBox::Box);
}

void GradientPicker::passPictureTo(QToolButton* button)
{
    m_iconImage->setPixmap(QPixmap::fromImage(m_iconCanvas->Image()));
    button->setIcon(QIcon(m_iconImage->pixmap()));
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
    reportGradientError(paintPreview());
    reportPickerError(this, refreshToolButtons());
}

void GradientPicker::onColourClicked(int index)
{
    Colour& colour = index == 1 ? m_color2 : m_color1;
    m_colourDialog.CancelError = true;
    m_colourDialog.Flags = 1;
    m_colourDialog.Color = colour;
    const ErrorCode result = m_colourDialog.ShowColor();
    if (result == ErrorCode::CancelPressed)
        return;
    if (result != ErrorCode::None) {
        reportPickerError(this, result);
        return;
    }
    colour = m_colourDialog.Color;
    repaintGradient();
}

void GradientPicker::onAngleClicked()
{
    if (!AngleDialog::ask(this, m_angle, m_color1, m_color2, &m_toolStrip->surface()))
        return;
    repaintGradient();
}

// The preview as a recipe: the gradient it was swept with over its area, so that a slide drawn
// on it can name its background.
std::shared_ptr<const PictureSource> GradientPicker::previewRecipe() const
{
    return std::make_shared<GradientPicture>(
        GradientRecipe{m_gradient.Color1(), m_gradient.Color2(), m_gradient.Angle(), m_preview->surface().size()});
}

// The preview laid under a canvas. A picker that opened smaller on a small screen has a preview
// smaller than the canvas: the canvas still gets a gradient that covers it, the same colours and
// angle swept over the larger area. A picker the user made smaller hands over its preview as it is.
void GradientPicker::layUnder(PictureBox* canvas) const
{
    const QSize preview = m_preview->surface().size();
    const bool fittedHere = m_fittedSize.isValid() && size() == m_fittedSize;
    const QSize covering = fittedHere ? preview.expandedTo(canvas->surface().size()) : preview;
    if (covering == preview) {
        canvas->setPicture(m_preview->Image(), previewRecipe());
        return;
    }
    auto source = std::make_shared<GradientPicture>(
        GradientRecipe{m_gradient.Color1(), m_gradient.Color2(), m_gradient.Angle(), covering});
    const qreal ratio = canvas->surface().devicePixelRatio();
    QImage pixels = source->render(ratio);
    pixels.setDevicePixelRatio(ratio);
    canvas->setPicture(pixels, std::move(source));
}

void GradientPicker::onApplyToMainClicked()
{
    WindowRegistry& registry = WindowRegistry::instance();
    if (PictureBox* canvas = registry.canvas(WindowId::Main))
        layUnder(canvas);
    hide();
    registry.show(WindowId::Main);
}

void GradientPicker::onApplyToGeometricClicked()
{
    WindowRegistry& registry = WindowRegistry::instance();
    if (PictureBox* canvas = registry.canvas(WindowId::Geometric))
        layUnder(canvas);
    hide();
    if (registry.show(WindowId::Geometric))
        registry.placeGeometricDesigner(registry.window(WindowId::Main));
}

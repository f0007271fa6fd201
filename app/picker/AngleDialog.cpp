#include "app/picker/AngleDialog.h"

#include "app/picker/GradientErrors.h"
#include "app/widgets/BringToFront.h"
#include "app/widgets/FramedPlacement.h"
#include "app/widgets/GraphicalButton.h"
#include "app/widgets/PictureBox.h"
#include "draw/base/Twips.h"
#include "draw/gradient/AngleArrow.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
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

AngleDialog::AngleDialog(QWidget* owner)
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

    m_preview = new PictureBox(this);
    m_preview->setObjectName(QStringLiteral("picDraw"));
    m_preview->setGeometry(twipsRect(210, 180, 1590, 1530));
    m_preview->setForeColor(Colour(0x0000FF));
    m_preview->setFillColor(Colour(0x00FFFF));

    m_angleLabel = new QLabel(QStringLiteral("Label1"), this);
    m_angleLabel->setObjectName(QStringLiteral("lblAngle"));
    m_angleLabel->setGeometry(twipsRect(210, 1710, 1575, 255));
    m_angleLabel->setAlignment(Qt::AlignCenter);
    m_angleLabel->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_angleLabel->setLineWidth(1);
    QPalette labelPalette = m_angleLabel->palette();
    labelPalette.setColor(QPalette::Window, labelFace.toQColor());
    labelPalette.setColor(QPalette::WindowText, Qt::black);
    m_angleLabel->setPalette(labelPalette);
    m_angleLabel->setAutoFillBackground(true);

    m_angleBar = new QScrollBar(Qt::Horizontal, this);
    m_angleBar->setObjectName(QStringLiteral("hsbAngle"));
    m_angleBar->setGeometry(twipsRect(195, 1980, 1620, 210));
    m_angleBar->setRange(0, 359);
    m_angleBar->setSingleStep(1);
    m_angleBar->setPageStep(5);
    // While the thumb is dragged the value stays put and the scroll handler follows the thumb;
    // the change handler runs once the value itself changes.
    m_angleBar->setTracking(false);
    // The bar is worked from the keyboard: it takes the focus on a click and has it at opening.
    m_angleBar->setFocusPolicy(Qt::StrongFocus);
    // Scroll bars invert their keys by default (Left would add); here Left, Page Down lower the
    // angle and Right, Page Up raise it.
    m_angleBar->setInvertedControls(false);

    m_okButton = makeGraphicalButton(this, QStringLiteral("cmdOK"), QStringLiteral("确定"),
                                     twipsRect(1980, 495, 975, 330), buttonFace);
    m_cancelButton = makeGraphicalButton(this, QStringLiteral("cmdCancel"), QStringLiteral("取消"),
                                         twipsRect(1980, 1080, 975, 315), buttonFace);

    setTabOrder(m_angleBar, m_okButton);
    setTabOrder(m_okButton, m_cancelButton);

    connect(m_angleBar, &QScrollBar::valueChanged, this, &AngleDialog::onAngleChanged);
    connect(m_angleBar, &QScrollBar::sliderMoved, this, &AngleDialog::onAngleScrolled);
    connect(m_okButton, &QToolButton::clicked, this, &AngleDialog::onOkClicked);
    connect(m_cancelButton, &QToolButton::clicked, this, &AngleDialog::onCancelClicked);
}

bool AngleDialog::ask(QWidget* caller, float& angle, Colour color1, Colour color2, Surface* toolStrip)
{
    AngleDialog dialog(caller);
    dialog.m_toolStrip = toolStrip;
    return dialog.run(caller, angle, color1, color2);
}

bool AngleDialog::run(QWidget* caller, float& angle, Colour color1, Colour color2)
{
    m_cancelled = false;
    m_gradient.setAngle(angle);
    m_gradient.setColor1(color1);
    m_gradient.setColor2(color2);
    m_angle = wholeDegrees(m_gradient.Angle());
    drawPreview();
    showAngle();
    m_angleBar->setValue(m_angle);
    placeOver(caller);
    m_angleBar->setFocus();
    // Blocks the picker and the windows above it in its family, not the whole program.
    setWindowModality(caller ? Qt::WindowModal : Qt::ApplicationModal);
    exec();
    if (m_cancelled)
        return false;
    angle = m_angle;
    return true;
}

void AngleDialog::showAngle() { m_angleLabel->setText(QString::number(m_angle) + QStringLiteral("度")); }

QPoint AngleDialog::placement(QSize callerOuter, QSize dialogOuter, const QRect& available)
{
    // Half the difference of the outer sizes in twips, counted from the screen's corner.
    const int left = (pixelsToTwips(callerOuter.width()) - pixelsToTwips(dialogOuter.width())) / 2;
    const int top = (pixelsToTwips(callerOuter.height()) - pixelsToTwips(dialogOuter.height())) / 2;
    return keptInside(QRect(twipsPoint(left, top), dialogOuter), available);
}

void AngleDialog::placeOver(QWidget* caller)
{
    if (!caller)
        return;
    const QPointer<QWidget> callerWindow(caller);
    placeOnceFramed(this, [this, callerWindow] {
        if (!callerWindow)
            return;
        // Until the dialog is framed, its frame is taken to be as thick as its caller's.
        const QSize decoration = isFramed(this) ? frameGeometry().size() - size()
                                                : callerWindow->frameGeometry().size() - callerWindow->size();
        const QScreen* screen = callerWindow->screen();
        const QRect available = screen ? screen->availableGeometry() : QRect(QPoint(), QSize(1 << 20, 1 << 20));
        move(placement(callerWindow->frameGeometry().size(), size() + decoration, available));
    });
}

void AngleDialog::onAngleChanged()
{
    // The thumb's position: while it is dragged this runs ahead of the bar's value.
    m_angle = std::int16_t(m_angleBar->sliderPosition());
    showAngle();
    m_gradient.setAngle(m_angle);
    drawPreview();
    m_preview->Refresh();
}

void AngleDialog::drawPreview()
{
    const ErrorCode gradient = m_preview->drawLocked([this](Surface& s) { return m_gradient.Draw(s); }).error;
    const ErrorCode arrow = DrawAngleArrow(m_preview->surface(), m_angle, m_toolStrip);
    if (gradient == ErrorCode::None && arrow == ErrorCode::None)
        return;
    // The preview follows the scroll bar's signals; the message waits until the signal is handled.
    reportAfterThisEvent(this, [this, gradient, arrow] {
        reportGradientError(gradient);
        reportPickerError(this, arrow);
    });
}

void AngleDialog::onAngleScrolled() { onAngleChanged(); }

void AngleDialog::onOkClicked() { accept(); }

void AngleDialog::onCancelClicked()
{
    m_cancelled = true;
    reject();
}

void AngleDialog::keyPressEvent(QKeyEvent* event)
{
    // Escape means Cancel; otherwise it would close the dialog and count as acceptance.
    if (event->key() == Qt::Key_Escape) {
        onCancelClicked();
        return;
    }
    // Enter presses the focused button, else OK, the default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* focused = qobject_cast<QToolButton*>(focusWidget()))
            focused->click();
        else
            onOkClicked();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AngleDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized())
        return;
    // A hidden modal dialog would leave the program looking hung: bring it back at once.
    QTimer::singleShot(0, this, [this] { bringToFront(this); });
}

#include "app/Form1.h"

#include "curves/CurvePlotter.h"
#include "curves/SlideShow.h"
#include "curves/StylePresets.h"
#include "platform/Beep.h"
#include "platform/PictureBox.h"
#include "platform/Twips.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <optional>

namespace {

// The character code a key press types, or nothing for keys that type no character (arrows,
// focus keys, Delete). The clipboard shortcuts count as their control codes.
std::optional<std::int16_t> typedCode(const QKeyEvent& event)
{
    if (event.matches(QKeySequence::Copy))
        return 3;
    if (event.matches(QKeySequence::Paste))
        return 22;
    if (event.matches(QKeySequence::Cut))
        return 24;
    const int key = event.key();
    if (event.text().isEmpty() || key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Delete)
        return std::nullopt;
    return static_cast<std::int16_t>(event.text().at(0).unicode());
}

} // namespace

QString Form1::divisorText() const { return Combo1->currentText(); }

QString Form1::penWidthText() const { return Combo2->currentText(); }

QString Form1::paramText(int index) const { return txtParam[size_t(index)]->text(); }

void Form1::setParamText(int index, const QString& text) { txtParam[size_t(index)]->setText(text); }

void Form1::showPatternCode(const QString& code) { Label7->setText(code); }

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    for (int index = 0; index < 4; ++index) {
        if (watched != txtParam[size_t(index)])
            continue;
        const auto code = typedCode(*static_cast<QKeyEvent*>(event));
        if (!code)
            return false;
        std::int16_t keyAscii = *code;
        txtParam_KeyPress(std::int16_t(index), keyAscii);
        return keyAscii == 0;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::txtParam_KeyPress(std::int16_t /*index*/, std::int16_t& keyAscii)
{
    const bool digit = keyAscii >= 48 && keyAscii <= 57;
    if (digit || keyAscii == 8)
        return;
    Beep();
    keyAscii = 0;
}

void Form1::connectHandlers()
{
    connect(cmdOutput, &QPushButton::clicked, this, &Form1::cmdOutput_Click);
    connect(cmdStyle[0], &QPushButton::clicked, this, &Form1::cmdStyle1_Click);
    connect(cmdStyle[1], &QPushButton::clicked, this, &Form1::cmdStyle2_Click);
    connect(cmdStyle[2], &QPushButton::clicked, this, &Form1::cmdStyle3_Click);
    connect(cmdStyle[3], &QPushButton::clicked, this, &Form1::cmdStyle4_Click);
    connect(cmdClear, &QPushButton::clicked, this, &Form1::cmdClear_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
}

void Form1::cmdOutput_Click() { plotCurve(*this, YellowPlotter); }
void Form1::PlotCurveGreen() { plotCurve(*this, GreenPlotter); }
void Form1::PlotCurveBlue() { plotCurve(*this, BluePlotter); }
void Form1::PlotCurvePink() { plotCurve(*this, PinkPlotter); }

void Form1::cmdStyle1_Click() { runStylePreset(*this, CurveStyle::One); }
void Form1::cmdStyle2_Click() { runStylePreset(*this, CurveStyle::Two); }
void Form1::cmdStyle3_Click() { runStylePreset(*this, CurveStyle::Three); }
void Form1::cmdStyle4_Click() { runStylePreset(*this, CurveStyle::Four); }

void Form1::Timer1_Timer()
{
    m_slides->beforeNewSlide();
    m_slides->add(slideShowTick(*this));
}

void Form1::Command5_Click()
{
    // Play while running keeps the wait that is under way.
    if (!Timer1.isActive())
        Timer1.start();
}

void Form1::Command6_Click() { Timer1.stop(); }

void Form1::Command1_Click() { WindowRegistry::instance().show(WindowId::GradientPicker); }

void Form1::Command2_Click()
{
    WindowRegistry& registry = WindowRegistry::instance();
    if (registry.show(WindowId::Geometric))
        registry.placeGeometricDesigner(this);
}

Surface& Form1::curveCanvas() { return picOutput->surface(); }

void Form1::cmdClear_Click() { picOutput->Cls(); }

void Form1::Command7_Click()
{
    // The gradient background goes before the dialog opens, even if the user then cancels.
    picOutput->setPicture(QImage());
    std::array<std::uint32_t, 16> customColours{};
    CHOOSECOLOR request;
    request.hwndOwner = this;
    request.lpCustColors = &customColours;
    request.Flags = 0;
    if (ChooseColorA(request) != 0)
        picOutput->setBackColor(Colour(request.rgbResult));
    else
        MsgBox(QStringLiteral("取消后重选"), vbExclamation);
}

#include "app/mainwindow/MainWindow.h"

#include "app/widgets/Beep.h"
#include "app/widgets/PictureBox.h"
#include "draw/base/Twips.h"
#include "draw/curves/CurvePlotter.h"
#include "draw/curves/SlideShow.h"
#include "draw/curves/StylePresets.h"
#include "draw/pattern/SlideReplay.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QList>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The character codes a key press types, in order; empty for keys that type no character (arrows,
// focus keys, Delete, Insert, and Shift+Insert, Ctrl+Insert or Shift+Delete, which paste, copy and
// cut). Ctrl+C, Ctrl+V and Ctrl+X type their control codes even where the platform gives no text.
QList<std::int16_t> typedCodes(const QKeyEvent& event)
{
    const int key = event.key();
    const bool control = event.modifiers().testFlag(Qt::ControlModifier);
    if (control && key == Qt::Key_C)
        return {3};
    if (control && key == Qt::Key_V)
        return {22};
    if (control && key == Qt::Key_X)
        return {24};
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Delete || key == Qt::Key_Insert)
        return {};
    QList<std::int16_t> codes;
    for (QChar c : event.text())
        codes << static_cast<std::int16_t>(c.unicode());
    return codes;
}

// Gives the box what the filter let through of a key that typed several characters.
void typeAccepted(QLineEdit& box, const QList<std::int16_t>& codes)
{
    for (std::int16_t code : codes) {
        if (code == 8)
            box.backspace();
        else
            box.insert(QString(QChar(char16_t(code))));
    }
}

} // namespace

int MainWindow::paramBoxIndex(const QObject* watched) const
{
    for (int index = 0; index < 4; ++index)
        if (watched == paramBoxes[size_t(index)])
            return index;
    return -1;
}

QList<std::int16_t> MainWindow::filteredCodes(int index, const QList<std::int16_t>& codes)
{
    QList<std::int16_t> accepted;
    for (std::int16_t code : codes) {
        std::int16_t keyAscii = code;
        onParamKeyPress(std::int16_t(index), keyAscii);
        if (keyAscii != 0)
            accepted << keyAscii;
    }
    return accepted;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    const int index = paramBoxIndex(watched);
    if (index < 0)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::InputMethod)
        return filterComposedText(index, *static_cast<QInputMethodEvent*>(event));
    if (event->type() != QEvent::KeyPress)
        return false;
    const QList<std::int16_t> codes = typedCodes(*static_cast<QKeyEvent*>(event));
    const QList<std::int16_t> accepted = filteredCodes(index, codes);
    if (accepted.size() == codes.size())
        return false; // nothing judged, or all passed: the box handles the key as usual
    typeAccepted(*paramBoxes[size_t(index)], accepted);
    return true;
}

// Text an input method commits (a Chinese one types full-width digits, for instance) is typed
// too: each of its characters goes through the key filter, and the box gets what passes. True
// when the event was replaced by the filtered one.
bool MainWindow::filterComposedText(int index, const QInputMethodEvent& event)
{
    QList<std::int16_t> codes;
    for (QChar c : event.commitString())
        codes << static_cast<std::int16_t>(c.unicode());
    const QList<std::int16_t> accepted = filteredCodes(index, codes);
    if (accepted.size() == codes.size())
        return false;
    QString text;
    for (std::int16_t code : accepted)
        text += QChar(char16_t(code));
    QInputMethodEvent filtered(event.preeditString(), event.attributes());
    filtered.setCommitString(text, event.replacementStart(), event.replacementLength());
    QCoreApplication::sendEvent(paramBoxes[size_t(index)], &filtered);
    return true;
}

void MainWindow::onParamKeyPress(std::int16_t /*index*/, std::int16_t& keyAscii)
{
    const bool digit = keyAscii >= 48 && keyAscii <= 57;
    if (digit || keyAscii == 8)
        return;
    Beep();
    keyAscii = 0;
}

void MainWindow::connectHandlers()
{
    connect(customOutputButton, &QPushButton::clicked, this, &MainWindow::onCustomOutputClicked);
    connect(styleButtons[0], &QPushButton::clicked, this, &MainWindow::onStyle1Clicked);
    connect(styleButtons[1], &QPushButton::clicked, this, &MainWindow::onStyle2Clicked);
    connect(styleButtons[2], &QPushButton::clicked, this, &MainWindow::onStyle3Clicked);
    connect(styleButtons[3], &QPushButton::clicked, this, &MainWindow::onStyle4Clicked);
    connect(clearButton, &QPushButton::clicked, this, &MainWindow::onClearClicked);
    connect(playButton, &QPushButton::clicked, this, &MainWindow::onPlayClicked);
    connect(pauseButton, &QPushButton::clicked, this, &MainWindow::onPauseClicked);
    connect(backgroundColourButton, &QPushButton::clicked, this, &MainWindow::onBackgroundColourClicked);
    connect(gradientButton, &QPushButton::clicked, this, &MainWindow::onGradientClicked);
    connect(geometricButton, &QPushButton::clicked, this, &MainWindow::onGeometricClicked);
    connect(showClock, &SlideShowClock::ticked, this, &MainWindow::onShowTimer);
}

void MainWindow::onCustomOutputClicked() { plotCurve(m_curveControls, YellowPlotter); }
void MainWindow::PlotCurveGreen() { plotCurve(m_curveControls, GreenPlotter); }
void MainWindow::PlotCurveBlue() { plotCurve(m_curveControls, BluePlotter); }
void MainWindow::PlotCurvePink() { plotCurve(m_curveControls, PinkPlotter); }

void MainWindow::onStyle1Clicked() { runStylePreset(m_curveControls, CurveStyle::One); }
void MainWindow::onStyle2Clicked() { runStylePreset(m_curveControls, CurveStyle::Two); }
void MainWindow::onStyle3Clicked() { runStylePreset(m_curveControls, CurveStyle::Three); }
void MainWindow::onStyle4Clicked() { runStylePreset(m_curveControls, CurveStyle::Four); }

void MainWindow::onShowTimer()
{
    slides().beforeNewSlide();
    const CurveSlide slide = slideShowTick(m_curveControls);
    slides().add(recipeOf(slide), slide.code);
}

void MainWindow::onPlayClicked()
{
    // Play while running keeps the wait that is under way.
    if (!showTimer.isActive())
        showTimer.start();
    emit showResumed();
}

void MainWindow::onPauseClicked() { showTimer.stop(); }

void MainWindow::onGradientClicked() { WindowRegistry::instance().show(WindowId::GradientPicker); }

void MainWindow::onGeometricClicked()
{
    WindowRegistry& registry = WindowRegistry::instance();
    if (registry.show(WindowId::Geometric))
        registry.placeGeometricDesigner(this);
}

void MainWindow::onClearClicked() { canvas->Cls(); }

void MainWindow::onBackgroundColourClicked()
{
    // The gradient background goes before the dialog opens, even if the user then cancels.
    canvas->setPicture(QImage());
    std::array<std::uint32_t, 16> customColours{};
    CHOOSECOLOR request;
    request.hwndOwner = this;
    request.lpCustColors = &customColours;
    request.Flags = 0;
    if (ChooseColorA(request) != 0)
        canvas->setBackColor(Colour(request.rgbResult));
    else
        MsgBox(QStringLiteral("取消后重选"), vbExclamation, QString(), this);
}

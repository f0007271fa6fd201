#pragma once

#include "app/canvas/PatternCanvas.h"
#include "app/canvas/PatternHost.h"
#include "app/fullscreen/FullScreenSource.h"
#include "app/registry/WindowRegistry.h"
#include "app/widgets/Dialogs.h"
#include "draw/curves/CurveControls.h"
#include "draw/curves/CurveSlide.h"

#include <QList>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>

class PictureBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The start-up window: the curve canvas with its slide show, the covered parameter panel, the
// control column and the information texts.
class MainWindow : public QWidget, public CanvasHost, public CurveControls, public PatternHost
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);

    PictureBox* hostedCanvas() override { return picOutput; }
    // The kept slides, shown again from the canvas menu.
    SlideBrowser<CurveSlide>& slides() { return m_pattern->slides(); }

    // PatternHost
    void showRecipe(const SlideRecipe& recipe) override;
    QString shownFullCode() const override { return m_pattern->shownFullCode(); }
    CanvasMenu* patternMenu() const override { return m_pattern->menu(); }

    // CurveControls
    QString divisorText() const override;
    QString penWidthText() const override;
    QString paramText(int index) const override;
    void setParamText(int index, const QString& text) override;
    void showPatternCode(const QString& code) override;
    Surface& curveCanvas() override;

    // The key filter of the parameter boxes: digits and backspace pass, anything else beeps and
    // is discarded (keyAscii set to 0).
    void txtParam_KeyPress(std::int16_t index, std::int16_t& keyAscii);

    void cmdOutput_Click();
    void PlotCurveGreen();
    void PlotCurveBlue();
    void PlotCurvePink();
    void cmdStyle1_Click();
    void cmdStyle2_Click();
    void cmdStyle3_Click();
    void cmdStyle4_Click();
    void Timer1_Timer();
    void Command5_Click();
    void Command6_Click();
    void Command1_Click();
    void Command2_Click();
    void cmdClear_Click();
    void Command7_Click();

    PictureBox* picOutput = nullptr;
    std::array<QLineEdit*, 4> txtParam{};
    std::array<QLabel*, 4> paramLabels{}; // Label1 .. Label4
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdOutput = nullptr;
    std::array<QPushButton*, 4> cmdStyle{}; // cmdStyle1 .. cmdStyle4
    QPlainTextEdit* Text1 = nullptr;
    QFrame* Shape1 = nullptr;
    QLabel* Label18 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command8 = nullptr;
    QLabel* Label19 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* Label20 = nullptr;
    QComboBox* Combo2 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Image1 = nullptr;
    QTimer Timer1;
    QTimer Timer2;
    CommonDialog cdlg{this}; // the save button's dialog; the button is never shown

signals:
    // The user pressed play.
    void showResumed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Which parameter box the object is, or -1.
    int paramBoxIndex(const QObject* watched) const;
    // The codes the key filter lets through, in order.
    QList<std::int16_t> filteredCodes(int index, const QList<std::int16_t>& codes);
    bool filterComposedText(int index, const QInputMethodEvent& event);
    void Form_Load();
    void buildParameterPanel();
    void buildCanvas();
    void buildCanvasLabels();
    void buildControlColumn();
    void buildInformation();
    void connectHandlers();
    void attachPatternMenu();

    void showKeptSlide(const CurveSlide& slide);

    std::unique_ptr<PatternCanvas<CurveSlide>> m_pattern;
    std::unique_ptr<PatternWindowShow> m_fullScreen;
};

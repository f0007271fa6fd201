#pragma once

#include "app/canvas/CanvasAttachments.h"
#include "app/canvas/SlideShowWindow.h"
#include "app/fullscreen/FullScreenSource.h"
#include "app/mainwindow/MainWindowControls.h"
#include "app/registry/WindowRegistry.h"
#include "app/widgets/Dialogs.h"
#include "app/widgets/SlideShowClock.h"

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
class MainWindow : public QWidget, public CanvasHost, public SlideShowWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);

    PictureBox* hostedCanvas() override { return canvas; }
    // The kept slides, shown again from the canvas menu.
    SlideBrowser& slides() { return m_attachments->slides(); }

    // SlideShowWindow
    void showRecipe(const SlideRecipe& recipe) override;
    QString shownFullCode() const override { return m_attachments->shownFullCode(); }
    CanvasMenu* patternMenu() const override { return m_attachments->menu(); }
    QMetaObject::Connection onShowResumed(QObject* context, std::function<void()> handler) override
    {
        return connect(this, &MainWindow::showResumed, context, std::move(handler));
    }

    // The boxes as the curve routines read and write them.
    CurveControls& curveControls() { return m_curveControls; }

    // The key filter of the parameter boxes: digits and backspace pass, anything else beeps and
    // is discarded (keyAscii set to 0).
    void onParamKeyPress(std::int16_t index, std::int16_t& keyAscii);

    // "自定义输出": the yellow curve from the parameter boxes.
    void onCustomOutputClicked();
    void PlotCurveGreen();
    void PlotCurveBlue();
    void PlotCurvePink();
    // "样式一" .. "样式四": random parameters, then that style's curve.
    void onStyle1Clicked();
    void onStyle2Clicked();
    void onStyle3Clicked();
    void onStyle4Clicked();
    // One slide of the show.
    void onShowTimer();
    void onPlayClicked();
    void onPauseClicked();
    // "渐变背景色": the gradient picker.
    void onGradientClicked();
    // "几何图案": the geometric designer, put back in its place.
    void onGeometricClicked();
    void onClearClicked();
    // "背景颜色": a plain background colour from the colour dialog.
    void onBackgroundColourClicked();

    PictureBox* canvas = nullptr;
    // Covered by the canvas: the parameter boxes and buttons that draw one curve.
    std::array<QLineEdit*, 4> paramBoxes{};
    std::array<QLabel*, 4> paramLabels{};
    QPushButton* clearButton = nullptr;
    QPushButton* customOutputButton = nullptr;
    std::array<QPushButton*, 4> styleButtons{};
    // The introduction beside the canvas and the frame of the control column.
    QPlainTextEdit* introductionBox = nullptr;
    QFrame* controlFrame = nullptr;
    QLabel* controlTitle = nullptr;
    QPushButton* playButton = nullptr;
    QPushButton* pauseButton = nullptr;
    QPushButton* backgroundColourButton = nullptr;
    QPushButton* gradientButton = nullptr;
    QPushButton* geometricButton = nullptr;
    QPushButton* saveButton = nullptr; // never shown
    QLabel* categoryLabel = nullptr;
    QComboBox* categoryBox = nullptr;
    QLabel* penWidthLabel = nullptr;
    QComboBox* penWidthBox = nullptr;
    QLabel* screenNote = nullptr;
    // "T NO:" and the pattern code of the slide on the canvas.
    QLabel* codeCaption = nullptr;
    QLabel* codeLabel = nullptr;
    QLabel* mottoLabel = nullptr;
    QLabel* logo = nullptr;
    QTimer showTimer;
    // Its ticks, held while the canvas menu or a dialog from it is up.
    SlideShowClock* showClock = new SlideShowClock(&showTimer);
    QTimer idleTimer; // runs, but nothing handles its ticks
    CommonDialog saveButtonDialog{this}; // the save button's dialog; the button is never shown

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
    void onLoad();
    void buildParameterPanel();
    void buildCanvas();
    void buildCanvasLabels();
    void buildControlColumn();
    void buildInformation();
    void connectHandlers();
    void attachPatternMenu();

    QString replaySlide(const SlideRecipe& recipe, const QString& code);

    MainWindowControls m_curveControls{*this};
    std::unique_ptr<CanvasAttachments> m_attachments;
    std::unique_ptr<PatternWindowShow> m_fullScreen;
};

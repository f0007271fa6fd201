#pragma once

#include "app/canvas/CanvasAttachments.h"
#include "app/canvas/SlideShowWindow.h"
#include "app/fullscreen/FullScreenSource.h"
#include "app/registry/WindowRegistry.h"

#include <QWidget>

#include <array>
#include <memory>

class PictureBox;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class SlideShowClock;

// The geometric pattern designer: every three seconds five concentric random figures on a random
// background, with a line-width choice, pause and play, and a gradient background from the picker.
// Behind the drawing box lies a row of controls that draws one green figure.
class GeometricDesigner : public QWidget, public CanvasHost, public SlideShowWindow
{
    Q_OBJECT

public:
    explicit GeometricDesigner(QWidget* parent = nullptr);

    PictureBox* hostedCanvas() override { return canvas; }
    // The kept slides, shown again from the canvas menu.
    SlideBrowser& slides() { return m_attachments->slides(); }

    // SlideShowWindow
    void showRecipe(const SlideRecipe& recipe) override;
    QString shownFullCode() const override { return m_attachments->shownFullCode(); }
    CanvasMenu* patternMenu() const override { return m_attachments->menu(); }
    QMetaObject::Connection onShowResumed(QObject* context, std::function<void()> handler) override
    {
        return connect(this, &GeometricDesigner::showResumed, context, std::move(handler));
    }

    // Fills the line-width list.
    void onLoad();
    // One slide of the show.
    void onShowTimer();
    // The "暂停" box: ticked, the show plays (its caption offers the pause); unticked, it waits.
    void onPlayingToggled();
    // Any of the covered buttons: one green figure from the star-points box.
    void onFigureClicked(int index);
    // "背景颜色1": the gradient picker.
    void onGradientClicked();
    // "背景颜色2": the canvas without its gradient background.
    void onRemoveGradientClicked();

    PictureBox* canvas = nullptr;
    // Covered by the canvas: the row that draws one figure.
    QLabel* starPointsLabel = nullptr;
    QLineEdit* starPointsBox = nullptr;
    std::array<QPushButton*, 3> figureButtons{};
    QCheckBox* fillBox = nullptr;
    // "T NO:" and the pattern code of the slide on the canvas.
    QLabel* codeCaption = nullptr;
    QLabel* codeLabel = nullptr;
    QLabel* lineWidthLabel = nullptr;
    QComboBox* lineWidthBox = nullptr;
    QCheckBox* playingBox = nullptr;
    QPushButton* gradientButton = nullptr;
    QPushButton* removeGradientButton = nullptr;
    QTimer* showTimer = nullptr;
    // Its ticks, held while the canvas menu or a dialog from it is up.
    SlideShowClock* showClock = nullptr;
    std::array<QTimer*, 3> idleTimers{}; // nothing handles their ticks

signals:
    // The user started the show again (ticked "暂停").
    void showResumed();

private:
    void buildCanvas();
    void buildTopRow();
    void buildBottomRow();
    void buildTimers();
    void attachPatternMenu();

    QString replaySlide(const SlideRecipe& recipe, const QString& code);

    std::unique_ptr<CanvasAttachments> m_attachments;
    std::unique_ptr<PatternWindowShow> m_fullScreen;
};

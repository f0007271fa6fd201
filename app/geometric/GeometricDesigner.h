#pragma once

#include "app/canvas/PatternCanvas.h"
#include "app/canvas/PatternHost.h"
#include "app/fullscreen/FullScreenSource.h"
#include "app/registry/WindowRegistry.h"
#include "draw/stars/GeometricSlide.h"

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

// The geometric pattern designer: every three seconds five concentric random figures on a random
// background, with a line-width choice, pause and play, and a gradient background from the picker.
// Behind the drawing box lies a row of controls that draws one green figure.
class GeometricDesigner : public QWidget, public CanvasHost, public PatternHost
{
    Q_OBJECT

public:
    explicit GeometricDesigner(QWidget* parent = nullptr);

    PictureBox* hostedCanvas() override { return Picture1; }
    // The kept slides, shown again from the canvas menu.
    SlideBrowser<GeometricSlide>& slides() { return m_pattern->slides(); }

    // PatternHost
    void showRecipe(const SlideRecipe& recipe) override;
    QString shownFullCode() const override { return m_pattern->shownFullCode(); }
    CanvasMenu* patternMenu() const override { return m_pattern->menu(); }

    void Form_Load();
    void Timer1_Timer();
    void Check2_Click();
    void Command1_Click(int index);
    void Command3_Click();
    void Command4_Click();

    PictureBox* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Text1 = nullptr;
    std::array<QPushButton*, 3> Command1{};
    QCheckBox* Check1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;
    QTimer* Timer4 = nullptr;

signals:
    // The user started the show again (ticked "暂停").
    void showResumed();

private:
    void buildCanvas();
    void buildTopRow();
    void buildBottomRow();
    void buildTimers();
    void attachPatternMenu();

    void showKeptSlide(const GeometricSlide& slide);

    std::unique_ptr<PatternCanvas<GeometricSlide>> m_pattern;
    std::unique_ptr<PatternWindowShow> m_fullScreen;
};

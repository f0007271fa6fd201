#include "app/geometric/GeometricDesigner.h"

#include "app/widgets/ComboPopup.h"
#include "app/widgets/ControlLook.h"
#include "app/widgets/PictureBox.h"
#include "app/widgets/SlideShowClock.h"
#include "app/widgets/WindowScaler.h"
#include "draw/base/Numbers.h"
#include "draw/base/Twips.h"
#include "draw/pattern/SlideReplay.h"
#include "draw/stars/GeometricSlide.h"
#include "draw/stars/StarGeometry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

void place(QWidget* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QLatin1String(name));
    placeInTwips(widget, left, top, width, height);
    // Label texts start at the top-left corner of their box.
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void setColours(QWidget* widget, QPalette::ColorRole background, Colour backColour, QPalette::ColorRole text,
                Colour textColour)
{
    QPalette palette = widget->palette();
    palette.setColor(background, backColour.toQColor());
    palette.setColor(text, textColour.toQColor());
    widget->setPalette(palette);
}

// A flat face in the button colour with a raised edge that sinks while pressed.
void setColouredButtonLook(QPushButton* button)
{
    button->setStyleSheet(QStringLiteral("QPushButton { background-color: rgb(192, 192, 255); color: black;"
                                         " border: 2px outset rgb(192, 192, 255); }"
                                         " QPushButton:pressed { border-style: inset; }"));
}

} // namespace

GeometricDesigner::GeometricDesigner(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form11"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("澄岚几何图案自动设计器"));
    resize(twipsToPixels(9135), twipsToPixels(9720));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, RGB(0, 128, 128).toQColor());
    setPalette(palette);

    // The top row comes first so that the drawing box, built after it, covers it.
    buildTopRow();
    buildCanvas();
    buildBottomRow();
    buildTimers();
    attachPatternMenu();

    // The covered "Polygon Star" button has the first tab place and so the starting focus.
    setTabOrder(figureButtons[1], starPointsBox);
    setTabOrder(starPointsBox, figureButtons[0]);
    setTabOrder(figureButtons[0], figureButtons[2]);
    setTabOrder(figureButtons[2], fillBox);
    setTabOrder(fillBox, lineWidthBox);
    setTabOrder(lineWidthBox, playingBox);
    setTabOrder(playingBox, gradientButton);
    setTabOrder(gradientButton, removeGradientButton);
    figureButtons[1]->setFocus();

    onLoad();
    // Every control is in place: the window may grow or shrink with its contents from here on.
    new WindowScaler(this);
}

void GeometricDesigner::buildTopRow()
{
    starPointsLabel = new QLabel(QStringLiteral("Star Points"), this);
    place(starPointsLabel, "Label1", 120, 60, 1095, 255);
    starPointsBox = new QLineEdit(QStringLiteral("5"), this);
    place(starPointsBox, "Text1", 1020, 60, 495, 315);

    const char* captions[] = {"Color", "Polygon Star", "Polygon"};
    const int lefts[] = {1620, 4260, 2520};
    const int widths[] = {855, 1695, 1695};
    for (int index = 0; index < int(figureButtons.size()); ++index) {
        figureButtons[index] = new QPushButton(QLatin1String(captions[index]), this);
        const QByteArray name = "Command1_" + QByteArray::number(index);
        place(figureButtons[index], name.constData(), lefts[index], 60, widths[index], 315);
        connect(figureButtons[index], &QPushButton::clicked, this, [this, index] { onFigureClicked(index); });
    }

    fillBox = new QCheckBox(QStringLiteral("Fill"), this);
    place(fillBox, "Check1", 6060, 60, 615, 255);
    fillBox->setChecked(true);
}

void GeometricDesigner::buildCanvas()
{
    canvas = new PictureBox(this);
    place(canvas, "Picture1", 0, 0, 9135, 9135);
    canvas->setScaleMode(ScaleMode::Twips);
    canvas->setFillStyle(1);
    canvas->setDrawWidth(12);
    canvas->setBackColor(RGB(255, 192, 255));
    canvas->raise();

    codeCaption = new QLabel(QStringLiteral("T NO:"), canvas);
    place(codeCaption, "Label2", 60, 120, 705, 345);
    setTextColour(codeCaption, RGB(128, 128, 0).toQColor());
    codeCaption->setFont(boldFont(QStringLiteral("DejaVu Sans Condensed"), 10.5, true));

    codeLabel = new QLabel(canvas);
    place(codeLabel, "Label3", 750, 120, 2745, 345);
    setTextColour(codeLabel, RGB(255, 0, 0).toQColor());
    codeLabel->setFont(boldFont(QStringLiteral("DejaVu Sans"), 10.5, true));
}

void GeometricDesigner::attachPatternMenu()
{
    // Pausing is unticking the box, which also sets its caption.
    m_attachments = std::make_unique<CanvasAttachments>(
        canvas, codeLabel, [this] { playingBox->setChecked(false); },
        [this](const SlideRecipe& recipe, const QString& code) { return replaySlide(recipe, code); });
    m_attachments->menu()->setShowClock(showClock);
    m_fullScreen = std::make_unique<PatternWindowShow>(
        PatternWindowShow::Parts{this, canvas, codeLabel, showClock, [this] { playingBox->setChecked(true); },
                                 [this] { playingBox->setChecked(false); }, m_attachments->menu()});
}

// A slide is drawn again by replaying its recipe, without touching the show's own random sequence.
QString GeometricDesigner::replaySlide(const SlideRecipe& recipe, const QString& code)
{
    const QString replayed = replayGeometricSlide(recipe, canvas->surface()).code;
    codeLabel->setText(code.isEmpty() ? replayed : code);
    return codeLabel->text();
}

void GeometricDesigner::showRecipe(const SlideRecipe& recipe) { slides().showNew(recipe); }

void GeometricDesigner::buildBottomRow()
{
    lineWidthLabel = new QLabel(QStringLiteral("线宽选择"), this);
    place(lineWidthLabel, "Label4", 0, 9270, 1185, 375);
    setTextColour(lineWidthLabel, RGB(255, 255, 0).toQColor());
    lineWidthLabel->setFont(boldFont(QStringLiteral("Noto Serif CJK SC"), 10.5, false));

    lineWidthBox = new QComboBox(this);
    place(lineWidthBox, "Combo1", 1020, 9240, 1455, 300);
    lineWidthBox->setEditable(true);
    // Typed text stays as typed: no completion from the list and no new entries on Enter.
    lineWidthBox->setCompleter(nullptr);
    lineWidthBox->setInsertPolicy(QComboBox::NoInsert);
    setColours(lineWidthBox, QPalette::Base, RGB(192, 255, 192), QPalette::Text, RGB(0, 0, 192));

    playingBox = new QCheckBox(QStringLiteral("暂停"), this);
    place(playingBox, "Check2", 2550, 9270, 795, 255);
    playingBox->setChecked(true);
    playingBox->setAutoFillBackground(true);
    playingBox->setBackgroundRole(QPalette::Window);
    setColours(playingBox, QPalette::Window, RGB(0, 128, 128), QPalette::WindowText, RGB(255, 255, 0));
    connect(playingBox, &QCheckBox::toggled, this, &GeometricDesigner::onPlayingToggled);

    gradientButton = new QPushButton(QStringLiteral("背景颜色1"), this);
    place(gradientButton, "Command3", 3450, 9240, 1275, 375);
    setColouredButtonLook(gradientButton);
    connect(gradientButton, &QPushButton::clicked, this, &GeometricDesigner::onGradientClicked);

    removeGradientButton = new QPushButton(QStringLiteral("背景颜色2"), this);
    place(removeGradientButton, "Command4", 4800, 9240, 1275, 375);
    setColouredButtonLook(removeGradientButton);
    connect(removeGradientButton, &QPushButton::clicked, this, &GeometricDesigner::onRemoveGradientClicked);
}

void GeometricDesigner::buildTimers()
{
    QTimer** timers[] = {&showTimer, &idleTimers[0], &idleTimers[1], &idleTimers[2]};
    for (int i = 0; i < 4; ++i) {
        *timers[i] = new QTimer(this);
        (*timers[i])->setObjectName(QStringLiteral("Timer%1").arg(i + 1));
        (*timers[i])->setInterval(3000);
    }
    // The idle timers have no handler and never start.
    showClock = new SlideShowClock(showTimer);
    connect(showClock, &SlideShowClock::ticked, this, &GeometricDesigner::onShowTimer);
    showTimer->start();
}

void GeometricDesigner::onLoad()
{
    const char* widths[] = {"2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10", "11",
                            "12", "13", "14", "15", "16", "20", "30", "40", "50", "60"};
    for (const char* width : widths)
        lineWidthBox->addItem(QLatin1String(width));
    // No entry is chosen; the box keeps its own text.
    lineWidthBox->setCurrentIndex(-1);
    lineWidthBox->setEditText(QStringLiteral("9"));
    fitPopupToEntries(lineWidthBox);
}

void GeometricDesigner::onShowTimer()
{
    slides().beforeNewSlide();
    const GeometricSlide slide = drawNextGeometricSlide(canvas->surface(), lineWidthBox->currentText());
    codeLabel->setText(slide.code);
    slides().add(recipeOf(slide), slide.code);
}

void GeometricDesigner::onPlayingToggled()
{
    if (playingBox->isChecked()) {
        // Enabling a running timer does not restart its interval.
        if (!showTimer->isActive())
            showTimer->start();
        playingBox->setText(QStringLiteral("暂停"));
        emit showResumed();
    } else {
        showTimer->stop();
        playingBox->setText(QStringLiteral("播放"));
    }
}

void GeometricDesigner::onFigureClicked(int /*index*/) { drawOneOffFigure(canvas->surface(), starPointsBox->text()); }

void GeometricDesigner::onGradientClicked()
{
    WindowRegistry::instance().show(WindowId::GradientPicker);
}

void GeometricDesigner::onRemoveGradientClicked() { canvas->setPicture(QImage()); }

#include "app/geometric/GeometricDesigner.h"

#include "app/widgets/ComboPopup.h"
#include "app/widgets/ControlLook.h"
#include "app/widgets/PictureBox.h"
#include "app/widgets/WindowScaler.h"
#include "draw/base/Numbers.h"
#include "draw/base/Twips.h"
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
    setTabOrder(Command1[1], Text1);
    setTabOrder(Text1, Command1[0]);
    setTabOrder(Command1[0], Command1[2]);
    setTabOrder(Command1[2], Check1);
    setTabOrder(Check1, Combo1);
    setTabOrder(Combo1, Check2);
    setTabOrder(Check2, Command3);
    setTabOrder(Command3, Command4);
    Command1[1]->setFocus();

    Form_Load();
    // Every control is in place: the window may grow or shrink with its contents from here on.
    new WindowScaler(this);
}

void GeometricDesigner::buildTopRow()
{
    Label1 = new QLabel(QStringLiteral("Star Points"), this);
    place(Label1, "Label1", 120, 60, 1095, 255);
    Text1 = new QLineEdit(QStringLiteral("5"), this);
    place(Text1, "Text1", 1020, 60, 495, 315);

    const char* captions[] = {"Color", "Polygon Star", "Polygon"};
    const int lefts[] = {1620, 4260, 2520};
    const int widths[] = {855, 1695, 1695};
    for (int index = 0; index < int(Command1.size()); ++index) {
        Command1[index] = new QPushButton(QLatin1String(captions[index]), this);
        const QByteArray name = "Command1_" + QByteArray::number(index);
        place(Command1[index], name.constData(), lefts[index], 60, widths[index], 315);
        connect(Command1[index], &QPushButton::clicked, this, [this, index] { Command1_Click(index); });
    }

    Check1 = new QCheckBox(QStringLiteral("Fill"), this);
    place(Check1, "Check1", 6060, 60, 615, 255);
    Check1->setChecked(true);
}

void GeometricDesigner::buildCanvas()
{
    Picture1 = new PictureBox(this);
    place(Picture1, "Picture1", 0, 0, 9135, 9135);
    Picture1->setScaleMode(ScaleMode::Twips);
    Picture1->setFillStyle(1);
    Picture1->setDrawWidth(12);
    Picture1->setBackColor(RGB(255, 192, 255));
    Picture1->raise();

    Label2 = new QLabel(QStringLiteral("T NO:"), Picture1);
    place(Label2, "Label2", 60, 120, 705, 345);
    setTextColour(Label2, RGB(128, 128, 0).toQColor());
    Label2->setFont(boldFont(QStringLiteral("DejaVu Sans Condensed"), 10.5, true));

    Label3 = new QLabel(Picture1);
    place(Label3, "Label3", 750, 120, 2745, 345);
    setTextColour(Label3, RGB(255, 0, 0).toQColor());
    Label3->setFont(boldFont(QStringLiteral("DejaVu Sans"), 10.5, true));
}

void GeometricDesigner::attachPatternMenu()
{
    // Pausing is unticking the box, which also sets its caption.
    m_pattern = std::make_unique<PatternCanvas<GeometricSlide>>(
        Picture1, Label3, [this] { Check2->setChecked(false); },
        [this](const GeometricSlide& slide) { showKeptSlide(slide); });
    m_pattern->menu()->setShowTimer(Timer1);
    m_fullScreen = std::make_unique<PatternWindowShow>(PatternWindowShow::Parts{
        this, Picture1, Label3, Timer1, [this] { Check2->setChecked(true); }, [this] { Check2->setChecked(false); },
        m_pattern->menu()});
}

void GeometricDesigner::showKeptSlide(const GeometricSlide& slide)
{
    redrawGeometricSlide(slide, Picture1->surface());
    Label3->setText(slide.code);
}

void GeometricDesigner::showRecipe(const SlideRecipe& recipe)
{
    slides().showNew([&] {
        GeometricSlide slide = replayGeometricSlide(recipe, Picture1->surface());
        Label3->setText(slide.code);
        return slide;
    });
}

void GeometricDesigner::buildBottomRow()
{
    Label4 = new QLabel(QStringLiteral("线宽选择"), this);
    place(Label4, "Label4", 0, 9270, 1185, 375);
    setTextColour(Label4, RGB(255, 255, 0).toQColor());
    Label4->setFont(boldFont(QStringLiteral("Noto Serif CJK SC"), 10.5, false));

    Combo1 = new QComboBox(this);
    place(Combo1, "Combo1", 1020, 9240, 1455, 300);
    Combo1->setEditable(true);
    // Typed text stays as typed: no completion from the list and no new entries on Enter.
    Combo1->setCompleter(nullptr);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    setColours(Combo1, QPalette::Base, RGB(192, 255, 192), QPalette::Text, RGB(0, 0, 192));

    Check2 = new QCheckBox(QStringLiteral("暂停"), this);
    place(Check2, "Check2", 2550, 9270, 795, 255);
    Check2->setChecked(true);
    Check2->setAutoFillBackground(true);
    Check2->setBackgroundRole(QPalette::Window);
    setColours(Check2, QPalette::Window, RGB(0, 128, 128), QPalette::WindowText, RGB(255, 255, 0));
    connect(Check2, &QCheckBox::toggled, this, &GeometricDesigner::Check2_Click);

    Command3 = new QPushButton(QStringLiteral("背景颜色1"), this);
    place(Command3, "Command3", 3450, 9240, 1275, 375);
    setColouredButtonLook(Command3);
    connect(Command3, &QPushButton::clicked, this, &GeometricDesigner::Command3_Click);

    Command4 = new QPushButton(QStringLiteral("背景颜色2"), this);
    place(Command4, "Command4", 4800, 9240, 1275, 375);
    setColouredButtonLook(Command4);
    connect(Command4, &QPushButton::clicked, this, &GeometricDesigner::Command4_Click);
}

void GeometricDesigner::buildTimers()
{
    QTimer** timers[] = {&Timer1, &Timer2, &Timer3, &Timer4};
    for (int i = 0; i < 4; ++i) {
        *timers[i] = new QTimer(this);
        (*timers[i])->setObjectName(QStringLiteral("Timer%1").arg(i + 1));
        (*timers[i])->setInterval(3000);
    }
    // Timer2 to Timer4 have no handler and stay idle.
    connect(Timer1, &QTimer::timeout, this, &GeometricDesigner::Timer1_Timer);
    Timer1->start();
}

void GeometricDesigner::Form_Load()
{
    const char* widths[] = {"2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10", "11",
                            "12", "13", "14", "15", "16", "20", "30", "40", "50", "60"};
    for (const char* width : widths)
        Combo1->addItem(QLatin1String(width));
    // No entry is chosen; the box keeps its own text.
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(QStringLiteral("9"));
    fitPopupToEntries(Combo1);
}

void GeometricDesigner::Timer1_Timer()
{
    slides().beforeNewSlide();
    GeometricSlide slide = drawNextGeometricSlide(Picture1->surface(), Combo1->currentText());
    Label3->setText(slide.code);
    slides().add(std::move(slide));
}

void GeometricDesigner::Check2_Click()
{
    if (Check2->isChecked()) {
        // Enabling a running timer does not restart its interval.
        if (!Timer1->isActive())
            Timer1->start();
        Check2->setText(QStringLiteral("暂停"));
        emit showResumed();
    } else {
        Timer1->stop();
        Check2->setText(QStringLiteral("播放"));
    }
}

void GeometricDesigner::Command1_Click(int /*index*/) { drawOneOffFigure(Picture1->surface(), Text1->text()); }

void GeometricDesigner::Command3_Click()
{
    WindowRegistry::instance().show(WindowId::GradientPicker);
}

void GeometricDesigner::Command4_Click() { Picture1->setPicture(QImage()); }

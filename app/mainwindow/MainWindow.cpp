#include "app/mainwindow/MainWindow.h"

#include "app/widgets/ComboPopup.h"
#include "app/widgets/ControlLook.h"
#include "app/widgets/PictureBox.h"
#include "app/widgets/ProgramIcon.h"
#include "app/widgets/WindowScaler.h"
#include "draw/base/Twips.h"
#include "draw/curves/CurveCategories.h"
#include "draw/pattern/SlideReplay.h"

#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace {

const QString serifCjk = QStringLiteral("Noto Serif CJK SC");

// A label with a transparent background at its twips geometry.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& twips)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    placeInTwips(label, twips.x(), twips.y(), twips.width(), twips.height());
    return label;
}

// The CJK faces reserve much room above their glyphs; the labels are packed as tightly as their
// captions, so the text sits at the top with that room cut off.
void alignGlyphsToTop(QLabel* label)
{
    const QFontMetrics metrics(label->font());
    const int emptyAbove = std::max(0, metrics.ascent() + metrics.tightBoundingRect(QStringLiteral("图瓷")).top() - 2);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setContentsMargins(0, -emptyAbove, 0, 0);
}

QLabel* makeColouredLabel(QWidget* parent, const char* name, const QString& text, const QRect& twips,
                          const QColor& colour, double points = 10.5)
{
    QLabel* label = makeLabel(parent, name, text, twips);
    label->setFont(boldFont(serifCjk, points));
    setTextColour(label, colour);
    alignGlyphsToTop(label);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QRect& twips)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    placeInTwips(button, twips.x(), twips.y(), twips.width(), twips.height());
    return button;
}

QComboBox* makeCombo(QWidget* parent, const char* name, const QString& text, const QRect& twips)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setEditText(text);
    placeInTwips(combo, twips.x(), twips.y(), twips.width(), twips.height());
    return combo;
}

// Appends list entries without selecting one: the typed text stays as it is.
void appendEntries(QComboBox* combo, const QStringList& entries)
{
    const QString text = combo->currentText();
    combo->addItems(entries);
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
    fitPopupToEntries(combo);
}

QString introductionText()
{
    const QStringList lines{
        QStringLiteral("澄岚数学美术图案自动设计器简介"),
        QString(),
        QStringLiteral("1：本软件设计的图案是用数学函数制成。"),
        QStringLiteral("2：本软件设计的图案数量等于自然数数量。"),
        QStringLiteral("3：本软件设计的图案是对世界美术图案的巨大贡献。"),
        QStringLiteral("4：本软件设计的图案是全自动化生成。节省巨大人工劳力和材料。"),
        QStringLiteral("5：本软件是最佳艺术观赏作品。"),
        QStringLiteral("6：本软件是最佳科教材料。"),
        QStringLiteral("7：本软件是绿色软件。"),
        QStringLiteral("8：本软件永久免费。"),
        QStringLiteral("9：本软件是公元2011年新年澄岚软件赠送给世界人民的礼品。"),
    };
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("澄岚数学图案自动设计器（永久免费版）"));
    setWindowIcon(programIcon());
    resize(twipsToPixels(17505), twipsToPixels(12495));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, RGB(0, 64, 0).toQColor());
    setPalette(palette);
    setAutoFillBackground(true);

    // Creation order gives the stacking and tab order: the parameter panel first (txtParam_0 is the
    // first tab place), then the canvas that covers it, then the visible column.
    buildParameterPanel();
    buildCanvas();
    buildCanvasLabels();
    buildInformation();
    buildControlColumn();
    connectHandlers();
    attachPatternMenu();

    showTimer.setObjectName(QStringLiteral("Timer1"));
    showTimer.setInterval(3000);
    idleTimer.setObjectName(QStringLiteral("Timer2"));
    idleTimer.setInterval(6900);
    idleTimer.start(); // enabled, but it has no tick handler
    paramBoxes[0]->setFocus();
    onLoad();
    // Every control is in place: the window may grow or shrink with its contents from here on.
    new WindowScaler(this);
}

void MainWindow::buildParameterPanel()
{
    static const char* labelNames[] = {"Label1", "Label2", "Label3", "Label4"};
    static const char16_t* captions[] = {u"大圆半径：", u"小圆半径：", u"笔孔半径：", u"旋转角度："};
    for (int index = 0; index < 4; ++index) {
        auto* box = new QLineEdit(QStringLiteral("1"), this);
        box->setObjectName(QStringLiteral("txtParam_%1").arg(index));
        placeInTwips(box, 9480, 480 + 360 * index, 615, 315);
        box->setAttribute(Qt::WA_InputMethodEnabled, false); // every character arrives as a key press
        box->installEventFilter(this);
        paramBoxes[size_t(index)] = box;
    }
    for (int index = 0; index < 4; ++index)
        paramLabels[size_t(index)] = makeLabel(this, labelNames[index], QString::fromUtf16(captions[index]),
                                               QRect(8520, 480 + 360 * index, 975, 195));
    clearButton = makeButton(this, "cmdClear", QStringLiteral("清除"), QRect(8280, 2280, 855, 375));
    customOutputButton = makeButton(this, "cmdOutput", QStringLiteral("自定义输出"), QRect(9240, 2280, 1275, 375));
    styleButtons[0] = makeButton(this, "cmdStyle1", QStringLiteral("样式一"), QRect(8280, 2760, 1035, 315));
    styleButtons[1] = makeButton(this, "cmdStyle2", QStringLiteral("样式二"), QRect(8280, 3120, 1035, 315));
    styleButtons[2] = makeButton(this, "cmdStyle3", QStringLiteral("样式三"), QRect(8400, 3480, 1035, 315));
    styleButtons[3] = makeButton(this, "cmdStyle4", QStringLiteral("样式四"), QRect(8400, 3840, 1035, 315));
}

void MainWindow::buildCanvas()
{
    canvas = new PictureBox(this);
    canvas->setObjectName(QStringLiteral("picOutput"));
    placeInTwips(canvas, 0, 0, 12000, 12000);
    canvas->setScaleMode(ScaleMode::Pixels);
    canvas->setBackColor(RGB(255, 192, 255));
    canvas->setForeColor(RGB(192, 64, 0));
    canvas->setDrawWidth(4);
    canvas->raise();
}

void MainWindow::buildCanvasLabels()
{
    codeCaption = makeLabel(canvas, "Label12", QStringLiteral("T NO:"), QRect(120, 120, 765, 285));
    codeCaption->setFont(boldFont(QStringLiteral("DejaVu Serif"), 10.5, true));
    setTextColour(codeCaption, QColor(0, 0, 128));
    codeLabel = makeLabel(canvas, "Label7", QStringLiteral("您永远也看不完的宇宙生命图案"), QRect(960, 120, 4725, 345));
    codeLabel->setFont(boldFont(serifCjk, 12, true));
    setTextColour(codeLabel, QColor(150, 0, 60));
    alignGlyphsToTop(codeLabel);

    makeColouredLabel(canvas, "Label10", QStringLiteral("图案应用范围"), QRect(240, 9600, 2655, 285),
                      QColor(0, 60, 140), 12);
    makeColouredLabel(canvas, "Label11", QStringLiteral("科学研究"), QRect(240, 9960, 1875, 285), QColor(120, 0, 120));
    makeColouredLabel(canvas, "Label8", QStringLiteral("建筑装饰"), QRect(240, 10200, 3615, 345), QColor(0, 100, 0));
    makeColouredLabel(canvas, "Label6", QStringLiteral("艺术包装"), QRect(240, 10440, 2445, 345), QColor(170, 70, 0));
    makeColouredLabel(canvas, "Label5", QStringLiteral("纺织印染"), QRect(240, 10680, 2625, 345), QColor(0, 70, 170));
    QLabel* label9 = makeColouredLabel(canvas, "Label9", QStringLiteral("陶瓷图案"), QRect(240, 10920, 3165, 225),
                                       QColor(140, 0, 0), 9.75);
    label9->setContentsMargins(0, 0, 0, 0); // the shortest box: its glyphs fit only centred
    label9->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    makeColouredLabel(canvas, "Label14", QStringLiteral("艺术教材"), QRect(240, 11160, 1095, 255), QColor(80, 0, 150));
    makeColouredLabel(canvas, "Label13", QStringLiteral("值得永久珍藏"), QRect(240, 12240, 1785, 285),
                      QColor(190, 0, 70));
    mottoLabel = makeColouredLabel(canvas, "Label15", QStringLiteral("数学之美"), QRect(10560, 11640, 1335, 255),
                                   QColor(100, 0, 100));

    logo = makeLabel(canvas, "Image1", QString(), QRect(9540, 9870, 2340, 1710));
    logo->setPixmap(QPixmap(QStringLiteral(":/logo/logo.png")));
    logo->setScaledContents(true);
}

void MainWindow::buildInformation()
{
    introductionBox = new QPlainTextEdit(this);
    introductionBox->setObjectName(QStringLiteral("Text1"));
    placeInTwips(introductionBox, 12090, 5310, 5325, 2415);
    QPalette palette = introductionBox->palette();
    palette.setColor(QPalette::Base, RGB(0, 64, 0).toQColor());
    palette.setColor(QPalette::Text, RGB(128, 255, 128).toQColor());
    introductionBox->setPalette(palette);
    introductionBox->setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
    introductionBox->setPlainText(introductionText());

    controlFrame = new QFrame(this);
    controlFrame->setObjectName(QStringLiteral("Shape1"));
    placeInTwips(controlFrame, 12120, 7770, 3075, 2505);
    controlFrame->setFrameStyle(QFrame::Box | QFrame::Plain);
    setTextColour(controlFrame, QColor(128, 255, 128));

    screenNote = makeColouredLabel(this, "Label16", QStringLiteral("注：最佳显示模式1440x900"),
                                   QRect(12120, 10380, 4035, 405), QColor(255, 210, 130));
}

void MainWindow::buildControlColumn()
{
    controlTitle = makeColouredLabel(this, "Label18", QStringLiteral("澄岚数学图案设计控制器"),
                                     QRect(12270, 7860, 2835, 375), QColor(255, 255, 140));
    playButton = makeButton(this, "Command5", QStringLiteral("播 放"), QRect(12240, 8250, 1095, 375));
    pauseButton = makeButton(this, "Command6", QStringLiteral("暂 停"), QRect(12240, 8640, 1095, 375));
    backgroundColourButton = makeButton(this, "Command7", QStringLiteral("背景颜色"), QRect(12240, 9030, 1095, 375));
    gradientButton = makeButton(this, "Command1", QStringLiteral("渐变背景色"), QRect(12240, 9420, 1095, 375));
    geometricButton = makeButton(this, "Command2", QStringLiteral("几何图案"), QRect(12240, 9810, 1095, 375));
    categoryLabel = makeColouredLabel(this, "Label19", QStringLiteral("类别选择"), QRect(13590, 8280, 1125, 315),
                                      QColor(255, 255, 255));
    categoryBox = makeCombo(this, "Combo1", curveCategoryStartText(), QRect(13590, 8610, 1125, 300));
    penWidthLabel = makeColouredLabel(this, "Label20", QStringLiteral("线宽选择"), QRect(13590, 9120, 1125, 345),
                                      QColor(255, 255, 255));
    penWidthBox = makeCombo(this, "Combo2", QStringLiteral("5"), QRect(13620, 9510, 1095, 300));
    saveButton = makeButton(this, "Command8", QStringLiteral("保 存"), QRect(15390, 9240, 1095, 375));
    saveButton->setVisible(false);
}

void MainWindow::attachPatternMenu()
{
    m_attachments = std::make_unique<CanvasAttachments>(
        canvas, codeLabel, [this] { onPauseClicked(); }, [this](const SlideRecipe& recipe, const QString& code) { return replaySlide(recipe, code); });
    m_attachments->menu()->setShowClock(showClock);
    m_fullScreen = std::make_unique<PatternWindowShow>(
        PatternWindowShow::Parts{this, canvas, codeLabel, showClock, [this] { onPlayClicked(); },
                                 [this] { onPauseClicked(); }, m_attachments->menu()});
}

// A slide is drawn again by replaying its recipe: the canvas, the parameter boxes and the code
// label as the show left them, without touching the show's own random sequence.
QString MainWindow::replaySlide(const SlideRecipe& recipe, const QString& code)
{
    replayCurveSlide(recipe, m_curveControls);
    if (!code.isEmpty())
        codeLabel->setText(code);
    return codeLabel->text();
}

void MainWindow::showRecipe(const SlideRecipe& recipe) { slides().showNew(recipe); }

void MainWindow::onLoad()
{
    appendEntries(categoryBox, curveCategoryList());
    showTimer.start();
    canvas->Cls();
    appendEntries(penWidthBox, {"2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"});
}

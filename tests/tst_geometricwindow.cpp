#include "app/geometric/GeometricDesigner.h"
#include "app/registry/WindowRegistry.h"
#include "app/widgets/PictureBox.h"
#include "draw/base/Numbers.h"
#include "draw/base/Random.h"
#include "draw/base/Twips.h"
#include "draw/stars/StarGeometry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

int channel(float draw) { return int(roundHalfEven(230.0 * draw)); }

// What one tick draws, replayed from the random source by hand: background, five figures and the
// number of the pattern code.
struct TickDraws
{
    Colour background;
    std::array<std::int16_t, 5> points{};
    std::array<Colour, 5> colours{};
    float product = 0;
};

TickDraws replayTick()
{
    TickDraws draws;
    const float r1 = RandomSource::next();
    const float r2 = RandomSource::next();
    const float r3 = RandomSource::next();
    draws.background = RGB(channel(r1), channel(r2), channel(r3));
    for (int i = 0; i < 5; ++i) {
        const float q1 = RandomSource::next();
        const float q2 = RandomSource::next();
        const float q3 = RandomSource::next();
        const float q4 = RandomSource::next();
        draws.points[i] = std::int16_t(roundHalfEven(99.0 * q1));
        draws.colours[i] = RGB(channel(q2), channel(q3), channel(q4));
    }
    draws.product = toSingle(99.0 * RandomSource::next());
    return draws;
}

// A canvas like the drawing box, for pictures drawn straight through the geometry routine.
std::unique_ptr<Surface> twinCanvas(Colour background, int drawWidth)
{
    auto canvas = std::make_unique<Surface>(QSize(609, 609));
    canvas->setScaleMode(ScaleMode::Twips);
    canvas->setDrawWidth(drawWidth);
    canvas->setBackColor(background);
    return canvas;
}

bool uniform(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != colour)
                return false;
    return true;
}

} // namespace

class TestGeometricWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layout_data();
    void layout();
    void windowAndCanvas();
    void captionsAndStates();
    void topRowIsCoveredAndHoldsFocus();
    void comboListAndText();

    void tickDrawsReplayedPattern();
    void tickReplaysFromReset();
    void unusableWidthKeepsWidth_data();
    void unusableWidthKeepsWidth();

    void oneOffFigure_data();
    void oneOffFigure();
    void check2PausesAndResumes();
    void check1ChangesNothing();
    void command4RemovesPicture();
    void command3ShowsPickerWhenThere();
    void closingUnloadsWindow();

private:
    std::unique_ptr<GeometricDesigner> m_form;
};

void TestGeometricWindow::init()
{
    RandomSource::reset();
    m_form = std::make_unique<GeometricDesigner>();
    m_form->setAttribute(Qt::WA_DeleteOnClose, false);
}

void TestGeometricWindow::cleanup()
{
    m_form.reset();
    WindowRegistry::instance().clear();
}

void TestGeometricWindow::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("parent");
    QTest::newRow("Picture1") << "Picture1" << QRect(0, 0, 9135, 9135) << "";
    QTest::newRow("Label2") << "Label2" << QRect(60, 120, 705, 345) << "Picture1";
    QTest::newRow("Label3") << "Label3" << QRect(750, 120, 2745, 345) << "Picture1";
    QTest::newRow("Label1") << "Label1" << QRect(120, 60, 1095, 255) << "";
    QTest::newRow("Text1") << "Text1" << QRect(1020, 60, 495, 315) << "";
    QTest::newRow("Command1_0") << "Command1_0" << QRect(1620, 60, 855, 315) << "";
    QTest::newRow("Command1_2") << "Command1_2" << QRect(2520, 60, 1695, 315) << "";
    QTest::newRow("Command1_1") << "Command1_1" << QRect(4260, 60, 1695, 315) << "";
    QTest::newRow("Check1") << "Check1" << QRect(6060, 60, 615, 255) << "";
    QTest::newRow("Label4") << "Label4" << QRect(0, 9270, 1185, 375) << "";
    QTest::newRow("Combo1") << "Combo1" << QRect(1020, 9240, 1455, 300) << "";
    QTest::newRow("Check2") << "Check2" << QRect(2550, 9270, 795, 255) << "";
    QTest::newRow("Command3") << "Command3" << QRect(3450, 9240, 1275, 375) << "";
    QTest::newRow("Command4") << "Command4" << QRect(4800, 9240, 1275, 375) << "";
}

void TestGeometricWindow::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QFETCH(QString, parent);
    auto* widget = m_form->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    QCOMPARE(widget->parentWidget()->objectName(), parent.isEmpty() ? m_form->objectName() : parent);
}

void TestGeometricWindow::windowAndCanvas()
{
    QCOMPARE(m_form->windowTitle(), QStringLiteral("澄岚几何图案自动设计器"));
    QCOMPARE(m_form->size(), QSize(609, 648));
    QCOMPARE(m_form->palette().color(QPalette::Window), RGB(0, 128, 128).toQColor());
    QVERIFY(m_form->isWindow());

    PictureBox* canvas = m_form->hostedCanvas();
    QCOMPARE(canvas, m_form->canvas);
    QCOMPARE(canvas->BackColor(), RGB(255, 192, 255));
    QCOMPARE(canvas->scaleMode(), ScaleMode::Twips);
    QCOMPARE(canvas->DrawWidth(), 12);
    QCOMPARE(canvas->FillStyle(), 1);
    QVERIFY(uniform(canvas->Image(), RGB(255, 192, 255).toQRgb()));
}

void TestGeometricWindow::captionsAndStates()
{
    QCOMPARE(m_form->starPointsLabel->text(), QStringLiteral("Star Points"));
    QCOMPARE(m_form->codeCaption->text(), QStringLiteral("T NO:"));
    QCOMPARE(m_form->codeLabel->text(), QString());
    QCOMPARE(m_form->lineWidthLabel->text(), QStringLiteral("线宽选择"));
    QCOMPARE(m_form->starPointsBox->text(), QStringLiteral("5"));
    QCOMPARE(m_form->figureButtons[0]->text(), QStringLiteral("Color"));
    QCOMPARE(m_form->figureButtons[1]->text(), QStringLiteral("Polygon Star"));
    QCOMPARE(m_form->figureButtons[2]->text(), QStringLiteral("Polygon"));
    QCOMPARE(m_form->gradientButton->text(), QStringLiteral("背景颜色1"));
    QCOMPARE(m_form->removeGradientButton->text(), QStringLiteral("背景颜色2"));
    QVERIFY(m_form->fillBox->isChecked());
    QCOMPARE(m_form->fillBox->text(), QStringLiteral("Fill"));
    QVERIFY(m_form->playingBox->isChecked());
    QCOMPARE(m_form->playingBox->text(), QStringLiteral("暂停"));
    QCOMPARE(m_form->codeLabel->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(m_form->codeLabel->font().bold() && m_form->codeLabel->font().italic());

    QVERIFY(m_form->showTimer->isActive());
    for (QTimer* timer : {m_form->showTimer, m_form->idleTimers[0], m_form->idleTimers[1], m_form->idleTimers[2]})
        QCOMPARE(timer->interval(), 3000);
    QCOMPARE(m_form->idleTimers[2]->objectName(), QStringLiteral("Timer4"));
}

void TestGeometricWindow::topRowIsCoveredAndHoldsFocus()
{
    for (QWidget* covered : std::initializer_list<QWidget*>{m_form->starPointsLabel, m_form->starPointsBox, m_form->figureButtons[0],
                                                           m_form->figureButtons[1], m_form->figureButtons[2], m_form->fillBox}) {
        QWidget* top = m_form->childAt(covered->geometry().center());
        QVERIFY2(top == m_form->canvas || top->parentWidget() == m_form->canvas, qPrintable(covered->objectName()));
        QVERIFY(covered->isEnabled());
    }
    QCOMPARE(m_form->childAt(m_form->gradientButton->geometry().center()), m_form->gradientButton);

    QCOMPARE(m_form->focusWidget(), m_form->figureButtons[1]);
    QCOMPARE(m_form->figureButtons[1]->nextInFocusChain(), m_form->starPointsBox);
}

void TestGeometricWindow::comboListAndText()
{
    QStringList items;
    for (int i = 0; i < m_form->lineWidthBox->count(); ++i)
        items << m_form->lineWidthBox->itemText(i);
    QCOMPARE(items, QStringList({"2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16",
                                 "20", "30", "40", "50", "60"}));
    QVERIFY(m_form->lineWidthBox->isEditable());
    QCOMPARE(m_form->lineWidthBox->currentIndex(), -1);
    QCOMPARE(m_form->lineWidthBox->currentText(), QStringLiteral("9"));
}

void TestGeometricWindow::tickDrawsReplayedPattern()
{
    m_form->onShowTimer();

    RandomSource::reset();
    const TickDraws draws = replayTick();
    QCOMPARE(m_form->canvas->BackColor(), draws.background);
    QVERIFY(draws.background.red() <= 230 && draws.background.green() <= 230 && draws.background.blue() <= 230);
    QCOMPARE(m_form->canvas->DrawWidth(), 9);
    QCOMPARE(m_form->codeLabel->text(), QStringLiteral("QRV9600") + numberToText(draws.product));
    QVERIFY(QRegularExpression("^QRV9600\\d+(\\.\\d+)?$").match(m_form->codeLabel->text()).hasMatch());

    // The same five figures drawn from the outside in on a twin canvas give the same picture.
    auto twin = twinCanvas(draws.background, 9);
    for (int i = 0; i < 5; ++i)
        DrawStarPolygon(*twin, 200 + 1000 * i, 200 + 1000 * i, 8600 - 2000 * i, 8600 - 2000 * i, draws.points[i], 0,
                        draws.colours[i]);
    QCOMPARE(m_form->canvas->Image(), twin->Image());
    QCOMPARE(m_form->canvas->ForeColor(), RGB(0, 0, 0));
}

void TestGeometricWindow::tickReplaysFromReset()
{
    m_form->onShowTimer();
    const QImage first = m_form->canvas->Image();
    const QString code = m_form->codeLabel->text();
    m_form->onShowTimer();
    QVERIFY(m_form->codeLabel->text() != code); // the second tick takes the next 24 draws

    RandomSource::reset();
    m_form->onShowTimer();
    QCOMPARE(m_form->canvas->Image(), first);
    QCOMPARE(m_form->codeLabel->text(), code);
}

void TestGeometricWindow::unusableWidthKeepsWidth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::newRow("listed width") << "20" << 20;
    QTest::newRow("half goes to even") << "2.5" << 2;
    QTest::newRow("letters") << "abc" << 12;
    QTest::newRow("empty") << "" << 12;
    QTest::newRow("zero refused") << "0" << 12;
    QTest::newRow("negative refused") << "-3" << 12;
    QTest::newRow("beyond 16 bits") << "40000" << 12;
}

void TestGeometricWindow::unusableWidthKeepsWidth()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    m_form->lineWidthBox->setEditText(text);
    m_form->onShowTimer();

    RandomSource::reset();
    const TickDraws draws = replayTick();
    QCOMPARE(m_form->canvas->DrawWidth(), width);
    QCOMPARE(m_form->codeLabel->text(), "QRV" + text + "600" + numberToText(draws.product));
    // The figures are drawn whatever became of the width.
    QVERIFY(!uniform(m_form->canvas->Image(), draws.background.toQRgb()));
}

void TestGeometricWindow::oneOffFigure_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("points"); // 0: nothing drawn
    QTest::newRow("5 pentagram") << "5" << 5;
    QTest::newRow("2 triangle") << "2" << 3;
    QTest::newRow("0 triangle") << "0" << 3;
    QTest::newRow("4 nothing") << "4" << 0;
    QTest::newRow("letters nothing") << "five" << 0;
    QTest::newRow("empty nothing") << "" << 0;
    QTest::newRow("beyond 16 bits nothing") << "70000" << 0;
}

void TestGeometricWindow::oneOffFigure()
{
    QFETCH(QString, text);
    QFETCH(int, points);
    m_form->onShowTimer(); // leaves a pattern and width 9 behind
    const Colour background = m_form->canvas->BackColor();
    m_form->starPointsBox->setText(text);

    auto expected = twinCanvas(background, 9);
    if (points != 0)
        DrawStarPolygon(*expected, 1200, 1200, 3600, 3600, std::int16_t(points), 0, RGB(0, 250, 0));
    for (QPushButton* button : m_form->figureButtons) {
        button->click();
        QCOMPARE(m_form->canvas->Image(), expected->Image());
    }
    if (points == 0)
        QVERIFY(uniform(m_form->canvas->Image(), background.toQRgb()));
    else
        QCOMPARE(m_form->canvas->Image().pixel(200, 80), RGB(0, 250, 0).toQRgb()); // top point (3000, 1200)
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestGeometricWindow::check2PausesAndResumes()
{
    m_form->playingBox->click();
    QVERIFY(!m_form->playingBox->isChecked());
    QVERIFY(!m_form->showTimer->isActive());
    QCOMPARE(m_form->playingBox->text(), QStringLiteral("播放"));

    m_form->playingBox->click();
    QVERIFY(m_form->showTimer->isActive());
    QCOMPARE(m_form->playingBox->text(), QStringLiteral("暂停"));
}

void TestGeometricWindow::check1ChangesNothing()
{
    m_form->onShowTimer();
    const QImage before = m_form->canvas->Image();
    m_form->fillBox->click();
    QVERIFY(!m_form->fillBox->isChecked());
    QCOMPARE(m_form->canvas->Image(), before);
    QVERIFY(m_form->showTimer->isActive());

    // Filling stays off: the next tick looks as it would with the box checked.
    m_form->onShowTimer();
    const QImage unchecked = m_form->canvas->Image();
    RandomSource::reset();
    m_form->onShowTimer();
    m_form->fillBox->click();
    m_form->onShowTimer();
    QCOMPARE(m_form->canvas->Image(), unchecked);
}

void TestGeometricWindow::command4RemovesPicture()
{
    QImage gradient(609, 609, QImage::Format_RGB32);
    gradient.fill(qRgb(10, 20, 30));
    m_form->canvas->setPicture(gradient);
    m_form->onShowTimer();
    QCOMPARE(m_form->canvas->Image().pixel(1, 1), qRgb(10, 20, 30));

    m_form->removeGradientButton->click();
    QVERIFY(m_form->canvas->Picture().isNull());
    m_form->onShowTimer();
    QCOMPARE(m_form->canvas->Image().pixel(1, 1), m_form->canvas->BackColor().toQRgb());
}

void TestGeometricWindow::command3ShowsPickerWhenThere()
{
    m_form->gradientButton->click(); // no picker known: nothing happens

    QPointer<QWidget> picker;
    WindowRegistry::instance().setFactory(WindowId::GradientPicker, [&picker] {
        picker = new QWidget;
        picker->setAttribute(Qt::WA_DeleteOnClose);
        return picker.data();
    });
    m_form->gradientButton->click();
    QVERIFY(picker);
    QVERIFY(picker->isVisible());
    QVERIFY(!picker->isModal());
    picker->close();
}

void TestGeometricWindow::closingUnloadsWindow()
{
    WindowRegistry::instance().setFactory(WindowId::Geometric, [] { return new GeometricDesigner; });
    QPointer<QWidget> first = WindowRegistry::instance().window(WindowId::Geometric);
    auto* form = qobject_cast<GeometricDesigner*>(first.data());
    QVERIFY(form);
    QCOMPARE(WindowRegistry::instance().canvas(WindowId::Geometric), form->canvas);
    form->show();
    form->lineWidthBox->setEditText(QStringLiteral("30"));
    form->playingBox->click();

    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!first);
    QCOMPARE(WindowRegistry::instance().existing(WindowId::Geometric), nullptr);

    auto* again = qobject_cast<GeometricDesigner*>(WindowRegistry::instance().window(WindowId::Geometric));
    QVERIFY(again);
    QCOMPARE(again->lineWidthBox->currentText(), QStringLiteral("9"));
    QCOMPARE(again->lineWidthBox->count(), 20);
    QVERIFY(again->showTimer->isActive());
    QVERIFY(again->playingBox->isChecked());
    delete again;
}

QTEST_MAIN(TestGeometricWindow)
#include "tst_geometricwindow.moc"

#include "ModalDialog.h"

#include "app/mainwindow/MainWindow.h"
#include "app/widgets/Beep.h"
#include "app/widgets/EnterPressesButton.h"
#include "app/widgets/PictureBox.h"
#include "draw/base/Twips.h"
#include "draw/curves/SlideShow.h"

#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

QWidget* makeFakeWindow(int* built)
{
    ++*built;
    auto* window = new QWidget;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->resize(300, 200);
    return window;
}

// Types each character as a key press carrying it, as the keyboard does.
void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        const int key = c.unicode() < 128 ? c.toUpper().unicode() : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

QStringList itemsOf(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> m_form;
    int m_beeps = 0;

private slots:
    void init()
    {
        WindowRegistry::instance().clear();
        m_form = std::make_unique<MainWindow>();
        m_form->setAttribute(Qt::WA_DeleteOnClose, false);
        m_beeps = 0;
        setBeepObserver([this] { ++m_beeps; });
    }

    void cleanup()
    {
        setBeepObserver({});
        m_form.reset();
        for (WindowId id : {WindowId::Geometric, WindowId::GradientPicker})
            delete WindowRegistry::instance().existing(id);
        WindowRegistry::instance().clear();
    }

    void windowAndCanvas()
    {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("澄岚数学图案自动设计器（永久免费版）"));
        QCOMPARE(m_form->size(), QSize(1167, 833));
        QCOMPARE(m_form->palette().color(QPalette::Window), QColor(0, 64, 0));
        PictureBox* canvas = m_form->canvas;
        QCOMPARE(canvas->geometry(), QRect(0, 0, 800, 800));
        QCOMPARE(canvas->BackColor(), RGB(255, 192, 255));
        QCOMPARE(canvas->ForeColor(), RGB(192, 64, 0));
        QCOMPARE(canvas->DrawWidth(), 4);
        QCOMPARE(canvas->Image().pixel(400, 400), qRgb(255, 192, 255));
        // The program's own pictures are linked in: the window icon and the logo in the canvas.
        QVERIFY(!m_form->windowIcon().isNull());
        QVERIFY(!m_form->findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().isNull());
        QVERIFY(!m_form->logo->pixmap().isNull());
        QCOMPARE(m_form->logo->pixmap().size(), QSize(549, 417));
    }

    void controlPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("parent");
        QTest::newRow("first parameter box") << "txtParam_0" << QRect(9480, 480, 615, 315) << "1" << "Form1";
        QTest::newRow("last parameter box") << "txtParam_3" << QRect(9480, 1560, 615, 315) << "1" << "Form1";
        QTest::newRow("its caption") << "Label4" << QRect(8520, 1560, 975, 195) << "旋转角度：" << "Form1";
        QTest::newRow("custom output") << "cmdOutput" << QRect(9240, 2280, 1275, 375) << "自定义输出" << "Form1";
        QTest::newRow("style three") << "cmdStyle3" << QRect(8400, 3480, 1035, 315) << "样式三" << "Form1";
        QTest::newRow("play") << "Command5" << QRect(12240, 8250, 1095, 375) << "播 放" << "Form1";
        QTest::newRow("pause") << "Command6" << QRect(12240, 8640, 1095, 375) << "暂 停" << "Form1";
        QTest::newRow("geometric patterns") << "Command2" << QRect(12240, 9810, 1095, 375) << "几何图案" << "Form1";
        QTest::newRow("width list caption") << "Label20" << QRect(13590, 9120, 1125, 345) << "线宽选择" << "Form1";
        QTest::newRow("width list") << "Combo2" << QRect(13620, 9510, 1095, 300) << "5" << "Form1";
        QTest::newRow("best display note") << "Label16" << QRect(12120, 10380, 4035, 405)
                                           << "注：最佳显示模式1440x900" << "Form1";
        QTest::newRow("code caption in canvas") << "Label12" << QRect(120, 120, 765, 285) << "T NO:" << "picOutput";
        QTest::newRow("design caption in canvas") << "Label7" << QRect(960, 120, 4725, 345)
                                                  << "您永远也看不完的宇宙生命图案" << "picOutput";
        QTest::newRow("fields heading in canvas") << "Label10" << QRect(240, 9600, 2655, 285) << "图案应用范围"
                                                  << "picOutput";
        QTest::newRow("logo in canvas") << "Image1" << QRect(9540, 9870, 2340, 1710) << "" << "picOutput";
    }

    void controlPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        QFETCH(QString, text);
        QFETCH(QString, parent);
        auto* widget = m_form->findChild<QWidget*>(name);
        QVERIFY2(widget, qPrintable(name));
        QCOMPARE(widget->geometry(), twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
        QCOMPARE(widget->parentWidget()->objectName(), parent);
        QString shown;
        if (auto* label = qobject_cast<QLabel*>(widget))
            shown = label->text();
        else if (auto* button = qobject_cast<QPushButton*>(widget))
            shown = button->text();
        else if (auto* box = qobject_cast<QLineEdit*>(widget))
            shown = box->text();
        else if (auto* combo = qobject_cast<QComboBox*>(widget))
            shown = combo->currentText();
        QCOMPARE(shown, text);
    }

    void canvasCoversTheParameterPanel()
    {
        m_form->show();
        QVERIFY2(QTest::qWaitForWindowExposed(m_form.get(), 5000), "the main window to be shown");
        for (const char* name : {"txtParam_0", "Label1", "cmdClear", "cmdStyle4"}) {
            auto* covered = m_form->findChild<QWidget*>(name);
            QVERIFY(covered->isEnabled());
            QWidget* top = m_form->childAt(covered->geometry().center());
            QVERIFY2(top == m_form->canvas || m_form->canvas->isAncestorOf(top), name);
        }
        QCOMPARE(m_form->focusWidget(), m_form->paramBoxes[0]);
        QCOMPARE(m_form->nextInFocusChain(), m_form->paramBoxes[0]);
    }

    void companionsAndTimers()
    {
        QVERIFY(!m_form->saveButton->isVisible() && !m_form->saveButton->isVisibleTo(m_form.get()));
        QCOMPARE(m_form->saveButton->text(), QStringLiteral("保 存"));
        QCOMPARE(m_form->idleTimer.interval(), 6900);
        QVERIFY(m_form->idleTimer.isActive());
        QCOMPARE(m_form->showTimer.interval(), 3000);
        QVERIFY(m_form->showTimer.isActive());
    }

    void introductionText()
    {
        const QStringList lines = m_form->introductionBox->toPlainText().split(u'\n');
        QCOMPARE(lines.size(), 12); // eleven lines and the empty one after the final line break
        QCOMPARE(lines[0], QStringLiteral("澄岚数学美术图案自动设计器简介"));
        QCOMPARE(lines[1], QString());
        QCOMPARE(lines[5], QStringLiteral("4：本软件设计的图案是全自动化生成。节省巨大人工劳力和材料。"));
        QCOMPARE(lines[10], QStringLiteral("9：本软件是公元2011年新年澄岚软件赠送给世界人民的礼品。"));
        QCOMPARE(lines[11], QString());
    }

    void comboLists()
    {
        QCOMPARE(itemsOf(m_form->categoryBox),
                 QStringList({"60", "30", "15", "9", "6", "3", "2.5", "2", "1.5", "1", "0.5", "0.0001", "0.0003",
                              "0.0006", "0.0009", "0.1111", "0.3333", "0.6666", "0.9999", "0.1010101", "30.3333",
                              "0.600006", "0.191919"}));
        QCOMPARE(itemsOf(m_form->penWidthBox), QStringList({"2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));
        for (QComboBox* combo : {m_form->categoryBox, m_form->penWidthBox}) {
            QVERIFY(combo->isEditable());
            QCOMPARE(combo->currentIndex(), -1);
        }
        QCOMPARE(m_form->categoryBox->currentText(), QStringLiteral("90"));
        QCOMPARE(m_form->penWidthBox->currentText(), QStringLiteral("5"));
    }

    void patternCodeOfTheStartUpTexts()
    {
        QCOMPARE(m_form->codeLabel->text(), QStringLiteral("您永远也看不完的宇宙生命图案"));
        QCOMPARE(patternCode(m_form->curveControls()), QStringLiteral("QRV9051111"));
        m_form->onShowTimer();
        // "QRV", the divisor and width texts, then the four boxes the presets just filled.
        QString code = QStringLiteral("QRV905");
        for (int i = 0; i < 4; ++i)
            code += m_form->paramBoxes[size_t(i)]->text();
        QCOMPARE(m_form->codeLabel->text(), code);
        QVERIFY(code != QStringLiteral("QRV9051111"));
    }

    void typedText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("beeps");
        QTest::newRow("digits and a letter") << "12a3" << "123" << 1;
        QTest::newRow("all digits") << "0123456789" << "0123456789" << 0;
        QTest::newRow("minus") << "-5" << "5" << 1;
        QTest::newRow("decimal point") << "2.5" << "25" << 1;
        QTest::newRow("space") << "4 4" << "44" << 1;
        QTest::newRow("chinese character") << "7中" << "7" << 1;
    }

    void typedText()
    {
        QFETCH(QString, typed);
        QFETCH(QString, result);
        QFETCH(int, beeps);
        QLineEdit* box = m_form->paramBoxes[2];
        box->clear();
        typeText(box, typed);
        QCOMPARE(box->text(), result);
        QCOMPARE(m_beeps, beeps);
    }

    void composedText_data()
    {
        QTest::addColumn<QString>("committed");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("beeps");
        QTest::newRow("plain digits pass whole") << "42" << "1042" << 0;
        QTest::newRow("full-width digits") << QStringLiteral("１２") << "10" << 2;
        QTest::newRow("digits among full-width ones") << QStringLiteral("3４5") << "1035" << 1;
        QTest::newRow("a pinyin word") << QStringLiteral("中文") << "10" << 2;
        QTest::newRow("a character outside the basic plane") << QStringLiteral("7\U0001F600") << "107" << 2;
    }

    // An input method commits text in one event, not as key presses; it is filtered all the same.
    void composedText()
    {
        QFETCH(QString, committed);
        QFETCH(QString, result);
        QFETCH(int, beeps);
        QLineEdit* box = m_form->paramBoxes[3];
        box->setText(QStringLiteral("10"));
        box->end(false);
        QInputMethodEvent event;
        event.setCommitString(committed);
        QApplication::sendEvent(box, &event);
        QCOMPARE(box->text(), result);
        QCOMPARE(m_beeps, beeps);
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("beeps");
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << 0 << "\b" << "4" << 0;
        QTest::newRow("enter") << int(Qt::Key_Return) << 0 << "\r" << "45" << 1;
        QTest::newRow("copy, code 3") << int(Qt::Key_C) << ctrl << QString(QChar(3)) << "45" << 1;
        QTest::newRow("paste, code 22") << int(Qt::Key_V) << ctrl << QString(QChar(22)) << "45" << 1;
        QTest::newRow("cut, code 24") << int(Qt::Key_X) << ctrl << QString(QChar(24)) << "45" << 1;
        QTest::newRow("paste shortcut without text") << int(Qt::Key_V) << ctrl << QString() << "45" << 1;
        QTest::newRow("cursor key types nothing") << int(Qt::Key_Left) << 0 << QString() << "45" << 0;
    }

    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(QString, result);
        QFETCH(int, beeps);
        QApplication::clipboard()->setText(QStringLiteral("99"));
        QLineEdit* box = m_form->paramBoxes[1];
        box->setText(QStringLiteral("45"));
        box->selectAll();
        box->end(false);
        if (key == Qt::Key_C || key == Qt::Key_X)
            box->selectAll();
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
        QApplication::sendEvent(box, &press);
        QCOMPARE(box->text(), result);
        QCOMPARE(m_beeps, beeps);
        if (key == Qt::Key_C)
            QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("99"));
    }

    void programTextIsNotFiltered()
    {
        m_form->curveControls().setParamText(0, QStringLiteral("123.4567"));
        QCOMPARE(m_form->paramBoxes[0]->text(), QStringLiteral("123.4567"));
        QCOMPARE(m_beeps, 0);
    }

    void customOutputPlotsFromTheBoxes()
    {
        m_form->canvas->setDrawWidth(1);
        const QStringList texts{"100", "50", "30", "2"};
        for (int i = 0; i < 4; ++i)
            m_form->paramBoxes[size_t(i)]->setText(texts[i]);
        m_form->customOutputButton->click();
        QCOMPARE(m_form->canvas->Image().pixel(460, 432), qRgb(250, 250, 0));
    }

    void windowsThroughTheRegistry_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("window");
        QTest::addColumn<QPoint>("place"); // where the button puts the window; null: left alone
        QTest::newRow("gradient picker") << "Command1" << int(WindowId::GradientPicker) << QPoint();
        // 1167 and 300 pixels wide: 17505 - 4500 - 50 = 12955 twips, 864 pixels; 1500 twips down.
        QTest::newRow("geometric designer") << "Command2" << int(WindowId::Geometric) << QPoint(864, 100);
    }

    void windowsThroughTheRegistry()
    {
        QFETCH(QString, button);
        QFETCH(int, window);
        QFETCH(QPoint, place);
        const auto id = WindowId(window);
        auto* command = m_form->findChild<QPushButton*>(button);
        command->click(); // no such window known: nothing happens
        QCOMPARE(WindowRegistry::instance().existing(id), nullptr);

        int built = 0;
        WindowRegistry::instance().setFactory(id, [&] { return makeFakeWindow(&built); });
        m_form->show();
        command->click();
        QWidget* shown = WindowRegistry::instance().existing(id);
        QVERIFY(shown && shown->isVisible());
        QVERIFY2(QTest::qWaitForWindowExposed(shown, 5000), "the window to be shown");
        if (!place.isNull())
            QCOMPARE(shown->frameGeometry().topLeft(), place);
        // Hidden and moved away, it comes back; a placed window goes back to its place.
        shown->hide();
        shown->move(10, 10);
        command->click();
        QVERIFY(shown->isVisible());
        if (!place.isNull())
            QCOMPARE(shown->frameGeometry().topLeft(), place);
        QCOMPARE(built, 1);
    }

    void clearShowsTheBackgroundAgain_data()
    {
        QTest::addColumn<bool>("withPicture");
        QTest::newRow("plain colour") << false;
        QTest::newRow("gradient picture") << true;
    }

    void clearShowsTheBackgroundAgain()
    {
        QFETCH(bool, withPicture);
        PictureBox* canvas = m_form->canvas;
        QImage gradient(800, 800, QImage::Format_RGB32);
        for (int y = 0; y < 800; ++y)
            for (int x = 0; x < 800; ++x)
                gradient.setPixel(x, y, qRgb(x % 256, y % 256, 99));
        if (withPicture)
            canvas->setPicture(gradient);
        const QImage before = canvas->Image();
        m_form->onShowTimer();
        QVERIFY(canvas->Image() != before);
        m_form->clearButton->click();
        QCOMPARE(canvas->Image(), before);
        // The labels over the canvas are never part of its image.
        QCOMPARE(canvas->Image().pixel(m_form->codeLabel->geometry().center()), before.pixel(m_form->codeLabel->geometry().center()));
    }

    void backgroundColourConfirmed()
    {
        PictureBox* canvas = m_form->canvas;
        QImage picture(800, 800, QImage::Format_RGB32);
        picture.fill(qRgb(1, 2, 3));
        canvas->setPicture(picture);
        canvas->PSet(400, 400, RGB(9, 9, 9));
        QColor openedWith;
        QWidget* owner = nullptr;
        bool pictureGoneFirst = false;
        ModalDialog<QColorDialog> choose([&](QColorDialog* dialog) {
            pictureGoneFirst = canvas->Picture().isNull();
            openedWith = dialog->currentColor();
            owner = dialog->parentWidget();
            QColorDialog::setCustomColor(0, Qt::red);
            dialog->setCurrentColor(QColor(10, 200, 30));
            dialog->accept();
        });
        m_form->backgroundColourButton->click();
        QCOMPARE(choose.answered(), 1);
        QVERIFY(pictureGoneFirst);
        QCOMPARE(openedWith, QColor(Qt::black)); // never preselects the canvas colour
        QCOMPARE(owner, m_form.get());
        QCOMPARE(canvas->BackColor(), RGB(10, 200, 30));
        QVERIFY(canvas->Picture().isNull());
        QCOMPARE(canvas->Image().pixel(400, 400), qRgb(10, 200, 30));

        QColor customAtNextUse;
        ModalDialog<QColorDialog> again([&](QColorDialog* dialog) {
            customAtNextUse = QColorDialog::customColor(0);
            dialog->accept();
        });
        m_form->backgroundColourButton->click();
        QCOMPARE(again.answered(), 1);
        QCOMPARE(customAtNextUse, QColor(Qt::black));
    }

    void backgroundColourCancelled()
    {
        PictureBox* canvas = m_form->canvas;
        QImage picture(800, 800, QImage::Format_RGB32);
        picture.fill(qRgb(1, 2, 3));
        canvas->setPicture(picture);
        QString message, title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        ModalDialog<QColorDialog> cancel([](QColorDialog* dialog) { dialog->reject(); });
        ModalDialog<QMessageBox> note([&](QMessageBox* box) {
            message = box->text();
            title = box->windowTitle();
            icon = box->icon();
            box->accept();
        });
        m_form->backgroundColourButton->click();
        QCOMPARE(cancel.answered(), 1);
        QCOMPARE(note.answered(), 1);
        QCOMPARE(message, QStringLiteral("取消后重选"));
        QCOMPARE(title, applicationTitle());
        QCOMPARE(icon, QMessageBox::Warning);
        QVERIFY(canvas->Picture().isNull());
        QCOMPARE(canvas->BackColor(), RGB(255, 192, 255));
        QCOMPARE(canvas->Image().pixel(400, 400), qRgb(255, 192, 255));
    }

    // Keys that type no character keep their editing action; a key carrying several characters
    // is judged one character at a time.
    void onlyTypedCharactersAreJudged_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<int>("beeps");
        const int shift = Qt::ShiftModifier;
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("Shift+Insert pastes") << int(Qt::Key_Insert) << shift << QString() << "4599" << "99" << 0;
        QTest::newRow("Ctrl+Insert copies") << int(Qt::Key_Insert) << ctrl << QString() << "45" << "45" << 0;
        QTest::newRow("Shift+Delete cuts") << int(Qt::Key_Delete) << shift << QString() << "" << "45" << 0;
        QTest::newRow("several digits at once") << int(Qt::Key_unknown) << 0 << "678" << "45678" << "99" << 0;
        QTest::newRow("digits and letters at once") << int(Qt::Key_unknown) << 0 << "6a7b" << "4567" << "99" << 2;
        QTest::newRow("no digit at once") << int(Qt::Key_unknown) << 0 << "x.-" << "45" << "99" << 3;
    }

    void onlyTypedCharactersAreJudged()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(QString, result);
        QFETCH(QString, clipboard);
        QFETCH(int, beeps);
        QApplication::clipboard()->setText(QStringLiteral("99"));
        QLineEdit* box = m_form->paramBoxes[3];
        box->setText(QStringLiteral("45"));
        // Copy and cut work on the whole text; the others type at its end.
        if (key == Qt::Key_Insert && modifiers == Qt::ControlModifier)
            box->selectAll();
        else if (key == Qt::Key_Delete)
            box->selectAll();
        else
            box->end(false);
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
        QApplication::sendEvent(box, &press);
        QCOMPARE(box->text(), result);
        QCOMPARE(QApplication::clipboard()->text(), clipboard);
        QCOMPARE(m_beeps, beeps);
    }

    void enterPressesTheFocusedButton_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
        QTest::newRow("Space, as before") << int(Qt::Key_Space);
    }

    void enterPressesTheFocusedButton()
    {
        QFETCH(int, key);
        EnterPressesButton enter;
        qApp->installEventFilter(&enter);
        m_form->show();
        QVERIFY2(QTest::qWaitForWindowActive(m_form.get(), 5000), "the main window to become active");
        m_form->pauseButton->setFocus();
        QVERIFY(m_form->pauseButton->hasFocus());
        QSignalSpy pressed(m_form->pauseButton, &QPushButton::clicked);
        const auto modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
        QTest::keyClick(m_form->pauseButton, Qt::Key(key), modifiers);
        qApp->removeEventFilter(&enter);
        QCOMPARE(pressed.count(), 1);
        QVERIFY(!m_form->showTimer.isActive());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

#include "ModalDialog.h"

#include "app/widgets/Dialogs.h"

#include <QtTest>

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>

#include <functional>

namespace {

using ColourAnswer = std::function<void(QColorDialog*)>;

QAbstractButton* colourDialogButton(QWidget* dialog, QDialogButtonBox::StandardButton which)
{
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    return buttons ? buttons->button(which) : nullptr;
}

// What the test saw of the colour dialog while it was open.
struct ColourDialogSeen
{
    bool qtsOwn = false;
    bool modal = false;
    QWidget* owner = nullptr;
    QColor current;
};

// Looks at the colour dialog, picks the colour (when given) and presses OK or Cancel.
ColourAnswer answerColourDialog(ColourDialogSeen& seen, bool ok, QColor pick = QColor())
{
    return [&seen, ok, pick](QColorDialog* dialog) {
        seen.qtsOwn = dialog->testOption(QColorDialog::DontUseNativeDialog);
        seen.modal = dialog->isModal();
        seen.owner = dialog->parentWidget();
        seen.current = dialog->currentColor();
        if (pick.isValid())
            dialog->setCurrentColor(pick);
        colourDialogButton(dialog, ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    };
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void msgBoxShowsTextIconAndTitle_data();
    void msgBoxShowsTextIconAndTitle();
    void chooseColorReportsTheChoice_data();
    void chooseColorReportsTheChoice();
    void chooseColorNeverPreselects();
    void customColoursAreForgotten();
    void commonDialog_data();
    void commonDialog();
};

void TestDialogs::msgBoxShowsTextIconAndTitle_data()
{
    QTest::addColumn<bool>("defaults");
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("shownTitle");

    const QString programTitle = QStringLiteral("澄岚数学图案自动设计器");
    QTest::newRow("defaults: warning under the program's title")
        << true << 0 << QString() << int(QMessageBox::Warning) << programTitle;
    QTest::newRow("warning, empty title") << false << vbExclamation << QString() << int(QMessageBox::Warning)
                                          << programTitle;
    QTest::newRow("own title") << false << vbExclamation << QStringLiteral("渐变") << int(QMessageBox::Warning)
                               << QStringLiteral("渐变");
    QTest::newRow("critical") << false << 16 << QString() << int(QMessageBox::Critical) << programTitle;
    QTest::newRow("information") << false << 64 << QString() << int(QMessageBox::Information) << programTitle;
    QTest::newRow("no icon") << false << 0 << QString() << int(QMessageBox::NoIcon) << programTitle;
}

void TestDialogs::msgBoxShowsTextIconAndTitle()
{
    QFETCH(bool, defaults);
    QFETCH(int, style);
    QFETCH(QString, title);
    QFETCH(int, icon);
    QFETCH(QString, shownTitle);

    QString seenText;
    QString seenTitle;
    int seenIcon = -1;
    ModalDialog<QMessageBox> answer([&](QMessageBox* box) {
        seenText = box->text();
        seenTitle = box->windowTitle();
        seenIcon = int(box->icon());
        box->button(QMessageBox::Ok)->click();
    });
    const QString text = QStringLiteral("取消后重选");
    if (defaults)
        MsgBox(text);
    else
        MsgBox(text, style, title);

    QCOMPARE(answer.answered(), 1);
    QCOMPARE(seenText, text);
    QCOMPARE(seenTitle, shownTitle);
    QCOMPARE(seenIcon, icon);
}

void TestDialogs::chooseColorReportsTheChoice_data()
{
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("cancel") << false;
}

void TestDialogs::chooseColorReportsTheChoice()
{
    QFETCH(bool, ok);
    QWidget owner;
    std::array<std::uint32_t, 16> custom{};
    CHOOSECOLOR request;
    request.hwndOwner = &owner;
    request.lpCustColors = &custom;

    ColourDialogSeen seen;
    ModalDialog<QColorDialog> answer(answerColourDialog(seen, ok, QColor(10, 200, 30)));
    const int result = ChooseColorA(request);

    QCOMPARE(answer.answered(), 1);
    QVERIFY(seen.qtsOwn);
    QVERIFY(seen.modal);
    QCOMPARE(seen.owner, &owner);
    QCOMPARE(result != 0, ok);
    QCOMPARE(request.rgbResult, ok ? RGB(10, 200, 30).value() : 0u);
}

void TestDialogs::chooseColorNeverPreselects()
{
    CHOOSECOLOR request;
    request.rgbResult = RGB(10, 200, 30).value();
    ColourDialogSeen seen;
    {
        ModalDialog<QColorDialog> answer(answerColourDialog(seen, false));
        QCOMPARE(ChooseColorA(request), 0);
        QCOMPARE(answer.answered(), 1);
    }
    QVERIFY(seen.current.isValid());
    QVERIFY(seen.current != QColor(10, 200, 30));

    // Only the explicit flag preselects.
    request.Flags = CC_RGBINIT;
    ModalDialog<QColorDialog> answer(answerColourDialog(seen, false));
    ChooseColorA(request);
    QCOMPARE(answer.answered(), 1);
    QCOMPARE(seen.current, QColor(10, 200, 30));
}

void TestDialogs::customColoursAreForgotten()
{
    // Each use starts without the custom colours a user added in the one before.
    const QColor custom(12, 34, 56);
    const auto addCustom = [&](QColorDialog* dialog) {
        QColorDialog::setCustomColor(0, custom);
        dialog->accept();
    };
    QList<QColor> customSeen;
    const auto lookAtCustom = [&](QColorDialog* dialog) {
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            customSeen.append(QColorDialog::customColor(i));
        dialog->reject();
    };
    {
        ModalDialog<QColorDialog> first(addCustom);
        CHOOSECOLOR request;
        QVERIFY(ChooseColorA(request) != 0);
        QCOMPARE(first.answered(), 1);
        QCOMPARE(QColorDialog::customColor(0), custom);
    }
    {
        ModalDialog<QColorDialog> second(lookAtCustom);
        CHOOSECOLOR request;
        ChooseColorA(request);
        QCOMPARE(second.answered(), 1);
        QCOMPARE(customSeen.size(), QColorDialog::customCount());
        QVERIFY(!customSeen.contains(custom));
    }

    // The control form forgets them too.
    QColorDialog::setCustomColor(0, custom);
    customSeen.clear();
    ModalDialog<QColorDialog> third(lookAtCustom);
    CommonDialog control;
    control.ShowColor();
    QCOMPARE(third.answered(), 1);
    QCOMPARE(customSeen.size(), QColorDialog::customCount());
    QVERIFY(!customSeen.contains(custom));
}

void TestDialogs::commonDialog_data()
{
    QTest::addColumn<bool>("cancelError");
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("colourChanges");

    QTest::newRow("OK stores the choice") << true << 1 << true << int(ErrorCode::None) << true;
    QTest::newRow("cancel raises the cancel error") << true << 1 << false << int(ErrorCode::CancelPressed) << false;
    QTest::newRow("cancel without CancelError") << false << 1 << false << int(ErrorCode::None) << false;
    QTest::newRow("OK without preselection") << true << 0 << true << int(ErrorCode::None) << true;
}

void TestDialogs::commonDialog()
{
    QFETCH(bool, cancelError);
    QFETCH(int, flags);
    QFETCH(bool, ok);
    QFETCH(int, error);
    QFETCH(bool, colourChanges);

    QWidget owner;
    CommonDialog cdlColor(&owner);
    cdlColor.CancelError = cancelError;
    cdlColor.Flags = std::uint32_t(flags);
    cdlColor.Color = RGB(200, 100, 50);

    ColourDialogSeen seen;
    ModalDialog<QColorDialog> answer(answerColourDialog(seen, ok, QColor(1, 2, 3)));
    QCOMPARE(int(cdlColor.ShowColor()), error);
    QCOMPARE(answer.answered(), 1);

    QVERIFY(seen.qtsOwn);
    QVERIFY(seen.modal);
    QCOMPARE(seen.owner, &owner);
    QCOMPARE(seen.current == QColor(200, 100, 50), flags == 1);
    QCOMPARE(cdlColor.Color, colourChanges ? RGB(1, 2, 3) : RGB(200, 100, 50));
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"

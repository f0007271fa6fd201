#include "ModalDialog.h"

#include "app/ProgramSetup.h"
#include "app/widgets/Dialogs.h"

#include <QtTest>

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace {

QStringList actionTexts(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions())
        if (!action->isSeparator())
            texts << action->text();
    return texts;
}

// What the test saw of a message box while it was open.
struct MessageBoxSeen
{
    QString title;
    QString okText;
    QWidget* owner = nullptr;
    Qt::WindowModality modality = Qt::NonModal;
    int width = 0;
    bool hasIcon = false;
};

} // namespace

// The program shows Qt's standard dialogs and menus in Chinese on any system, with its own icon.
class TestTranslation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void colourDialogSpeaksChinese();
    void contextMenusSpeakChinese_data();
    void contextMenusSpeakChinese();
    void fileDialogSpeaksChinese();
    void messageBoxIsChineseOwnedAndWideEnoughForItsTitle_data();
    void messageBoxIsChineseOwnedAndWideEnoughForItsTitle();
    void colourChooserBlocksOnlyTheWindowThatAsked();
    void desktopFileNameMatchesTheInstalledEntry();
    void everyWindowCarriesTheProgramIcon();
};

void TestTranslation::initTestCase()
{
    // An English system locale must not matter.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    setUpApplication(*qApp);
}

void TestTranslation::colourDialogSpeaksChinese()
{
    QColorDialog dialog;
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("选择颜色"));
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    QVERIFY(buttons);
    QCOMPARE(buttons->button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
}

void TestTranslation::contextMenusSpeakChinese_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("text box") << "text box";
    QTest::newRow("editable combo box") << "combo box";
}

void TestTranslation::contextMenusSpeakChinese()
{
    QFETCH(QString, kind);
    QLineEdit edit;
    QComboBox combo;
    combo.setEditable(true);
    QLineEdit* box = kind == "combo box" ? combo.lineEdit() : &edit;
    std::unique_ptr<QMenu> menu(box->createStandardContextMenu());
    const QString texts = actionTexts(*menu).join(u'|');
    for (const char* word : {"撤消", "剪切", "复制", "粘贴", "全选"})
        QVERIFY2(texts.contains(QString::fromUtf8(word)), qPrintable(texts));
    QVERIFY2(!texts.contains(QStringLiteral("Paste")), qPrintable(texts));
}

void TestTranslation::fileDialogSpeaksChinese()
{
    QFileDialog dialog(nullptr, QString(), QDir::tempPath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    QVERIFY(buttons);
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    QVERIFY(buttons->button(QDialogButtonBox::Save)->text().startsWith(QStringLiteral("保存")));
}

void TestTranslation::messageBoxIsChineseOwnedAndWideEnoughForItsTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("program's title, short text") << QString();
    QTest::newRow("long own title") << QStringLiteral("渐变色背景的角度与颜色出错了，请重新选择");
}

void TestTranslation::messageBoxIsChineseOwnedAndWideEnoughForItsTitle()
{
    QFETCH(QString, title);
    QWidget owner;
    owner.show();
    QVERIFY2(QTest::qWaitForWindowExposed(&owner, 5000), "the owner window to be shown");
    MessageBoxSeen seen;
    ModalDialog<QMessageBox> answer([&seen](QMessageBox* box) {
        seen = {box->windowTitle(), box->button(QMessageBox::Ok)->text(), box->parentWidget(),
                box->windowModality(), box->width(), !box->windowIcon().isNull()};
        box->button(QMessageBox::Ok)->click();
    });
    MsgBox(QStringLiteral("取消后重选"), vbExclamation, title, &owner);

    const QString shown = title.isEmpty() ? QStringLiteral("澄岚数学图案自动设计器") : title;
    QCOMPARE(seen.title, shown);
    QCOMPARE(seen.okText, QStringLiteral("确定"));
    QCOMPARE(seen.owner, &owner);
    QCOMPARE(seen.modality, Qt::WindowModal);
    QVERIFY(seen.hasIcon);
    // A title bar needs the title in a bold face plus room for the frame's icon and three buttons
    // (about 24 pixels each).
    QFont bold = QApplication::font();
    bold.setBold(true);
    const int needed = QFontMetrics(bold).horizontalAdvance(shown) + 4 * 24;
    QVERIFY2(seen.width >= needed, qPrintable(QStringLiteral("%1 < %2").arg(seen.width).arg(needed)));
}

void TestTranslation::colourChooserBlocksOnlyTheWindowThatAsked()
{
    QWidget owner;
    owner.show();
    QVERIFY2(QTest::qWaitForWindowExposed(&owner, 5000), "the owner window to be shown");
    QWidget* parent = nullptr;
    Qt::WindowModality modality = Qt::NonModal;
    ModalDialog<QColorDialog> answer([&](QColorDialog* modal) {
        parent = modal->parentWidget();
        modality = modal->windowModality();
        modal->close();
    });
    std::array<std::uint32_t, 16> custom{};
    CHOOSECOLOR request;
    request.hwndOwner = &owner;
    request.lpCustColors = &custom;
    QCOMPARE(ChooseColorA(request), 0);
    QCOMPARE(parent, &owner);
    QCOMPARE(modality, Qt::WindowModal);
}

void TestTranslation::desktopFileNameMatchesTheInstalledEntry()
{
    const QString entry = QFINDTESTDATA("../app/resources/org.chenglan.patterndesigner.desktop");
    QVERIFY2(!entry.isEmpty(), "desktop entry not found beside the sources");
    QCOMPARE(QGuiApplication::desktopFileName() + QStringLiteral(".desktop"), QFileInfo(entry).fileName());
}

void TestTranslation::everyWindowCarriesTheProgramIcon()
{
    const QIcon icon = QApplication::windowIcon();
    QVERIFY(!icon.isNull());
    for (int size : {16, 32, 48, 256})
        QVERIFY2(icon.availableSizes().contains(QSize(size, size)), qPrintable(QString::number(size)));
    QWidget plain;
    QMessageBox box;
    QCOMPARE(plain.windowIcon().cacheKey(), icon.cacheKey());
    QCOMPARE(box.windowIcon().cacheKey(), icon.cacheKey());
}

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"

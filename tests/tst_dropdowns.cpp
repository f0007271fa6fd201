#include "ModalDialog.h"

#include "app/mainwindow/MainWindow.h"
#include "app/geometric/GeometricDesigner.h"

#include <QtTest>

#include <QAbstractItemView>
#include <QComboBox>
#include <QStyle>

#include <memory>

// The drop-down lists of the combo boxes show every entry whole, the longest included.
class TestDropDowns : public QObject
{
    Q_OBJECT

private slots:
    void everyEntryShowsWhole_data();
    void everyEntryShowsWhole();
};

void TestDropDowns::everyEntryShowsWhole_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("combo");
    QTest::addColumn<QString>("longest");
    QTest::newRow("main window, category") << "Form1" << "Combo1" << "0.1010101";
    QTest::newRow("main window, line width") << "Form1" << "Combo2" << "12";
    QTest::newRow("geometric designer, line width") << "Form11" << "Combo1" << "60";
}

void TestDropDowns::everyEntryShowsWhole()
{
    QFETCH(QString, window);
    QFETCH(QString, combo);
    QFETCH(QString, longest);
    std::unique_ptr<QWidget> form;
    if (window == "Form1")
        form = std::make_unique<MainWindow>();
    else
        form = std::make_unique<GeometricDesigner>();
    form->setAttribute(Qt::WA_DeleteOnClose, false);
    form->show();
    QVERIFY2(QTest::qWaitForWindowExposed(form.get(), 5000), "the window to be shown");
    auto* box = form->findChild<QComboBox*>(combo);
    QVERIFY(box);
    QVERIFY(box->findText(longest) >= 0);
    box->showPopup();
    QAbstractItemView* view = box->view();
    WAIT_FOR(view->isVisible(), "the drop-down list to open", 2000);
    const QFontMetrics metrics(view->font());
    // An item draws its text between margins of the style's focus-frame margin plus one pixel.
    const int margins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
    for (int row = 0; row < box->count(); ++row) {
        const QString entry = box->itemText(row);
        const int needed = metrics.horizontalAdvance(entry) + margins;
        QVERIFY2(view->viewport()->width() >= needed,
                 qPrintable(QStringLiteral("%1: %2 < %3").arg(entry).arg(view->viewport()->width()).arg(needed)));
    }
    // Both long entries of the main window's category list, the ones that were cut short.
    if (window == "Form1" && combo == "Combo1")
        QVERIFY(box->findText(QStringLiteral("0.600006")) >= 0);
    QVERIFY(view->window()->width() >= box->width());
    box->hidePopup();
}

QTEST_MAIN(TestDropDowns)
#include "tst_dropdowns.moc"

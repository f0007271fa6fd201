// The tests' own guard against hanging: a modal dialog nobody expected fails the running test at
// once, naming the dialog, instead of holding it until Qt Test's 300 s watchdog. Each planted
// case runs in a child process of this program, whose failure is the point.

#include "ModalDialog.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestModalDialog : public QObject
{
    Q_OBJECT

private slots:
    void unexpectedDialogFailsAtOnceNamingIt_data();
    void unexpectedDialogFailsAtOnceNamingIt();
    void plantedUnexpectedDialog_data() { unexpectedDialogFailsAtOnceNamingIt_data(); }
    void plantedUnexpectedDialog();
    void expectedDialogsLeaveTheTestPassing();
    void waitGivesUpAfterItsBoundNamingWhatItWaitedFor();
};

void TestModalDialog::unexpectedDialogFailsAtOnceNamingIt_data()
{
    QTest::addColumn<QString>("named");
    QTest::newRow("message box during QTRY") << QStringLiteral("\"磁盘已满\": 无法写入 x.png");
    QTest::newRow("message box during WAIT_FOR")
        << QStringLiteral("\"磁盘已满\": 无法写入 x.png (while waiting for the saved file)");
    QTest::newRow("message box from a click") << QStringLiteral("\"出错\": 图案代码无效");
    QTest::newRow("file dialog") << QStringLiteral("QFileDialog \"保存图案\"");
    QTest::newRow("second box where one was answered") << QStringLiteral("\"提示\": 第二个");
}

void TestModalDialog::unexpectedDialogFailsAtOnceNamingIt()
{
    QFETCH(QString, named);
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MODAL_DIALOG_PLANT"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("plantedUnexpectedDialog:") + QString::fromUtf8(QTest::currentDataTag())});
    QVERIFY2(child.waitForFinished(60000), "the planted test to end, well before Qt Test's 300 s watchdog");
    const QString output = QString::fromUtf8(child.readAll());
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QVERIFY2(child.exitCode() != 0, qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("FAIL!")), qPrintable(output));
    QVERIFY2(output.contains(named), qPrintable(output));
}

void TestModalDialog::plantedUnexpectedDialog()
{
    if (qEnvironmentVariableIsEmpty("MODAL_DIALOG_PLANT"))
        QSKIP("run by unexpectedDialogFailsAtOnceNamingIt in a child process");
    const QByteArray row = QTest::currentDataTag();
    const auto diskFull = [] { QMessageBox::warning(nullptr, QStringLiteral("磁盘已满"), QStringLiteral("无法写入 x.png")); };
    if (row == "message box during QTRY") {
        QTimer::singleShot(100, diskFull);
        QTRY_VERIFY2_WITH_TIMEOUT(false, "the saved file", 120000);
    } else if (row == "message box during WAIT_FOR") {
        QTimer::singleShot(100, diskFull);
        WAIT_FOR(false, "the saved file", 120000);
    } else if (row == "message box from a click") {
        QPushButton button;
        connect(&button, &QPushButton::clicked, &button,
                [&] { QMessageBox::critical(&button, QStringLiteral("出错"), QStringLiteral("图案代码无效")); });
        button.click();
    } else if (row == "file dialog") {
        QTemporaryDir folder;
        QFileDialog::getSaveFileName(nullptr, QStringLiteral("保存图案"), folder.path(), QString(), nullptr,
                                     QFileDialog::DontUseNativeDialog);
    } else if (row == "second box where one was answered") {
        ModalDialog<QMessageBox> answer([](QMessageBox* box) { box->accept(); });
        QMessageBox::information(nullptr, QStringLiteral("提示"), QStringLiteral("第一个"));
        QMessageBox::information(nullptr, QStringLiteral("提示"), QStringLiteral("第二个"));
    }
}

void TestModalDialog::expectedDialogsLeaveTheTestPassing()
{
    QStringList seen;
    ModalDialog<QMessageBox> answer(
        [&](QMessageBox* box) {
            seen << box->text();
            box->accept();
        },
        Answer::EveryOne);
    QTimer::singleShot(100, [] { QMessageBox::information(nullptr, QStringLiteral("提示"), QStringLiteral("一")); });
    WAIT_FOR(!seen.isEmpty(), "the first box to be answered", 10000);
    QMessageBox::information(nullptr, QStringLiteral("提示"), QStringLiteral("二"));
    QCOMPARE(seen, QStringList({QStringLiteral("一"), QStringLiteral("二")}));

    // A progress dialog shown beside the windows blocks nothing and is nobody's surprise.
    QWidget owner;
    owner.show();
    QProgressDialog progress(QStringLiteral("正在导出…"), QStringLiteral("取消"), 0, 100, &owner);
    progress.setWindowModality(Qt::WindowModal);
    progress.show();
    QVERIFY(QApplication::activeModalWidget() == &progress);
    int polls = 0;
    WAIT_FOR(++polls > 30, "a few rounds of events beside the progress dialog", 10000);
    QVERIFY(progress.isVisible());
    QVERIFY(!QTest::currentTestFailed());
}

void TestModalDialog::waitGivesUpAfterItsBoundNamingWhatItWaitedFor()
{
    QTest::ignoreMessage(QtWarningMsg, "gave up after 200 ms waiting for the impossible");
    QVERIFY(!waitFor([] { return false; }, "the impossible", 200));
    int calls = 0;
    QVERIFY(waitFor([&] { return ++calls == 3; }, "the third call", 10000));
    QCOMPARE(calls, 3);
}

QTEST_MAIN(TestModalDialog)
#include "tst_modaldialog.moc"

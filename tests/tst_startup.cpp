// Starting the program where no display can be reached ends it with one clear line, not a crash.

#include <QFileInfo>
#include <QProcess>
#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void withoutDisplay_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("expected");
        QTest::newRow("DISPLAY not set") << QString() << QStringLiteral("DISPLAY is not set");
        QTest::newRow("no server on the display") << unusedDisplay() << QStringLiteral("cannot reach the X display");
        // Longer than any socket path: the name must be refused, not copied past a buffer.
        QTest::newRow("display number of 200 digits") << QStringLiteral(":") + QString(200, u'9')
                                                      << QStringLiteral("cannot reach the X display");
        QTest::newRow("display name of 5000 letters") << QString(5000, u'x') + QStringLiteral(":0")
                                                      << QStringLiteral("cannot reach the X display");
        QTest::newRow("display number that is no number") << QStringLiteral(":abc")
                                                          << QStringLiteral("cannot reach the X display");
    }

    void withoutDisplay()
    {
        QFETCH(QString, display);
        QFETCH(QString, expected);
        const QString binary = qEnvironmentVariable("DESIGNER_BINARY");
        if (!QFileInfo::exists(binary))
            QSKIP("DESIGNER_BINARY does not name the built program");

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("DISPLAY"));
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(binary, {});
        QVERIFY(program.waitForFinished(20000));

        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        const QStringList lines = QString::fromUtf8(program.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith(QStringLiteral("pattern-designer: ")), qPrintable(lines.first()));
        QVERIFY2(lines.first().contains(expected), qPrintable(lines.first()));
    }

private:
    // A local display number with no server socket behind it.
    static QString unusedDisplay()
    {
        for (int number = 917;; ++number) {
            if (!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
                return QStringLiteral(":%1").arg(number);
        }
    }
};

QTEST_APPLESS_MAIN(TestStartup)
#include "tst_startup.moc"

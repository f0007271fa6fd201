// Starting the program where no display can be reached, or where no window could be shown (a
// screen the server lacks, a platform Qt lacks, a scale factor no screen holds), ends it with one
// clear line, not a crash; a usable scale factor still opens the main window.

#include "XvfbSession.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

namespace {

const QString mainCaption = QStringLiteral("澄岚数学图案自动设计器");

// The environment for the program on the private server, its favourites kept in a folder of the
// test's own.
QProcessEnvironment onDisplay(const xvfb::Session& session, const QTemporaryDir& home)
{
    QProcessEnvironment environment = session.environment();
    environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    for (const char* folder : {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"})
        environment.insert(QLatin1String(folder), home.path());
    return environment;
}

// Should the program start where it must not, it cannot take the machine's memory. Not under the
// address sanitizer, whose program reserves terabytes of address space for itself.
void limitMemory([[maybe_unused]] QProcess& process)
{
#if !defined(__SANITIZE_ADDRESS__)
    process.setChildProcessModifier([] {
        rlimit limit{4ul << 30, 4ul << 30};
        setrlimit(RLIMIT_AS, &limit);
    });
#endif
}

} // namespace

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

    // Each row: a variable set to a value with which no window can be shown (":5" after the
    // display's name asks for its screen 5).
    void unusableSettingsGetOneLine_data()
    {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("screen the server lacks") << QStringLiteral("DISPLAY") << QStringLiteral(".5")
                                                 << QStringLiteral("has no such screen");
        QTest::newRow("platform Qt lacks") << QStringLiteral("QT_QPA_PLATFORM") << QStringLiteral("garbage")
                                           << QStringLiteral("QT_QPA_PLATFORM=garbage");
        for (const char* factor : {"0", "-1", "garbage", "50", "1000", "nan", "inf", "0.01"})
            QTest::newRow(qPrintable(QStringLiteral("QT_SCALE_FACTOR=") + QLatin1String(factor)))
                << QStringLiteral("QT_SCALE_FACTOR") << QString::fromLatin1(factor)
                << QStringLiteral("QT_SCALE_FACTOR=") + QLatin1String(factor);
    }

    void unusableSettingsGetOneLine()
    {
        QFETCH(QString, variable);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        const QString binary = qEnvironmentVariable("DESIGNER_BINARY");
        if (!QFileInfo::exists(binary))
            QSKIP("DESIGNER_BINARY does not name the built program");
        if (const QString missing = xvfb::missingTool({"Xvfb"}); !missing.isEmpty())
            QSKIP(qPrintable(missing + QStringLiteral(" is not installed (scripts/setup.sh installs it)")));
        xvfb::Session session;
        QVERIFY2(session.started(), "Xvfb did not start");
        QTemporaryDir home;
        QProcessEnvironment environment = onDisplay(session, home);
        environment.insert(variable, variable == QLatin1String("DISPLAY") ? session.display() + value : value);
        xvfb::Child program;
        program.process.setProcessEnvironment(environment);
        limitMemory(program.process);
        program.process.start(binary, {});
        QVERIFY2(program.process.waitForFinished(20000), "the program to end, having said why it cannot start");

        QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.process.exitCode(), 1);
        const QStringList lines = QString::fromUtf8(program.process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.size() == 1, qPrintable(lines.join(u'\n')));
        QVERIFY2(lines.first().startsWith(QStringLiteral("pattern-designer: ")), qPrintable(lines.first()));
        QVERIFY2(lines.first().contains(expected), qPrintable(lines.first()));
    }

    void usableScaleFactorsStart_data()
    {
        QTest::addColumn<QString>("factor");
        QTest::newRow("1") << QStringLiteral("1");
        QTest::newRow("1.5") << QStringLiteral("1.5");
        QTest::newRow("0.5") << QStringLiteral("0.5");
    }

    void usableScaleFactorsStart()
    {
        QFETCH(QString, factor);
        const QString binary = qEnvironmentVariable("DESIGNER_BINARY");
        if (!QFileInfo::exists(binary))
            QSKIP("DESIGNER_BINARY does not name the built program");
        if (const QString missing = xvfb::missingTool({"Xvfb", "xdotool"}); !missing.isEmpty())
            QSKIP(qPrintable(missing + QStringLiteral(" is not installed (scripts/setup.sh installs it)")));
        xvfb::Session session;
        QVERIFY2(session.started(), "Xvfb did not start");
        QTemporaryDir home;
        QProcessEnvironment environment = onDisplay(session, home);
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), factor);
        xvfb::Child program;
        program.process.setProcessEnvironment(environment);
        limitMemory(program.process);
        program.process.start(binary, {});
        QVERIFY2(xvfb::pollUntil([&] { return !session.visibleWindow(mainCaption).isEmpty(); }, 30000),
                 qPrintable(QStringLiteral("the main window to show; the program (%1, status %2) said: ")
                                .arg(program.process.state() == QProcess::Running ? "running" : "ended")
                                .arg(program.process.exitCode())
                            + QString::fromUtf8(program.process.readAllStandardError())));
        QCOMPARE(program.process.state(), QProcess::Running);
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

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"

#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString caption = QStringLiteral("澄岚数学图案自动设计器（永久免费版）");

// A process that is always stopped when the test leaves, whatever happened.
struct Child
{
    QProcess process;
    ~Child()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished(3000);
        }
    }
};

int countColour(const QImage& image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return count;
}

QProcessEnvironment displayEnvironment(const QString& display)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("DISPLAY"), display);
    return environment;
}

// Runs a short helper program on the display; its standard output, or nothing when it failed.
QByteArray runOn(const QString& display, const QString& program, const QStringList& arguments)
{
    QProcess helper;
    helper.setProcessEnvironment(displayEnvironment(display));
    helper.start(program, arguments);
    if (!helper.waitForFinished(15000) || helper.exitStatus() != QProcess::NormalExit || helper.exitCode() != 0)
        return {};
    return helper.readAllStandardOutput();
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void firstSlideOnScreen()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            QSKIP("Xvfb is not installed: the end-to-end test needs a virtual X server");
        for (const char* tool : {"xdotool", "import"})
            QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(), tool);
        const QString binary = qEnvironmentVariable("DESIGNER_BINARY");
        QVERIFY2(!binary.isEmpty(), "DESIGNER_BINARY is not set");

        // Xvfb picks a free display itself and writes its number to standard output.
        Child server;
        server.process.start(xvfb, {"-displayfd", "1", "-screen", "0", "1600x1000x24", "-nolisten", "tcp"});
        QVERIFY2(server.process.waitForStarted(10000), "Xvfb did not start");
        QDeadlineTimer serverDeadline(20000);
        while (!server.process.canReadLine() && !serverDeadline.hasExpired())
            server.process.waitForReadyRead(200);
        const QString display = ':' + QString::fromLatin1(server.process.readLine().trimmed());
        QVERIFY2(display.size() > 1, "Xvfb gave no display number");

        Child program;
        program.process.setProcessEnvironment(displayEnvironment(display));
        program.process.start(binary, {});
        QVERIFY2(program.process.waitForStarted(10000), "the designer did not start");

        QDeadlineTimer windowDeadline(30000);
        QByteArray windows;
        while (windows.trimmed().isEmpty() && !windowDeadline.hasExpired()) {
            QTest::qWait(250);
            windows = runOn(display, QStringLiteral("xdotool"), {"search", "--name", caption});
        }
        QVERIFY2(!windows.trimmed().isEmpty(), "no window with the designer's caption");

        // The first slide comes 3 seconds after start-up; look a little later, and again while
        // a slow machine is still drawing it.
        QTest::qWait(4000);
        QTemporaryDir directory;
        const QString shot = directory.filePath(QStringLiteral("screen.png"));
        const QList<QRgb> curveColours{qRgb(250, 250, 0), qRgb(0, 250, 0), qRgb(0, 0, 250), qRgb(250, 30, 130)};
        QImage screen;
        bool allColours = false;
        QDeadlineTimer slideDeadline(30000);
        while (!allColours && !slideDeadline.hasExpired()) {
            runOn(display, QStringLiteral("import"), {"-window", "root", shot});
            screen = QImage(shot);
            allColours = !screen.isNull();
            for (QRgb colour : curveColours)
                allColours = allColours && countColour(screen, colour) > 20;
            if (!allColours)
                QTest::qWait(500);
        }
        QVERIFY2(!screen.isNull(), "no screenshot");
        QVERIFY2(program.process.state() == QProcess::Running, "the designer stopped");
        QVERIFY2(countColour(screen, qRgb(0, 64, 0)) > 100000, "no dark green window background");
        QVERIFY2(countColour(screen, qRgb(255, 192, 255)) > 200000, "no canvas");
        for (QRgb colour : curveColours)
            QVERIFY2(countColour(screen, colour) > 20, qPrintable(QColor(colour).name() + " dots missing"));
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"

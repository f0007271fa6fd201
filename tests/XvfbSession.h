#pragma once

// A private X server for end-to-end tests: starts Xvfb on a free display, runs the designer and
// the X helper tools (xdotool, import) on it, and stops everything when it goes out of scope.

#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace xvfb {

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

// The first of the given programs that is not installed, or an empty text.
inline QString missingTool(const QStringList& tools)
{
    for (const QString& tool : tools)
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return tool;
    return {};
}

// Waits until the condition holds, checking it every step; false when time ran out.
inline bool pollUntil(const std::function<bool()>& condition, int timeoutMs, int stepMs = 250)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(stepMs);
    }
    return true;
}

class Session
{
public:
    // Starts the server; check started() before using the session.
    Session()
    {
        const QString server = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (server.isEmpty())
            return;
        // Xvfb picks a free display itself and writes its number to standard output.
        m_server.process.start(server, {"-displayfd", "1", "-noreset", "-screen", "0", "1600x1000x24", "-nolisten", "tcp"});
        if (!m_server.process.waitForStarted(10000))
            return;
        QDeadlineTimer deadline(20000);
        while (!m_server.process.canReadLine() && !deadline.hasExpired())
            m_server.process.waitForReadyRead(200);
        const QByteArray number = m_server.process.readLine().trimmed();
        if (!number.isEmpty())
            m_display = ':' + QString::fromLatin1(number);
    }

    bool started() const { return !m_display.isEmpty(); }
    QString display() const { return m_display; }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        return environment;
    }

    // Starts the designer on this display; it is stopped with the session.
    bool startProgram(const QString& binary, const QStringList& arguments = {})
    {
        m_program.process.setProcessEnvironment(environment());
        m_program.process.start(binary, arguments);
        return m_program.process.waitForStarted(10000);
    }

    // What the program wrote to its standard error so far.
    QByteArray programErrors() { return m_program.process.readAllStandardError(); }

    bool programRunning() const { return m_program.process.state() == QProcess::Running; }

    // Runs a short helper program on the display; false when it failed. Its standard output goes
    // to output when given; why it failed goes to failure when given.
    bool run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr,
             QString* failure = nullptr) const
    {
        QProcess helper;
        helper.setProcessEnvironment(environment());
        helper.start(program, arguments);
        QString why;
        if (!helper.waitForFinished(15000))
            why = program + QStringLiteral(" did not finish within 15 s: ") + helper.errorString();
        else if (helper.exitStatus() != QProcess::NormalExit || helper.exitCode() != 0)
            why = program + QStringLiteral(" failed (exit code %1): ").arg(helper.exitCode())
                  + QString::fromLocal8Bit(helper.readAllStandardError()).trimmed();
        if (!why.isEmpty()) {
            if (failure)
                *failure = why;
            return false;
        }
        if (output)
            *output = helper.readAllStandardOutput();
        return true;
    }

    // The whole screen; a null image when it could not be taken, with the reason in failure.
    QImage screenshot(QString* failure = nullptr) const
    {
        const QString file = m_files.filePath(QStringLiteral("screen.png"));
        QFile::remove(file);
        if (!run(QStringLiteral("import"), {"-window", "root", file}, nullptr, failure))
            return {};
        const QImage image(file);
        if (image.isNull() && failure)
            *failure = QStringLiteral("import wrote no readable picture");
        return image.convertToFormat(QImage::Format_RGB32);
    }

    // The id of the first shown window whose caption contains the text, or an empty text.
    QString visibleWindow(const QString& caption) const
    {
        QByteArray ids;
        run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", caption}, &ids);
        return QString::fromLatin1(ids.split('\n').value(0).trimmed());
    }

    QString waitForWindow(const QString& caption, int timeoutMs = 20000) const
    {
        QString id;
        pollUntil([&] { return !(id = visibleWindow(caption)).isEmpty(); }, timeoutMs);
        return id;
    }

    // The window's place on the screen and its size, in pixels; null when it cannot be asked.
    QRect geometry(const QString& window) const
    {
        QByteArray shell;
        run(QStringLiteral("xdotool"), {"getwindowgeometry", "--shell", window}, &shell);
        int values[4] = {0, 0, 0, 0};
        int found = 0;
        const char* keys[4] = {"X=", "Y=", "WIDTH=", "HEIGHT="};
        for (const QByteArray& line : shell.split('\n'))
            for (int i = 0; i < 4; ++i)
                if (line.startsWith(keys[i])) {
                    values[i] = line.mid(int(qstrlen(keys[i]))).toInt();
                    ++found;
                }
        return found == 4 ? QRect(values[0], values[1], values[2], values[3]) : QRect();
    }

    // A real mouse click at a point of the screen.
    bool click(QPoint point) const
    {
        return run(QStringLiteral("xdotool"),
                   {"mousemove", "--sync", QString::number(point.x()), QString::number(point.y()), "click", "1"});
    }

    // Real key presses, in the keyboard focus of the display (xdotool key names: "alt+h", "Return").
    bool keys(const QStringList& names) const
    {
        return run(QStringLiteral("xdotool"), QStringList{"key", "--delay", "50"} + names);
    }

    bool type(const QString& text) const
    {
        return run(QStringLiteral("xdotool"), {"type", "--delay", "50", text});
    }

private:
    QTemporaryDir m_files;
    Child m_server;
    Child m_program;
    QString m_display;
};

} // namespace xvfb

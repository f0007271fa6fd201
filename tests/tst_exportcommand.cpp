// The command line's export, as a script runs it: no display, sizes and papers, formats, dpi in
// the file, one-line reasons and exit statuses, and no file left behind when the disk is full or
// the export is interrupted.

#include "app/messages/PatternMessages.h"
#include "draw/pattern/PatternFileReader.h"
#include "draw/pattern/PatternCode.h"
#include "draw/pattern/SlideReplay.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <cstdio>

#include <sys/resource.h>

namespace {

SlideRecipe gradientSlide()
{
    SlideRecipe recipe;
    recipe.randomState = 0x2545F491u;
    recipe.width = 3;
    recipe.divisor = 90.0;
    recipe.backColour = RGB(30, 60, 90);
    recipe.gradient = GradientRecipe{RGB(0x0A, 0x3C, 0x46), RGB(0x12, 0x50, 0x60), 45, QSize(800, 800)};
    return recipe;
}

QString codeOf(const SlideRecipe& recipe) { return PatternCode::encode(recipe); }

struct Run
{
    int status = -1;
    QProcess::ExitStatus exit = QProcess::CrashExit;
    QString errors;
};

// The program with no display at all, as from a script over ssh.
QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

Run runProgram(const QStringList& arguments, const std::function<void(QProcess&)>& prepare = {})
{
    QProcess process;
    process.setProcessEnvironment(withoutDisplay());
    if (prepare)
        prepare(process);
    process.start(qEnvironmentVariable("DESIGNER_BINARY"), arguments);
    process.waitForFinished(300000);
    return Run{process.exitCode(), process.exitStatus(), QString::fromUtf8(process.readAllStandardError())};
}

quint32 pngPixelsPerMetre(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray png = file.read(4096);
    const qsizetype at = png.indexOf("pHYs");
    return at < 0 ? 0 : qFromBigEndian<quint32>(png.constData() + at + 4);
}

QStringList filesIn(const QTemporaryDir& folder)
{
    return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

class ExportCommandTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void writesTheAskedSizeAndMedium_data();
    void writesTheAskedSizeAndMedium();
    void mistakesGetOneLineAndAStatus_data();
    void mistakesGetOneLineAndAStatus();
    void helpListsTheExportOptions();
    void versionIsOneLine_data();
    void versionIsOneLine();
    void fullDiskLeavesNoFileAndTheOldOneWhole();
    void interruptedExportLeavesNothing();
    void fileNamedInAnyEncodingIsExported();
    void windowModeReportsFileProblemsOnStandardError_data();
    void windowModeReportsFileProblemsOnStandardError();
    void stopAskedBeforeDrawingLeavesNothing_data();
    void stopAskedBeforeDrawingLeavesNothing();
};

void ExportCommandTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariable("DESIGNER_BINARY").isEmpty(), "DESIGNER_BINARY is not set");
}

void ExportCommandTest::writesTheAskedSizeAndMedium_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<quint32>("perMetre");
    QTest::newRow("own size") << QStringList{} << "a.png" << QByteArray("png") << QSize(800, 800) << 3780u;
    QTest::newRow("4K") << QStringList{"--size", "3840x2160"} << "b.png" << QByteArray("png") << QSize(3840, 2160) << 3780u;
    QTest::newRow("A4 portrait") << QStringList{"--paper", "A4"} << "c.png" << QByteArray("png") << QSize(2480, 3508)
                                 << 11811u;
    QTest::newRow("A3 landscape at 150 dpi") << QStringList{"--paper", "a3", "--landscape", "--dpi", "150"} << "d.png"
                                             << QByteArray("png") << QSize(2480, 1754) << 5906u;
    QTest::newRow("size with dpi") << QStringList{"--size", "1000 x 500", "--dpi", "600"} << "e.png" << QByteArray("png")
                                   << QSize(1000, 500) << 23622u;
    QTest::newRow("svg by extension") << QStringList{"--size", "1920x1080"} << "f.svg" << QByteArray("svg")
                                      << QSize(1920, 1080) << 0u;
    QTest::newRow("pdf by --format") << QStringList{"--paper", "A4", "--format", "pdf"} << "g.out" << QByteArray("pdf")
                                     << QSize() << 0u;
    QTest::newRow("jpeg by extension") << QStringList{"--size", "640x480"} << "h.jpg" << QByteArray("jpeg")
                                       << QSize(640, 480) << 0u;
}

void ExportCommandTest::writesTheAskedSizeAndMedium()
{
    QFETCH(QStringList, options);
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);
    QFETCH(quint32, perMetre);
    QTemporaryDir folder;
    const QString path = folder.filePath(name);
    const QString code = codeOf(gradientSlide());
    const Run run = runProgram(QStringList{"--export", path, "--code", code} + options);
    QCOMPARE(run.exit, QProcess::NormalExit);
    QVERIFY2(run.status == 0, qPrintable(run.errors));
    // Not a terminal: no progress lines.
    QVERIFY2(!run.errors.contains(QStringLiteral("正在导出")), qPrintable(run.errors));
    QCOMPARE(filesIn(folder), QStringList{name});
    if (format == "pdf") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray pdf = file.readAll();
        QVERIFY(pdf.startsWith("%PDF-"));
        QVERIFY(pdf.contains("/MediaBox [0 0 595.275591 841.889764]"));
        QVERIFY(pdf.contains(code.toLatin1()));
        return;
    }
    QImageReader reader(path);
    QCOMPARE(reader.format(), format);
    QCOMPARE(reader.size(), size);
    if (format == "png") {
        QCOMPARE(pngPixelsPerMetre(path), perMetre);
    }
    if (format == "png" || format == "svg") {
        const PatternFileCode found = readPatternFileCode(path);
        QCOMPARE(found.code, code);
    }
}

void ExportCommandTest::mistakesGetOneLineAndAStatus_data()
{
    const QString code = codeOf(gradientSlide());
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no code") << QStringList{"--export", "x.png"} << 2 << QStringLiteral("需要 --code");
    QTest::newRow("size zero") << QStringList{"--export", "x.png", "--code", code, "--size", "0x5"} << 2
                               << QStringLiteral("大小“0x5”无效");
    QTest::newRow("size too large") << QStringList{"--export", "x.png", "--code", code, "--size", "70000x10"} << 2
                                    << QStringLiteral("无效");
    QTest::newRow("size words") << QStringList{"--export", "x.png", "--code", code, "--size", "big"} << 2
                                << QStringLiteral("无效");
    QTest::newRow("paper unknown") << QStringList{"--export", "x.png", "--code", code, "--paper", "B5"} << 2
                                   << QStringLiteral("未知的纸张");
    QTest::newRow("paper and size") << QStringList{"--export", "x.png", "--code", code, "--paper", "A4", "--size", "9x9"}
                                    << 2 << QStringLiteral("只能选一个");
    QTest::newRow("dpi zero") << QStringList{"--export", "x.png", "--code", code, "--dpi", "0"} << 2
                              << QStringLiteral("分辨率");
    QTest::newRow("paper beyond 65535") << QStringList{"--export", "x.png", "--code", code, "--paper", "A2", "--dpi", "3000"}
                                        << 2 << QStringLiteral("65535");
    QTest::newRow("format unknown") << QStringList{"--export", "x.png", "--code", code, "--format", "tiff"} << 2
                                    << QStringLiteral("未知的格式");
    // A code given on the command line is part of what was given: a mistake in it is status 2.
    QTest::newRow("damaged code") << QStringList{"--export", "x.png", "--code", code.left(code.size() - 1) + "Z"} << 2
                                  << QStringLiteral("代码");
    QTest::newRow("not a code") << QStringList{"--export", "x.png", "--code", "<&>\n'\""} << 2 << QStringLiteral("代码");
    QTest::newRow("unknown option") << QStringList{"--export", "x.png", "--colour", "red"} << 2
                                    << QStringLiteral("colour");
    // A name whose ending promises a format there is no writer for gets no PNG bytes under it.
    for (const char* name : {"x.gif", "x.tiff", "x.xyz"})
        QTest::addRow("no writer for %s", name) << QStringList{"--export", name, "--code", code} << 2
                                                << QStringLiteral("格式");
    QTest::newRow("missing file") << QStringList{"--export", "x.png", "/nonexistent/pattern.png"} << 1
                                  << QStringLiteral("pattern.png");
    // A control character in a path is shown escaped: the reason stays one line.
    QTest::newRow("newline in the output's folder") << QStringList{"--export", "no\nfolder/x.png", "--code", code} << 1
                                                    << QStringLiteral("no\\nfolder");
    QTest::newRow("newline in the pattern file's name")
        << QStringList{"--export", "x.png", "/nonexistent/bad\nname\r.png"} << 1 << QStringLiteral("bad\\nname\\r.png");
}

void ExportCommandTest::mistakesGetOneLineAndAStatus()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    arguments[1] = folder.filePath(arguments[1]);
    const Run run = runProgram(arguments);
    QCOMPARE(run.exit, QProcess::NormalExit);
    QCOMPARE(run.status, status);
    const QString first = run.errors.section(QLatin1Char('\n'), 0, 0);
    QVERIFY2(first.startsWith(QStringLiteral("pattern-designer: ")) && first.contains(reason), qPrintable(run.errors));
    // One line and nothing after it: no page of help under the reason.
    QVERIFY2(run.errors.count(QLatin1Char('\n')) == 1 && run.errors.endsWith(QLatin1Char('\n')), qPrintable(run.errors));
    QVERIFY(filesIn(folder).isEmpty());
}

void ExportCommandTest::helpListsTheExportOptions()
{
    QProcess process;
    process.setProcessEnvironment(withoutDisplay());
    process.start(qEnvironmentVariable("DESIGNER_BINARY"), {"--help"});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    const QString help = QString::fromUtf8(process.readAllStandardOutput());
    for (const char* option : {"--export <OUT>", "--code <CODE>", "--size <WxH>", "--paper <A4|A3|A2>", "--landscape",
                               "--dpi <N>", "--format <png|svg|pdf>", "-v, --version", "-h, --help"})
        QVERIFY2(help.contains(QLatin1String(option)), option);
    // Wholly in the program's language: none of the toolkit's English headings or descriptions.
    for (const char* english : {"Usage", "Options", "Arguments", "Displays", "[options]"})
        QVERIFY2(!help.contains(QLatin1String(english)), english);
    QVERIFY(help.startsWith(QStringLiteral("用法：")));
}

void ExportCommandTest::versionIsOneLine_data()
{
    QTest::addColumn<QString>("option");
    QTest::newRow("long") << "--version";
    QTest::newRow("short") << "-v";
}

void ExportCommandTest::versionIsOneLine()
{
    QFETCH(QString, option);
    QProcess process;
    process.setProcessEnvironment(withoutDisplay());
    process.start(qEnvironmentVariable("DESIGNER_BINARY"), {option});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY2(QRegularExpression(QStringLiteral(R"(^pattern-designer \d+\.\d+(\.\d+)?\n$)")).match(out).hasMatch(),
             qPrintable(out));
    QVERIFY(process.readAllStandardError().isEmpty());
}

// A file size limit stops the writes half-way, as a full disk does.
void ExportCommandTest::fullDiskLeavesNoFileAndTheOldOneWhole()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("poster.png"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("the older poster");
    old.close();
    const Run run = runProgram({"--export", path, "--code", codeOf(gradientSlide()), "--size", "4000x4000"},
                               [](QProcess& process) {
                                   process.setChildProcessModifier([] {
                                       rlimit limit{256 * 1024, 256 * 1024};
                                       setrlimit(RLIMIT_FSIZE, &limit);
                                   });
                               });
    QCOMPARE(run.exit, QProcess::NormalExit);
    QCOMPARE(run.status, 1);
    QVERIFY2(run.errors.contains(QStringLiteral("磁盘已满")), qPrintable(run.errors));
    QCOMPARE(run.errors.count(QLatin1Char('\n')), 1);
    QCOMPARE(filesIn(folder), QStringList{QStringLiteral("poster.png")});
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("the older poster"));
}

void ExportCommandTest::interruptedExportLeavesNothing()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("huge.png"));
    QProcess process;
    process.setProcessEnvironment(withoutDisplay());
    process.start(qEnvironmentVariable("DESIGNER_BINARY"),
                  {"--export", path, "--code", codeOf(gradientSlide()), "--size", "30000x30000"});
    QVERIFY(process.waitForStarted());
    // Once the program writes into the folder (a temporary file, perhaps without a name yet), ask
    // it to stop.
    const auto writingThere = [&] {
        const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(process.processId()));
        for (const QFileInfo& descriptor : descriptors.entryInfoList(QDir::Files | QDir::System)) {
            if (descriptor.symLinkTarget().startsWith(folder.path()))
                return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(writingThere(), 60000);
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 130);
    QVERIFY(QString::fromUtf8(process.readAllStandardError()).contains(QStringLiteral("导出已取消")));
    QVERIFY(filesIn(folder).isEmpty());
}

// A file whose name is Latin-1, not UTF-8, as an older system may have left it: the shell hands
// the program its bytes.
void ExportCommandTest::fileNamedInAnyEncodingIsExported()
{
    QTemporaryDir folder;
    const QString code = codeOf(gradientSlide());
    const QString png = folder.filePath(QStringLiteral("from-code.png"));
    QCOMPARE(runProgram({"--export", png, "--code", code, "--size", "64x64"}).status, 0);
    const QByteArray latin1Name = QFile::encodeName(folder.path()) + "/motif-\xe9t\xe9.png";
    QVERIFY(::rename(QFile::encodeName(png).constData(), latin1Name.constData()) == 0);
    const QString out = folder.filePath(QStringLiteral("again.png"));
    QProcess shell;
    shell.setProcessEnvironment(withoutDisplay());
    shell.setWorkingDirectory(folder.path());
    shell.start(QStringLiteral("/bin/sh"), {"-c", "exec \"$0\" --export \"$1\" \"$(printf 'motif-\\351t\\351.png')\"",
                                            qEnvironmentVariable("DESIGNER_BINARY"), out});
    QVERIFY2(shell.waitForFinished(120000), "the export from a Latin-1 name to end");
    const Run run{shell.exitCode(), shell.exitStatus(), QString::fromUtf8(shell.readAllStandardError())};
    QVERIFY2(run.status == 0, qPrintable(run.errors));
    QCOMPARE(readPatternFileCode(out).code, code);
}

void ExportCommandTest::windowModeReportsFileProblemsOnStandardError_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line"); // without the program's name; %1 the file
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const auto pngWith = [&](const QString& code) {
        QImage image = picture;
        if (!code.isEmpty())
            image.setText(QString::fromLatin1(patternCodeKeyword), code);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    };
    const QString place = QStringLiteral("%1");
    QTest::newRow("damaged file") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10)
                                  << patternFileProblemText(PatternFileProblem::Damaged, place);
    QTest::newRow("file without a code") << pngWith(QString()) << patternFileProblemText(PatternFileProblem::NoCode, place);
    QTest::newRow("not a pattern file") << QByteArray("just words\n")
                                        << patternFileProblemText(PatternFileProblem::NotPatternFile, place);
    QTest::newRow("file holding a damaged code")
        << pngWith(QStringLiteral("TN1ZZZZ")) << patternCodeProblemText(PatternCode::decode(QStringLiteral("TN1ZZZZ")).problem);
}

// A problem with the file given at start is told on standard error, as one with a code is, as
// well as in the window's message box.
void ExportCommandTest::windowModeReportsFileProblemsOnStandardError()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("given.png"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), folder.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("DESIGNER_BINARY"), {path});
    QVERIFY(process.waitForStarted(30000));
    QByteArray errors;
    const QString expected = QStringLiteral("pattern-designer: ") + line.arg(path).section(u'\n', 0, 0);
    QTRY_VERIFY2_WITH_TIMEOUT((errors += process.readAllStandardError(), QString::fromUtf8(errors).contains(expected)),
                              qPrintable(QStringLiteral("the line \"%1\" on standard error; got: %2").arg(expected, QString::fromUtf8(errors))),
                              60000);
    QCOMPARE(QString::fromUtf8(errors).count(QStringLiteral("pattern-designer: ")), 1);
    QVERIFY2(process.state() == QProcess::Running, "the windows stay up after the message");
    process.kill();
    QVERIFY(process.waitForFinished(30000));
}

void ExportCommandTest::stopAskedBeforeDrawingLeavesNothing_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

// The signal comes before the program could act on it: started with the stop signals blocked, it
// finds the request pending from its first instruction, as when one arrives while it loads.
void ExportCommandTest::stopAskedBeforeDrawingLeavesNothing()
{
    QFETCH(int, signal);
    QTemporaryDir folder;
    QProcess process;
    process.setProcessEnvironment(withoutDisplay());
    process.setChildProcessModifier([] {
        sigset_t stops;
        sigemptyset(&stops);
        sigaddset(&stops, SIGINT);
        sigaddset(&stops, SIGTERM);
        sigprocmask(SIG_BLOCK, &stops, nullptr);
    });
    process.start(qEnvironmentVariable("DESIGNER_BINARY"),
                  {"--export", folder.filePath(QStringLiteral("early.png")), "--code", codeOf(gradientSlide())});
    QVERIFY(process.waitForStarted());
    ::kill(pid_t(process.processId()), signal);
    QVERIFY2(process.waitForFinished(60000), "the export to end after the signal");
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 130);
    QVERIFY(QString::fromUtf8(process.readAllStandardError()).contains(QStringLiteral("导出已取消")));
    QVERIFY(filesIn(folder).isEmpty());
}

QTEST_GUILESS_MAIN(ExportCommandTest)
#include "tst_exportcommand.moc"

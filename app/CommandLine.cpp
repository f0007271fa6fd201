#include "app/CommandLine.h"

#include "app/PatternService.h"
#include "app/canvas/PatternCodeDialog.h"
#include "app/messages/PatternMessages.h"
#include "app/registry/WindowRegistry.h"
#include "app/screensaver/XWindowShow.h"
#include "draw/base/ProgramTitle.h"
#include "draw/output/ExportNames.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>

namespace {

const QCommandLineOption codeOption(QStringLiteral("code"),
                                    QStringLiteral("启动时显示这个图案代码的图案，放映暂停；与 --export 一起：导出这个图案。"),
                                    QStringLiteral("CODE"));
const QCommandLineOption exportOption(QStringLiteral("export"),
                                      QStringLiteral("不打开窗口，把图案导出到文件 OUT（PNG、SVG 或 PDF），然后退出。"),
                                      QStringLiteral("OUT"));
const QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("导出的宽和高，单位像素，例如 3840x2160（默认：图案本身的大小）。"),
                                    QStringLiteral("WxH"));
const QCommandLineOption paperOption(QStringLiteral("paper"), QStringLiteral("按纸张导出：A4、A3 或 A2（默认 300 dpi，纵向）。"),
                                     QStringLiteral("A4|A3|A2"));
const QCommandLineOption landscapeOption(QStringLiteral("landscape"), QStringLiteral("纸张横向。"));
const QCommandLineOption dpiOption(QStringLiteral("dpi"), QStringLiteral("写入文件的分辨率（纸张默认 300，其他默认 96）。"),
                                   QStringLiteral("N"));
const QCommandLineOption windowIdOption(QStringLiteral("window-id"),
                                        QStringLiteral("作为屏幕保护程序：在这个 X 窗口（十六进制 0x… 或十进制）里放映，不打开自己的窗口。"),
                                        QStringLiteral("ID"));
const QCommandLineOption rootOption(QStringLiteral("root"),
                                    QStringLiteral("作为屏幕保护程序：在 XSCREENSAVER_WINDOW 指定的窗口（没有时在根窗口）里放映。"));
const QCommandLineOption geometricOption(QStringLiteral("geometric"),
                                         QStringLiteral("与 --window-id 或 --root 一起：放映几何图案，而不是曲线图案。"));
const QCommandLineOption formatOption(QStringLiteral("format"), QStringLiteral("文件格式：png、svg 或 pdf（默认按 OUT 的扩展名）。"),
                                      QStringLiteral("png|svg|pdf"));

// Our own help and version options, so that the whole help is in the program's language.
const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("显示这份帮助，然后退出。"));
const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                       QStringLiteral("显示程序的版本，然后退出。"));

void setUpParser(QCommandLineParser& parser)
{
    parser.setApplicationDescription(applicationTitle());
    parser.addOptions({helpOption, versionOption, codeOption, exportOption, sizeOption, paperOption, landscapeOption,
                       dpiOption, formatOption, windowIdOption, rootOption, geometricOption});
    parser.addPositionalArgument(QStringLiteral("文件"), QStringLiteral("启动时显示这个图案文件（本程序保存的 PNG 或 SVG）的图案，放映暂停。"),
                                 QStringLiteral("[文件]"));
}

// Qt's help with its few English headings put into the program's language.
QString helpText(const QCommandLineParser& parser)
{
    QString text = parser.helpText();
    text.replace(QStringLiteral("Usage: "), QStringLiteral("用法："));
    text.replace(QStringLiteral("[options]"), QStringLiteral("[选项]"));
    text.replace(QStringLiteral("\nOptions:\n"), QStringLiteral("\n选项：\n"));
    text.replace(QStringLiteral("\nArguments:\n"), QStringLiteral("\n参数：\n"));
    return text;
}

// One line on standard error, and status 2: a mistake in what was given.
[[noreturn]] void usageError(const QCommandLineParser&, const QString& reason)
{
    std::fprintf(stderr, "pattern-designer: %s（用 --help 查看用法）\n", qPrintable(QString(reason).replace(u'\n', u' ')));
    std::exit(2);
}

void parseOrExit(QCommandLineParser& parser, const QStringList& arguments)
{
    setUpParser(parser);
    if (!parser.parse(arguments))
        usageError(parser, parser.errorText());
    if (parser.isSet(helpOption)) {
        std::fputs(qPrintable(helpText(parser)), stdout);
        std::exit(0);
    }
    if (parser.isSet(versionOption)) {
        std::printf("pattern-designer %s\n", qPrintable(QCoreApplication::applicationVersion()));
        std::exit(0);
    }
}

// "3840x2160", also with "X", "*" or "×" and blanks around the numbers.
std::optional<QSize> sizeFrom(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^\s*(\d{1,9})\s*[xX*×]\s*(\d{1,9})\s*$)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    if (width < 1 || height < 1 || width > maxExportSide || height > maxExportSide)
        return std::nullopt;
    return QSize(width, height);
}

} // namespace

bool runsWithoutDisplay(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--")
            break;
        for (const char* option : {"--export", "--window-id"}) {
            if (argument == option || argument.startsWith(QByteArray(option) + '='))
                return true;
        }
        for (const char* option : {"--root", "--help", "-h", "--version", "-v"}) {
            if (argument == option)
                return true;
        }
    }
    return false;
}

namespace {

// The bytes the system gave for an argument. A file name that is not UTF-8 reaches Qt's arguments
// with replacement characters, and that name opens no file: the original is found among the
// process's own arguments.
QByteArray localArgument(const QString& argument)
{
    if (argument.isEmpty() || !argument.contains(QChar::ReplacementCharacter))
        return QFile::encodeName(argument);
    QFile arguments(QStringLiteral("/proc/self/cmdline"));
    if (arguments.open(QIODevice::ReadOnly)) {
        for (const QByteArray& raw : arguments.readAll().split('\0')) {
            if (QFile::decodeName(raw) == argument)
                return raw;
        }
    }
    return QFile::encodeName(argument);
}

ScreensaverCommand screensaverCommand(const QCommandLineParser& parser)
{
    if (parser.isSet(windowIdOption) && parser.isSet(rootOption))
        usageError(parser, QStringLiteral("--window-id 和 --root 只能选一个"));
    for (const QCommandLineOption& option : {codeOption, sizeOption, paperOption, landscapeOption, dpiOption, formatOption}) {
        if (parser.isSet(option))
            usageError(parser, QStringLiteral("--%1 不能与 --window-id 或 --root 一起用").arg(option.names().constFirst()));
    }
    if (!parser.positionalArguments().isEmpty())
        usageError(parser, QStringLiteral("屏幕保护程序不打开文件"));
    ScreensaverCommand command;
    command.window = parser.isSet(geometricOption) ? PatternWindow::Geometric : PatternWindow::Curves;
    if (parser.isSet(windowIdOption)) {
        command.windowId = parser.value(windowIdOption).trimmed();
        if (!parseWindowId(command.windowId))
            usageError(parser, QStringLiteral("窗口号“%1”无效").arg(parser.value(windowIdOption)));
    }
    return command;
}

ExportCommand exportCommand(const QCommandLineParser& parser)
{
    if (parser.isSet(geometricOption))
        usageError(parser, QStringLiteral("--geometric 只用于 --window-id 或 --root"));
    ExportCommand command;
    command.output = parser.value(exportOption);
    command.code = parser.value(codeOption);
    const QStringList files = parser.positionalArguments();
    if (command.output.isEmpty())
        usageError(parser, QStringLiteral("--export 需要一个输出文件名"));
    if (files.size() > 1 || (!command.code.isEmpty() && !files.isEmpty()))
        usageError(parser, QStringLiteral("只能给一个图案代码或一个文件"));
    if (!files.isEmpty())
        command.file = files.constFirst();
    command.localFile = localArgument(command.file);
    if (command.code.isEmpty() && command.file.isEmpty())
        usageError(parser, QStringLiteral("--export 需要 --code CODE 或一个图案文件"));

    if (parser.isSet(formatOption)) {
        const std::optional<ExportFormat> format = formatFromName(parser.value(formatOption));
        if (!format)
            usageError(parser, QStringLiteral("未知的格式“%1”：请用 png、svg 或 pdf").arg(parser.value(formatOption)));
        command.format = *format;
    } else {
        command.format = formatFromSuffix(command.output).value_or(ExportFormat::Png);
    }
    if (command.format == ExportFormat::Png) {
        // A name ending in .jpg and the like is written in that format where Qt can; a name whose
        // ending names a format there is no writer for (.gif, .tiff, ...) would get PNG bytes
        // under a name that promises something else.
        const PictureTarget target = pictureTargetFor(command.output);
        const QString suffix = QFileInfo(command.output).suffix();
        if (target.path == command.output)
            command.format = target.format;
        else if (!parser.isSet(formatOption) && !suffix.isEmpty())
            usageError(parser, QStringLiteral("不能写成“.%1”格式：请用 .png、.svg 或 .pdf，或用 --format 指定").arg(suffix));
    }

    if (parser.isSet(sizeOption) && parser.isSet(paperOption))
        usageError(parser, QStringLiteral("--size 和 --paper 只能选一个"));
    if (parser.isSet(landscapeOption) && !parser.isSet(paperOption))
        usageError(parser, QStringLiteral("--landscape 只用于 --paper"));
    double dpi = parser.isSet(paperOption) ? paperDpi : screenDpi;
    if (parser.isSet(dpiOption)) {
        bool ok = false;
        dpi = parser.value(dpiOption).trimmed().toDouble(&ok);
        if (!ok || !(dpi >= minExportDpi && dpi <= maxExportDpi))
            usageError(parser, QStringLiteral("分辨率“%1”无效：须在 %2 到 %3 dpi 之间")
                                   .arg(parser.value(dpiOption))
                                   .arg(minExportDpi)
                                   .arg(maxExportDpi));
    }
    if (parser.isSet(paperOption)) {
        const std::optional<PaperSize> paper = paperFromName(parser.value(paperOption));
        if (!paper)
            usageError(parser, QStringLiteral("未知的纸张“%1”：请用 A4、A3 或 A2").arg(parser.value(paperOption)));
        command.frame = paperFrame(*paper, parser.isSet(landscapeOption), dpi);
        if (!command.frame.valid())
            usageError(parser, QStringLiteral("这个分辨率下纸张超过 %1 像素").arg(maxExportSide));
    } else if (parser.isSet(sizeOption)) {
        const std::optional<QSize> size = sizeFrom(parser.value(sizeOption));
        if (!size)
            usageError(parser, QStringLiteral("大小“%1”无效：请写成 宽x高，每边 1 到 %2 像素")
                                   .arg(parser.value(sizeOption))
                                   .arg(maxExportSide));
        command.frame.pixels = *size;
        command.frame.dpi = dpi;
    } else {
        command.frame.dpi = dpi;
    }
    return command;
}

} // namespace

WindowlessCommand parseWindowlessCommand(const QStringList& arguments)
{
    QCommandLineParser parser;
    parseOrExit(parser, arguments);
    WindowlessCommand command;
    const bool screensaver = parser.isSet(windowIdOption) || parser.isSet(rootOption);
    if (screensaver && parser.isSet(exportOption))
        usageError(parser, QStringLiteral("--export 不能与 --window-id 或 --root 一起用"));
    if (screensaver)
        command.screensaver = screensaverCommand(parser);
    else
        command.exportCommand = exportCommand(parser);
    return command;
}

StartRequest parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parseOrExit(parser, arguments);
    for (const QCommandLineOption& option : {sizeOption, paperOption, landscapeOption, dpiOption, formatOption}) {
        if (parser.isSet(option))
            usageError(parser, QStringLiteral("--%1 只用于 --export").arg(option.names().constFirst()));
    }
    if (parser.isSet(geometricOption))
        usageError(parser, QStringLiteral("--geometric 只用于 --window-id 或 --root"));
    StartRequest request;
    request.code = parser.value(codeOption);
    if (!parser.positionalArguments().isEmpty())
        request.file = parser.positionalArguments().constFirst();
    request.localFile = localArgument(request.file);
    if (parser.positionalArguments().size() > 1 || (!request.code.isEmpty() && !request.file.isEmpty())) {
        usageError(parser, QStringLiteral("只能给一个图案代码或一个文件"));
    }
    return request;
}

void showStartRequest(const StartRequest& request)
{
    PatternService& service = PatternService::instance();
    QWidget* main = WindowRegistry::instance().window(WindowId::Main);
    if (!request.code.isEmpty()) {
        const PatternCode::Problem problem = service.showCode(request.code);
        if (problem != PatternCode::Problem::None) {
            std::fprintf(stderr, "pattern-designer: %s\n", qPrintable(patternCodeProblemText(problem)));
            showPatternCodeProblem(main, problem);
        }
    } else if (!request.file.isEmpty()) {
        service.openStartFile(main, request.file, request.localFile);
    }
}

#include "app/CommandLine.h"

#include "app/PatternService.h"
#include "app/canvas/PatternCodeDialog.h"
#include "app/registry/WindowRegistry.h"
#include "draw/base/ProgramTitle.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

StartRequest parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(applicationTitle());
    parser.addHelpOption();
    const QCommandLineOption code(QStringLiteral("code"), QStringLiteral("启动时显示这个图案代码的图案，放映暂停。"),
                                  QStringLiteral("CODE"));
    parser.addOption(code);
    parser.addPositionalArgument(QStringLiteral("文件"), QStringLiteral("启动时显示这个图案文件（本程序保存的 PNG 或 SVG）的图案，放映暂停。"),
                                 QStringLiteral("[文件]"));
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "pattern-designer: %s\n\n%s", qPrintable(parser.errorText()), qPrintable(parser.helpText()));
        std::exit(2);
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    StartRequest request;
    request.code = parser.value(code);
    if (!parser.positionalArguments().isEmpty())
        request.file = parser.positionalArguments().constFirst();
    if (parser.positionalArguments().size() > 1 || (!request.code.isEmpty() && !request.file.isEmpty())) {
        std::fprintf(stderr, "pattern-designer: 只能给一个图案代码或一个文件\n\n%s", qPrintable(parser.helpText()));
        std::exit(2);
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
            std::fprintf(stderr, "pattern-designer: %s\n", qPrintable(PatternCode::problemText(problem)));
            showPatternCodeProblem(main, problem);
        }
    } else if (!request.file.isEmpty()) {
        service.openFile(main, request.file);
    }
}

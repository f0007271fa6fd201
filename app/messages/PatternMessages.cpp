#include "app/messages/PatternMessages.h"

#include "app/messages/PathText.h"

QString patternCodeProblemText(PatternCode::Problem problem)
{
    switch (problem) {
    case PatternCode::Problem::None:
        return QString();
    case PatternCode::Problem::NotACode:
        return QStringLiteral("这不是图案代码。图案代码以 TN 开头，例如在“图案代码”窗口里复制的那一串。");
    case PatternCode::Problem::Damaged:
        return QStringLiteral("图案代码已损坏：有字符缺失、多余或抄错。请重新复制完整的代码。");
    case PatternCode::Problem::NewerVersion:
        return QStringLiteral("这个图案代码来自更新版本的程序，本版本无法显示。请更新程序后再试。");
    }
    return QString();
}

QString patternFileProblemText(PatternFileProblem problem, const QString& path)
{
    const QString name = pathForMessage(path);
    switch (problem) {
    case PatternFileProblem::None:
        return QString();
    case PatternFileProblem::Unreadable:
        return QStringLiteral("无法读取文件：%1").arg(name);
    case PatternFileProblem::Empty:
        return QStringLiteral("文件是空的：%1").arg(name);
    case PatternFileProblem::NotPatternFile:
        return QStringLiteral("不是图案文件（只能打开本程序保存的 PNG 或 SVG）：%1").arg(name);
    case PatternFileProblem::Damaged:
        return QStringLiteral("文件已损坏：%1").arg(name);
    case PatternFileProblem::NoCode:
        return QStringLiteral("文件里没有图案代码：%1").arg(name);
    case PatternFileProblem::DamagedCode:
        return QStringLiteral("文件里的图案代码已损坏，无法读出：%1").arg(name);
    }
    return QString();
}

#include "app/messages/OutputMessages.h"

#include "app/messages/PathText.h"
#include "app/widgets/Dialogs.h"
#include "draw/output/ExportFrame.h"

QString outputErrorText(OutputError error)
{
    switch (error) {
    case OutputError::None:
        return QString();
    case OutputError::Cancelled:
        return QStringLiteral("导出已取消。");
    case OutputError::NoPicture:
        return QStringLiteral("没有可以导出的图案。");
    case OutputError::InvalidSize:
        return QStringLiteral("图案大小无效：宽和高须在 1 到 %1 像素之间。").arg(maxExportSide);
    case OutputError::NoFileName:
        return QStringLiteral("没有给出文件名。");
    case OutputError::TargetIsFolder:
        return QStringLiteral("这个名称是一个文件夹，不能用作文件名。");
    case OutputError::TargetNotRegularFile:
        return QStringLiteral("这个名称不是普通文件（例如设备），图案不能保存到这里。");
    case OutputError::FolderMissing:
        return QStringLiteral("文件夹不存在。");
    case OutputError::FolderNotWritable:
        return QStringLiteral("不能在这个文件夹里写入文件（没有写入权限或只读）。");
    case OutputError::NameTooLong:
        return QStringLiteral("文件名太长，文件系统不接受。");
    case OutputError::WriteFailed:
        return QStringLiteral("磁盘已满或文件没能写完。");
    case OutputError::EncodingFailed:
        return QStringLiteral("图案无法编码。");
    case OutputError::TooLargeForFormat:
        return QStringLiteral("图案太大，不能保存为这种格式；请保存为 PNG。");
    case OutputError::OutOfMemory:
        return QStringLiteral("内存不足，图案没能画完。");
    case OutputError::InvalidPage:
        break;
    }
    return QStringLiteral("PDF 页面大小无效。");
}

QString saveFailureMessage(const QString& path, OutputError error)
{
    return QStringLiteral("图案没有保存。\n文件：%1\n原因：%2").arg(pathForMessage(path), outputErrorText(error));
}

QString exportFailureLine(const QString& path, OutputError error)
{
    return QStringLiteral("图案没有导出（%1）：%2").arg(pathForMessage(path), outputErrorText(error));
}

void showSaveFailure(QWidget* owner, const QString& message)
{
    showWarningBox(owner, "saveFailureBox", QStringLiteral("保存图案"), message);
}

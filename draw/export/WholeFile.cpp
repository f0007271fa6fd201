#include "draw/export/WholeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

ExportResult failure(const QString& reason)
{
    return ExportResult{false, reason};
}

// The reasons that can be told before writing. A device such as /dev/full must not be replaced
// by the renamed temporary file, which a privileged user could otherwise do.
QString refusalFor(const QFileInfo& target)
{
    if (target.fileName().isEmpty())
        return QStringLiteral("没有给出文件名。");
    if (target.isDir())
        return QStringLiteral("这个名称是一个文件夹，不能用作文件名。");
    if (target.exists() && !target.isFile())
        return QStringLiteral("这个名称不是普通文件（例如设备），图案不能保存到这里。");
    if (!target.absoluteDir().exists())
        return QStringLiteral("文件夹不存在。");
    return QString();
}

} // namespace

QString fullDiskText() { return QStringLiteral("磁盘已满或文件没能写完。"); }

QString unwritableFolderText() { return QStringLiteral("不能在这个文件夹里写入文件（没有写入权限或只读）。"); }

QString refusalForTarget(const QString& path) { return refusalFor(QFileInfo(path)); }

ExportResult writeWholeFile(const QString& path, const QByteArray& bytes)
{
    const QFileInfo target(path);
    if (const QString refusal = refusalFor(target); !refusal.isEmpty())
        return failure(refusal);

    QSaveFile file(path);
    // Unbuffered, so a short write shows here: a buffered one that stops half-way (file size
    // limit, full disk) is flushed by commit() without an error and would leave a cut file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failure(unwritableFolderText());
    const bool whole = file.write(bytes) == bytes.size() && file.size() == bytes.size();
    if (!whole) {
        file.cancelWriting();
        return failure(fullDiskText());
    }
    if (!file.commit())
        return failure(fullDiskText());
    return ExportResult{true, QString()};
}

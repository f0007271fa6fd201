#include "app/canvas/SaveFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString lastSaveFolderKey = QStringLiteral("files/lastSaveFolder");

} // namespace

std::unique_ptr<QSettings> programSettings()
{
    QString name = QCoreApplication::applicationName();
    if (name.isEmpty())
        name = QStringLiteral("pattern-designer");
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, name, name);
}

QString defaultSaveFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QDir(pictures).exists())
        return pictures;
    return QDir::homePath();
}

QString rememberedSaveFolder()
{
    const QString folder = programSettings()->value(lastSaveFolderKey).toString();
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return folder;
    return defaultSaveFolder();
}

void rememberSaveFolder(const QString& savedFile)
{
    programSettings()->setValue(lastSaveFolderKey, QFileInfo(savedFile).absolutePath());
}

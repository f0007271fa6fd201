#include "app/canvas/SaveDialog.h"

#include "app/canvas/SaveFolder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>

SaveRequest saveRequestFor(ExportKind kind, const QString& code)
{
    SaveRequest request;
    request.title = QStringLiteral("保存图案");
    request.folder = rememberedSaveFolder();
    const QString base = sanitizedBaseName(code);
    switch (kind) {
    case ExportKind::Png:
        request.fileName = base + QStringLiteral(".png");
        break;
    case ExportKind::Png4x:
        request.fileName = base + QStringLiteral("-4x.png");
        break;
    case ExportKind::Svg:
        request.fileName = base + QStringLiteral(".svg");
        break;
    }
    const bool svg = kind == ExportKind::Svg;
    request.suffix = svg ? QStringLiteral("svg") : QStringLiteral("png");
    request.nameFilter = svg ? QStringLiteral("SVG 矢量图 (*.svg)") : QStringLiteral("PNG 图片 (*.png)");
    return request;
}

QFileDialog* makeSaveDialog(QWidget* owner, const SaveRequest& request)
{
    auto* dialog = new QFileDialog(owner, request.title, request.folder, request.nameFilter);
    dialog->setObjectName(QStringLiteral("saveDialog"));
    // Blocks its own window only, as the program's other dialogs do.
    dialog->setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(request.suffix);
    dialog->selectFile(QDir(request.folder).filePath(request.fileName));
    return dialog;
}

QString askSaveFileName(QWidget* owner, const SaveRequest& request)
{
    // Watched: a window closed while the dialog is up takes the dialog with it.
    const QPointer<QFileDialog> dialog = makeSaveDialog(owner, request);
    QString chosen;
    if (dialog->exec() == QDialog::Accepted && dialog && !dialog->selectedFiles().isEmpty())
        chosen = dialog->selectedFiles().constFirst();
    delete dialog;
    return chosen;
}

bool confirmReplacing(QWidget* owner, const QString& path)
{
    if (!QFileInfo::exists(path))
        return true;
    QMessageBox box(QMessageBox::Question, QStringLiteral("保存图案"),
                    QStringLiteral("文件“%1”已经存在。\n要替换它吗？").arg(QFileInfo(path).fileName()),
                    QMessageBox::Yes | QMessageBox::No, owner);
    box.setObjectName(QStringLiteral("replaceFileBox"));
    box.setDefaultButton(QMessageBox::No);
    box.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    return box.exec() == QMessageBox::Yes;
}

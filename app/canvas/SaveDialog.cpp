#include "app/canvas/SaveDialog.h"

#include <QDir>
#include <QFileDialog>

QFileDialog* makeSaveDialog(QWidget* owner, const SaveRequest& request)
{
    auto* dialog = new QFileDialog(owner, request.title, request.folder, request.nameFilter);
    dialog->setObjectName(QStringLiteral("saveDialog"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(request.suffix);
    dialog->selectFile(QDir(request.folder).filePath(request.fileName));
    return dialog;
}

QString askSaveFileName(QWidget* owner, const SaveRequest& request)
{
    QFileDialog* dialog = makeSaveDialog(owner, request);
    QString chosen;
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        chosen = dialog->selectedFiles().constFirst();
    delete dialog;
    return chosen;
}

#include "app/PatternService.h"

#include "app/canvas/CanvasMenu.h"
#include "app/canvas/PatternCodeDialog.h"
#include "app/canvas/SaveFolder.h"
#include "app/canvas/SlideShowWindow.h"
#include "app/messages/PathText.h"
#include "app/messages/PatternMessages.h"
#include "app/registry/WindowRegistry.h"
#include "app/widgets/Dialogs.h"
#include "draw/pattern/PatternFileReader.h"

#include <QFile>
#include <QFileDialog>

#include <cstdio>

PatternService& PatternService::instance()
{
    static PatternService service;
    return service;
}

void PatternService::attachWindow(QWidget* window)
{
    auto* host = dynamic_cast<SlideShowWindow*>(window);
    if (!host)
        return;
    CanvasMenu* menu = host->patternMenu();
    QObject::connect(menu, &CanvasMenu::patternCodeRequested, window,
                     [window](const QString& shown) { PatternService::instance().askForCode(window, shown); });
    QObject::connect(menu, &CanvasMenu::openFileRequested, window,
                     [window] { PatternService::instance().askForFile(window); });
    QObject::connect(menu, &CanvasMenu::fileDropped, window,
                     [window](const QString& path) { PatternService::instance().openFile(window, path); });
}

void PatternService::showRecipe(const SlideRecipe& recipe)
{
    WindowRegistry& registry = WindowRegistry::instance();
    const WindowId id = recipe.window == PatternWindow::Curves ? WindowId::Main : WindowId::Geometric;
    const bool wasOpen = registry.existing(id) != nullptr;
    QWidget* window = registry.show(id);
    if (id == WindowId::Geometric && !wasOpen)
        registry.placeGeometricDesigner(registry.window(WindowId::Main));
    if (auto* host = dynamic_cast<SlideShowWindow*>(window))
        host->showRecipe(recipe);
}

PatternCode::Problem PatternService::showCode(const QString& text)
{
    const PatternCode::Reading reading = PatternCode::find(text);
    if (reading.recipe)
        showRecipe(*reading.recipe);
    return reading.problem;
}

void PatternService::askForCode(QWidget* owner, const QString& shownCode)
{
    if (const auto recipe = PatternCodeDialog::ask(shownCode, owner))
        showRecipe(*recipe);
}

void PatternService::askForFile(QWidget* owner)
{
    // Where the last file was saved or opened: one remembered folder, and never one that is gone.
    QFileDialog dialog(owner, QStringLiteral("打开图案文件"), rememberedSaveFolder(),
                       QStringLiteral("图案文件 (*.png *.svg);;所有文件 (*)"));
    dialog.setObjectName(QStringLiteral("openPatternDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    rememberSaveFolder(path);
    openFile(owner, path);
}

bool PatternService::openFile(QWidget* owner, const QString& path)
{
    return showFile(owner, path, QFile::encodeName(path), false);
}

bool PatternService::openStartFile(QWidget* owner, const QString& path, const QByteArray& localName)
{
    return showFile(owner, path, localName, true);
}

bool PatternService::showFile(QWidget* owner, const QString& path, const QByteArray& localName, bool printProblem)
{
    QString problem;
    const PatternFileCode file = readPatternFileCodeByLocalName(localName);
    PatternCode::Reading reading;
    if (file.problem != PatternFileProblem::None) {
        problem = patternFileProblemText(file.problem, path);
    } else {
        reading = PatternCode::decode(file.code);
        if (!reading.recipe)
            problem = QStringLiteral("%1\n文件：%2").arg(patternCodeProblemText(reading.problem), pathForMessage(path));
    }
    if (!problem.isEmpty()) {
        // Asked for at start, like a code: the line on standard error too, for whoever started it.
        if (printProblem)
            std::fprintf(stderr, "pattern-designer: %s\n", qPrintable(QString(problem).replace(u'\n', u' ')));
        showWarningBox(owner, "patternFileProblemBox", QStringLiteral("打开图案文件"), problem);
        return false;
    }
    showRecipe(*reading.recipe);
    return true;
}

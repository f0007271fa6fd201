#include "app/PatternService.h"

#include "app/canvas/CanvasMenu.h"
#include "app/canvas/PatternCodeDialog.h"
#include "app/canvas/SaveFolder.h"
#include "app/canvas/SlideShowWindow.h"
#include "app/messages/PatternMessages.h"
#include "app/registry/WindowRegistry.h"
#include "app/widgets/Dialogs.h"
#include "draw/pattern/PatternFileReader.h"

#include <QFileDialog>

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
    const PatternFileCode file = readPatternFileCode(path);
    if (file.problem != PatternFileProblem::None) {
        showWarningBox(owner, "patternFileProblemBox", QStringLiteral("打开图案文件"), patternFileProblemText(file.problem, path));
        return false;
    }
    const PatternCode::Reading reading = PatternCode::decode(file.code);
    if (!reading.recipe) {
        showWarningBox(owner, "patternFileProblemBox", QStringLiteral("打开图案文件"),
             QStringLiteral("%1\n文件：%2").arg(patternCodeProblemText(reading.problem), path));
        return false;
    }
    showRecipe(*reading.recipe);
    return true;
}

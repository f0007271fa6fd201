#include "app/ProgramWindows.h"

#include "app/FavouritesService.h"
#include "app/PatternService.h"
#include "app/geometric/GeometricDesigner.h"
#include "app/mainwindow/MainWindow.h"
#include "app/picker/GradientPicker.h"
#include "app/registry/WindowRegistry.h"

namespace {

// Codes, files and favourites of a pattern window go through the services.
QWidget* withPatternServices(QWidget* window)
{
    PatternService::instance().attachWindow(window);
    FavouritesService::instance().attachWindow(window);
    return window;
}

} // namespace

void registerWindows()
{
    auto& registry = WindowRegistry::instance();
    // The main window is built again when needed after the user closed it (the designer may
    // still be open and its picker apply a gradient or ask for the main window's width).
    registry.setFactory(WindowId::Main, [] { return withPatternServices(new MainWindow); });
    registry.setFactory(WindowId::Geometric, [] { return withPatternServices(new GeometricDesigner); });
    // The picker is owned by the main window, so it stays above it.
    registry.setFactory(WindowId::GradientPicker,
                        [] { return new GradientPicker(WindowRegistry::instance().window(WindowId::Main)); });
}

void startProgram()
{
    registerWindows();
    WindowRegistry::instance().window(WindowId::Main)->show();
}

#include "app/Windows.h"

#include "app/Form1.h"
#include "geometry/Form11.h"
#include "gradient/frmDemo.h"
#include "app/WindowRegistry.h"

void registerWindows()
{
    auto& registry = WindowRegistry::instance();
    // The main window is built again when needed after the user closed it (the designer may
    // still be open and its picker apply a gradient or ask for the main window's width).
    registry.setFactory(WindowId::Main, [] { return new Form1; });
    registry.setFactory(WindowId::Geometric, [] { return new Form11; });
    // The picker is owned by the main window, so it stays above it.
    registry.setFactory(WindowId::GradientPicker,
                        [] { return new frmDemo(WindowRegistry::instance().window(WindowId::Main)); });
}

void startProgram()
{
    registerWindows();
    WindowRegistry::instance().window(WindowId::Main)->show();
}

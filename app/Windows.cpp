#include "app/Windows.h"

#include "app/Form1.h"
#include "geometry/Form11.h"
#include "gradient/frmDemo.h"
#include "platform/WindowRegistry.h"

void registerWindows()
{
    auto& registry = WindowRegistry::instance();
    registry.setFactory(WindowId::Geometric, [] { return new Form11; });
    // The picker is owned by the main window, so it stays above it.
    registry.setFactory(WindowId::GradientPicker,
                        [] { return new frmDemo(WindowRegistry::instance().window(WindowId::Main)); });
}

void startProgram()
{
    registerWindows();
    auto* main = new Form1;
    WindowRegistry::instance().adopt(WindowId::Main, main);
    main->show();
}

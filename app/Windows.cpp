#include "app/Windows.h"

#include "gradient/frmDemo.h"
#include "platform/WindowRegistry.h"

void registerWindows()
{
    // Each window's factory is added here as the window is built.
    WindowRegistry::instance().setFactory(WindowId::GradientPicker, [] { return new frmDemo(WindowRegistry::instance().window(WindowId::Main)); });
}

void startProgram()
{
    registerWindows();
}

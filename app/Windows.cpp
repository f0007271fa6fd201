#include "app/Windows.h"

#include "app/Form1.h"
#include "platform/WindowRegistry.h"

void registerWindows()
{
    // Each window's factory is added here as the window is built.
}

void startProgram()
{
    registerWindows();
    auto* main = new Form1;
    WindowRegistry::instance().adopt(WindowId::Main, main);
    main->show();
}

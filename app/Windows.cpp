#include "app/Windows.h"

#include "app/Form1.h"
#include "geometry/Form11.h"
#include "platform/WindowRegistry.h"

void registerWindows()
{
    // Each window's factory is added here as the window is built.
    WindowRegistry::instance().setFactory(WindowId::Geometric, [] { return new Form11; });
}

void startProgram()
{
    registerWindows();
    auto* main = new Form1;
    WindowRegistry::instance().adopt(WindowId::Main, main);
    main->show();
}

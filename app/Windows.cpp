#include "app/Windows.h"

#include "platform/WindowRegistry.h"

void registerWindows()
{
    // Each window's factory is added here as the window is built.
}

void startProgram()
{
    registerWindows();
}

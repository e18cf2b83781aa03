// The program's entry.
#include <windows.h>

#include "app/PlayerApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand)
{
    (void)previousInstance;
    (void)showCommand;  // the window is always shown normally
    int exitCode = 0;
    if (gPlayerApp.StartUp(instance, commandLine))
        exitCode = gPlayerApp.RunMessageLoop();
    gPlayerApp.CleanUp();
    return exitCode;
}

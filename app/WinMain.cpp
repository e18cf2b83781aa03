// The program's entry.
#include <windows.h>

#include <string>

#include "app/HandedPath.h"
#include "app/PlayerApp.h"
#include "playlist/WideText.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int showCommand)
{
    (void)previousInstance;
    (void)showCommand;  // the window is always shown normally
    // The 8-bit command line has lost every letter outside the code page: the song's name is
    // read from the UTF-16 one.
    const std::string commandLine = Utf8FromWide(GetCommandLineW());
    int exitCode = 0;
    if (gPlayerApp.StartUp(instance, ArgumentsOf(commandLine.c_str())))
        exitCode = gPlayerApp.RunMessageLoop();
    gPlayerApp.CleanUp();
    return exitCode;
}

#include "app/SingleInstance.h"

#include <windows.h>

#include <cstring>

#include "app/PlayerApp.h"

int HandOverToRunningInstance(const char* commandLine)
{
    HWND running = FindWindowA(kMainWindowClass, kMainWindowTitle);
    if (running == nullptr)
        return 0;
    COPYDATASTRUCT data = {};
    data.dwData = 0;  // carries nothing; the receiver does not read it
    data.cbData = static_cast<DWORD>(std::strlen(commandLine) + 1);
    data.lpData = const_cast<char*>(commandLine);
    SendMessageA(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    return 1;
}

/* A program with one hidden window that waits for messages until it is killed.
 *
 * Wine's desktop process exits when no program has a window; its restart then inherits the
 * standard error of whichever test started next and keeps the test runner waiting for that
 * pipe. Keeping this program alive for a whole test run keeps the desktop up. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous; (void)commandLine; (void)show;
    WNDCLASSA windowClass = {0};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "CorvaneWineKeepAlive";
    RegisterClassA(&windowClass);
    CreateWindowA("CorvaneWineKeepAlive", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, instance, NULL);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

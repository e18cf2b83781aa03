// Shows the About window and ends while its credits scroll, as the player does when its main
// window is closed over the splash. Exits 0 when it got as far as returning from main; 2 when the
// credits never showed.
#include <windows.h>

#include "dialogs/AboutWindow.h"
#include "dialogs/CreditsText.h"
#include "tests/dialogs/DesktopInput.h"
#include "tests/support/PixelCapture.h"

int main()
{
    ShowAboutWindow(nullptr);
    const HWND about = FindWindowA(kAboutWindowClass, kAboutWindowTitle);
    const bool scrolling = PumpUntil(
        [about] { return CaptureWindow(about, 176, 160, 1, 1)[0] == Rgb(kCreditsBackground); },
        5000);
    return scrolling ? 0 : 2;
}

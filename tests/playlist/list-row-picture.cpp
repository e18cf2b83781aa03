// For tests that drive the real player from outside: selects row ROW of the shown playlist
// window, prints that row's place on the screen ("X Y WIDTH HEIGHT"), and writes OUT.ppm with
// what the list control itself draws for TEXT (UTF-8) in a selected row of that size. The test
// compares the two pictures: the row shows TEXT exactly when they agree.
//   list-row-picture ROW TEXT OUT.ppm
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "playlist/CorvaneListCtrl.h"
#include "playlist/WideText.h"
#include "tests/support/PixelCapture.h"

namespace {

HWND FindShownList()
{
    for (int tries = 0; tries < 250; ++tries) {
        HWND window = FindWindowA("CorvanePlayListDlg", nullptr);
        if (window != nullptr && IsWindowVisible(window))
            if (HWND list = FindWindowExA(window, nullptr, "LISTBOX", nullptr))
                return list;
        Sleep(20);
    }
    return nullptr;
}

void PumpFor(DWORD millis)
{
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < millis) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* ctrl = reinterpret_cast<CorvaneListCtrl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (ctrl != nullptr && message == WM_DRAWITEM)
        return ctrl->DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    if (ctrl != nullptr && message == WM_MEASUREITEM)
        return ctrl->MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    const int row = std::atoi(argv[1]);
    // The text arrives through the 8-bit command line: read it from the UTF-16 one instead.
    int count = 0;
    LPWSTR* wideArgs = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wideArgs == nullptr || count != 4)
        return 2;
    const std::string text = Utf8FromWide(wideArgs[2]);

    HWND list = FindShownList();
    if (list == nullptr)
        return 1;
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    RECT rect;
    if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
        return 1;
    POINT origin = {rect.left, rect.top};
    ClientToScreen(list, &origin);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    std::printf("%ld %ld %d %d\n", origin.x, origin.y, width, height);

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ListRowPicture";
    RegisterClassW(&windowClass);
    // Away from the player's windows, which the test photographs.
    HWND host = CreateWindowExW(0, L"ListRowPicture", L"", WS_POPUP | WS_VISIBLE, 700, 600,
                                width, height * 2, nullptr, nullptr, windowClass.hInstance,
                                nullptr);
    CorvaneListCtrl ctrl;
    SetWindowLongPtrW(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&ctrl));
    ctrl.CreateControl(WS_CHILD | WS_VISIBLE, RECT{0, 0, width, height * 2}, host, 1);
    ctrl.AddString(text.c_str());
    ctrl.SetCurSel(0);
    PumpFor(300);
    const std::vector<uint32_t> pixels = CaptureWindow(ctrl.hwnd, 0, 0, width, height);

    FILE* out = _wfopen(wideArgs[3], L"wb");
    if (out == nullptr)
        return 1;
    std::fprintf(out, "P6\n%d %d\n255\n", width, height);
    for (uint32_t pixel : pixels) {
        const unsigned char rgb[3] = {static_cast<unsigned char>(pixel >> 16),
                                      static_cast<unsigned char>(pixel >> 8),
                                      static_cast<unsigned char>(pixel)};
        std::fwrite(rgb, 1, 3, out);
    }
    std::fclose(out);
    DestroyWindow(host);
    return 0;
}

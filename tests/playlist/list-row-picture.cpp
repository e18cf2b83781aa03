// Selects row ROW of the shown playlist window, prints its place on the screen ("X Y WIDTH
// HEIGHT") and writes OUT.ppm with the list control's own drawing of TEXT in a selected row of
// that size: the row shows TEXT exactly when the two pictures agree.
//   list-row-picture ROW TEXT OUT.ppm
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <vector>

#include "playlist/CorvaneListCtrl.h"
#include "playlist/WideText.h"
#include "tests/support/PixelCapture.h"

namespace {

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

int main()
{
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);  // TEXT in UTF-16
    HWND list = nullptr;
    for (int tries = 0; list == nullptr && tries < 250; ++tries, Sleep(20))
        list = FindWindowExA(FindWindowA("CorvanePlayListDlg", nullptr), nullptr, "LISTBOX",
                             nullptr);
    const WPARAM row = count == 4 ? static_cast<WPARAM>(_wtoi(args[1])) : 0;
    RECT rect;
    if (list == nullptr || count != 4 || SendMessageW(list, LB_SETCURSEL, row, 0) == LB_ERR ||
        SendMessageW(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
        return 1;
    POINT origin = {rect.left, rect.top};
    ClientToScreen(list, &origin);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    std::printf("%ld %ld %d %d\n", origin.x, origin.y, width, height);

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = HostProc;
    windowClass.lpszClassName = L"ListRowPicture";
    RegisterClassW(&windowClass);
    // Away from the player's windows, which the test photographs.
    HWND host = CreateWindowExW(0, L"ListRowPicture", L"", WS_POPUP | WS_VISIBLE, 700, 600, width,
                                height * 2, nullptr, nullptr, nullptr, nullptr);
    CorvaneListCtrl ctrl;
    SetWindowLongPtrW(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&ctrl));
    ctrl.CreateControl(WS_CHILD | WS_VISIBLE, RECT{0, 0, width, height * 2}, host, 1);
    ctrl.AddString(Utf8FromWide(args[2]).c_str());
    ctrl.SetCurSel(0);
    UpdateWindow(ctrl.hwnd);
    const std::vector<uint32_t> pixels = CaptureWindow(ctrl.hwnd, 0, 0, width, height);
    FILE* out = _wfopen(args[3], L"wb");
    if (out == nullptr)
        return 1;
    std::fprintf(out, "P6\n%d %d\n255\n", width, height);
    for (uint32_t pixel : pixels)
        std::fprintf(out, "%c%c%c", pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
    std::fclose(out);
    DestroyWindow(host);
    return 0;
}

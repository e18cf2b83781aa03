#include "dialogs/PreferencesWindow.h"

#include <commctrl.h>

#include <cstdint>

#include "dialogs/ReplayGainChoice.h"
#include "resources/ResourceIds.h"
#include "settings/Settings.h"
#include "skin/GdiHandles.h"
#include "skin/Surface.h"

namespace {

constexpr int kPrefsWidth = 460;
constexpr int kPrefsHeight = 314;
constexpr RECT kTabArea = {80, 78, 80 + 305, 78 + 162};
constexpr int kGeneralTab = 0;
constexpr int kAboutTab = 1;

// The window and its parts while it exists; all null otherwise. The window owns the children.
HWND prefsWindow = nullptr;
HWND tabControl = nullptr;
HWND generalPage = nullptr;
HWND aboutPage = nullptr;

// The General page's boxes, in order, with the flag each one shows and sets.
struct FlagBox {
    int controlId;
    int32_t Settings::*flag;
};
constexpr FlagBox kFlagBoxes[] = {
    {kIdcImmediatePlay, &Settings::immediatePlay},
    {kIdcMultipleInstances, &Settings::multipleInstances},
    {kIdcMinimizeToSystemTray, &Settings::minimizeToSystemTray},
    {kIdcRealisticKnobRotation, &Settings::realisticKnobRotation},
};

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        for (const FlagBox& box : kFlagBoxes)
            SendDlgItemMessageA(page, box.controlId, BM_SETCHECK, gSettings.*box.flag, 0);
        ShowReplayGainChoice(page);
        return 1;
    case WM_COMMAND:
        if (wParam == IDOK) {
            EndDialog(page, 1);
            return 1;
        }
        // There is no OK step: every click stores all four flags at once, as 0 or 1.
        StoreReplayGainChoice(page, wParam);
        for (const FlagBox& box : kFlagBoxes) {
            gSettings.*box.flag =
                SendDlgItemMessageA(page, box.controlId, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        }
        // Stored at once: a second start reads "Multiple Instances" from the file.
        gSettings.WriteSettings(kSettingsFileName);
        return 0;
    default:
        return 0;
    }
}

INT_PTR CALLBACK AboutPageProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? 1 : 0;
}

void ShowIf(HWND window, bool show)
{
    ShowWindow(window, show ? SW_SHOW : SW_HIDE);
}

HWND CreatePage(HINSTANCE instance, int dialogId, DLGPROC procedure, const RECT& displayArea)
{
    const HWND page = CreateDialogParamA(instance, MAKEINTRESOURCEA(dialogId), tabControl,
                                         procedure, 0);
    MoveWindow(page, displayArea.left, displayArea.top, displayArea.right - displayArea.left,
               displayArea.bottom - displayArea.top, FALSE);
    return page;
}

void OnCreate(HWND window)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    gPrefsSkin.LoadJpegImage(kJpegPrefsSkin);
    const INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TAB_CLASSES};
    InitCommonControlsEx(&classes);

    tabControl = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TABCONTROLA, "TabControl",
                                 WS_CHILD | WS_VISIBLE, kTabArea.left, kTabArea.top,
                                 kTabArea.right - kTabArea.left, kTabArea.bottom - kTabArea.top,
                                 window, nullptr, instance, nullptr);
    SendMessageA(tabControl, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    const char* const names[] = {"General", "About"};
    for (int tab = kGeneralTab; tab <= kAboutTab; ++tab) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(names[tab]);
        SendMessageA(tabControl, TCM_INSERTITEMA, tab, reinterpret_cast<LPARAM>(&item));
    }
    RECT displayArea;
    GetClientRect(tabControl, &displayArea);
    SendMessageA(tabControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&displayArea));

    generalPage = CreatePage(instance, kDialogGeneralPage, GeneralPageProc, displayArea);
    ShowWindow(generalPage, SW_SHOW);
    aboutPage = CreatePage(instance, kDialogAboutPage, AboutPageProc, displayArea);
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    BitBlt(dc, 0, 0, kPrefsWidth, kPrefsHeight, gPrefsSkin.dc, 0, 0, SRCCOPY);
    // The picture is narrower than the client area: a copy from beyond its edge would leave
    // whatever was on the screen there, so that strip gets the picture's own edge colour.
    BITMAP picture = {};
    if (gPrefsSkin.bitmap != nullptr && GetObjectA(gPrefsSkin.bitmap, sizeof picture, &picture)) {
        RECT client;
        GetClientRect(window, &client);
        const GdiObject<HBRUSH> edge(CreateSolidBrush(GetPixel(gPrefsSkin.dc, picture.bmWidth - 1, 0)));
        const RECT right = {picture.bmWidth, 0, client.right, client.bottom};
        const RECT below = {0, picture.bmHeight, picture.bmWidth, client.bottom};
        FillRect(dc, &right, edge.Get());
        FillRect(dc, &below, edge.Get());
    }
    EndPaint(window, &paint);
}

void OnSelectionChange()
{
    const LRESULT selected = SendMessageA(tabControl, TCM_GETCURSEL, 0, 0);
    ShowIf(generalPage, selected == kGeneralTab);
    ShowIf(aboutPage, selected == kAboutTab);
}

// A click on the picture (or a key) hides the tab control to show the whole picture; the next
// brings it back.
void ToggleTabControl()
{
    ShowIf(tabControl, !(GetWindowLongA(tabControl, GWL_STYLE) & WS_VISIBLE));
}

void OnDestroy()
{
    gPrefsSkin.Release();
    prefsWindow = nullptr;
    tabControl = nullptr;
    generalPage = nullptr;
    aboutPage = nullptr;
}

LRESULT CALLBACK PrefsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(TCN_SELCHANGE))
            OnSelectionChange();
        return 0;
    case WM_KEYDOWN:
    case WM_COMMAND:
    case WM_LBUTTONDOWN:
        ToggleTabControl();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

void ShowPreferencesWindow(HWND owner)
{
    if (prefsWindow == nullptr) {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA windowClass = {};
        windowClass.style = CS_DBLCLKS | CS_SAVEBITS;
        windowClass.lpfnWndProc = PrefsWndProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kPreferencesWindowClass;
        RegisterClassA(&windowClass);  // fails harmlessly when an earlier window registered it
        prefsWindow = CreateWindowExA(0, kPreferencesWindowClass, kPreferencesWindowTitle,
                                      WS_OVERLAPPEDWINDOW, 0, 0, kPrefsWidth, kPrefsHeight, owner,
                                      nullptr, instance, nullptr);
    }
    if (prefsWindow != nullptr && !(GetWindowLongA(prefsWindow, GWL_STYLE) & WS_VISIBLE))
        ShowWindow(prefsWindow, SW_SHOW);
}

#include "dialogs/AboutWindow.h"

#include <cstdint>

#include "dialogs/CreditsScroller.h"
#include "dialogs/CreditsText.h"
#include "resources/ResourceIds.h"
#include "skin/GdiHandles.h"
#include "skin/RegionFromBitmap.h"
#include "skin/Surface.h"

// Holds nothing but plain numbers until a drag begins, so its place in the order in which the
// program's globals are built does not matter.
WindowDragger gAboutDragger;

namespace {

constexpr int kAboutWidth = 403;
constexpr int kAboutHeight = 418;
constexpr int kSkinCopyWidth = 404;
// The splash goes by itself after this long, unless a click or a key closes it first.
constexpr UINT_PTR kSplashTimer = 1;
constexpr UINT kSplashMs = 2000;

// Sample points of the region map (bitmap 148): the background at the corner, the text area
// and the badge, each painted in a colour of its own.
constexpr POINT kCreditsSample = {170, 170};
constexpr POINT kBadgeSample = {310, 350};

// What the About window holds while it exists. Reached through About(): a function-local static
// is built on the first show, after the program's global surfaces, and is therefore destroyed
// before them. A process that ends with the window open (the main window closed over the splash)
// so stops the scroller before the surface it copies from goes away.
struct AboutState {
    HWND window = nullptr;  // the About window, or null; destroyed by a key, its owner or exit
    bool splash = false;    // shown at start-up: a click closes it, and so does its timer
    int32_t textHeight = 0;
    OwnedRegion aboutShape;     // the outline, for hit tests (the window owns its own copy)
    OwnedRegion creditsRegion;  // the text area; the scroller clips to it
    OwnedRegion badgeRegion;    // the disc at the lower right
    // Last, so that it is stopped before the regions it borrows are deleted.
    CreditsScroller scroller;
};

AboutState& About()
{
    static AboutState state;
    return state;
}

bool Contains(const OwnedRegion& region, int x, int y)
{
    return region && PtInRegion(region.Get(), x, y);
}

void OnCreate(HWND window)
{
    AboutState& about = About();
    about.window = window;
    gAboutSkin.LoadJpegImage(kJpegAboutSkin);
    if (gAboutScroll.CreateBlank(kCreditsWidth, kCreditsSurfaceHeight))
        about.textHeight = DrawCreditsText(gAboutScroll.dc);

    const OwnedBitmap map(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kBitmapAboutMap)));
    if (map) {
        SetWindowRgn(window, RegionFromBitmap(map.Get(), 0, 0, 1, 0), TRUE);
        about.aboutShape.Reset(RegionFromBitmap(map.Get(), 0, 0, 1, 0));
        about.creditsRegion.Reset(
            RegionFromBitmap(map.Get(), kCreditsSample.x, kCreditsSample.y, 0, 0));
        about.badgeRegion.Reset(RegionFromBitmap(map.Get(), kBadgeSample.x, kBadgeSample.y, 0, 0));
    }
    // Without a surface there is nothing to scroll: the text area keeps the skin's picture.
    if (gAboutScroll.bitmap != nullptr && about.creditsRegion)
        about.scroller.Start(window, about.creditsRegion.Get(), gAboutScroll.dc, about.textHeight);
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    BitBlt(dc, 0, 0, kSkinCopyWidth, kAboutHeight, gAboutSkin.dc, 0, 0, SRCCOPY);
    EndPaint(window, &paint);
}

void OnLButtonDown(HWND window, int x, int y)
{
    const AboutState& about = About();
    // The text area and the badge are not handles: a press there must not move the window.
    if (Contains(about.aboutShape, x, y) && !Contains(about.creditsRegion, x, y) &&
        !Contains(about.badgeRegion, x, y))
        gAboutDragger.BeginDrag(x, y, window);
}

void OnDestroy()
{
    AboutState& about = About();
    gAboutDragger.EndDrag();
    // The scroller's last frame may still be clipping to creditsRegion: wait for it. Should it
    // not end, its regions are left alive rather than deleted under it.
    if (about.scroller.Stop()) {
        about.aboutShape.Reset();
        about.creditsRegion.Reset();
        about.badgeRegion.Reset();
    } else {
        about.aboutShape.Release();
        about.creditsRegion.Release();
        about.badgeRegion.Release();
    }
    gAboutSkin.Release();
    about.window = nullptr;
    about.splash = false;
}

LRESULT CALLBACK AboutWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Mouse positions are the two unsigned halves of lParam, as the dragger takes them.
    const int x = LOWORD(lParam);
    const int y = HIWORD(lParam);
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_KEYDOWN:
    case WM_CHAR:
        SendMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_TIMER:
        if (wParam == kSplashTimer)
            SendMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_LBUTTONDOWN:
        if (About().splash)
            SendMessageA(window, WM_CLOSE, 0, 0);
        else
            OnLButtonDown(window, x, y);
        return 0;
    case WM_MOUSEMOVE:
        gAboutDragger.DragTo(x, y, window);
        return 0;
    case WM_LBUTTONUP:
        gAboutDragger.EndDrag();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

void ShowAboutWindow(HWND owner)
{
    ShowAboutWindowAt(owner, POINT{0, 0});
}

void ShowSplashWindow()
{
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const POINT centred = {work.left + (work.right - work.left - kAboutWidth) / 2,
                           work.top + (work.bottom - work.top - kAboutHeight) / 2};
    AboutState& about = About();
    const bool fresh = about.window == nullptr;
    ShowAboutWindowAt(nullptr, centred);
    if (fresh && about.window != nullptr) {
        about.splash = true;
        SetTimer(about.window, kSplashTimer, kSplashMs, nullptr);
    }
}

void ShowAboutWindowAt(HWND owner, POINT topLeft)
{
    AboutState& about = About();
    if (about.window == nullptr) {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA windowClass = {};
        windowClass.style = CS_DBLCLKS | CS_SAVEBITS;
        windowClass.lpfnWndProc = AboutWndProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kAboutWindowClass;
        RegisterClassA(&windowClass);  // fails harmlessly when an earlier window registered it
        about.window = CreateWindowExA(WS_EX_TOPMOST, kAboutWindowClass, kAboutWindowTitle,
                                       WS_POPUP, topLeft.x, topLeft.y, kAboutWidth, kAboutHeight,
                                       owner, nullptr,
                                       instance, nullptr);
    }
    if (about.window != nullptr && !(GetWindowLongA(about.window, GWL_STYLE) & WS_VISIBLE))
        ShowWindow(about.window, SW_SHOW);
}

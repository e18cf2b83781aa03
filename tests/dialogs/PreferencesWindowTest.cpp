// The preferences window driven as a user drives it: real clicks through the X pointer on its
// boxes, tabs and picture; what it shows read from its controls and its pixels.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/PreferencesWindow.h"
#include "resources/ResourceIds.h"
#include "settings/Settings.h"
#include "skin/Surface.h"
#include "tests/dialogs/DesktopInput.h"
#include "tests/support/PixelCapture.h"
#include "tests/skin/WinTestSupport.h"

namespace {

// Below the tab control, on the picture; apart, so that two clicks are not a double click.
constexpr POINT kPicturePoint = {30, 270};
constexpr POINT kOtherPicturePoint = {60, 280};

HWND FindPreferencesWindow()
{
    return FindWindowA(kPreferencesWindowClass, kPreferencesWindowTitle);
}

BOOL CALLBACK CountWindow(HWND window, LPARAM count)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == kPreferencesWindowClass)
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int PreferencesWindowCount()
{
    int count = 0;
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

HWND TabControlOf(HWND prefs)
{
    return FindWindowExA(prefs, nullptr, WC_TABCONTROLA, nullptr);
}

// The page among the tab control's children that holds control `controlId`.
HWND PageWith(HWND prefs, int controlId)
{
    for (HWND page = FindWindowExA(TabControlOf(prefs), nullptr, nullptr, nullptr); page;
         page = FindWindowExA(TabControlOf(prefs), page, nullptr, nullptr)) {
        if (GetDlgItem(page, controlId))
            return page;
    }
    return nullptr;
}

HWND GeneralPage(HWND prefs)
{
    return PageWith(prefs, kIdcImmediatePlay);
}

HWND AboutPage(HWND prefs)
{
    return PageWith(prefs, kIdcStatic);
}

bool Visible(HWND window)
{
    return window != nullptr && IsWindowVisible(window);
}

// Clicks on a child control of `prefs` at a point inside it, `dx` from its left edge.
bool ClickControl(HWND prefs, HWND control, int dx)
{
    RECT rect;
    GetWindowRect(control, &rect);
    POINT point = {rect.left + dx, (rect.top + rect.bottom) / 2};
    ScreenToClient(prefs, &point);
    return ClickAt(prefs, point.x, point.y);
}

bool ClickTab(HWND prefs, int tab)
{
    RECT item;
    const HWND tabs = TabControlOf(prefs);
    SendMessageA(tabs, TCM_GETITEMRECT, tab, reinterpret_cast<LPARAM>(&item));
    POINT point = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    MapWindowPoints(tabs, prefs, &point, 1);
    return ClickAt(prefs, point.x, point.y);
}

class PreferencesWindowTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, owner.Get()); }
    void TearDown() override
    {
        if (HWND prefs = FindPreferencesWindow())
            DestroyWindow(prefs);
        gSettings = Settings();
    }

    // The player's main window stands behind the preferences window as its owner.
    TestWindow owner{177, 292};
};

TEST_F(PreferencesWindowTest, BoxesShowTheSettingsAndAClickStoresAllFourAsZeroOrOne)
{
    gSettings.immediatePlay = 1;
    gSettings.multipleInstances = 7;  // not as the file writes it, but set
    gSettings.minimizeToSystemTray = 0;
    gSettings.realisticKnobRotation = 0;
    ShowPreferencesWindow(owner.Get());
    const HWND prefs = FindPreferencesWindow();
    ASSERT_NE(nullptr, prefs);
    const HWND page = GeneralPage(prefs);
    ASSERT_TRUE(Visible(page)) << "a new window opens on the General page";
    const int boxes[] = {kIdcImmediatePlay, kIdcMultipleInstances, kIdcMinimizeToSystemTray,
                         kIdcRealisticKnobRotation};
    const LRESULT shown[] = {BST_CHECKED, BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(shown[i], SendDlgItemMessageA(page, boxes[i], BM_GETCHECK, 0, 0)) << "box " << boxes[i];

    ASSERT_TRUE(ClickControl(prefs, GetDlgItem(page, kIdcMinimizeToSystemTray), 6));
    EXPECT_TRUE(PumpUntil([] { return gSettings.minimizeToSystemTray == 1; }, 3000))
        << "the click did not reach the settings";
    EXPECT_EQ(1, gSettings.immediatePlay);
    EXPECT_EQ(1, gSettings.multipleInstances) << "stored as 0 or 1";
    EXPECT_EQ(0, gSettings.realisticKnobRotation);

    ASSERT_TRUE(ClickControl(prefs, GetDlgItem(page, kIdcImmediatePlay), 6));
    EXPECT_TRUE(PumpUntil([] { return gSettings.immediatePlay == 0; }, 3000)) << "unchecking";
    EXPECT_EQ(1, gSettings.minimizeToSystemTray);
}

TEST_F(PreferencesWindowTest, TabsSwitchPagesAndThePictureHidesAndShowsTheTabControl)
{
    ShowPreferencesWindow(owner.Get());
    const HWND prefs = FindPreferencesWindow();
    ASSERT_NE(nullptr, prefs);
    const HWND tabs = TabControlOf(prefs);
    ASSERT_NE(nullptr, tabs);
    ASSERT_TRUE(PumpUntil([&] { return Visible(GeneralPage(prefs)); }, 3000));
    EXPECT_FALSE(Visible(AboutPage(prefs)));

    // The picture shows around the tab control, as the skin has it.
    const uint32_t picture = CapturePixels(gPrefsSkin.dc, kPicturePoint.x, kPicturePoint.y, 1, 1)[0];
    EXPECT_TRUE(PumpUntil(
        [&] { return CaptureWindow(prefs, kPicturePoint.x, kPicturePoint.y, 1, 1)[0] == picture; },
        3000))
        << "the skin is not painted";

    ASSERT_TRUE(ClickTab(prefs, 1));
    EXPECT_TRUE(PumpUntil([&] { return Visible(AboutPage(prefs)) && !Visible(GeneralPage(prefs)); }, 3000))
        << "selecting About";
    ASSERT_TRUE(ClickTab(prefs, 0));
    EXPECT_TRUE(PumpUntil([&] { return Visible(GeneralPage(prefs)) && !Visible(AboutPage(prefs)); }, 3000))
        << "selecting General";

    ASSERT_TRUE(ClickAt(prefs, kPicturePoint.x, kPicturePoint.y));
    EXPECT_TRUE(PumpUntil([&] { return !Visible(tabs); }, 3000)) << "the first click hides it";
    ASSERT_TRUE(ClickAt(prefs, kOtherPicturePoint.x, kOtherPicturePoint.y));
    EXPECT_TRUE(PumpUntil([&] { return Visible(tabs); }, 3000)) << "the second shows it";
}

TEST_F(PreferencesWindowTest, OneWindowAtATimeAndAFreshOneAfterClosing)
{
    ShowPreferencesWindow(owner.Get());
    const HWND first = FindPreferencesWindow();
    ASSERT_NE(nullptr, first);
    ShowPreferencesWindow(owner.Get());
    EXPECT_EQ(1, PreferencesWindowCount());
    EXPECT_EQ(first, FindPreferencesWindow());

    // Leave it changed: About tab, tab control hidden; then close it as its close box does.
    TabCtrl_SetCurSel(TabControlOf(first), 1);
    ShowWindow(TabControlOf(first), SW_HIDE);
    SendMessageA(first, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(0, PreferencesWindowCount());

    ShowPreferencesWindow(owner.Get());
    const HWND second = FindPreferencesWindow();
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(1, PreferencesWindowCount());
    EXPECT_TRUE(Visible(TabControlOf(second)));
    EXPECT_EQ(0, TabCtrl_GetCurSel(TabControlOf(second)));
    EXPECT_TRUE(Visible(GeneralPage(second)));
    EXPECT_NE(nullptr, gPrefsSkin.bitmap) << "the picture is loaded again";
}

TEST_F(PreferencesWindowTest, ClosesWithItsOwner)
{
    ShowPreferencesWindow(owner.Get());
    ASSERT_NE(nullptr, FindPreferencesWindow());
    HWND ownerWindow = owner.Get();
    DestroyWindow(ownerWindow);
    EXPECT_EQ(nullptr, FindPreferencesWindow());
    EXPECT_EQ(nullptr, gPrefsSkin.bitmap) << "the picture outlived its window";
}

}  // namespace

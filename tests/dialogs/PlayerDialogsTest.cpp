// The two dialogs inside the real Corvane.exe, watched and driven from outside as a user would:
// the splash at every start, the preferences window opened by a double click on the main
// window's background, its flags kept in "Corvane.ini" from one start to the next, and ends of
// the program while the splash still scrolls.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/AboutWindow.h"
#include "dialogs/PreferencesWindow.h"
#include "resources/ResourceIds.h"
#include "tests/dialogs/DesktopInput.h"

namespace {

constexpr POINT kMainBackground = {15, 80};  // left of the display, on no control of the map

std::string ProgramFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string SettingsPath()
{
    char directory[MAX_PATH];
    GetWindowsDirectoryA(directory, MAX_PATH);
    return std::string(directory) + "\\Corvane.ini";
}

int StoredFlag(const char* key)
{
    return static_cast<int>(
        GetPrivateProfileIntA("General Preferences", key, -1, SettingsPath().c_str()));
}

HWND WaitForWindow(const char* className, const char* title, DWORD millis)
{
    HWND found = nullptr;
    PumpUntil(
        [&] {
            found = FindWindowA(className, title);
            return found != nullptr && IsWindowVisible(found);
        },
        millis);
    return found;
}

// A started Corvane.exe; ends it (gently, then by force) if the test did not.
class Player {
public:
    Player()
    {
        std::string commandLine = "\"" + ProgramFolder() + "Corvane.exe\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 ProgramFolder().c_str(), &startup, &process) != 0;
    }
    ~Player()
    {
        if (!started)
            return;
        if (WaitForExit(0) == -1) {
            if (HWND main = FindWindowA("Corvane", "Corvane"))
                PostMessageA(main, WM_CLOSE, 0, 0);
            if (WaitForExit(10000) == -1)
                TerminateProcess(process.hProcess, 1);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // The exit code, or -1 if the program has not ended within `millis`.
    long WaitForExit(DWORD millis)
    {
        if (WaitForSingleObject(process.hProcess, millis) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        return static_cast<long>(code);
    }

    bool started = false;
    PROCESS_INFORMATION process = {};
};

bool ClickControl(HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    return SendXInput("move " + std::to_string(rect.left + 6) + " " +
                      std::to_string((rect.top + rect.bottom) / 2) + " click 1");
}

HWND GeneralPageOf(HWND prefs)
{
    const HWND tabs = FindWindowExA(prefs, nullptr, "SysTabControl32", nullptr);
    for (HWND page = FindWindowExA(tabs, nullptr, nullptr, nullptr); page;
         page = FindWindowExA(tabs, page, nullptr, nullptr)) {
        if (GetDlgItem(page, kIdcImmediatePlay))
            return page;
    }
    return nullptr;
}

// Starts the player, waits for its splash to go by itself and opens the preferences window.
HWND OpenPreferences(Player& player)
{
    EXPECT_TRUE(player.started);
    const HWND main = WaitForWindow("Corvane", "Corvane", 15000);
    const HWND about = WaitForWindow(kAboutWindowClass, kAboutWindowTitle, 15000);
    if (main == nullptr || about == nullptr) {
        ADD_FAILURE() << "the player showed " << (main ? "" : "no main window ")
                      << (about ? "" : "no splash");
        return nullptr;
    }
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(about); }, 5000))
        << "the splash did not go by itself";
    RECT frame;
    GetWindowRect(main, &frame);
    SendXInput("move " + std::to_string(frame.left + kMainBackground.x) + " " +
               std::to_string(frame.top + kMainBackground.y) + " click 1 click 1");
    return WaitForWindow(kPreferencesWindowClass, kPreferencesWindowTitle, 5000);
}

class PlayerDialogsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(FindWindowA("Corvane", "Corvane"), nullptr) << "a player is already running";
        DeleteFileA(SettingsPath().c_str());
    }
    void TearDown() override { DeleteFileA(SettingsPath().c_str()); }
};

TEST_F(PlayerDialogsTest, FlagsClickedInThePreferencesAreStoredAtExitAndShownAtTheNextStart)
{
    {
        Player player;
        const HWND prefs = OpenPreferences(player);
        ASSERT_NE(nullptr, prefs) << "a double click on the background opened no preferences";
        const HWND page = GeneralPageOf(prefs);
        ASSERT_NE(nullptr, page);
        ASSERT_TRUE(ClickControl(GetDlgItem(page, kIdcImmediatePlay)));
        ASSERT_TRUE(ClickControl(GetDlgItem(page, kIdcRealisticKnobRotation)));
        EXPECT_TRUE(PumpUntil(
            [&] {
                return SendDlgItemMessageA(page, kIdcRealisticKnobRotation, BM_GETCHECK, 0, 0) ==
                       BST_CHECKED;
            },
            3000));
        PostMessageA(FindWindowA("Corvane", "Corvane"), WM_CLOSE, 0, 0);
        ASSERT_EQ(0, player.WaitForExit(15000));
    }
    EXPECT_EQ(1, StoredFlag("ImmediatePlay"));
    EXPECT_EQ(0, StoredFlag("MultipleInstances"));
    EXPECT_EQ(0, StoredFlag("MinimizeToSystemTray"));
    EXPECT_EQ(1, StoredFlag("RealisticKnobRotation"));

    Player again;
    const HWND prefs = OpenPreferences(again);
    ASSERT_NE(nullptr, prefs);
    const HWND page = GeneralPageOf(prefs);
    const int boxes[] = {kIdcImmediatePlay, kIdcMultipleInstances, kIdcMinimizeToSystemTray,
                         kIdcRealisticKnobRotation};
    const LRESULT shown[] = {BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(shown[i], SendDlgItemMessageA(page, boxes[i], BM_GETCHECK, 0, 0)) << "box " << boxes[i];

    // A second double click while it is open opens no second window.
    const HWND main = FindWindowA("Corvane", "Corvane");
    RECT frame;
    GetWindowRect(main, &frame);
    SendXInput("move " + std::to_string(frame.left + kMainBackground.x) + " " +
               std::to_string(frame.top + kMainBackground.y) + " click 1 click 1");
    PumpFor(500);
    EXPECT_EQ(prefs, FindWindowA(kPreferencesWindowClass, nullptr));
    EXPECT_EQ(nullptr, FindWindowExA(nullptr, prefs, kPreferencesWindowClass, nullptr));
}

// The main window closed over the splash, as at a quick start and stop: the program must end at
// once, without a crash, while the credits still scroll.
TEST_F(PlayerDialogsTest, ClosingThePlayerWhileTheSplashScrollsEndsItCleanly)
{
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE("start " + std::to_string(round));
        Player player;
        ASSERT_TRUE(player.started);
        const HWND main = WaitForWindow("Corvane", "Corvane", 15000);
        ASSERT_NE(nullptr, main);
        ASSERT_NE(nullptr, WaitForWindow(kAboutWindowClass, kAboutWindowTitle, 15000));
        PostMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_EQ(0, player.WaitForExit(15000)) << "the player crashed or hung at its end";
    }
}

}  // namespace

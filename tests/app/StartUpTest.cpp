// Starts the real Corvane.exe next to this test program and watches it from outside, as a
// user's second start or the shell would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

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

// A started Corvane.exe; ends it (gently, then by force) if the test did not.
class Player {
public:
    explicit Player(const std::string& arguments)
    {
        std::string commandLine = "\"" + ProgramFolder() + "Corvane.exe\"";
        if (!arguments.empty())
            commandLine += " " + arguments;
        std::vector<char> buffer(commandLine.begin(), commandLine.end());
        buffer.push_back('\0');
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        started = CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 ProgramFolder().c_str(), &startup, &process) != 0;
    }
    ~Player()
    {
        if (!started)
            return;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
            if (HWND window = FindWindowA("Corvane", "Corvane"))
                PostMessageA(window, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(process.hProcess, 5000) == WAIT_TIMEOUT)
                TerminateProcess(process.hProcess, 1);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    // The exit code, or -1 if the program did not end within the time.
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

HWND WaitForMainWindow(DWORD millis)
{
    const DWORD start = GetTickCount();
    do {
        if (HWND window = FindWindowA("Corvane", "Corvane"))
            return window;
        Sleep(20);
    } while (GetTickCount() - start < millis);
    return nullptr;
}

BOOL CALLBACK CountCorvaneWindows(HWND window, LPARAM count)
{
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) == "Corvane")
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// The window exists before the program shows it (plug-ins load in between): waits for it to
// become visible.
bool WaitUntilVisible(HWND window, DWORD millis)
{
    const DWORD start = GetTickCount();
    while (!IsWindowVisible(window)) {
        if (GetTickCount() - start >= millis)
            return false;
        Sleep(20);
    }
    return true;
}

int CorvaneWindowCount()
{
    int count = 0;
    EnumWindows(CountCorvaneWindows, reinterpret_cast<LPARAM>(&count));
    return count;
}

std::string Stored(const char* key)
{
    char text[64];
    GetPrivateProfileStringA("General Preferences", key, "<missing>", text, sizeof text, SettingsPath().c_str());
    return text;
}

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(FindWindowA("Corvane", "Corvane"), nullptr) << "a player is already running";
        DeleteFileA(SettingsPath().c_str());
    }
};

TEST_F(StartUpTest, MainWindowOpensAndClosingItWritesTheSettings)
{
    // A value the program must keep and a flag it must normalise.
    WritePrivateProfileStringA("General Preferences", "AudioVolume", "-5", SettingsPath().c_str());
    WritePrivateProfileStringA("General Preferences", "ImmediatePlay", "2", SettingsPath().c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SettingsPath().c_str());  // flush the cache

    Player player("");
    ASSERT_TRUE(player.started);
    HWND window = WaitForMainWindow(10000);
    ASSERT_NE(window, nullptr) << "no window of class and title \"Corvane\"";
    EXPECT_TRUE(WaitUntilVisible(window, 10000));
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (WS_POPUP | WS_SYSMENU), WS_POPUP | WS_SYSMENU);
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    RECT bounds;
    GetWindowRect(window, &bounds);
    EXPECT_EQ(bounds.right - bounds.left, 177);
    EXPECT_EQ(bounds.bottom - bounds.top, 292);

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(player.WaitForExit(10000), 0);
    EXPECT_EQ(Stored("AudioVolume"), "-5");
    EXPECT_EQ(Stored("ImmediatePlay"), "0");
    EXPECT_EQ(Stored("MultipleInstances"), "0");
    EXPECT_EQ(Stored("MinimizeToSystemTray"), "0");
    EXPECT_EQ(Stored("RealisticKnobRotation"), "0");
}

TEST_F(StartUpTest, SecondStartHandsItsCommandLineOverAndEndsWithoutAWindow)
{
    Player first("");
    ASSERT_TRUE(first.started);
    HWND window = WaitForMainWindow(10000);
    ASSERT_NE(window, nullptr);

    Player second("\"C:\\my music\\song.mp3\"");
    ASSERT_TRUE(second.started);
    EXPECT_EQ(second.WaitForExit(10000), 0);
    EXPECT_EQ(CorvaneWindowCount(), 1);
    EXPECT_EQ(FindWindowA("Corvane", "Corvane"), window);

    // The second start only reads the settings; the file appears when the first one closes.
    EXPECT_EQ(Stored("AudioVolume"), "<missing>");
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitForExit(10000), 0);
    EXPECT_EQ(Stored("AudioVolume"), "-1") << "full volume on both channels, as the first run starts";
}

TEST_F(StartUpTest, HostileCopyDataLeavesThePlayerRunning)
{
    Player player("");
    ASSERT_TRUE(player.started);
    HWND window = WaitForMainWindow(10000);
    ASSERT_NE(window, nullptr);
    // Shown means started: before that the messages could reach the default handling instead.
    ASSERT_TRUE(WaitUntilVisible(window, 10000));

    std::vector<char> unterminated(5000, 'x');
    const struct {
        const char* what;
        const void* data;
        DWORD bytes;
    } cases[] = {
        {"no data", nullptr, 0},
        {"text without a terminating zero", unterminated.data(), 100},
        {"path too long for the buffer", unterminated.data(), 5000},
        {"only a quote", "\"", 2},
    };
    for (const auto& c : cases) {
        COPYDATASTRUCT data = {};
        data.cbData = c.bytes;
        data.lpData = const_cast<void*>(c.data);
        DWORD_PTR result = 1;
        EXPECT_NE(SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                      SMTO_ABORTIFHUNG, 5000, &result), 0) << c.what;
        // Refused unread, yet answered as handled: a sender told 0 would retry and start a
        // second player with it.
        EXPECT_EQ(result, 1u) << c.what;
        EXPECT_EQ(player.WaitForExit(0), -1) << "the player ended after: " << c.what;
    }
}

}  // namespace

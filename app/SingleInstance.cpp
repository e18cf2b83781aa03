#include "app/SingleInstance.h"

#include <string>

#include "app/PlayerApp.h"
#include "playlist/WideText.h"

namespace {

constexpr wchar_t kPlayerMutexName[] = L"CorvanePlayerMutex";
constexpr wchar_t kPlayerReadyName[] = L"CorvanePlayerReady";
// How long a start waits for a player that is still setting up its window, or for its window
// to appear once it said it was ready, before it gives up.
constexpr DWORD kHandOverWaitMs = 20000;
constexpr DWORD kWindowPollMs = 50;
constexpr UINT kSendTimeoutMs = 20000;

HWND FindPlayerWindow()
{
    return FindWindowA(kMainWindowClass, kMainWindowTitle);
}

// Sends `arguments` (UTF-8) to the player's window as UTF-16; 1 when the window answered.
int SendToPlayerWindow(HWND window, const char* arguments)
{
    const std::wstring wide = WideFromUtf8(arguments);
    COPYDATASTRUCT data = {};
    data.dwData = kHandOverUtf16Tag;
    data.cbData = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(wide.c_str());
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_NORMAL, kSendTimeoutMs, &answer) != 0
               ? 1
               : 0;
}

}  // namespace

SingleInstance::~SingleInstance()
{
    Release();
    if (ready_ != nullptr)
        CloseHandle(ready_);
    if (mutex_ != nullptr)
        CloseHandle(mutex_);
}

int SingleInstance::ClaimOrHandOver(const char* arguments)
{
    if (mutex_ == nullptr)
        mutex_ = CreateMutexW(nullptr, FALSE, kPlayerMutexName);
    if (ready_ == nullptr)
        ready_ = CreateEventW(nullptr, TRUE, FALSE, kPlayerReadyName);
    if (mutex_ == nullptr || ready_ == nullptr) {
        // Without the named objects only the window search is left.
        if (HWND running = FindPlayerWindow()) {
            SendToPlayerWindow(running, arguments);
            return 0;
        }
        return 1;
    }
    if (owner_)
        return 1;

    const DWORD start = GetTickCount();
    for (;;) {
        // The mutex first: a free one (its player ended, perhaps leaving the event set) makes
        // this start the player, whatever the event says.
        const HANDLE waits[2] = {mutex_, ready_};
        const DWORD result = WaitForMultipleObjects(2, waits, FALSE, kWindowPollMs);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0) {
            owner_ = true;
            ResetEvent(ready_);
            return 1;
        }
        if (result == WAIT_OBJECT_0 + 1) {
            HWND running = FindPlayerWindow();
            if (running != nullptr && SendToPlayerWindow(running, arguments))
                return 0;
            Sleep(kWindowPollMs);  // ready, but its window is just going: look again
        }
        if (GetTickCount() - start >= kHandOverWaitMs)
            return 0;  // a player that never gets ready: end rather than make a second one
    }
}

void SingleInstance::MarkReady()
{
    if (owner_ && ready_ != nullptr)
        SetEvent(ready_);
}

void SingleInstance::MarkClosing()
{
    if (owner_ && ready_ != nullptr)
        ResetEvent(ready_);
}

void SingleInstance::Release()
{
    if (!owner_)
        return;
    MarkClosing();
    ReleaseMutex(mutex_);
    owner_ = false;
}

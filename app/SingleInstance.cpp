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
// A ready player answers once its message loop runs, after it recalled its list: from a slow
// share that may take long, and a song sent again after a time-out could arrive twice. Only a
// hung player makes a start wait this long.
constexpr UINT kSendTimeoutMs = 300000;

HWND FindPlayerWindow()
{
    return FindWindowA(kMainWindowClass, kMainWindowTitle);
}

enum class HandOver { taken, refused, noAnswer };

// Sends `arguments` (UTF-8) to the player's window as UTF-16: taken when the player took it,
// refused when it is closing, noAnswer when it did not answer in time or is gone.
HandOver SendToPlayerWindow(HWND window, const char* arguments)
{
    const std::wstring wide = WideFromUtf8(arguments);
    COPYDATASTRUCT data = {};
    data.dwData = kHandOverUtf16Tag;
    data.cbData = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(wide.c_str());
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                            kSendTimeoutMs, &answer) == 0)
        return HandOver::noAnswer;
    return answer == 1 ? HandOver::taken : HandOver::refused;
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
        if (HWND running = FindPlayerWindow())
            if (SendToPlayerWindow(running, arguments) != HandOver::refused)
                return 0;
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
            const HWND running = FindPlayerWindow();
            const HandOver handOver =
                running != nullptr ? SendToPlayerWindow(running, arguments) : HandOver::noAnswer;
            // Taken; or unanswered by a window that is still there (hung: the song may yet
            // arrive, so it is not sent twice, and no second player is made).
            if (handOver == HandOver::taken ||
                (handOver == HandOver::noAnswer && running != nullptr && IsWindow(running)))
                return 0;
            // Refused or gone: the player is closing, and its mutex comes free soon.
            Sleep(kWindowPollMs);
        }
        if (GetTickCount() - start >= kHandOverWaitMs)
            return 0;  // a player that never gets ready: end rather than make a second one
    }
}

int SingleInstance::TryClaim()
{
    if (mutex_ == nullptr)
        mutex_ = CreateMutexW(nullptr, FALSE, kPlayerMutexName);
    if (ready_ == nullptr)
        ready_ = CreateEventW(nullptr, TRUE, FALSE, kPlayerReadyName);
    if (owner_)
        return 1;
    if (mutex_ == nullptr || ready_ == nullptr)
        return 0;
    const DWORD result = WaitForSingleObject(mutex_, 0);
    if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED)
        return 0;
    owner_ = true;
    ResetEvent(ready_);
    return 1;
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

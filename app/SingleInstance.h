// One player per desktop: which start becomes the player, and how the others hand their song to
// it.
//
// Looking for the player's window alone is not enough: several starts at once (songs opened
// together in the file manager) would all find none and all become players. So the player holds
// the named mutex "CorvanePlayerMutex" for its whole life, and sets the named event
// "CorvanePlayerReady" once its window takes songs. A start that cannot take the mutex waits
// for the event and hands over; one that takes it (the player ended meanwhile) becomes the
// player.
#pragma once

#include <windows.h>

// WM_COPYDATA's dwData for a path in UTF-16 ("CVU1"). Any other value carries the older 8-bit
// form in the system code page.
inline constexpr ULONG_PTR kHandOverUtf16Tag = 0x31555643;

class SingleInstance {
public:
    SingleInstance() = default;
    // Gives the mutex back: the next start becomes the player.
    virtual ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // 1 when this process is to be the player (it now holds the mutex); 0 when `arguments`
    // (UTF-8, possibly empty) went to the running player, or no player answered in time.
    int ClaimOrHandOver(const char* arguments);
    // For a start that opens a player of its own whatever runs ("Multiple Instances"): 1 when
    // it is the first player (it now holds the mutex), 0 when another player holds it.
    int TryClaim();
    // The player's window takes songs from now on.
    void MarkReady();
    // The player's window goes: starts from now on wait for the next player.
    void MarkClosing();
    // Gives the mutex back before the process ends (clean-up).
    void Release();

private:
    HANDLE mutex_ = nullptr;  // owned
    HANDLE ready_ = nullptr;  // owned; manual-reset
    bool owner_ = false;      // this process holds mutex_
};

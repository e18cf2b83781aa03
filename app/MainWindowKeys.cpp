// The main window's keys, the mouse wheel and the keyboard's media keys.
//
// Media keys come three ways: as hot keys registered for the window (so that they work while
// another program has the focus), as WM_APPCOMMAND (a focused window gets them when the hot key
// is another program's, or from remote controls and mice), and as plain key presses. All three
// lead to the same commands.
#include <windows.h>

#include "app/PlayerApp.h"

namespace {

constexpr int32_t kKeySeekMs = 5000;

// The hot keys this window asks for; their ids lie in the range a program may use.
struct MediaKey {
    UINT key;
    int32_t command;
};
constexpr MediaKey kMediaKeys[] = {
    {VK_MEDIA_PLAY_PAUSE, APPCOMMAND_MEDIA_PLAY_PAUSE},
    {VK_MEDIA_STOP, APPCOMMAND_MEDIA_STOP},
    {VK_MEDIA_NEXT_TRACK, APPCOMMAND_MEDIA_NEXTTRACK},
    {VK_MEDIA_PREV_TRACK, APPCOMMAND_MEDIA_PREVIOUSTRACK},
};
constexpr int kMediaKeyCount = static_cast<int>(sizeof kMediaKeys / sizeof kMediaKeys[0]);
constexpr WPARAM kFirstHotKeyId = 0x4301;

}  // namespace

int PlayerApp::OnKeyDown(WPARAM key)
{
    const bool control = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
    case VK_SPACE:
        TogglePause();
        return 1;
    case VK_LEFT:
    case VK_RIGHT: {
        const int32_t position = CurrentPosition();
        if (position >= 0)
            SeekTo(position + (key == VK_RIGHT ? kKeySeekMs : -kKeySeekMs));
        return 1;
    }
    case VK_UP:
    case VK_DOWN:
        StepVolume(key == VK_UP ? 1 : -1);
        return 1;
    case VK_PRIOR:
        PreviousSong();
        return 1;
    case VK_NEXT:
        NextSong();
        return 1;
    case 'O':
        if (!control)
            return 0;
        OpenMediaDialog();
        return 1;
    case 'L':
        if (!control)
            return 0;
        TogglePlaylistWindow();
        return 1;
    default:
        for (const MediaKey& media : kMediaKeys)
            if (media.key == key)
                return OnAppCommand(media.command);
        return 0;
    }
}

int PlayerApp::OnAppCommand(int32_t command)
{
    switch (command) {
    case APPCOMMAND_MEDIA_PLAY_PAUSE:
        TogglePause();
        return 1;
    case APPCOMMAND_MEDIA_PLAY:
        if (IsPaused() || !songLoaded)
            TogglePause();
        return 1;
    case APPCOMMAND_MEDIA_PAUSE:
        if (!IsPaused() && songLoaded)
            TogglePause();
        return 1;
    case APPCOMMAND_MEDIA_STOP:
        StopSong();
        return 1;
    case APPCOMMAND_MEDIA_NEXTTRACK:
        NextSong();
        return 1;
    case APPCOMMAND_MEDIA_PREVIOUSTRACK:
        PreviousSong();
        return 1;
    default:
        return 0;
    }
}

void PlayerApp::OnHotKey(WPARAM id)
{
    if (id >= kFirstHotKeyId && id < kFirstHotKeyId + kMediaKeyCount)
        OnAppCommand(kMediaKeys[id - kFirstHotKeyId].command);
}

void PlayerApp::RegisterMediaKeys()
{
    // A key another program (another player started with Multiple Instances) holds stays
    // its: the registration fails and this window gets the key only as WM_APPCOMMAND. It is
    // asked again whenever the player becomes active, should that program have let it go.
    const HWND w = window.load();
    for (int i = 0; i < kMediaKeyCount; ++i)
        if (!(heldMediaKeys & (1 << i)) &&
            RegisterHotKey(w, static_cast<int>(kFirstHotKeyId + i), 0, kMediaKeys[i].key))
            heldMediaKeys |= 1 << i;
}

void PlayerApp::UnregisterMediaKeys()
{
    const HWND w = window.load();
    for (int i = 0; i < kMediaKeyCount; ++i)
        if (heldMediaKeys & (1 << i))
            UnregisterHotKey(w, static_cast<int>(kFirstHotKeyId + i));
    heldMediaKeys = 0;
}

void PlayerApp::OnMouseWheel(int32_t delta, int32_t screenX, int32_t screenY)
{
    POINT at = {screenX, screenY};
    ScreenToClient(window.load(), &at);
    if (!volumeKnob.HitTest(at.x, at.y) || delta == 0)
        return;
    // A notch is one step; a fine-grained wheel's smaller turns still move by one.
    const int32_t notches = delta / WHEEL_DELTA;
    StepVolume(notches != 0 ? notches : (delta > 0 ? 1 : -1));
}

void PlayerApp::TogglePlaylistWindow()
{
    if (playlistWindow.IsShown())
        PostMessageA(playlistWindow.hwnd, WM_CLOSE, 0, 0);
    else
        ShowPlaylistWindow();
}

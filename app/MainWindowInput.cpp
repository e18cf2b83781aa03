// The main window's mouse input and the commands it leads to.
//
// The controls redraw themselves into the window as they are pressed, so they are offered each
// event under paintMutex; the command an event triggers runs after the mutex is given back,
// since a command may stop a song and nothing that stops a song may hold paintMutex.
#include <windows.h>

#include <cstdint>

#include "app/PlayerApp.h"
#include "dialogs/PreferencesWindow.h"
#include "playback/PluginSlot.h"

namespace {

// The play button's guide to the playlist when there is nothing to play: the pointer glides
// in 21 steps of 20 ms to this point in the playlist button, which is then clicked.
constexpr POINT kPlaylistButtonPoint = {23, 109};
constexpr int kGlideSteps = 20;
constexpr double kGlideStepFraction = 0.05;
constexpr DWORD kGlideStepMs = 20;
constexpr DWORD kClickPauseMs = 100;
constexpr char kOpenText[] = "Open...";

constexpr uint32_t kBothChannels = 65537;  // a 16-bit volume in both halves: left and right

}  // namespace

std::array<SkinButton*, 11> PlayerApp::ButtonsInEventOrder()
{
    return {&nextButton,   &previousButton, &closeButton,  &playlistButton,
            &blankButton1, &minimizeButton, &pluginButton, &playButton,
            &blankToggle1, &blankButton2,   &blankToggle2};
}

void PlayerApp::OnMouseMove(int32_t x, int32_t y)
{
    if (dragger.DragTo(x, y, window.load()))
        return;
    int32_t volume = 0;
    int32_t seekChange = 0;
    {
        PaintLock paint(*this);
        for (SkinButton* button : ButtonsInEventOrder())
            button->OnMouseMove(x, y);
        volume = volumeKnob.OnMouseMove(x, y);
        seekChange = seekKnob.OnMouseMove(x, y);
    }
    if (volume != 0) {
        PlaybackGuard guard(playback);
        if (PluginSlot* slot = CurrentSlot())
            slot->SetVolume(static_cast<int32_t>(static_cast<uint32_t>(volume) * kBothChannels));
    }
    if (seekChange != 0)
        AdjustSeekPreview(seekChange);
}

void PlayerApp::OnLeftButtonDown(int32_t x, int32_t y)
{
    int32_t taken = 0;
    int32_t seekTaken = 0;
    {
        PaintLock paint(*this);
        for (SkinButton* button : ButtonsInEventOrder())
            taken += button->OnMouseDown(x, y);
        taken += volumeKnob.OnMouseDown(x, y);
        seekTaken = seekKnob.OnMouseDown(x, y);
    }
    if (seekTaken == 1) {
        BeginSeekPreview();
        taken += 1;
    }
    if (PtInRegion(timeRegion, x, y))
        taken += 1;
    if (PtInRegion(titleRegion, x, y))
        taken += 1;
    // A press on nothing but the skin moves the window.
    if (taken == 0)
        dragger.BeginDrag(x, y, window.load());
}

void PlayerApp::OnLeftButtonUp(int32_t x, int32_t y)
{
    if (dragger.EndDrag())
        return;

    enum class Command { None, Next, Previous, Playlist, Plugin, Play, Minimise, Close, Seek };
    Command command = Command::None;
    {
        PaintLock paint(*this);
        // The first control that reports a release decides; a button released outside its
        // area reports nothing and the later ones are still asked.
        if (nextButton.OnMouseUp(x, y))
            command = Command::Next;
        else if (previousButton.OnMouseUp(x, y))
            command = Command::Previous;
        else if (playlistButton.OnMouseUp(x, y))
            command = Command::Playlist;
        else if (blankButton1.OnMouseUp(x, y))
            command = Command::None;
        else if (pluginButton.OnMouseUp(x, y))
            command = Command::Plugin;
        else if (playButton.OnMouseUp(x, y))
            command = Command::Play;
        else if (blankToggle1.OnMouseUp(x, y) || blankToggle2.OnMouseUp(x, y))
            command = Command::None;
        else if (minimizeButton.OnMouseUp(x, y))
            command = Command::Minimise;
        else if (blankButton2.OnMouseUp(x, y))
            command = Command::None;
        else if (closeButton.OnMouseUp(x, y))
            command = Command::Close;
        else if (volumeKnob.OnMouseUp(x, y))
            command = Command::None;
        else if (seekKnob.OnMouseUp(x, y))
            command = Command::Seek;
    }

    const HWND w = window.load();
    switch (command) {
    case Command::Next:
        NextSong();
        break;
    case Command::Previous:
        PreviousSong();
        break;
    case Command::Playlist:
        ShowPlaylistWindow();
        break;
    case Command::Plugin: {
        PlaybackGuard guard(playback);
        if (PluginSlot* slot = CurrentSlot())
            slot->PressButton();
        break;
    }
    case Command::Play:
        PlayButtonClicked();
        break;
    case Command::Minimise:
        ShowWindow(w, SW_MINIMIZE);
        break;
    case Command::Close:
        PostMessageA(w, WM_CLOSE, 0, 0);
        break;
    case Command::Seek:
        CommitSeek();
        break;
    case Command::None:
        break;
    }
}

void PlayerApp::OnLeftButtonDoubleClick(int32_t x, int32_t y)
{
    for (SkinButton* button : ButtonsInEventOrder())
        if (button->HitTest(x, y))
            return;
    if (PtInRegion(timeRegion, x, y) || seekKnob.HitTest(x, y) || PtInRegion(titleRegion, x, y) ||
        volumeKnob.HitTest(x, y))
        return;
    ShowPreferencesWindow(window.load());
}

void PlayerApp::ShowPlaylistWindow()
{
    if (playlistWindow.IsShown())
        return;
    const HWND w = window.load();
    RECT frame;
    if (!GetWindowRect(w, &frame))
        return;
    // Beside the main window: its top-left corner at the main window's top-right corner.
    playlistWindow.ShowAt(w, POINT{frame.right, frame.top});
}

void PlayerApp::PlayButtonClicked()
{
    int32_t songs = 0;
    {
        PlaybackGuard guard(playback);
        songs = playlist.count;
    }
    if (songs == 0) {
        // Nothing to play: lead the user's pointer to the playlist button and press it.
        const HWND w = window.load();
        POINT target = kPlaylistButtonPoint;
        ClientToScreen(w, &target);
        POINT pointer;
        GetCursorPos(&pointer);
        const int32_t dx = target.x - pointer.x;
        const int32_t dy = target.y - pointer.y;
        DrawMessage(kOpenText);
        for (int n = kGlideSteps; n >= 0; --n) {
            SetCursorPos(static_cast<int>(target.x - n * dx * kGlideStepFraction),
                         static_cast<int>(target.y - n * dy * kGlideStepFraction));
            Sleep(kGlideStepMs);
        }
        Sleep(kClickPauseMs);
        const LPARAM at = MAKELPARAM(kPlaylistButtonPoint.x, kPlaylistButtonPoint.y);
        SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ToggleButton(playButton);
        Sleep(kClickPauseMs);
        SendMessageA(w, WM_LBUTTONUP, 0, at);
        RestoreMessageArea();
    }
    if (playButton.IsOn())
        PlayCurrent();
    else
        StopSong();
}

void PlayerApp::BeginSeekPreview()
{
    const int32_t position = CurrentPosition();
    const int32_t length = CurrentLength();
    // A song of no length has nowhere to seek: the preview starts at the beginning.
    double percent = length != 0 ? position * 100.0 / length : 0.0;
    if (percent < 0.0)
        percent = 0.0;
    if (percent > 100.0)
        percent = 100.0;
    InterlockedExchange(&seekPreview, static_cast<LONG>(percent));
}

void PlayerApp::AdjustSeekPreview(int32_t change)
{
    LONG preview = seekPreview + (change >> 10);  // whole percent per 1024 of the knob's turn
    if (preview > 100)
        preview = 100;
    if (preview < 0)
        preview = 0;
    InterlockedExchange(&seekPreview, preview);
}

void PlayerApp::CommitSeek()
{
    {
        PlaybackGuard guard(playback);
        const int32_t length = CurrentLength();
        // In 64 bits: a song longer than about six hours would overflow 32.
        const int64_t scaled = static_cast<int64_t>(length) * seekPreview;
        const auto position = static_cast<int32_t>(static_cast<double>(scaled) * 0.01);
        // The song still heard has ended in its plug-in: the seek plays it again from there.
        if (heard.active && heard.index >= 0 && heard.index < playlist.count) {
            currentIndex = heard.index;
            PlayCurrent();
        }
        if (PluginSlot* slot = CurrentSlot())
            slot->Seek(position);
    }
    InterlockedExchange(&seekPreview, -1);
}

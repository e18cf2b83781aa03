// Pause and the volume knob.
//
// Pause holds the audio device (app/PlayerApp.h's `audio`): its queued blocks wait, the plug-in's
// decoder thread soon finds the ring full and waits in its write, and resuming plays on from the
// very next sample. No plug-in takes part, so every plug-in pauses.
#include <windows.h>

#include "app/PlayerApp.h"
#include "app/VolumeScale.h"
#include "playback/PluginSlot.h"
#include "settings/Settings.h"

namespace {

// How long a seek made while paused waits for the decoder thread to fill the ring and wait:
// only then can its next block be let go without a sound.
constexpr DWORD kParkWaitMs = 500;

// Every plug-in keeps the volume, so the next song plays at it whichever plug-in plays it.
void SetEveryPluginVolume(PluginSlot* const* slots, int32_t count, uint32_t packed)
{
    for (int32_t i = 0; i < count; ++i)
        if (slots[i] != nullptr)
            slots[i]->SetVolume(static_cast<int32_t>(packed));
}

}  // namespace

void PlayerApp::SetButton(SkinButton& button, int on)
{
    if ((button.IsOn() != 0) != (on != 0))
        ToggleButton(button);
}

void PlayerApp::TogglePause()
{
    PlaybackGuard guard(playback);
    if (IsPaused())
        ResumeSong();
    else if (songLoaded)
        PauseSong();
    else
        PlayCurrent();
    // The pause control shows the state whatever the press made of it (a press with nothing
    // to pause lights it for a moment only).
    SetButton(pauseButton, IsPaused());
}

void PlayerApp::PauseSong()
{
    PlaybackGuard guard(playback);
    audio.Pause();
    SetButton(pauseButton, 1);
    SetButton(playButton, 0);
}

void PlayerApp::ResumeSong()
{
    PlaybackGuard guard(playback);
    audio.Resume();
    SetButton(pauseButton, 0);
    SetButton(playButton, 1);
}

void PlayerApp::SeekTo(int32_t millis)
{
    PlaybackGuard guard(playback);
    const int32_t length = CurrentLength();
    // The song still heard has ended in its plug-in: the seek plays it again from there.
    if (heard.active && heard.index >= 0 && heard.index < playlist.count) {
        currentIndex = heard.index;
        PlayCurrent(IsPaused());
    }
    PluginSlot* slot = CurrentSlot();
    if (slot == nullptr)
        return;
    if (length >= 0 && millis > length)
        millis = length;
    if (millis < 0)
        millis = 0;
    // The plug-in takes the seek between two blocks; paused, its thread waits with a block
    // in hand, which must go unheard.
    if (IsPaused() && audio.WaitForParkedWriter(kParkWaitMs)) {
        slot->Seek(millis);
        audio.SkipParkedBlock();
    } else {
        slot->Seek(millis);
    }
}

void PlayerApp::SetVolumeKnob(int32_t knob)
{
    {
        PaintLock paint(*this);
        volumeKnob.value = knob < kVolumeKnobMin ? kVolumeKnobMin
                           : knob > kVolumeKnobMax ? kVolumeKnobMax
                                                   : knob;
    }
    const uint32_t packed = PackedVolume(VolumeOfKnob(volumeKnob.value));
    gSettings.audioVolume = static_cast<int32_t>(packed);
    PlaybackGuard guard(playback);
    SetEveryPluginVolume(pluginSlots, pluginCount, packed);
}

void PlayerApp::StepVolume(int32_t steps)
{
    SetVolumeKnob(volumeKnob.value + steps * kVolumeKnobStep);
}

void PlayerApp::ApplyStoredVolume()
{
    const uint32_t packed = StoredVolume(gSettings.audioVolume);
    volumeKnob.value = KnobOfVolume(packed);
    gSettings.audioVolume = static_cast<int32_t>(packed);
    // As stored, both sides: a file written by hand may hold two different ones.
    PlaybackGuard guard(playback);
    SetEveryPluginVolume(pluginSlots, pluginCount, packed);
}

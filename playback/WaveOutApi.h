// The wave-out calls the audio device makes, as a table of function pointers.
//
// The device calls the platform only through such a table, so that tests can stand a recording
// fake in front of it: no sound device needed, and a failure can be injected on any call.
#pragma once

#include <windows.h>
#include <mmsystem.h>

struct WaveOutApi {
    MMRESULT (WINAPI* Open)(LPHWAVEOUT waveOut, UINT deviceId, LPCWAVEFORMATEX format,
                            DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
    MMRESULT (WINAPI* PrepareHeader)(HWAVEOUT waveOut, LPWAVEHDR header, UINT headerSize);
    MMRESULT (WINAPI* Write)(HWAVEOUT waveOut, LPWAVEHDR header, UINT headerSize);
    MMRESULT (WINAPI* Reset)(HWAVEOUT waveOut);
    MMRESULT (WINAPI* UnprepareHeader)(HWAVEOUT waveOut, LPWAVEHDR header, UINT headerSize);
    MMRESULT (WINAPI* Close)(HWAVEOUT waveOut);
    // Holding the queued blocks and playing them on; a table may leave both null (no pause).
    MMRESULT (WINAPI* Pause)(HWAVEOUT waveOut);
    MMRESULT (WINAPI* Restart)(HWAVEOUT waveOut);
};

// The platform's own wave-out functions.
extern const WaveOutApi kSystemWaveOut;

#include "playback/WaveOutApi.h"

const WaveOutApi kSystemWaveOut = {
    waveOutOpen, waveOutPrepareHeader, waveOutWrite, waveOutReset, waveOutUnprepareHeader,
    waveOutClose, waveOutPause, waveOutRestart,
};

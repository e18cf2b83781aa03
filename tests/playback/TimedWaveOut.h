// The platform's wave-out functions with a clock on them: every call goes to the real device,
// and the test can read when blocks were queued and when the device reported them finished.
// Used to check the real device's protocol (every queued block comes back once) and to measure
// its timing.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <mutex>
#include <vector>

#include "playback/WaveOutApi.h"

struct TimedEvent {
    double millis;     // since Reset()
    DWORD_PTR user;    // the header's dwUser: the block's tag
};

class TimedWaveOut {
public:
    static TimedWaveOut& Get();
    static const WaveOutApi kApi;

    void Reset();
    std::vector<TimedEvent> Writes();
    std::vector<TimedEvent> Finished();  // WOM_DONE, in the order the device reported them
    int Opens();
    int Closes();
    double Now() const;

private:
    friend struct TimedWaveOutFunctions;
    std::mutex mutex;
    LARGE_INTEGER start{};
    LARGE_INTEGER frequency{};
    DWORD_PTR deviceCallback = 0;
    std::vector<TimedEvent> writes;
    std::vector<TimedEvent> finished;
    int opens = 0;
    int closes = 0;
};

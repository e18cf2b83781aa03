// A recording stand-in for the platform's wave-out functions, put in front of an AudioDevice
// through its WaveOutApi seam: no sound device, blocks finish when the test says so, and any
// call can be made to fail.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "playback/WaveOutApi.h"

struct FakeWaveOutCall {
    std::string name;      // "Open", "PrepareHeader", "Write", "Reset", "UnprepareHeader", "Close"
    WAVEHDR* header;       // for the header calls
    UINT headerSize;
    std::string data;      // Write: the block's bytes as they were at the call
    DWORD_PTR user;        // Write: the header's dwUser at the call
};

class FakeWaveOut {
public:
    // The one fake (the seam takes plain functions). Reset() before each test.
    static FakeWaveOut& Get();
    static const WaveOutApi kApi;

    void Reset();

    // Reports the oldest queued block finished (WOM_DONE to the device's call-back) on the
    // calling thread; false when nothing is queued.
    bool FinishNext();
    size_t QueuedCount();
    std::vector<FakeWaveOutCall> Calls();
    std::vector<std::string> CallNames();

    // Answers.
    MMRESULT openResult = MMSYSERR_NOERROR;
    int failWriteNumber = 0;  // the Write call (1-based) that fails with MMSYSERR_ERROR; 0: none

    // What Open received.
    UINT openDevice = 0;
    WAVEFORMATEX openFormat = {};
    DWORD_PTR openCallback = 0;
    DWORD_PTR openInstance = 0;
    DWORD openFlags = 0;

private:
    friend struct FakeWaveOutFunctions;
    void Deliver(WAVEHDR* header);

    std::mutex mutex;
    std::vector<FakeWaveOutCall> calls;
    std::deque<WAVEHDR*> queued;
    int writeCalls = 0;
};

// The handle the fake hands out.
inline HWAVEOUT const kFakeWaveOutHandle = reinterpret_cast<HWAVEOUT>(static_cast<INT_PTR>(0x5A5A));

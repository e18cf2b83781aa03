#include "tests/playback/TimedWaveOut.h"

struct TimedWaveOutFunctions {
    // Stands between the device and its call-back to note the time of each finished block.
    static void CALLBACK OnMessage(HWAVEOUT waveOut, UINT message, DWORD_PTR instance,
                                   DWORD_PTR param1, DWORD_PTR param2)
    {
        TimedWaveOut& timed = TimedWaveOut::Get();
        DWORD_PTR forward;
        {
            std::lock_guard<std::mutex> lock(timed.mutex);
            if (message == WOM_DONE)
                timed.finished.push_back({timed.Now(), reinterpret_cast<WAVEHDR*>(param1)->dwUser});
            forward = timed.deviceCallback;
        }
        reinterpret_cast<void(CALLBACK*)(HWAVEOUT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR)>(forward)(
            waveOut, message, instance, param1, param2);
    }

    static MMRESULT WINAPI Open(LPHWAVEOUT waveOut, UINT deviceId, LPCWAVEFORMATEX format,
                                DWORD_PTR callback, DWORD_PTR instance, DWORD flags)
    {
        {
            TimedWaveOut& timed = TimedWaveOut::Get();
            std::lock_guard<std::mutex> lock(timed.mutex);
            timed.deviceCallback = callback;
            ++timed.opens;
        }
        return waveOutOpen(waveOut, deviceId, format, reinterpret_cast<DWORD_PTR>(&OnMessage),
                           instance, flags);
    }

    static MMRESULT WINAPI Write(HWAVEOUT waveOut, LPWAVEHDR header, UINT size)
    {
        TimedWaveOut& timed = TimedWaveOut::Get();
        {
            std::lock_guard<std::mutex> lock(timed.mutex);
            timed.writes.push_back({timed.Now(), header->dwUser});
        }
        return waveOutWrite(waveOut, header, size);
    }

    static MMRESULT WINAPI Close(HWAVEOUT waveOut)
    {
        const MMRESULT result = waveOutClose(waveOut);
        TimedWaveOut& timed = TimedWaveOut::Get();
        std::lock_guard<std::mutex> lock(timed.mutex);
        ++timed.closes;
        return result;
    }
};

const WaveOutApi TimedWaveOut::kApi = {
    TimedWaveOutFunctions::Open, waveOutPrepareHeader, TimedWaveOutFunctions::Write,
    waveOutReset, waveOutUnprepareHeader, TimedWaveOutFunctions::Close, waveOutPause,
    waveOutRestart,
};

TimedWaveOut& TimedWaveOut::Get()
{
    static TimedWaveOut timed;
    return timed;
}

void TimedWaveOut::Reset()
{
    std::lock_guard<std::mutex> lock(mutex);
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    writes.clear();
    finished.clear();
    opens = 0;
    closes = 0;
}

double TimedWaveOut::Now() const
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

std::vector<TimedEvent> TimedWaveOut::Writes()
{
    std::lock_guard<std::mutex> lock(mutex);
    return writes;
}

std::vector<TimedEvent> TimedWaveOut::Finished()
{
    std::lock_guard<std::mutex> lock(mutex);
    return finished;
}

int TimedWaveOut::Opens()
{
    std::lock_guard<std::mutex> lock(mutex);
    return opens;
}

int TimedWaveOut::Closes()
{
    std::lock_guard<std::mutex> lock(mutex);
    return closes;
}

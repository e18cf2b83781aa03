#include "tests/playback/FakeWaveOut.h"

struct FakeWaveOutFunctions {
    static MMRESULT WINAPI Open(LPHWAVEOUT waveOut, UINT deviceId, LPCWAVEFORMATEX format,
                                DWORD_PTR callback, DWORD_PTR instance, DWORD flags)
    {
        FakeWaveOut& fake = FakeWaveOut::Get();
        std::lock_guard<std::mutex> lock(fake.mutex);
        fake.calls.push_back({"Open", nullptr, 0, {}, 0});
        fake.openDevice = deviceId;
        fake.openFormat = *format;
        fake.openCallback = callback;
        fake.openInstance = instance;
        fake.openFlags = flags;
        if (fake.openResult != MMSYSERR_NOERROR)
            return fake.openResult;
        *waveOut = kFakeWaveOutHandle;
        return MMSYSERR_NOERROR;
    }

    static MMRESULT WINAPI PrepareHeader(HWAVEOUT, LPWAVEHDR header, UINT size)
    {
        FakeWaveOut& fake = FakeWaveOut::Get();
        std::lock_guard<std::mutex> lock(fake.mutex);
        fake.calls.push_back({"PrepareHeader", header, size, {}, 0});
        header->dwFlags |= WHDR_PREPARED;
        return MMSYSERR_NOERROR;
    }

    static MMRESULT WINAPI Write(HWAVEOUT, LPWAVEHDR header, UINT size)
    {
        FakeWaveOut& fake = FakeWaveOut::Get();
        std::lock_guard<std::mutex> lock(fake.mutex);
        fake.calls.push_back({"Write", header, size,
                              std::string(header->lpData, header->dwBufferLength), header->dwUser});
        if (++fake.writeCalls == fake.failWriteNumber)
            return MMSYSERR_ERROR;
        header->dwFlags = (header->dwFlags | WHDR_INQUEUE) & ~static_cast<DWORD>(WHDR_DONE);
        fake.queued.push_back(header);
        return MMSYSERR_NOERROR;
    }

    // Like the platform's: every queued block comes back finished before Reset returns.
    static MMRESULT WINAPI Reset(HWAVEOUT)
    {
        FakeWaveOut& fake = FakeWaveOut::Get();
        {
            std::lock_guard<std::mutex> lock(fake.mutex);
            fake.calls.push_back({"Reset", nullptr, 0, {}, 0});
        }
        while (fake.FinishNext()) {
        }
        return MMSYSERR_NOERROR;
    }

    static MMRESULT WINAPI UnprepareHeader(HWAVEOUT, LPWAVEHDR header, UINT size)
    {
        FakeWaveOut& fake = FakeWaveOut::Get();
        std::lock_guard<std::mutex> lock(fake.mutex);
        fake.calls.push_back({"UnprepareHeader", header, size, {}, 0});
        header->dwFlags &= ~static_cast<DWORD>(WHDR_PREPARED);
        return MMSYSERR_NOERROR;
    }

    static MMRESULT WINAPI Close(HWAVEOUT)
    {
        FakeWaveOut& fake = FakeWaveOut::Get();
        std::lock_guard<std::mutex> lock(fake.mutex);
        fake.calls.push_back({"Close", nullptr, 0, {}, 0});
        return MMSYSERR_NOERROR;
    }
};

const WaveOutApi FakeWaveOut::kApi = {
    FakeWaveOutFunctions::Open,  FakeWaveOutFunctions::PrepareHeader,
    FakeWaveOutFunctions::Write, FakeWaveOutFunctions::Reset,
    FakeWaveOutFunctions::UnprepareHeader, FakeWaveOutFunctions::Close,
};

FakeWaveOut& FakeWaveOut::Get()
{
    static FakeWaveOut fake;
    return fake;
}

void FakeWaveOut::Reset()
{
    std::lock_guard<std::mutex> lock(mutex);
    calls.clear();
    queued.clear();
    writeCalls = 0;
    openResult = MMSYSERR_NOERROR;
    failWriteNumber = 0;
    openDevice = 0;
    openFormat = {};
    openCallback = 0;
    openInstance = 0;
    openFlags = 0;
}

bool FakeWaveOut::FinishNext()
{
    WAVEHDR* header;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (queued.empty())
            return false;
        header = queued.front();
        queued.pop_front();
        // As the platform does, the header is handed back before the call-back hears of it.
        header->dwFlags = (header->dwFlags | WHDR_DONE) & ~static_cast<DWORD>(WHDR_INQUEUE);
    }
    Deliver(header);
    return true;
}

void FakeWaveOut::Deliver(WAVEHDR* header)
{
    // Outside the lock, as the platform calls back from a context of its own.
    auto callback = reinterpret_cast<LPDRVCALLBACK>(openCallback);
    callback(reinterpret_cast<HDRVR>(kFakeWaveOutHandle), WOM_DONE, openInstance,
             reinterpret_cast<DWORD_PTR>(header), 0);
}

size_t FakeWaveOut::QueuedCount()
{
    std::lock_guard<std::mutex> lock(mutex);
    return queued.size();
}

std::vector<FakeWaveOutCall> FakeWaveOut::Calls()
{
    std::lock_guard<std::mutex> lock(mutex);
    return calls;
}

std::vector<std::string> FakeWaveOut::CallNames()
{
    std::vector<std::string> names;
    for (const FakeWaveOutCall& call : Calls())
        names.push_back(call.name);
    return names;
}

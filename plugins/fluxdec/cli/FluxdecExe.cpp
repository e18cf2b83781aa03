// fluxdec.exe (Windows): the command-line decoder through the plug-in path. It loads Fluxdec.cvp
// from its own folder and drives it exactly as the player does (Query, Initialise, OpenFile,
// Start; the host call-backs HostAudioOpen, HostAudioWrite, HostAudioClose; then Stop and
// CloseFile), writing every block that HostAudioWrite received, so that its output is precisely
// what the plug-in delivered.
//   fluxdec [--raw] [--start-sample N] [--replay-gain off|track|album] IN.mp3 OUT|-
//                       decode, from output sample N on (the plug-in's Seek in samples before
//                       Start), with the ReplayGain asked for in the record's host flags
//   fluxdec --info IN.mp3   what the plug-in tells of the song (its records carry no gains)
// A file whose format changes is written up to the change, as the native fluxdec writes it.
// Exit status 0 on success (no frames: empty output), 1 when the input cannot be opened, the
// output cannot be written or the plug-in cannot be loaded, 2 on a usage error.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "plugins/api/PluginApi.h"
#include "plugins/fluxdec/cli/Arguments.h"
#include "plugins/fluxdec/cli/WavWriter.h"

namespace {

// The host side of the record: what the player's audio output would do, into a file.
struct CaptureHost {
    fluxdec::PcmOutput* out;  // null: the blocks are counted, not kept
    HANDLE opened;          // owned: set by HostAudioOpen
    HANDLE closed;          // owned: set by HostAudioClose
    int32_t sampleRate = 0;
    int32_t channels = 0;
    // One output holds one format: the stream's first. From the first change on (named here)
    // no block is written.
    int32_t changedRate = 0;
    int32_t changedChannels = 0;
    volatile LONG writes = 0;  // counted on the decoder thread, watched by the main thread
    bool writeFailed = false;
    LARGE_INTEGER firstWrite{};  // when the first block came (QueryPerformanceCounter)
};

double MsSince(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

int32_t HostOpen(void* context, int32_t rate, int32_t channels, int32_t) {
    CaptureHost* host = static_cast<CaptureHost*>(context);
    if (host->channels == 0) {
        host->sampleRate = rate;
        host->channels = channels;
        if (host->out) host->out->SetFormat(rate, channels);
    } else if (host->changedChannels == 0 && (rate != host->sampleRate || channels != host->channels)) {
        host->changedRate = rate;
        host->changedChannels = channels;
    }
    SetEvent(host->opened);
    return 1;
}

int32_t HostWrite(void* context, int32_t length, const void* data, int32_t) {
    CaptureHost* host = static_cast<CaptureHost*>(context);
    // The decoder thread may write a few blocks of the next format before the main thread stops
    // it at the close that ended the first.
    if (host->changedChannels != 0) return length;
    if (InterlockedIncrement(&host->writes) == 1) QueryPerformanceCounter(&host->firstWrite);
    if (length <= 0 || !data) return 0;
    if (host->out && !host->out->Write(static_cast<const int16_t*>(data), size_t(length / 2))) {
        host->writeFailed = true;
        return 0;
    }
    return length;
}

int32_t HostClose(void* context, int32_t) {
    SetEvent(static_cast<CaptureHost*>(context)->closed);  // the second close (from Stop) is harmless
    return 1;
}

// --info: what the player learns of the song through the plug-in's records: the file info once
// the first block has come (the length is exact by then for a song of a few megabytes, whose
// scan ends with the first block), and the format that the song's first block opens the output
// with. On standard error: how long OpenFile took, and when the first block came.
int PrintInfo(PluginRecord* record, CaptureHost* host, const LARGE_INTEGER& openStart,
              const LARGE_INTEGER& openEnd) {
    record->Start(record);
    const HANDLE either[] = {host->opened, host->closed};
    WaitForMultipleObjects(2, either, FALSE, 5000);
    for (int i = 0; i < 500 && host->writes == 0; ++i) Sleep(1);
    PluginFileInfo info{};
    const bool told = record->GetFileInfo && record->GetFileInfo(record, &info);
    record->Stop(record);
    if (!told) {
        std::fprintf(stderr, "fluxdec: the plug-in gives no file info\n");
        return 1;
    }
    if (host->writes) {
        std::fprintf(stderr, "fluxdec: OpenFile took %.1f ms; the first block came %.1f ms after it began\n",
                     MsSince(openStart, openEnd), MsSince(openStart, host->firstWrite));
    }
    std::printf("title: %s\n", info.title ? info.title : "");
    std::printf("sample-rate: %d\n", int(host->sampleRate));
    std::printf("channels: %d\n", int(host->channels));
    std::printf("samples: %ld\n", long(info.lengthB));
    std::printf("length-ms: %ld\n", long(info.lengthA));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    fluxdec::Arguments args;
    if (!fluxdec::ParseArguments(argc, argv, &args)) return 2;
    const bool raw = args.raw;
    const char* inPath = args.inPath;
    const std::string& outPath = args.outPath;

    char exePath[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, exePath, MAX_PATH);
    std::string dir(exePath, n);
    dir = dir.substr(0, dir.find_last_of("\\/") + 1);
    const std::string pluginPath = dir + "Fluxdec.cvp";
    HMODULE module = LoadLibraryA(pluginPath.c_str());
    if (!module) {
        std::fprintf(stderr, "fluxdec: cannot load the plug-in '%s'\n", pluginPath.c_str());
        return 1;
    }
    auto query = reinterpret_cast<PluginQueryFn>(reinterpret_cast<void*>(GetProcAddress(module, kQueryExport)));
    auto initialise =
        reinterpret_cast<PluginInitialiseFn>(reinterpret_cast<void*>(GetProcAddress(module, kInitialiseExport)));
    if (!query || !initialise) {
        std::fprintf(stderr, "fluxdec: '%s' lacks the Query or Initialise export\n", pluginPath.c_str());
        return 1;
    }

    fluxdec::PcmOutput out;
    CaptureHost host;
    host.out = args.info ? nullptr : &out;
    host.opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    host.closed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    PluginRecord record;
    std::memset(&record, 0, sizeof record);
    record.pluginModule = module;
    record.hostContext = &host;
    record.HostAudioOpen = HostOpen;
    record.HostAudioWrite = HostWrite;
    record.HostAudioClose = HostClose;
    record.reserved20 = int32_t(args.replayGain) << kHostFlagReplayGainShift;
    query();
    initialise(&record);
    LARGE_INTEGER openStart, openEnd;
    QueryPerformanceCounter(&openStart);
    if (!record.OpenFile || !record.OpenFile(&record, inPath)) {
        std::fprintf(stderr, "fluxdec: cannot open input '%s'\n", inPath);
        return 1;
    }
    QueryPerformanceCounter(&openEnd);
    if (args.info) {
        const int status = PrintInfo(&record, &host, openStart, openEnd);
        record.CloseFile(&record);
        return status;
    }
    std::string error;
    if (!out.Open(outPath, !raw, &error)) {
        std::fprintf(stderr, "fluxdec: %s\n", error.c_str());
        record.CloseFile(&record);
        return 1;
    }
    // The seek waits for the decoder thread, which takes it before its first block.
    if (args.startSample > 0 &&
        (!record.Seek || !record.Seek(&record, int32_t(args.startSample < INT32_MAX ? args.startSample : INT32_MAX),
                                      kSeekFormB))) {
        std::fprintf(stderr, "fluxdec: the plug-in cannot seek\n");
        record.CloseFile(&record);
        return 1;
    }

    LARGE_INTEGER frequency, t0, t1;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&t0);
    record.Start(&record);
    // HostAudioClose comes at the end of the stream. A plug-in whose decoder thread never ran (or
    // died) would never call it: a few seconds without a single block means it will not.
    bool stalled = false;
    for (LONG seen = -1; WaitForSingleObject(host.closed, 5000) == WAIT_TIMEOUT; seen = host.writes) {
        if (host.writes == seen) {
            stalled = true;
            break;
        }
    }
    QueryPerformanceCounter(&t1);
    record.Stop(&record);
    record.CloseFile(&record);
    CloseHandle(host.closed);
    CloseHandle(host.opened);

    if (stalled) {
        std::fprintf(stderr, "fluxdec: the plug-in stopped decoding without closing its output\n");
        return 1;
    }
    if (!out.Close(&error) || host.writeFailed) {
        std::fprintf(stderr, "fluxdec: %s\n", error.empty() ? "cannot write output" : error.c_str());
        return 1;
    }
    if (host.changedChannels != 0)
        std::fprintf(stderr, "fluxdec: the stream changes to %d Hz, %d channel%s; the rest is not written\n",
                     int(host.changedRate), int(host.changedChannels), host.changedChannels == 1 ? "" : "s");
    const double elapsed = double(t1.QuadPart - t0.QuadPart) / double(frequency.QuadPart);
    const double seconds = host.channels > 0 && host.sampleRate > 0
                               ? double(out.BytesWritten()) / (2.0 * host.channels * host.sampleRate)
                               : 0.0;
    std::fprintf(stderr, "fluxdec: %ld frames, %d Hz, %d channel%s, %.1fx real time\n", long(host.writes),
                 int(host.sampleRate), int(host.channels), host.channels == 1 ? "" : "s",
                 elapsed > 0 ? seconds / elapsed : 0.0);
    return 0;
}

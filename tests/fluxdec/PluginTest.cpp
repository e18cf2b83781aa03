// Fluxdec.cvp driven through its records by a fake host, as the player drives it: the
// description and file info, the call-back sequence of a song, and Stop in its three situations
// (no thread, a thread blocked in HostAudioWrite, a thread that never comes back), and the
// entries called from two threads at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "plugins/api/PluginApi.h"
#include "tests/fluxdec/StreamBuilder.h"

using fluxdec_test::Append;
using fluxdec_test::MakeHeader;
using fluxdec_test::SilentFrame;

namespace {

// Records every call-back; HostAudioWrite can be made slow (a full device) or never return.
struct FakeHost {
    std::mutex lock;
    std::vector<std::string> calls;  // guarded by lock
    std::vector<int32_t> writeSizes; // guarded by lock
    std::atomic<int> writes{0};
    // The decoder's arrays are the library's globals: two of its threads must never write at once.
    std::atomic<int> writersInside{0};
    std::atomic<int> mostWritersInside{0};
    HANDLE closedByThread = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // owned
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);           // owned, never set
    DWORD writeDelayMs = 0;
    bool writeBlocksForever = false;
    int32_t closeResult = 1;
    DWORD drainMs = 0;  // a draining close waits this long, as the queued blocks play out
    ~FakeHost() {
        CloseHandle(closedByThread);
        CloseHandle(never);
    }
    void Log(const std::string& s) {
        std::lock_guard<std::mutex> g(lock);
        calls.push_back(s);
    }
    std::vector<std::string> Calls() {
        std::lock_guard<std::mutex> g(lock);
        return calls;
    }
    static int32_t Open(void* c, int32_t rate, int32_t channels, int32_t reserved) {
        static_cast<FakeHost*>(c)->Log("open " + std::to_string(rate) + " " + std::to_string(channels) + " " +
                                       std::to_string(reserved));
        return 1;
    }
    static int32_t Write(void* c, int32_t length, const void* data, int32_t tag) {
        FakeHost* h = static_cast<FakeHost*>(c);
        bool silent = true;
        for (int32_t i = 0; i < length; ++i) silent &= static_cast<const uint8_t*>(data)[i] == 0;
        {
            std::lock_guard<std::mutex> g(h->lock);
            h->writeSizes.push_back(length);
            if (!silent || tag != 0) h->calls.push_back("bad write");
        }
        ++h->writes;
        const int inside = ++h->writersInside;
        for (int most = h->mostWritersInside; inside > most;) {
            if (h->mostWritersInside.compare_exchange_weak(most, inside)) break;
        }
        if (h->writeBlocksForever) WaitForSingleObject(h->never, INFINITE);
        if (h->writeDelayMs) Sleep(h->writeDelayMs);
        --h->writersInside;
        return length;
    }
    static int32_t Close(void* c, int32_t immediate) {
        FakeHost* h = static_cast<FakeHost*>(c);
        h->Log("close " + std::to_string(immediate));
        if (immediate == 0) {
            SetEvent(h->closedByThread);
            Sleep(h->drainMs);
        }
        return h->closeResult;
    }
};

class Plugin : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryA("Fluxdec.cvp");
        ASSERT_NE(module_, nullptr) << "Fluxdec.cvp next to the test";
    }
    void SetUp() override {
        ASSERT_NE(module_, nullptr);
        query_ = reinterpret_cast<PluginQueryFn>(reinterpret_cast<void*>(GetProcAddress(module_, kQueryExport)));
        auto init = reinterpret_cast<PluginInitialiseFn>(reinterpret_cast<void*>(GetProcAddress(module_, kInitialiseExport)));
        shutdown_ = reinterpret_cast<PluginShutdownFn>(reinterpret_cast<void*>(GetProcAddress(module_, kShutdownExport)));
        auto configure = reinterpret_cast<PluginConfigureFn>(reinterpret_cast<void*>(GetProcAddress(module_, kConfigureExport)));
        ASSERT_TRUE(query_ && init && shutdown_ && configure);
        EXPECT_EQ(configure(), 1);
        std::memset(&record_, 0, sizeof record_);
        record_.pluginModule = module_;
        record_.hostContext = &host_;
        record_.HostAudioOpen = FakeHost::Open;
        record_.HostAudioWrite = FakeHost::Write;
        record_.HostAudioClose = FakeHost::Close;
        record_.reserved24 = 99;
        ASSERT_EQ(init(&record_), 1);
    }
    void TearDown() override {
        if (shutdown_) shutdown_(&record_);
        for (const std::string& f : files_) DeleteFileA(f.c_str());
    }
    std::string WriteFile(const std::vector<uint8_t>& data) {
        char dir[MAX_PATH], name[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        GetTempFileNameA(dir, "fdx", 0, name);
        FILE* f = std::fopen(name, "wb");
        std::fwrite(data.data(), 1, data.size(), f);
        std::fclose(f);
        files_.push_back(name);
        return name;
    }
    static std::vector<uint8_t> Frames(const fluxdec::FrameHeader& h, int count) {
        std::vector<uint8_t> data;
        for (int i = 0; i < count; ++i) Append(data, SilentFrame(h));
        return data;
    }
    // Plays `path` to its end: OpenFile, Start, wait for the thread's close, Stop, CloseFile.
    void PlayToEnd(const std::string& path) {
        ASSERT_EQ(record_.OpenFile(&record_, path.c_str()), 1);
        ASSERT_EQ(record_.Start(&record_), 1);
        ASSERT_EQ(WaitForSingleObject(host_.closedByThread, 20000), WAIT_OBJECT_0);
        // A change of format drains the output too: the song is over when the thread says so.
        for (int i = 0; i < 2000 && record_.IsPlaying(&record_); ++i) Sleep(5);
        record_.Stop(&record_);
        EXPECT_EQ(record_.CloseFile(&record_), 1);
    }

    static DWORD HandleCount() {
        DWORD count = 0;
        EXPECT_NE(GetProcessHandleCount(GetCurrentProcess(), &count), 0);
        return count;
    }

    // One of two host threads driving the record at once: Stop, CloseFile, OpenFile and Start
    // in turn, beginning at `phase`.
    // Each round also holds a fresh handle of its own across the call: a stray second close by
    // the plug-in lands on the lowest free handle number, which such a handle has often just taken.
    struct Caller {
        Plugin* test;
        std::string song;
        int phase;
        int handlesClosedUnderUs;
    };
    static constexpr int kChurnRounds = 1000;
    static DWORD WINAPI Churn(LPVOID param) {
        Caller* caller = static_cast<Caller*>(param);
        PluginRecord& record = caller->test->record_;
        for (int i = 0; i < kChurnRounds; ++i) {
            const HANDLE mine = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            switch ((i + caller->phase) % 3) {
            case 0: record.Stop(&record); break;
            case 1: record.CloseFile(&record); break;
            default:
                if (record.OpenFile(&record, caller->song.c_str())) record.Start(&record);
                break;
            }
            if (WaitForSingleObject(mine, 0) == WAIT_FAILED) ++caller->handlesClosedUnderUs;
            else CloseHandle(mine);
        }
        return 0;
    }

    static HMODULE module_;
    PluginQueryFn query_ = nullptr;
    PluginShutdownFn shutdown_ = nullptr;
    FakeHost host_;
    PluginRecord record_;
    std::vector<std::string> files_;
};

HMODULE Plugin::module_ = nullptr;

}  // namespace

TEST_F(Plugin, DescriptionRecordAndFileInfo) {
    const PluginDescription* d = query_();
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->title, "Corvane - Fluxdec Player");
    EXPECT_EQ(std::memcmp(d->extensions, "mp3\0\0", 5), 0);
    EXPECT_EQ(d->flags, kPluginFlagOptionalEntries | kPluginFlagUtf8Titles);
    EXPECT_EQ(d->spare16, 5);
    EXPECT_EQ(record_.reserved24, 0);
    EXPECT_TRUE(record_.OpenFile && record_.CloseFile && record_.Start && record_.Stop && record_.Seek &&
                record_.GetFileInfo);
    EXPECT_TRUE(record_.IsPlaying && record_.SetVolume && record_.GetVisualData && !record_.OnButton);
    EXPECT_NE(record_.pluginState, nullptr);

    PluginFileInfo info;
    std::memset(&info, 0x55, sizeof info);
    ASSERT_EQ(record_.GetFileInfo(&record_, &info), 1);
    EXPECT_EQ(info.fileType, 0);
    EXPECT_STREQ(info.title, "") << "no song, no title";
    EXPECT_EQ(info.lengthA, -1);
    EXPECT_EQ(info.positionA, -1);
    EXPECT_EQ(info.lengthB, -1);
    EXPECT_EQ(info.positionB, -1);
    EXPECT_EQ(record_.GetFileInfo(&record_, nullptr), 0);
    EXPECT_EQ(record_.IsPlaying(&record_), 0);
}

TEST_F(Plugin, LengthPositionAndTheEndOfASong) {
    // 40 frames of MPEG-1 at 44.1 kHz without a gapless tag: 46080 samples, 1044 ms.
    host_.writeDelayMs = 5;
    ASSERT_EQ(record_.OpenFile(&record_, WriteFile(Frames(MakeHeader(1, 9, 0, 0), 40)).c_str()), 1);
    PluginFileInfo info;
    ASSERT_EQ(record_.GetFileInfo(&record_, &info), 1);
    EXPECT_EQ(info.lengthA, 1044);
    EXPECT_EQ(info.lengthB, 46080);
    EXPECT_EQ(info.positionA, 0);
    EXPECT_EQ(record_.IsPlaying(&record_), 0);
    ASSERT_EQ(record_.Start(&record_), 1);
    EXPECT_EQ(record_.IsPlaying(&record_), 1);
    // The position is the block the device plays: the eighth-last written, never past the length.
    int32_t last = 0;
    while (WaitForSingleObject(host_.closedByThread, 0) == WAIT_TIMEOUT) {
        ASSERT_EQ(record_.GetFileInfo(&record_, &info), 1);
        EXPECT_GE(info.positionA, last);
        EXPECT_LE(info.positionA, info.lengthA);
        EXPECT_LE(info.positionB, std::max(0, int32_t(host_.writes) - 7) * 1152);
        last = info.positionA;
        Sleep(1);
    }
    // Once the drained close has returned, the position passes the length: the song is over.
    for (int i = 0; i < 100 && record_.IsPlaying(&record_); ++i) Sleep(10);
    EXPECT_EQ(record_.IsPlaying(&record_), 0);
    ASSERT_EQ(record_.GetFileInfo(&record_, &info), 1);
    EXPECT_EQ(info.positionA, 1045);
    EXPECT_EQ(info.positionB, 46081);
    record_.Stop(&record_);
    record_.CloseFile(&record_);
}

TEST_F(Plugin, SeekHandsThePlaceToTheThreadWhichDropsTheQueuedAudio) {
    host_.writeDelayMs = 20;  // a full device: the thread waits in every write
    ASSERT_EQ(record_.OpenFile(&record_, WriteFile(Frames(MakeHeader(1, 9, 0, 0), 200)).c_str()), 1);
    ASSERT_EQ(record_.Start(&record_), 1);
    while (host_.writes < 3) Sleep(1);
    ASSERT_EQ(record_.Seek(&record_, 190 * 1152, kSeekFormB), 1);  // the start of frame 190
    const size_t writtenAtTheSeek = size_t(host_.writes.load());
    ASSERT_EQ(WaitForSingleObject(host_.closedByThread, 10000), WAIT_OBJECT_0);
    // The old place's queue is discarded at once and the output opened again for the new one.
    const std::vector<std::string> calls = host_.Calls();
    const std::vector<std::string> expect = {"open 44100 2 0", "close 1", "open 44100 2 0", "close 0"};
    EXPECT_EQ(calls, expect);
    EXPECT_LE(size_t(host_.writes.load()), writtenAtTheSeek + 1 + 10) << "only the last ten frames after the seek";
    record_.Stop(&record_);
    record_.CloseFile(&record_);
}

TEST_F(Plugin, StopWithoutStartClosesTheOutputAtOnce) {
    host_.closeResult = 7;
    EXPECT_EQ(record_.Stop(&record_), 7) << "Stop returns the close's result";
    EXPECT_EQ(host_.Calls(), std::vector<std::string>{"close 1"});
}

TEST_F(Plugin, OpenFileFailsOnAMissingFileAndCutsLongPaths) {
    EXPECT_EQ(record_.OpenFile(&record_, "Z:\\no\\such\\file.mp3"), 0);
    for (size_t length : {2047u, 2048u, 2100u}) {
        const std::string path(length, 'a');
        EXPECT_EQ(record_.OpenFile(&record_, path.c_str()), 0);
        const char* kept = static_cast<const char*>(record_.pluginState);  // the state's first field
        EXPECT_EQ(std::strlen(kept), 2047u) << "path of " << length;
    }
}

TEST_F(Plugin, SongCallBacksOpenWriteEachFrameAndClose) {
    PlayToEnd(WriteFile(Frames(MakeHeader(1, 9, 0, 0), 5)));  // 44.1 kHz stereo
    std::vector<std::string> expect = {"open 44100 2 0", "close 0", "close 1"};
    EXPECT_EQ(host_.Calls(), expect);
    EXPECT_EQ(host_.writeSizes, std::vector<int32_t>(5, 4608));
}

TEST_F(Plugin, LsfAndMonoFramesAreWritten) {
    // MPEG-2 LSF frames (one granule, 576 samples per channel) must reach the host like MPEG-1
    // frames, or such files play silence.
    PlayToEnd(WriteFile(Frames(MakeHeader(0, 8, 0, 1), 3)));  // 22.05 kHz joint stereo
    EXPECT_EQ(host_.Calls().front(), "open 22050 2 0");
    EXPECT_EQ(host_.writeSizes, std::vector<int32_t>(3, 2304));
    host_.writeSizes.clear();
    host_.calls.clear();
    ResetEvent(host_.closedByThread);
    PlayToEnd(WriteFile(Frames(MakeHeader(1, 9, 1, 3), 2)));  // 48 kHz mono
    EXPECT_EQ(host_.Calls().front(), "open 48000 1 0");
    EXPECT_EQ(host_.writeSizes, std::vector<int32_t>(2, 2304));
}

TEST_F(Plugin, AFormatChangeMidStreamDrainsTheOutputAndOpensItAgain) {
    // Two files joined: 44.1 kHz stereo, then 22.05 kHz mono. Played on in the first format, the
    // rest came out at the wrong speed and pitch.
    std::vector<uint8_t> joined = Frames(MakeHeader(1, 9, 0, 0), 3);
    Append(joined, Frames(MakeHeader(0, 8, 0, 3), 2));
    PlayToEnd(WriteFile(joined));
    const std::vector<std::string> expect = {"open 44100 2 0", "close 0", "open 22050 1 0", "close 0", "close 1"};
    EXPECT_EQ(host_.Calls(), expect);
    EXPECT_EQ(host_.writeSizes, (std::vector<int32_t>{4608, 4608, 4608, 1152, 1152}));
}

TEST_F(Plugin, ACraftedFileWhoseFormatFlipsEveryFrameNeitherReopensTheOutputNorEndsThePlayer) {
    // Fault: 24-byte frames alternating mono and stereo made the output drain and reopen with
    // every frame (and a large such file ran the process out of memory). A format that does not
    // last is junk: the first frame plays, then the last (a run up to the end of the file).
    std::vector<uint8_t> flips;
    for (int i = 0; i < 40000; ++i) Append(flips, SilentFrame(MakeHeader(0, 1, 1, i % 2 ? 0 : 3)));
    PlayToEnd(WriteFile(flips));
    const std::vector<std::string> expect = {"open 24000 1 0", "close 0", "open 24000 2 0", "close 0",
                                             "close 1"};
    EXPECT_EQ(host_.Calls(), expect);
    // The next song plays.
    host_.calls.clear();
    ResetEvent(host_.closedByThread);
    PlayToEnd(WriteFile(Frames(MakeHeader(1, 9, 0, 0), 3)));
    EXPECT_EQ(host_.Calls().front(), "open 44100 2 0");
}

TEST_F(Plugin, TheLengthIsEstimatedAtOpenAndExactOnceTheThreadHasScanned) {
    // 1000 frames of 417 bytes (128 kbit/s without padding) and no tag: OpenFile reads the
    // first 256 KB only, and estimates from the bit rate and the file's size.
    const std::string song = WriteFile(Frames(MakeHeader(1, 9, 0, 0), 1000));
    ASSERT_EQ(record_.OpenFile(&record_, song.c_str()), 1);
    PluginFileInfo info;
    ASSERT_EQ(record_.GetFileInfo(&record_, &info), 1);
    EXPECT_NEAR(info.lengthB, 1152000, 1152000 / 100);
    EXPECT_NE(info.lengthB, 1152000);
    ASSERT_EQ(record_.Start(&record_), 1);
    ASSERT_EQ(WaitForSingleObject(host_.closedByThread, 20000), WAIT_OBJECT_0);
    ASSERT_EQ(record_.GetFileInfo(&record_, &info), 1);
    EXPECT_EQ(info.lengthB, 1152000);
    EXPECT_EQ(info.lengthA, 26122);
    record_.Stop(&record_);
    record_.CloseFile(&record_);
}

TEST_F(Plugin, ASeekWhileTheLastBlocksPlayOutIsCarriedOut) {
    // Fault: once the song's last block was written, the thread drained the output and ended
    // the song without looking for a seek: the knob dragged back in the last moments was ignored.
    host_.drainMs = 300;
    ASSERT_EQ(record_.OpenFile(&record_, WriteFile(Frames(MakeHeader(1, 9, 0, 0), 20)).c_str()), 1);
    ASSERT_EQ(record_.Start(&record_), 1);
    ASSERT_EQ(WaitForSingleObject(host_.closedByThread, 10000), WAIT_OBJECT_0);
    ASSERT_EQ(record_.Seek(&record_, 0, kSeekFormB), 1);
    ResetEvent(host_.closedByThread);
    ASSERT_EQ(WaitForSingleObject(host_.closedByThread, 10000), WAIT_OBJECT_0);
    for (int i = 0; i < 200 && record_.IsPlaying(&record_); ++i) Sleep(10);
    EXPECT_EQ(host_.writes, 40) << "the song played again from its start";
    const std::vector<std::string> expect = {"open 44100 2 0", "close 0", "open 44100 2 0", "close 0"};
    EXPECT_EQ(host_.Calls(), expect);
    record_.Stop(&record_);
    record_.CloseFile(&record_);
}

TEST_F(Plugin, FileWithoutFramesOnlyClosesTheOutput) {
    PlayToEnd(WriteFile(std::vector<uint8_t>(100, 'x')));
    std::vector<std::string> expect = {"close 0", "close 1"};
    EXPECT_EQ(host_.Calls(), expect);
}

TEST_F(Plugin, StopWhileTheThreadWaitsInHostAudioWriteReturnsPromptly) {
    // Stop must not wait out its 1000 ms and terminate the thread: the thread sees the stop
    // request when the host's write returns (here after 100 ms, a full device) and ends.
    host_.writeDelayMs = 100;
    ASSERT_EQ(record_.OpenFile(&record_, WriteFile(Frames(MakeHeader(1, 9, 0, 0), 500)).c_str()), 1);
    record_.Start(&record_);
    while (host_.writes < 3) Sleep(5);
    const DWORD t0 = GetTickCount();
    record_.Stop(&record_);
    const DWORD elapsed = GetTickCount() - t0;
    const int writesAtStop = host_.writes;
    EXPECT_LT(elapsed, 900u) << "Stop waited for termination instead of the thread";
    Sleep(250);
    EXPECT_EQ(host_.writes, writesAtStop) << "the thread ended";
    std::vector<std::string> expect = {"open 44100 2 0", "close 1"};
    EXPECT_EQ(host_.Calls(), expect) << "a stopped thread leaves the close to Stop";
    record_.CloseFile(&record_);
}

TEST_F(Plugin, StopTerminatesAThreadThatNeverReturnsAfterOneSecond) {
    host_.writeBlocksForever = true;
    ASSERT_EQ(record_.OpenFile(&record_, WriteFile(Frames(MakeHeader(1, 9, 0, 0), 50)).c_str()), 1);
    record_.Start(&record_);
    while (host_.writes < 1) Sleep(5);
    const DWORD t0 = GetTickCount();
    EXPECT_EQ(record_.Stop(&record_), 1);
    const DWORD elapsed = GetTickCount() - t0;
    EXPECT_GE(elapsed, 900u);
    EXPECT_LT(elapsed, 5000u);
    EXPECT_EQ(host_.Calls().back(), "close 1");
    record_.CloseFile(&record_);
}

TEST_F(Plugin, StopCloseFileAndOpenFileFromSeveralThreadsNeverCloseAHandleTwice) {
    // Fault: the host's window thread and its paint thread (advancing at a song's end) could both
    // pass the "thread running" test and close the same thread or file handle twice; a handle
    // number reused in between was then closed under its new owner.
    // A device that paces the thread: a song is mostly mid-play, and each Stop waits a while
    // for the thread, long enough for the other caller to arrive.
    host_.writeDelayMs = 10;
    const std::string song = WriteFile(Frames(MakeHeader(1, 9, 0, 0), 40));
    const DWORD handlesBefore = HandleCount();

    // Three callers, each starting at another step, so that every pair of entries meets.
    Caller callers[3] = {{this, song, 0, 0}, {this, song, 1, 0}, {this, song, 2, 0}};
    HANDLE threads[3];
    for (int i = 0; i < 3; ++i) {
        threads[i] = CreateThread(nullptr, 0, Churn, &callers[i], 0, nullptr);
        ASSERT_NE(threads[i], nullptr);
    }
    EXPECT_EQ(WaitForMultipleObjects(3, threads, TRUE, 120000), WAIT_OBJECT_0) << "deadlock";
    for (HANDLE thread : threads) CloseHandle(thread);
    record_.Stop(&record_);
    record_.CloseFile(&record_);

    for (const Caller& caller : callers) EXPECT_EQ(caller.handlesClosedUnderUs, 0);
    // A thread may be stopped before its first block (the song's first frames are found and
    // checked first), so a churn may see no write at all; never two at once.
    EXPECT_LE(host_.mostWritersInside, 1) << "one decoder thread at a time";
    EXPECT_EQ(HandleCount(), handlesBefore) << "the decoder threads and files, each closed once";

    // And the record still plays a song from start to end.
    host_.writeDelayMs = 0;
    host_.writeSizes.clear();
    ResetEvent(host_.closedByThread);
    PlayToEnd(song);
    EXPECT_EQ(host_.writeSizes, std::vector<int32_t>(40, 4608));
}

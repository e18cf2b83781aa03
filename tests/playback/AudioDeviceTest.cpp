// The audio device against the recording fake: ring layout, the write/finish protocol, draining
// and immediate closes, and the failure paths. No sound device is involved.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "playback/AudioDevice.h"
#include "tests/playback/FakeWaveOut.h"


namespace {

using namespace std::chrono_literals;
using Names = std::vector<std::string>;

// How long a blocked call is watched before the test concludes it is still blocked, and the
// longest any call that should return is waited for.
constexpr auto kStillBlocked = 150ms;
constexpr auto kReturnsWithin = 5s;

std::string Pattern(size_t length, int seed)
{
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<char>((i * 31 + static_cast<size_t>(seed) * 7 + 1) & 0xFF);
    return bytes;
}

Names Repeated(const std::string& name, int count)
{
    return Names(static_cast<size_t>(count), name);
}

Names Concat(std::initializer_list<Names> parts)
{
    Names all;
    for (const Names& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class AudioDeviceTest : public testing::Test {
protected:
    void SetUp() override
    {
        fake.Reset();
    }

    // Writes `count` blocks of `length` bytes with tags 100, 101, ...
    void WriteBlocks(int count, int length = 4608)
    {
        for (int i = 0; i < count; ++i) {
            const std::string block = Pattern(static_cast<size_t>(length), written);
            ASSERT_EQ(length, device.Write(length, block.data(), 100 + written)) << "block " << written;
            ++written;
        }
    }

    FakeWaveOut& fake = FakeWaveOut::Get();
    AudioDevice device{FakeWaveOut::kApi};
    int written = 0;
};

TEST_F(AudioDeviceTest, ConstructionValues)
{
    EXPECT_NE(nullptr, device.doneEvent);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(device.doneEvent, 0)) << "created non-signalled";
    EXPECT_EQ(nullptr, device.waveOut);
    EXPECT_EQ(nullptr, device.blockMemory);
    EXPECT_EQ(0, device.FreeBuffers());
    EXPECT_EQ(30, device.bufferCount);
    EXPECT_EQ(15, device.bufferMillis);
    EXPECT_EQ(0, device.nextBuffer);
}

// Open: the format, the platform open's arguments, and the ring of headers and buffers in one
// zero-filled block with every header prepared in index order.
TEST_F(AudioDeviceTest, OpenPreparesTheRing)
{
    ASSERT_EQ(1, device.Open(2, 44100));

    EXPECT_EQ(WAVE_FORMAT_PCM, device.format.wFormatTag);
    EXPECT_EQ(2, device.format.nChannels);
    EXPECT_EQ(44100u, device.format.nSamplesPerSec);
    EXPECT_EQ(16, device.format.wBitsPerSample);
    EXPECT_EQ(4, device.format.nBlockAlign);
    EXPECT_EQ(176400u, device.format.nAvgBytesPerSec);
    EXPECT_EQ(0, device.format.cbSize);

    EXPECT_EQ(WAVE_MAPPER, fake.openDevice);
    EXPECT_EQ(0, std::memcmp(&device.format, &fake.openFormat, sizeof(WAVEFORMATEX)));
    EXPECT_EQ(reinterpret_cast<DWORD_PTR>(&AudioDevice::OnDeviceMessage), fake.openCallback);
    EXPECT_EQ(reinterpret_cast<DWORD_PTR>(&device), fake.openInstance);
    EXPECT_EQ(static_cast<DWORD>(CALLBACK_FUNCTION | WAVE_ALLOWSYNC), fake.openFlags);

    EXPECT_EQ(kFakeWaveOutHandle, device.waveOut);
    EXPECT_EQ(8, device.bufferCount);
    EXPECT_EQ(8, device.FreeBuffers());
    EXPECT_EQ(0, device.nextBuffer);
    EXPECT_EQ(92, device.bufferMillis);
    ASSERT_NE(nullptr, device.blockMemory);

    char* base = static_cast<char*>(device.blockMemory);
    char* data = base + 8 * sizeof(WAVEHDR);
    const std::vector<FakeWaveOutCall> calls = fake.Calls();
    ASSERT_EQ(Concat({{"Open"}, Repeated("PrepareHeader", 8)}), fake.CallNames());
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE("header " + std::to_string(i));
        WAVEHDR* header = device.Header(i);
        EXPECT_EQ(reinterpret_cast<WAVEHDR*>(base + sizeof(WAVEHDR) * i), header);
        EXPECT_EQ(data + 16384 * i, header->lpData);
        EXPECT_EQ(16384u, header->dwBufferLength);
        EXPECT_EQ(static_cast<DWORD_PTR>(i), header->dwUser);
        EXPECT_EQ(header, calls[1 + i].header);
        EXPECT_EQ(sizeof(WAVEHDR), calls[1 + i].headerSize);
        EXPECT_EQ(std::string(16384, '\0'), std::string(header->lpData, 16384)) << "zero-filled";
    }
    EXPECT_EQ(0, device.Close(1));
}

TEST_F(AudioDeviceTest, RingFollowsTheOutputValuesItWasHanded)
{
    device.output = {1000, 3, 2};
    ASSERT_EQ(1, device.Open(1, 8000));
    EXPECT_EQ(2u, fake.openDevice);
    EXPECT_EQ(3, device.bufferCount);
    EXPECT_EQ(3, device.FreeBuffers());
    char* data = static_cast<char*>(device.blockMemory) + 3 * sizeof(WAVEHDR);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(data + 1000 * i, device.Header(i)->lpData) << "header " << i;
        EXPECT_EQ(1000u, device.Header(i)->dwBufferLength) << "header " << i;
    }
    EXPECT_EQ(0, device.Write(1001, Pattern(1001, 0).data(), 0)) << "longer than a buffer";
    EXPECT_EQ(1000, device.Write(1000, Pattern(1000, 0).data(), 0));
    device.Close(1);
}

// The play time of one buffer for the usual stream formats.
TEST_F(AudioDeviceTest, BufferMillisForTheUsualFormats)
{
    struct Case { int channels; int rate; int millis; };
    const Case cases[] = {{2, 44100, 92}, {1, 44100, 185}, {2, 22050, 185},
                          {2, 48000, 85}, {1, 22050, 371}};
    for (const Case& c : cases) {
        ASSERT_EQ(1, device.Open(c.channels, c.rate));
        EXPECT_EQ(c.millis, device.bufferMillis) << c.channels << " channels at " << c.rate << " Hz";
        device.Close(1);
    }
}

// A write copies the block into the next buffer and queues that buffer's header with the
// block's length and tag; the caller's buffer is free again at once.
TEST_F(AudioDeviceTest, WriteCopiesAndQueuesTheNextBuffer)
{
    ASSERT_EQ(1, device.Open(2, 44100));
    std::string block = Pattern(4608, 1);
    const std::string sent = block;
    ASSERT_EQ(4608, device.Write(4608, block.data(), -7));
    block.assign(block.size(), 'x');

    WAVEHDR* header = device.Header(0);
    EXPECT_EQ(4608u, header->dwBufferLength) << "the block's length, not the buffer's";
    EXPECT_EQ(static_cast<DWORD_PTR>(0xFFFFFFF9u), header->dwUser) << "the tag";
    EXPECT_EQ(sent, std::string(header->lpData, 4608));
    EXPECT_EQ(7, device.FreeBuffers());
    EXPECT_EQ(1, device.nextBuffer);

    const FakeWaveOutCall write = fake.Calls().back();
    EXPECT_EQ("Write", write.name);
    EXPECT_EQ(header, write.header);
    EXPECT_EQ(sizeof(WAVEHDR), write.headerSize);
    EXPECT_EQ(sent, write.data);
    device.Close(1);
}

// The ninth write after Open finds every buffer queued: it waits until the device finishes the
// first block and then fills buffer 0 again.
TEST_F(AudioDeviceTest, NinthWriteWaitsForTheFirstBlockAndReusesBufferZero)
{
    ASSERT_EQ(1, device.Open(2, 44100));
    WriteBlocks(8);
    ASSERT_EQ(0, device.FreeBuffers());
    ASSERT_EQ(8, device.nextBuffer);

    const std::string ninth = Pattern(4608, 9);
    auto result = std::async(std::launch::async, [&] { return device.Write(4608, ninth.data(), 9); });
    ASSERT_EQ(std::future_status::timeout, result.wait_for(kStillBlocked)) << "ninth write returned early";
    EXPECT_EQ(8u, fake.QueuedCount());

    ASSERT_TRUE(fake.FinishNext());
    ASSERT_EQ(std::future_status::ready, result.wait_for(kReturnsWithin));
    EXPECT_EQ(4608, result.get());

    const FakeWaveOutCall write = fake.Calls().back();
    EXPECT_EQ(device.Header(0), write.header) << "the ninth block goes into buffer 0";
    EXPECT_EQ(ninth, write.data);
    EXPECT_EQ(static_cast<DWORD_PTR>(9), write.user);
    EXPECT_EQ(1, device.nextBuffer);
    EXPECT_EQ(0, device.FreeBuffers());
    device.Close(1);
}

// A draining close returns only after the last queued block was reported finished, then
// resets, unprepares every header in index order and closes.
TEST_F(AudioDeviceTest, DrainingCloseWaitsForEveryBlock)
{
    ASSERT_EQ(1, device.Open(2, 48000));
    WriteBlocks(3);
    ASSERT_TRUE(fake.FinishNext());
    const size_t callsBeforeClose = fake.Calls().size();

    std::atomic<bool> lastFinished{false};
    auto closed = std::async(std::launch::async, [&] {
        const int32_t result = device.Close(0);
        return std::make_pair(result, lastFinished.load());
    });
    ASSERT_EQ(std::future_status::timeout, closed.wait_for(kStillBlocked)) << "did not drain";
    ASSERT_TRUE(fake.FinishNext());
    ASSERT_EQ(std::future_status::timeout, closed.wait_for(kStillBlocked)) << "did not drain";
    lastFinished = true;
    ASSERT_TRUE(fake.FinishNext());
    ASSERT_EQ(std::future_status::ready, closed.wait_for(kReturnsWithin));
    const auto [result, afterLast] = closed.get();
    EXPECT_EQ(0, result);
    EXPECT_TRUE(afterLast) << "returned before the last block finished";

    const std::vector<FakeWaveOutCall> calls = fake.Calls();
    const Names names = fake.CallNames();
    const Names closeCalls(names.begin() + static_cast<long>(callsBeforeClose), names.end());
    EXPECT_EQ(Concat({{"Reset"}, Repeated("UnprepareHeader", 8), {"Close"}}), closeCalls);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(calls[callsBeforeClose + 1 + i].header, calls[1 + i].header) << "unprepare order";
    EXPECT_EQ(nullptr, device.waveOut);
    EXPECT_EQ(nullptr, device.blockMemory);
}

// An immediate close does not wait for the queued blocks: the reset hands them back.
TEST_F(AudioDeviceTest, ImmediateCloseDiscardsTheQueuedBlocks)
{
    ASSERT_EQ(1, device.Open(2, 44100));
    WriteBlocks(8);
    auto closed = std::async(std::launch::async, [&] { return device.Close(1); });
    ASSERT_EQ(std::future_status::ready, closed.wait_for(kReturnsWithin)) << "waited for playback";
    EXPECT_EQ(0, closed.get());
    EXPECT_EQ(0u, fake.QueuedCount());
    EXPECT_EQ(8, device.FreeBuffers()) << "every block came back through the reset";
    EXPECT_EQ(nullptr, device.waveOut);
    EXPECT_EQ(nullptr, device.blockMemory);
}

// The decoder closes with draining at the end of a stream and the plug-in's stop closes again at
// once; a close before any open is also normal (a file without audio).
TEST_F(AudioDeviceTest, CloseWithNothingOpenReturnsAtOnce)
{
    for (int immediate : {0, 1}) {
        EXPECT_EQ(0, device.Close(immediate)) << "before any open, immediate " << immediate;
    }
    EXPECT_TRUE(fake.Calls().empty());

    ASSERT_EQ(1, device.Open(1, 22050));
    WriteBlocks(2, 2304);
    auto drained = std::async(std::launch::async, [&] { return device.Close(0); });
    while (fake.FinishNext() || drained.wait_for(1ms) == std::future_status::timeout) {
    }
    EXPECT_EQ(0, drained.get());
    const size_t callsAfterFirstClose = fake.Calls().size();
    for (int immediate : {1, 0}) {
        auto again = std::async(std::launch::async, [&] { return device.Close(immediate); });
        ASSERT_EQ(std::future_status::ready, again.wait_for(kReturnsWithin));
        EXPECT_EQ(0, again.get()) << "second close, immediate " << immediate;
    }
    EXPECT_EQ(callsAfterFirstClose, fake.Calls().size()) << "a second close released something";
}

// The platform refuses the device: no handle and no ring, so writes touch nothing and the
// close has nothing to release.
TEST_F(AudioDeviceTest, FailedOpenLeavesNoRing)
{
    fake.openResult = MMSYSERR_BADDEVICEID;
    EXPECT_EQ(0, device.Open(2, 44100));
    EXPECT_EQ(nullptr, device.waveOut);
    EXPECT_EQ(nullptr, device.blockMemory);
    EXPECT_EQ(8, device.bufferCount);
    EXPECT_EQ(0, device.FreeBuffers());
    EXPECT_EQ(1, device.TakeOpenFailure()) << "the owner learns that nothing will be heard";
    EXPECT_EQ(0, device.TakeOpenFailure());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(device.endedEvent, 0));

    const std::string block = Pattern(4608, 0);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(0, device.Write(4608, block.data(), i)) << "write " << i;
    EXPECT_EQ(0, device.Close(0));
    EXPECT_EQ(Names{"Open"}, fake.CallNames());
}

// Blocks the device cannot take whole are refused, never cut or copied past a buffer.
TEST_F(AudioDeviceTest, WriteRefusesBlocksThatDoNotFit)
{
    ASSERT_EQ(1, device.Open(2, 44100));
    const size_t callsAfterOpen = fake.Calls().size();
    const std::string big = Pattern(16385, 0);
    EXPECT_EQ(0, device.Write(16385, big.data(), 0)) << "one byte more than a buffer";
    EXPECT_EQ(0, device.Write(0, big.data(), 0)) << "empty";
    EXPECT_EQ(0, device.Write(-1, big.data(), 0)) << "negative";
    EXPECT_EQ(0, device.Write(4, nullptr, 0)) << "no data";
    EXPECT_EQ(callsAfterOpen, fake.Calls().size());
    EXPECT_EQ(8, device.FreeBuffers());
    EXPECT_EQ(0, device.nextBuffer);

    EXPECT_EQ(16384, device.Write(16384, big.data(), 0)) << "exactly a buffer";
    EXPECT_EQ(big.substr(0, 16384), fake.Calls().back().data);
    device.Close(1);
}

// A stream that ends leaves its blocks playing; the next one in the same format follows them in
// the same ring, and the owner learns when the first of its blocks is heard. Another format
// lets the queued blocks play out before the device opens anew.
TEST_F(AudioDeviceTest, NextStreamOfTheSameFormatFollowsTheQueuedBlocks)
{
    ASSERT_EQ(1, device.Open(2, 44100));
    WriteBlocks(3);
    const size_t callsBefore = fake.Calls().size();
    EXPECT_EQ(0, device.EndStream());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(device.endedEvent, 0));
    const uint32_t lastOfFirst = device.QueuedMark();
    device.BeginStop(true);
    EXPECT_EQ(0, device.Close(1)) << "the plug-in's stop after its song played to the end";
    device.EndStop();
    ASSERT_EQ(1, device.Open(2, 44100));
    WriteBlocks(1);
    const Names joined = fake.CallNames();
    EXPECT_EQ(Names{"Write"}, Names(joined.begin() + static_cast<long>(callsBefore), joined.end()))
        << "nothing reset, nothing reopened";
    EXPECT_EQ(device.Header(3), fake.Calls().back().header);
    for (int finished = 0; finished < 3; ++finished) {
        EXPECT_EQ(0, device.HasPlayed(lastOfFirst)) << finished << " finished";
        ASSERT_TRUE(fake.FinishNext());
    }
    EXPECT_EQ(1, device.HasPlayed(lastOfFirst));
    EXPECT_EQ(0, device.HasPlayed(device.QueuedMark()));
    EXPECT_EQ(0, device.CloseIfPlayedOut()) << "the stream is open";

    auto reopened = std::async(std::launch::async, [&] { return device.Open(1, 22050); });
    ASSERT_EQ(std::future_status::timeout, reopened.wait_for(kStillBlocked)) << "did not drain";
    ASSERT_TRUE(fake.FinishNext());
    ASSERT_EQ(std::future_status::ready, reopened.wait_for(kReturnsWithin));
    EXPECT_EQ(1, reopened.get());
    const Names names = fake.CallNames();
    EXPECT_EQ(Concat({{"Reset"}, Repeated("UnprepareHeader", 8), {"Close", "Open"},
                      Repeated("PrepareHeader", 8)}),
              Names(names.end() - 19, names.end()));
    EXPECT_EQ(1, device.format.nChannels);

    WriteBlocks(1, 2304);
    device.EndStream();
    EXPECT_EQ(0, device.CloseIfPlayedOut()) << "a block is still queued";
    ASSERT_TRUE(fake.FinishNext());
    EXPECT_EQ(1, device.CloseIfPlayedOut());
    EXPECT_EQ(nullptr, device.waveOut);
}

// A stop that cuts the song off ends at once whatever the decoder thread waits in: a write
// waiting for a buffer, or the drain before a change of format, however long a buffer plays.
TEST_F(AudioDeviceTest, DiscardingStopEndsEveryWaitAtOnce)
{
    ASSERT_EQ(1, device.Open(1, 8000));
    WriteBlocks(8, 1152);
    auto writer = std::async(std::launch::async, [&] { return device.Write(4, "abcd", 0); });
    auto drain = std::async(std::launch::async, [&] { return device.Close(0); });
    ASSERT_EQ(std::future_status::timeout, writer.wait_for(kStillBlocked));
    device.BeginStop(false);
    // Well within one buffer's play time (1024 ms), which is all a blocked wait could last.
    ASSERT_EQ(std::future_status::ready, writer.wait_for(300ms)) << "the writer still waits";
    ASSERT_EQ(std::future_status::ready, drain.wait_for(300ms)) << "the drain still waits";
    EXPECT_EQ(0, writer.get());
    EXPECT_EQ(nullptr, device.blockMemory);
    EXPECT_EQ(0, device.Open(1, 8000)) << "nothing opens while the stop is under way";
    device.EndStop();
    EXPECT_EQ(0, device.TakeOpenFailure()) << "that was no failure of the device";
}

// A block the platform refuses is not counted as queued: its buffer is filled again by the next
// write, and a draining close does not wait for it.
TEST_F(AudioDeviceTest, RefusedBlockKeepsItsBufferFree)
{
    ASSERT_EQ(1, device.Open(2, 44100));
    fake.failWriteNumber = 3;
    WriteBlocks(2);
    const std::string third = Pattern(4608, 3);
    EXPECT_EQ(0, device.Write(4608, third.data(), 3));
    EXPECT_EQ(6, device.FreeBuffers());
    EXPECT_EQ(2, device.nextBuffer);
    const std::string fourth = Pattern(4608, 4);
    EXPECT_EQ(4608, device.Write(4608, fourth.data(), 4));
    EXPECT_EQ(device.Header(2), fake.Calls().back().header);

    auto drained = std::async(std::launch::async, [&] { return device.Close(0); });
    while (fake.FinishNext() || drained.wait_for(1ms) == std::future_status::timeout) {
    }
    EXPECT_EQ(0, drained.get());
}

// Done-messages that are not the platform handing a block back (other messages, another
// device's, or late ones of a closed device whose handle number came back) never let a write
// fill a buffer that is still queued; they only wake it to look again.
TEST_F(AudioDeviceTest, StrayDoneMessagesNeverFreeAQueuedBuffer)
{
    ASSERT_EQ(1, device.Open(2, 44100));
    WriteBlocks(8);
    const auto instance = reinterpret_cast<DWORD_PTR>(&device);
    const HWAVEOUT closedDevice = reinterpret_cast<HWAVEOUT>(static_cast<INT_PTR>(0x4B4B));
    for (HWAVEOUT from : {closedDevice, static_cast<HWAVEOUT>(nullptr)}) {
        AudioDevice::OnDeviceMessage(from, WOM_DONE, instance, 0, 0);
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(device.doneEvent, 0)) << "from " << from;
    }
    for (UINT message : {static_cast<UINT>(WOM_OPEN), static_cast<UINT>(WOM_CLOSE), 0x3BEu})
        AudioDevice::OnDeviceMessage(device.waveOut, message, instance, 0, 0);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(device.doneEvent, 0));

    const std::string ninth = Pattern(4608, 9);
    auto writer = std::async(std::launch::async, [&] { return device.Write(4608, ninth.data(), 9); });
    for (int i = 0; i < 2000; ++i)
        AudioDevice::OnDeviceMessage(device.waveOut, WOM_DONE, instance,
                                     reinterpret_cast<DWORD_PTR>(device.Header(i % 8)), 0);
    ASSERT_EQ(std::future_status::timeout, writer.wait_for(kStillBlocked)) << "wrote into a queued buffer";
    EXPECT_EQ(0, device.FreeBuffers());
    ASSERT_TRUE(fake.FinishNext());
    ASSERT_EQ(std::future_status::ready, writer.wait_for(kReturnsWithin));
    EXPECT_EQ(4608, writer.get());
    device.Close(1);
}

// A configuration no ring can be built from is refused before the device is opened.
TEST_F(AudioDeviceTest, ImpossibleFormatsAndRingsAreRefused)
{
    EXPECT_EQ(0, device.Open(0, 44100));
    EXPECT_EQ(0, device.Open(2, 0));
    EXPECT_EQ(0, device.Open(-2, 44100));
    device.output.bufferCount = 0;
    EXPECT_EQ(0, device.Open(2, 44100));
    device.output = {0x7FFFFFFF, 8, -1};
    EXPECT_EQ(0, device.Open(2, 44100));
    EXPECT_TRUE(fake.Calls().empty());
    EXPECT_EQ(nullptr, device.blockMemory);
    const char byte = 0;
    EXPECT_EQ(0, device.Write(1, &byte, 0));
}

// The writer and the platform's call-back change the free count on two threads at once; over
// many blocks no change may be lost and no wake-up missed, and every block arrives once, in
// order.
TEST_F(AudioDeviceTest, WriterAndCallbackRaceLosesNothing)
{
    ASSERT_EQ(1, device.Open(2, 44100));
    constexpr int kBlocks = 3000;
    std::atomic<bool> writerDone{false};
    std::thread finisher([&] {
        while (!writerDone.load() || fake.QueuedCount() > 0) {
            if (!fake.FinishNext())
                std::this_thread::yield();
        }
    });
    std::vector<int> tags;
    for (int i = 0; i < kBlocks; ++i) {
        const int length = 4 + (i % 7) * 4;
        const std::string block = Pattern(static_cast<size_t>(length), i);
        ASSERT_EQ(length, device.Write(length, block.data(), i));
    }
    writerDone = true;
    finisher.join();
    EXPECT_EQ(8, device.FreeBuffers());

    int next = 0;
    for (const FakeWaveOutCall& call : fake.Calls()) {
        if (call.name != "Write")
            continue;
        ASSERT_EQ(static_cast<DWORD_PTR>(next), call.user);
        ASSERT_EQ(Pattern(call.data.size(), next), call.data) << "block " << next;
        ++next;
    }
    EXPECT_EQ(kBlocks, next);
    EXPECT_EQ(0, device.Close(0));
}

}  // namespace

// A plug-in may close its output while its own thread waits in Write: the writer must come back
// with 0 rather than copy into a freed ring.
TEST_F(AudioDeviceTest, CloseWhileAWriterWaitsForABufferReturnsTheWriterEmptyHanded)
{
    ASSERT_EQ(1, device.Open(2, 44100));
    WriteBlocks(8);
    const std::string ninth = Pattern(4608, 9);
    auto writer =
        std::async(std::launch::async, [&] { return device.Write(4608, ninth.data(), 9); });
    ASSERT_EQ(std::future_status::timeout, writer.wait_for(kStillBlocked));
    auto closed = std::async(std::launch::async, [&] { return device.Close(1); });
    ASSERT_EQ(std::future_status::ready, writer.wait_for(kReturnsWithin)) << "the writer hangs";
    EXPECT_EQ(0, writer.get());
    ASSERT_EQ(std::future_status::ready, closed.wait_for(kReturnsWithin));
    EXPECT_EQ(nullptr, device.blockMemory);
    const Names names = fake.CallNames();
    EXPECT_EQ(8, std::count(names.begin(), names.end(), std::string("Write")));
}

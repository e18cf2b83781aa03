// Frames through DecodeFrame: geometry, headers that end the stream, ID3v2 tags, the reservoir,
// and the repairs that keep damaged or hostile input from reaching outside the arrays.
#include <gtest/gtest.h>

#include <memory>

#include "tests/fluxdec/StreamBuilder.h"

using namespace fluxdec;
using fluxdec_test::Append;
using fluxdec_test::BitWriter;
using fluxdec_test::MakeFrame;
using fluxdec_test::MakeHeader;
using fluxdec_test::MemoryInput;
using fluxdec_test::SilentFrame;

namespace {

struct StreamRun {
    std::unique_ptr<Decoder> d = std::make_unique<Decoder>();
    MemoryInput in;
    int16_t pcm[kMaxFrameSamples];
    FrameInfo info{};
    explicit StreamRun(std::vector<uint8_t> data) {
        in.data = std::move(data);
        InitDecoder(d.get(), MemoryInput::Read, &in);
    }
    Status Next() {
        std::fill(pcm, pcm + kMaxFrameSamples, int16_t(0x5555));  // sentinel
        return DecodeFrame(d.get(), pcm, &info);
    }
};

// A frame whose granule 0 holds one line of value `q` at line 0 (table 1), everything else 0.
std::vector<uint8_t> LoudFrame(const FrameHeader& h) {
    SideInfo s{};
    BitWriter w;
    w.PutCode(1, 1, 1);
    w.Put(0, 2);
    const int channels = h.mode == 3 ? 1 : 2;
    for (int ch = 0; ch < channels; ++ch) {
        GranuleInfo& g = s.granule[0][ch];
        g.part23Length = ch == 0 ? int(w.Bits()) : 0;
        g.bigValues = ch == 0 ? 1 : 0;
        g.globalGain = 250;
        g.tableSelect[0] = 1;
    }
    return MakeFrame(h, s, w.Bytes());
}

}  // namespace

TEST(FrameGeometry, LengthsAndMainDataSizes) {
    FrameHeader h = MakeHeader(1, 9, 0, 0);  // 128 kbit/s, 44.1 kHz, stereo
    EXPECT_EQ(FrameLengthBytes(h), 417);
    EXPECT_EQ(MainDataBytes(h), 417 - 36);
    h.paddingBit = 1;
    EXPECT_EQ(MainDataBytes(h), 418 - 36);
    h.protectionBit = 0;  // a CRC word: 38 bytes before the main data
    EXPECT_EQ(MainDataBytes(h), 418 - 38);
    FrameHeader lsf = MakeHeader(0, 8, 0, 3);  // 64 kbit/s, 22.05 kHz, mono
    EXPECT_EQ(FrameLengthBytes(lsf), 64 * 72000 / 22050);
    EXPECT_EQ(MainDataBytes(lsf), 208 - 4 - 9);
    EXPECT_EQ(SideInfoBytes(MakeHeader(0, 8, 0, 0)), 17);
    EXPECT_EQ(SideInfoBytes(MakeHeader(1, 9, 0, 3)), 17);
}

TEST(FrameStream, StereoAndLsfFramesGiveTheirSampleCounts) {
    std::vector<uint8_t> data = SilentFrame(MakeHeader(1, 9, 0, 0));
    // LSF 24 kHz stereo, 576 per channel: a new format is believed after 300 ms of it (13 frames)
    for (int i = 0; i < 13; ++i) Append(data, SilentFrame(MakeHeader(0, 8, 1, 0)));
    Append(data, SilentFrame(MakeHeader(1, 9, 2, 3)));  // 32 kHz mono, up to the input's end
    StreamRun run(data);
    ASSERT_EQ(run.Next(), Status::kFrame);
    EXPECT_EQ(run.info.samplesPerChannel * run.info.channels, 2304);
    EXPECT_EQ(run.pcm[2303], 0);
    ASSERT_EQ(run.Next(), Status::kFrame);
    EXPECT_EQ(run.info.sampleRate, 24000);
    EXPECT_EQ(run.info.samplesPerChannel * run.info.channels, 1152);
    EXPECT_EQ(run.pcm[1151], 0);
    EXPECT_EQ(run.pcm[1152], 0x5555) << "nothing written past the frame";
    for (int i = 0; i < 12; ++i) ASSERT_EQ(run.Next(), Status::kFrame);
    ASSERT_EQ(run.Next(), Status::kFrame);
    EXPECT_EQ(run.info.channels, 1);
    EXPECT_EQ(run.info.samplesPerChannel, 1152);
    EXPECT_EQ(run.Next(), Status::kEndOfStream);
    EXPECT_EQ(run.Next(), Status::kEndOfStream);
}

TEST(FrameStream, HeadersOutsideLayerThreeAreSkippedAsJunk) {
    // Fault: a Layer I or II header, or one the tables cannot describe, must never be decoded as
    // Layer III noise: it is junk, and the search goes on to the frame after it.
    struct Case { int layer, bitrate, frequency; const char* what; } cases[] = {
        {2, 9, 0, "Layer II"}, {3, 9, 0, "Layer I"}, {1, 0, 0, "free format"},
        {1, 15, 0, "bitrate index 15"}, {1, 9, 3, "sampling frequency 3"}};
    for (int mpeg25 = 0; mpeg25 < 2; ++mpeg25) {  // nor may they pass behind the MPEG 2.5 sync
        for (const Case& c : cases) {
            FrameHeader h = MakeHeader(1 - mpeg25, 9, 0, 0);
            BitWriter w;
            h.mpeg25 = mpeg25;
            h.bitrateIndex = c.bitrate;
            h.samplingFrequency = c.frequency;
            fluxdec_test::WriteHeader(w, h, c.layer);
            std::vector<uint8_t> data = w.Bytes(400);
            Append(data, SilentFrame(MakeHeader(1, 9, 0, 0)));
            StreamRun run(data);
            ASSERT_EQ(run.Next(), Status::kFrame) << c.what << ", MPEG 2.5 " << mpeg25;
            EXPECT_EQ(run.info.frameBytes, 417) << c.what;
            EXPECT_TRUE(run.info.faults & kFaultResync) << c.what;
            EXPECT_EQ(run.Next(), Status::kEndOfStream) << c.what;
        }
    }
}

TEST(FrameStream, Mpeg25FramesDecodeAtTheirRatesAndLengths) {
    // Fault: the 0xFFE sync ended the stream, although lame writes it for 8, 11.025 and 12 kHz.
    // Each frame here is followed by another: a wrong frame length would misread the second
    // header, and the first header (read behind any ID3v2 tag) and later ones both must pass.
    struct Case { int frequency, rate, bytes; } cases[] = {
        {0, 11025, 64 * 72000 / 11025},
        {1, 12000, 64 * 72000 / 12000},
        {2, 8000, 64 * 72000 / 8000}};
    for (const Case& c : cases) {
        FrameHeader h = MakeHeader(0, 8, c.frequency, 3);  // 64 kbit/s (the LSF table), mono
        h.mpeg25 = 1;
        std::vector<uint8_t> data = SilentFrame(h);
        h.paddingBit = 1;
        Append(data, LoudFrame(h));
        StreamRun run(data);
        for (int frame = 0; frame < 2; ++frame) {
            ASSERT_EQ(run.Next(), Status::kFrame) << c.rate << " Hz, frame " << frame;
            EXPECT_EQ(run.info.mpegId, 2);
            EXPECT_EQ(run.info.sampleRate, c.rate);
            EXPECT_EQ(run.info.samplesPerChannel, 576);
            EXPECT_EQ(run.info.frameBytes, c.bytes + frame);
        }
        EXPECT_NE(run.pcm[100], 0) << c.rate << " Hz: the second frame's line is heard";
        EXPECT_EQ(run.Next(), Status::kEndOfStream);
    }
}

TEST(FrameStream, JunkAndTheReservedVersionEndTheStream) {
    std::vector<uint8_t> data = SilentFrame(MakeHeader(1, 9, 0, 0));
    Append(data, {'T', 'A', 'G', 0});
    StreamRun run(data);
    EXPECT_EQ(run.Next(), Status::kFrame);
    EXPECT_EQ(run.Next(), Status::kNoSync);
    StreamRun reserved({0xFF, 0xEA, 0x90, 0x00, 0, 0, 0, 0});  // the 0xFFE sync with ID 1
    EXPECT_EQ(reserved.Next(), Status::kNoSync);
    StreamRun empty({});
    EXPECT_EQ(empty.Next(), Status::kEndOfStream);
}

TEST(FrameStream, LeadingId3v2TagsAreSkipped) {
    // Fault: most files start with an ID3v2 tag; without skipping it nothing would play.
    std::vector<uint8_t> data = {'I', 'D', '3', 4, 0, 0x00, 0, 0, 2, 44};  // 300 bytes follow
    data.resize(data.size() + 300, 0xFF);  // tag content that looks like syncs
    Append(data, {'I', 'D', '3', 4, 0, 0x10, 0, 0, 0, 5});  // 5 bytes, then a 10-byte footer
    data.resize(data.size() + 15, 'x');
    Append(data, SilentFrame(MakeHeader(1, 9, 0, 0)));
    Append(data, SilentFrame(MakeHeader(1, 9, 0, 0)));
    StreamRun run(data);
    run.in.chunk = 7;  // the input may come in pieces
    EXPECT_EQ(run.Next(), Status::kFrame);
    EXPECT_EQ(run.Next(), Status::kFrame);
    EXPECT_EQ(run.Next(), Status::kEndOfStream);

    StreamRun cut({'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F, 1, 2, 3});
    EXPECT_EQ(cut.Next(), Status::kEndOfStream) << "a tag longer than the file";
    uint8_t notSyncsafe[10] = {'I', 'D', '3', 3, 0, 0, 0x80, 0, 0, 0};
    EXPECT_EQ(Id3v2TagBytes(notSyncsafe), -1);
}

TEST(FrameStream, FrameCutShortIsNotOutput) {
    std::vector<uint8_t> data = SilentFrame(MakeHeader(1, 9, 0, 0));
    Append(data, SilentFrame(MakeHeader(1, 9, 0, 0)));
    data.resize(data.size() - 100);
    StreamRun run(data);
    EXPECT_EQ(run.Next(), Status::kFrame);
    EXPECT_EQ(run.Next(), Status::kTruncated);
    EXPECT_EQ(run.pcm[0], 0x5555);
}

TEST(Reservoir, MainDataIsReadContinuouslyAcrossTheRingsEnd) {
    auto d = std::make_unique<Decoder>();
    MemoryInput in;
    for (int i = 0; i < 20; ++i) in.data.push_back(uint8_t(200 + i));
    StreamReader& r = d->reader;
    r.read = MemoryInput::Read;
    r.context = &in;
    r.ringWritePos = 4090;
    r.bytesAppended = 5000;
    for (int i = 0; i < 100; ++i) r.ring[3990 + i] = uint8_t(i);
    ASSERT_EQ(ReservoirStep(&r, 100, 20), 1);
    EXPECT_EQ(r.ringWritePos, 14);
    EXPECT_EQ(r.ring[4095], 205);
    EXPECT_EQ(r.ring[0], 206);
    EXPECT_EQ(r.mainDataBits, 120 * 8);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(r.mainData[i], i) << i;
    for (int i = 0; i < 20; ++i) ASSERT_EQ(r.mainData[100 + i], 200 + i) << i;
    for (int i = 0; i < kMainDataPadding; ++i) ASSERT_EQ(r.mainData[120 + i], 0);
}

TEST(Reservoir, FrameReachingBeforeTheFirstByteIsSilence) {
    // Fault: a cut stream's first frame refers to main data that was never read; it must not
    // decode stale bytes, and its output is silence rather than whatever the buffer held.
    FrameHeader h = MakeHeader(1, 9, 0, 0);
    SideInfo s{};
    s.mainDataBegin = 300;
    std::vector<uint8_t> data = MakeFrame(h, s);
    Append(data, MakeFrame(h, s));
    StreamRun run(data);
    EXPECT_EQ(run.Next(), Status::kFrameSilent);
    for (int i = 0; i < 2304; ++i) ASSERT_EQ(run.pcm[i], 0) << i;
    EXPECT_EQ(run.Next(), Status::kFrame) << "381 bytes read: the second frame can refer to 300";
}

TEST(Reservoir, Part23LengthBeyondTheFrameIsCut) {
    // Fault: part2_3_length 4095 in every granule of a frame that holds 381 bytes of main data.
    FrameHeader h = MakeHeader(1, 9, 0, 0);
    SideInfo s{};
    for (int gr = 0; gr < 2; ++gr)
        for (int ch = 0; ch < 2; ++ch) {
            GranuleInfo& g = s.granule[gr][ch];
            g.part23Length = 4095;
            g.bigValues = 288;
            g.tableSelect[0] = g.tableSelect[1] = g.tableSelect[2] = 24;
            g.scalefacCompress = 15;
            g.globalGain = 200;
        }
    std::vector<uint8_t> main(381, 0xA5);
    StreamRun run(MakeFrame(h, s, main));
    EXPECT_EQ(run.Next(), Status::kFrame);
    EXPECT_TRUE(run.info.faults & kFaultMainDataOverrun);
}

TEST(Reservoir, EverySongStartsFromClearedState) {
    // Fault: overlap and synthesis buffers left by one song would sound at the start of the next.
    FrameHeader h = MakeHeader(1, 9, 0, 0);
    StreamRun loud(LoudFrame(h));
    ASSERT_EQ(loud.Next(), Status::kFrame);
    bool nonzero = false;
    for (int i = 0; i < 2304; ++i) nonzero |= loud.pcm[i] != 0;
    ASSERT_TRUE(nonzero);
    MemoryInput next;
    next.data = SilentFrame(h);
    InitDecoder(loud.d.get(), MemoryInput::Read, &next);
    ASSERT_EQ(DecodeFrame(loud.d.get(), loud.pcm, &loud.info), Status::kFrame);
    for (int i = 0; i < 2304; ++i) ASSERT_EQ(loud.pcm[i], 0) << i;
}

// Scale factors, requantisation with short-block reordering, M/S and intensity stereo.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "tests/fluxdec/StreamBuilder.h"

using namespace fluxdec;
using fluxdec_test::BitWriter;

namespace {

std::unique_ptr<Decoder> NewDecoder(int id, int mode, int modeExtension = 0) {
    auto d = std::make_unique<Decoder>();
    d->header = fluxdec_test::MakeHeader(id, id ? 9 : 8, 0, mode, modeExtension);
    return d;
}

BitReader ReaderOver(const std::vector<uint8_t>& bytes, size_t bits) {
    return BitReader{bytes.data(), 0, uint32_t(bits)};
}

}  // namespace

TEST(ScaleFactors, ScfsiSharesGroupsOfGranuleZero) {
    auto d = NewDecoder(1, 3);
    d->side.granule[0][0].scalefacCompress = 15;  // slen1 4, slen2 3
    d->side.granule[1][0].scalefacCompress = 15;
    BitWriter w0;
    for (int b = 0; b < 21; ++b) w0.Put(uint32_t(b < 11 ? b + 1 : b % 7), b < 11 ? 4 : 3);
    auto bytes0 = w0.Bytes(kMainDataPadding);
    BitReader br0 = ReaderOver(bytes0, w0.Bits());
    EXPECT_EQ(ReadScaleFactors(d.get(), &br0, 0, 0), 11 * 4 + 10 * 3);

    // Granule 1 shares groups 0 (bands 0-5) and 2 (bands 11-15) and reads groups 1 and 3.
    d->side.scfsi[0][0] = d->side.scfsi[0][2] = 1;
    BitWriter w1;
    for (int b = 6; b <= 10; ++b) w1.Put(9, 4);
    for (int b = 16; b <= 20; ++b) w1.Put(2, 3);
    auto bytes1 = w1.Bytes(kMainDataPadding);
    BitReader br1 = ReaderOver(bytes1, w1.Bits());
    EXPECT_EQ(ReadScaleFactors(d.get(), &br1, 1, 0), 5 * 4 + 5 * 3);
    for (int b = 0; b < 21; ++b) {
        const int expect = (b <= 5) ? b + 1 : (b <= 10) ? 9 : (b <= 15) ? b % 7 : 2;
        EXPECT_EQ(d->longScale[0][b], expect) << "band " << b;
    }
    EXPECT_EQ(d->longScale[0][21], 0);
}

TEST(ScaleFactors, LsfIntensityRightChannelSplitsSlenAndKeepsIllegalPositions) {
    // int_scalefac_compress = 103 >> 1 = 51 = 1 x 36 + 2 x 6 + 3: slen 1, 2, 3, 0 for 7, 7, 7, 0
    // long bands; intensity_scale = 103 & 1.
    auto d = NewDecoder(0, 1, 1);
    d->side.granule[0][1].scalefacCompress = 103;
    BitWriter w;
    for (int b = 0; b < 21; ++b) w.Put(uint32_t(b % 2), b < 7 ? 1 : b < 14 ? 2 : 3);
    auto bytes = w.Bytes(kMainDataPadding);
    BitReader br = ReaderOver(bytes, w.Bits());
    EXPECT_EQ(ReadScaleFactors(d.get(), &br, 0, 1), 7 * 1 + 7 * 2 + 7 * 3);
    EXPECT_EQ(d->lsfIntensityScale, 1);
    EXPECT_EQ(d->lsfIllegalLong[0], 1);
    EXPECT_EQ(d->lsfIllegalLong[7], 3);
    EXPECT_EQ(d->lsfIllegalLong[20], 7);
    EXPECT_EQ(d->lsfIllegalLong[21], 7) << "band 21 takes band 20's";
    EXPECT_EQ(d->longScale[1][13], 1);
}

TEST(ScaleFactors, LsfRangeAbove500SetsPreflag) {
    auto d = NewDecoder(0, 3);
    d->side.granule[0][0].scalefacCompress = 500 + 2 * 3 + 1;  // slen1 2, slen2 1, 0, 0
    BitWriter w;
    for (int b = 0; b < 21; ++b) w.Put(1, b < 11 ? 2 : 1);
    auto bytes = w.Bytes(kMainDataPadding);
    BitReader br = ReaderOver(bytes, w.Bits());
    EXPECT_EQ(ReadScaleFactors(d.get(), &br, 0, 0), 11 * 2 + 10 * 1);
    EXPECT_EQ(d->side.granule[0][0].preflag, 1);
}

TEST(Requantise, GainFollowsScaleFactorsPretabAndScale) {
    // q = 8 gives 8^(4/3) = 16; global_gain 210 leaves only the scale-factor terms.
    auto d = NewDecoder(1, 3);
    GranuleInfo& g = d->side.granule[0][0];
    g.globalGain = 210;
    g.scalefacScale = 1;  // shift 2
    d->longScale[0][15] = 1;
    d->quant[0][134] = 8;  // long band 15 starts at line 134 at 44.1 kHz; pretab(15) = 2
    d->quant[0][135] = -8;
    d->lineCount[0] = 136;
    Requantise(d.get(), 0, 0);
    EXPECT_EQ(d->spectrum[0][134], 16.0f * 0.5f) << "2^(-(1 << 2)/4)";
    g.preflag = 1;
    Requantise(d.get(), 0, 0);
    EXPECT_EQ(d->spectrum[0][134], 16.0f * 0.125f) << "2^(-((1 + 2) << 2)/4)";
    EXPECT_EQ(d->spectrum[0][135], -2.0f);
    EXPECT_EQ(d->spectrum[0][136], 0.0f);
}

TEST(Requantise, GainExponents) {
    EXPECT_EQ(GainFromExponent(0), 1.0f);
    EXPECT_EQ(GainFromExponent(8), 4.0f);
    EXPECT_FLOAT_EQ(GainFromExponent(-1), float(std::pow(2.0, -0.25)));
    EXPECT_FLOAT_EQ(GainFromExponent(-330), float(std::pow(2.0, -330 / 4.0)));
    EXPECT_EQ(GainFromExponent(-4 * 128), 0.0f);
}

TEST(Requantise, ShortBlockLinesGoToTheirReorderedPlaces) {
    // 44.1 kHz short band 4 covers frequencies 16..21 of each window; its window 2, frequency 19
    // is bitstream line 3 x 16 + 2 x 6 + 3 = 63 and goes to (19 / 6) x 18 + 2 x 6 + 19 % 6 = 67.
    auto d = NewDecoder(1, 3);
    GranuleInfo& g = d->side.granule[0][0];
    g.windowSwitching = 1;
    g.blockType = 2;
    g.globalGain = 210;
    g.subblockGain[2] = 1;  // 2^(-8/4)
    d->quant[0][63] = 1;
    d->quant[0][10] = 1;  // short band 0, window 2, frequency 2 -> 0 x 18 + 12 + 2
    d->lineCount[0] = 64;
    Requantise(d.get(), 0, 0);
    EXPECT_EQ(d->spectrum[0][67], 0.25f);
    EXPECT_EQ(d->spectrum[0][14], 0.25f);
    EXPECT_EQ(d->spectrum[0][63], 0.0f);
    EXPECT_EQ(d->spectrum[0][10], 0.0f);

    // Mixed: the first 36 lines are long bands in place; short bands go on from band 3.
    g.mixedBlock = 1;
    Requantise(d.get(), 0, 0);
    EXPECT_EQ(d->spectrum[0][10], 1.0f);
    EXPECT_EQ(d->spectrum[0][14], 0.0f);
    EXPECT_EQ(d->spectrum[0][67], 0.25f);
}

TEST(JointStereo, MidSideWithEqualChannelsGivesRootTwoAndZero) {
    auto d = NewDecoder(1, 1, 2);
    d->spectrum[0][5] = 3.0f;
    d->spectrum[1][5] = 3.0f;
    d->spectrum[0][6] = 1.0f;
    d->spectrum[1][6] = -1.0f;
    JointStereo(d.get(), 0);
    EXPECT_FLOAT_EQ(d->spectrum[0][5], 3.0f * std::sqrt(2.0f));
    EXPECT_EQ(d->spectrum[1][5], 0.0f);
    EXPECT_EQ(d->spectrum[0][6], 0.0f);
    EXPECT_FLOAT_EQ(d->spectrum[1][6], std::sqrt(2.0f));
}

TEST(JointStereo, Mpeg1IntensityAboveTheRightChannelsLastLine) {
    // The right channel's last nonzero line is 30 (long band 7 at 44.1 kHz): bands 8 and up are
    // intensity bands; their positions come from the right channel's scale factors.
    auto d = NewDecoder(1, 1, 3);
    for (int i = 0; i < 576; ++i) d->spectrum[0][i] = 2.0f;
    for (int i = 0; i < 576; ++i) d->spectrum[1][i] = 0.0f;
    d->quant[1][30] = 1;
    d->spectrum[1][30] = 2.0f;
    d->lineCount[1] = 32;
    uint8_t* pos = d->longScale[1];
    pos[8] = 0;   // t = 1: all to the right
    pos[9] = 6;   // t = 0: all to the left
    pos[10] = 3;  // tan = 1: halves
    pos[11] = 7;  // not intensity: M/S applies
    pos[12] = 9;  // damaged: taken as not intensity
    pos[20] = 6;  // band 21 takes band 20's position
    JointStereo(d.get(), 0);
    const int16_t* start = kLongBandStart[1][0];
    EXPECT_EQ(d->spectrum[0][start[8]], 0.0f);
    EXPECT_EQ(d->spectrum[1][start[8]], 2.0f);
    EXPECT_EQ(d->spectrum[0][start[9]], 2.0f);
    EXPECT_EQ(d->spectrum[1][start[9]], 0.0f);
    EXPECT_FLOAT_EQ(d->spectrum[0][start[10]], 1.0f);
    EXPECT_FLOAT_EQ(d->spectrum[1][start[10]], 1.0f);
    EXPECT_FLOAT_EQ(d->spectrum[0][start[11]], 2.0f * 0.70710678f) << "M/S outside intensity bands";
    EXPECT_FLOAT_EQ(d->spectrum[1][start[11]], 2.0f * 0.70710678f);
    EXPECT_TRUE(d->faults & kFaultIntensityPosition);
    EXPECT_EQ(d->spectrum[0][575], 2.0f) << "band 21 with band 20's position 6, not M/S";
    EXPECT_FLOAT_EQ(d->spectrum[0][30], 4.0f * 0.70710678f) << "below the zero region: M/S";
}

TEST(JointStereo, LsfIntensityOddAndEvenPositions) {
    auto d = NewDecoder(0, 1, 1);
    for (int i = 0; i < 576; ++i) d->spectrum[0][i] = 4.0f;
    for (int b = 0; b < 22; ++b) d->lsfIllegalLong[b] = 7;
    d->lsfIntensityScale = 0;  // k(n) = 2^(-n/4)
    d->longScale[1][0] = 1;
    d->longScale[1][1] = 2;
    d->longScale[1][2] = 7;  // the illegal position: the band keeps both channels
    d->spectrum[1][12] = 5.0f;
    JointStereo(d.get(), 0);
    const float k1 = float(std::pow(2.0, -0.25));
    EXPECT_FLOAT_EQ(d->spectrum[0][0], 4.0f * k1);
    EXPECT_EQ(d->spectrum[1][0], 4.0f);
    EXPECT_EQ(d->spectrum[0][6], 4.0f);
    EXPECT_FLOAT_EQ(d->spectrum[1][6], 4.0f * k1);
    EXPECT_EQ(d->spectrum[0][12], 4.0f);
    EXPECT_EQ(d->spectrum[1][12], 5.0f);
}

// When the right channel has data up to band 20 (short: 11), the intensity region is the
// highest band alone, and the scale factor below it is no position: the highest band takes the
// neutral one (MPEG-1: position 3, half to each channel; LSF: position 0, the left value to both).
// When the region starts lower, the highest band goes on with the position of the band below.
TEST(JointStereo, HighestBandAloneTakesTheNeutralPosition) {
    for (int id : {1, 0}) {
        SCOPED_TRACE(id ? "MPEG-1" : "LSF");
        auto d = NewDecoder(id, 1, 1);
        const int16_t* start = kLongBandStart[id][0];
        for (int i = 0; i < 576; ++i) d->spectrum[0][i] = 4.0f;
        for (int b = 0; b < 22; ++b) d->lsfIllegalLong[b] = 7;
        const int lastRight = start[21] - 1;  // the right channel reaches band 20
        d->quant[1][lastRight] = 1;
        d->spectrum[1][lastRight] = 3.0f;
        d->lineCount[1] = lastRight + 1;
        d->longScale[1][20] = 5;  // an ordinary scale factor: taken as a position it would pan
        JointStereo(d.get(), 0);
        const float both = id ? 2.0f : 4.0f;
        for (int i = start[21]; i < 576; i += 37) {
            EXPECT_EQ(d->spectrum[0][i], both) << "line " << i;
            EXPECT_EQ(d->spectrum[1][i], both) << "line " << i;
        }
        EXPECT_EQ(d->spectrum[0][lastRight], 4.0f) << "band 20 is no intensity band";
        EXPECT_EQ(d->spectrum[1][lastRight], 3.0f);

        // One band lower: band 20 is an intensity band, and band 21 takes its position.
        auto e = NewDecoder(id, 1, 1);
        for (int i = 0; i < 576; ++i) e->spectrum[0][i] = 4.0f;
        for (int b = 0; b < 22; ++b) e->lsfIllegalLong[b] = 7;
        e->quant[1][start[20] - 1] = 1;
        e->lineCount[1] = start[20];
        e->longScale[1][20] = id ? 6 : 2;  // MPEG-1: all left; LSF: right = v 2^(-1/4)
        JointStereo(e.get(), 0);
        EXPECT_EQ(e->spectrum[0][575], 4.0f);
        EXPECT_FLOAT_EQ(e->spectrum[1][575], id ? 0.0f : 4.0f * float(std::pow(2.0, -0.25)));
    }
}

TEST(JointStereo, HighestShortBandAloneTakesTheNeutralPositionPerWindow) {
    // Window 0 of the right channel has data in short band 11: its band 12 alone is intensity
    // coded, with the neutral position. Window 1 is zero from band 5 on: its band 12 takes band
    // 11's position (6: all to the left).
    auto d = NewDecoder(1, 1, 1);
    for (int ch = 0; ch < 2; ++ch) {
        d->side.granule[0][ch].windowSwitching = 1;
        d->side.granule[0][ch].blockType = 2;
    }
    for (int i = 0; i < 576; ++i) d->spectrum[0][i] = 1.0f;
    const uint16_t* reorder = kShortReorder[1][0];
    const int16_t* s = kShortBandStart[1][0];
    auto bitstreamLine = [&](int band, int win) { return 3 * s[band] + win * (s[band + 1] - s[band]); };
    d->quant[1][bitstreamLine(11, 0)] = 1;
    d->quant[1][bitstreamLine(4, 1)] = 1;
    d->lineCount[1] = bitstreamLine(11, 0) + 1;
    for (int b = 0; b < 13; ++b)
        for (int w = 0; w < 3; ++w) d->shortScale[1][b][w] = 6;
    JointStereo(d.get(), 0);
    const int top0 = reorder[bitstreamLine(12, 0)], top1 = reorder[bitstreamLine(12, 1)];
    EXPECT_EQ(d->intensityLine[reorder[bitstreamLine(11, 0)]], 0);
    EXPECT_EQ(d->spectrum[0][top0], 0.5f);
    EXPECT_EQ(d->spectrum[1][top0], 0.5f);
    EXPECT_EQ(d->spectrum[0][top1], 1.0f);
    EXPECT_EQ(d->spectrum[1][top1], 0.0f);
}

TEST(JointStereo, ShortBlockIntensityFindsTheZeroRegionPerWindow) {
    // Pure short blocks: window 0 of the right channel has data in short band 5, windows 1 and 2
    // none; so window 0 is intensity-coded from band 6 on, windows 1 and 2 from band 0 on.
    auto d = NewDecoder(1, 1, 1);
    for (int ch = 0; ch < 2; ++ch) {
        d->side.granule[0][ch].windowSwitching = 1;
        d->side.granule[0][ch].blockType = 2;
    }
    for (int i = 0; i < 576; ++i) d->spectrum[0][i] = 1.0f;
    const uint16_t* reorder = kShortReorder[1][0];
    const int16_t* s = kShortBandStart[1][0];
    const int band5win0 = 3 * s[5];
    d->quant[1][band5win0] = 1;
    d->lineCount[1] = band5win0 + 1;
    for (int b = 0; b < 13; ++b)
        for (int w = 0; w < 3; ++w) d->shortScale[1][b][w] = 6;  // all to the left
    JointStereo(d.get(), 0);
    auto line = [&](int band, int win) { return reorder[3 * s[band] + win * (s[band + 1] - s[band])]; };
    EXPECT_EQ(d->spectrum[0][line(5, 0)], 1.0f);
    EXPECT_EQ(d->intensityLine[line(5, 0)], 0);
    EXPECT_EQ(d->intensityLine[line(6, 0)], 1);
    EXPECT_EQ(d->intensityLine[line(0, 1)], 1);
    EXPECT_EQ(d->intensityLine[line(12, 2)], 1);
    EXPECT_EQ(d->spectrum[1][line(0, 1)], 0.0f);
}

// The two long subbands at the bottom of a mixed block are aliased like any long block's, so
// their one boundary is reduced; pure short blocks have none and long blocks reduce every
// boundary up to the last nonzero subband.
TEST(AliasReduction, LongMixedAndShortBlocksReduceTheirOwnBoundaries) {
    GranuleInfo g{};
    EXPECT_EQ(AliasBoundaries(g, 32), 32);
    EXPECT_EQ(AliasBoundaries(g, 5), 5);
    EXPECT_EQ(AliasBoundaries(g, 0), 0);
    g.windowSwitching = 1;
    g.blockType = 1;  // a start block is long
    EXPECT_EQ(AliasBoundaries(g, 7), 7);
    g.blockType = 2;
    EXPECT_EQ(AliasBoundaries(g, 7), 0);
    g.mixedBlock = 1;
    EXPECT_EQ(AliasBoundaries(g, 7), 1);
    EXPECT_EQ(AliasBoundaries(g, 1), 1);  // the butterflies spill into subband 1
    EXPECT_EQ(AliasBoundaries(g, 0), 0);

    // Only lines 10..25 around the boundary between subbands 0 and 1 change.
    float x[576];
    for (int i = 0; i < 576; ++i) x[i] = 1.0f + i;
    float reduced[576];
    std::copy(x, x + 576, reduced);
    ReduceAliases(reduced, AliasBoundaries(g, 32));
    for (int i = 0; i < 576; ++i) {
        if (i >= 10 && i <= 25) continue;
        EXPECT_EQ(reduced[i], x[i]) << "line " << i;
    }
    EXPECT_NE(reduced[17], x[17]);
    EXPECT_NE(reduced[18], x[18]);
}

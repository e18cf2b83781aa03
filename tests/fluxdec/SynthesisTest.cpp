// The hybrid filter bank and the polyphase synthesis against the direct formulas, and the output
// stage at its edges.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "plugins/fluxdec/core/SimdStages.h"
#include "tests/fluxdec/StreamBuilder.h"

using namespace fluxdec;

namespace {
const double kPi = 3.14159265358979323846;
}

TEST(OutputStage, TruncatesTowardZeroAndClips) {
    EXPECT_EQ(ToPcm16(40000.7f), 32767);
    EXPECT_EQ(ToPcm16(-40000.7f), -32768);
    EXPECT_EQ(ToPcm16(1.9f), 1);
    EXPECT_EQ(ToPcm16(-1.9f), -1);
    EXPECT_EQ(ToPcm16(32766.99f), 32766);
    EXPECT_EQ(ToPcm16(32767.0f), 32767);
    EXPECT_EQ(ToPcm16(-32767.9f), -32767);
    EXPECT_EQ(ToPcm16(-32768.0f), -32768);
    EXPECT_EQ(ToPcm16(1e30f), 32767);
    EXPECT_EQ(ToPcm16(-0.5f), 0);
}

TEST(Synthesis, Dct32MatchesTheDirectSum) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    float in[32], out[32];
    for (float& v : in) v = u(rng);
    Dct32(in, out);
    for (int m = 0; m < 32; ++m) {
        double sum = 0;
        for (int k = 0; k < 32; ++k) sum += in[k] * std::cos(kPi * m * (2 * k + 1) / 64.0);
        EXPECT_NEAR(out[m], sum, 2e-5) << "m " << m;
    }
}

TEST(Synthesis, ImpulseInSubbandZeroStoresTheMatrixingColumn) {
    // S(0) = 1 in the last slot: V(i) = cos((16 + i) pi / 64). Slot 17 writes row (0 - 17) mod 16
    // = 15 with buffer 1 current: V(0..31) go there, V(32..63) to buffer 0's row 15.
    ChannelState st{};
    float hybrid[18][32] = {};
    hybrid[17][0] = 1.0f;
    int16_t pcm[576];
    SynthesiseGranule(&st, hybrid, pcm, 1);
    for (int i = 0; i < 64; ++i) {
        const float stored = st.v[i < 32 ? 1 : 0][15][i % 32];
        EXPECT_NEAR(stored, std::cos((16 + i) * kPi / 64.0), 1e-6) << "V(" << i << ")";
    }
    EXPECT_EQ(st.v[1][15][16], 0.0f);
    EXPECT_EQ(st.vPos, (0 - 18) & 15);
}

TEST(Synthesis, SilenceAfterTheBuffersEmptyIsExactlyZero) {
    ChannelState st{};
    float hybrid[18][32] = {};
    for (int s = 0; s < 18; ++s)
        for (int k = 0; k < 32; ++k) hybrid[s][k] = float((s * 7 + k * 3) % 11) - 5.0f;
    int16_t pcm[576];
    SynthesiseGranule(&st, hybrid, pcm, 1);
    float zero[18][32] = {};
    SynthesiseGranule(&st, zero, pcm, 1);
    SynthesiseGranule(&st, zero, pcm, 1);
    for (int i = 0; i < 576; ++i) ASSERT_EQ(pcm[i], 0) << i;
}

TEST(Synthesis, MatchesTheStandardsWindowingOfV) {
    // out(j) = 32767 x sum over i of D(j + 32 i) V_{t-i}(j + 32 (i mod 2)): with random subband
    // samples over three granules, every sample is within 1 of the double-precision reference.
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> u(-0.05f, 0.05f);
    ChannelState st{};
    std::vector<std::vector<double>> history;  // V of every slot so far
    for (int gr = 0; gr < 3; ++gr) {
        float hybrid[18][32];
        for (auto& row : hybrid)
            for (float& v : row) v = u(rng);
        int16_t pcm[576 * 2];
        SynthesiseGranule(&st, hybrid, pcm, 2);  // stride 2: interleaved layout
        for (int s = 0; s < 18; ++s) {
            std::vector<double> v(64);
            for (int i = 0; i < 64; ++i)
                for (int k = 0; k < 32; ++k) v[i] += std::cos((16 + i) * (2 * k + 1) * kPi / 64.0) * hybrid[s][k];
            history.push_back(v);
            const int t = int(history.size()) - 1;
            for (int j = 0; j < 32; ++j) {
                double sum = 0;
                for (int i = 0; i < 16 && t - i >= 0; ++i)
                    sum += kSynthWindow[i][j] * history[size_t(t - i)][size_t(j + 32 * (i % 2))];
                EXPECT_NEAR(pcm[(s * 32 + j) * 2], std::trunc(sum), 1.0) << "granule " << gr << " slot " << s;
            }
        }
    }
}

TEST(Imdct, LongBlocksMatchTheDirectTransform) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    for (int type : {0, 1, 3}) {
        float in[18], overlap[18], out[18], oldOverlap[18];
        for (int i = 0; i < 18; ++i) {
            in[i] = u(rng);
            overlap[i] = oldOverlap[i] = u(rng);
        }
        InverseMdctLong(in, type, overlap, out);
        for (int i = 0; i < 36; ++i) {
            double z = 0;
            for (int k = 0; k < 18; ++k) z += in[k] * std::cos(kPi / 72 * (2 * i + 1 + 18) * (2 * k + 1));
            z *= kImdctWindow[type][i];
            if (i < 18)
                EXPECT_NEAR(out[i], z + oldOverlap[i], 1e-5) << "type " << type << " i " << i;
            else
                EXPECT_NEAR(overlap[i - 18], z, 1e-5) << "type " << type << " i " << i;
        }
    }
}

TEST(Imdct, ShortBlocksMatchTheThreeDirectTransforms) {
    std::mt19937 rng(6);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    float in[18], overlap[18], out[18], oldOverlap[18];
    for (int i = 0; i < 18; ++i) {
        in[i] = u(rng);
        overlap[i] = oldOverlap[i] = u(rng);
    }
    InverseMdctShort(in, overlap, out);
    double block[36] = {};
    for (int w = 0; w < 3; ++w)
        for (int i = 0; i < 12; ++i) {
            double y = 0;
            for (int k = 0; k < 6; ++k) y += in[6 * w + k] * std::cos(kPi / 24 * (2 * i + 1 + 6) * (2 * k + 1));
            block[6 + 6 * w + i] += y * std::sin((i + 0.5) * kPi / 12);
        }
    for (int i = 0; i < 18; ++i) {
        EXPECT_NEAR(out[i], block[i] + oldOverlap[i], 1e-5) << i;
        EXPECT_NEAR(overlap[i], block[i + 18], 1e-5) << i;
    }
}

TEST(Imdct, MixedBlocksUseTheLongTransformBelowSubbandTwo) {
    // A mixed short block: subbands 0 and 1 take the long type-0 transform, the rest short ones.
    auto d = std::make_unique<Decoder>();
    d->header = fluxdec_test::MakeHeader(1, 9, 0, 3);
    GranuleInfo& g = d->side.granule[0][0];
    g.windowSwitching = 1;
    g.blockType = 2;
    g.mixedBlock = 1;
    d->spectrum[0][17] = 1.0f;  // last line of subband 0
    d->spectrum[0][40] = 1.0f;  // subband 2
    HybridFilterBank(d.get(), 0, 0, 3);
    float in[18] = {}, overlap[18] = {}, out[18];
    in[17] = 1.0f;
    InverseMdctLong(in, 0, overlap, out);
    for (int i = 0; i < 18; ++i) EXPECT_EQ(d->hybrid[i][0], out[i]) << i;
    float in2[18] = {}, overlap2[18] = {}, out2[18];
    in2[4] = 1.0f;
    InverseMdctShort(in2, overlap2, out2);
    for (int i = 0; i < 18; ++i) EXPECT_EQ(d->hybrid[i][2], out2[i]) << i;
    for (int i = 0; i < 18; ++i) EXPECT_EQ(d->hybrid[i][1], 0.0f) << "subband 1 had nothing";
}

TEST(Imdct, MixedFlagOnStartAndStopBlocksGivesSubbandsZeroAndOneTheNormalWindow) {
    // Start (1) and stop (3) granules with and without the flag, over enough subbands that the
    // four-subband transform runs too: every subband must equal its own transform with the type
    // it is due (0 below subband 2 when the flag is set), frequency-inverted in odd subbands.
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    for (int type : {1, 3}) {
        for (int mixed : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "block type " << type << " mixed " << mixed);
            auto d = std::make_unique<Decoder>();
            d->header = fluxdec_test::MakeHeader(1, 9, 0, 3);
            GranuleInfo& g = d->side.granule[0][0];
            g.windowSwitching = 1;
            g.blockType = type;
            g.mixedBlock = mixed;
            float overlap[32][18];
            for (int sb = 0; sb < 32; ++sb)
                for (int i = 0; i < 18; ++i) {
                    overlap[sb][i] = u(rng);
                    d->channel[0].overlap[i][sb] = overlap[sb][i];
                }
            for (int i = 0; i < 8 * 18; ++i) d->spectrum[0][i] = u(rng);
            HybridFilterBank(d.get(), 0, 0, 8);
            for (int sb = 0; sb < 8; ++sb) {
                float out[18];
                InverseMdctLong(d->spectrum[0] + 18 * sb, (mixed && sb < 2) ? 0 : type,
                                overlap[sb], out);
                for (int i = 0; i < 18; ++i) {
                    const float want = (sb & 1) && (i & 1) ? -out[i] : out[i];
                    ASSERT_EQ(d->hybrid[i][sb], want) << "subband " << sb << " slot " << i;
                    ASSERT_EQ(d->channel[0].overlap[i][sb], overlap[sb][i]) << "subband " << sb;
                }
            }
        }
    }
}

TEST(Synthesis, VectorFormsGiveTheScalarFormsSamplesAndState) {
    // Four granules of random subband samples, loud enough to clip now and then, in one and two
    // channel layouts: each vector form of the synthesis (SSE2, and AVX2 where the CPU has it)
    // and the slot-by-slot scalar form must write the same samples and leave the same V buffers,
    // bit for bit, with the window itself and with a copy scaled as a song's gain scales it.
    typedef void (*Form)(ChannelState*, const float[18][32], int16_t*, int, const float (*)[32]);
    alignas(16) float scaled[16][32];
    for (int tap = 0; tap < 16; ++tap)
        for (int j = 0; j < 32; ++j) scaled[tap][j] = kSynthWindow[tap][j] * 0.7f;
    std::vector<std::pair<const char*, Form>> forms = {{"SSE2", SynthesiseGranule}};
#ifdef FLUXDEC_HAVE_AVX2
    if (CpuHasAvx2()) forms.push_back({"AVX2", SynthesiseGranuleAvx2});
#endif
    for (const auto& [name, form] : forms) {
        std::mt19937 rng(13);
        std::uniform_real_distribution<float> u(-1.5f, 1.5f);
        for (int stride : {1, 2}) {
            const float (*window)[32] = stride == 1 ? kSynthWindow : scaled;
            ChannelState a{}, b{};
            for (int gr = 0; gr < 4; ++gr) {
                SCOPED_TRACE(testing::Message() << name << " stride " << stride << " granule " << gr);
                float hybrid[18][32];
                for (auto& row : hybrid)
                    for (float& v : row) v = u(rng);
                int16_t pa[576 * 2] = {}, pb[576 * 2] = {};
                form(&a, hybrid, pa, stride, window);
                SynthesiseGranuleReference(&b, hybrid, pb, stride, window);
                ASSERT_EQ(std::memcmp(pa, pb, sizeof pa), 0);
                ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0);
            }
        }
    }
}

TEST(Imdct, WidestPathGivesTheBaselinesHybridOutputAndOverlap) {
    // Every block type, with and without the mixed flag, over three granules of random spectra
    // reaching a varying number of subbands: the filter bank's AVX2 path must leave the same
    // hybrid output and overlap as the baseline path, bit for bit.
    if (!CpuHasAvx2()) GTEST_SKIP() << "this CPU has no AVX2";
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> u(-2.0f, 2.0f);
    const int shapes[][3] = {{0, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 2, 0}, {1, 2, 1}, {1, 3, 0}, {1, 3, 1}};
    for (const auto& shape : shapes) {
        auto base = std::make_unique<Decoder>(), wide = std::make_unique<Decoder>();
        base->avx2 = 0;
        wide->avx2 = 1;
        for (Decoder* d : {base.get(), wide.get()}) {
            d->header = fluxdec_test::MakeHeader(1, 9, 0, 3);
            GranuleInfo& g = d->side.granule[0][0];
            g.windowSwitching = shape[0];
            g.blockType = shape[1];
            g.mixedBlock = shape[2];
        }
        for (int subbands : {32, 17, 8}) {
            SCOPED_TRACE(testing::Message() << "window switching " << shape[0] << " type "
                                            << shape[1] << " mixed " << shape[2] << " subbands "
                                            << subbands);
            for (int i = 0; i < 576; ++i)
                base->spectrum[0][i] = wide->spectrum[0][i] = i < 18 * subbands ? u(rng) : 0.0f;
            HybridFilterBank(base.get(), 0, 0, subbands);
            HybridFilterBank(wide.get(), 0, 0, subbands);
            ASSERT_EQ(std::memcmp(base->hybrid, wide->hybrid, sizeof base->hybrid), 0);
            ASSERT_EQ(std::memcmp(base->channel[0].overlap, wide->channel[0].overlap,
                                  sizeof base->channel[0].overlap), 0);
        }
    }
}

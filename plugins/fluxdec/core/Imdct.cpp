// The hybrid filter bank's inverse MDCT with windowing, overlap-add and frequency inversion
// (11172-3 2.4.3.4.10).
//
// Long blocks: z(i) = sum over k = 0..17 of X(k) cos(pi/72 (2i + 1 + 18)(2k + 1)), i = 0..35.
// z is an unfolded DCT-IV of length 18, t(p) = sum X(k) cos(pi/72 (2p + 1)(2k + 1)):
//   z(i) = t(i + 9) for i < 9,  -t(26 - i) for 9 <= i < 27,  -t(i - 27) for i >= 27.
// The DCT-IV comes from a DCT-III of the pair sums X(k) + X(k - 1), divided by 2 cos((2p+1) pi/72);
// that DCT-III splits into two 9-point DCT-IIIs (even and odd lines; the odd half again from pair
// sums, divided by 2 cos((2p + 1) pi/36)). About 150 multiplications instead of 648.
// Short blocks: three 12-point transforms, each an unfolded 6-point DCT-IV, windowed and added
// into a 36-value block at 6 + 6w.
#include <cstring>

#include "plugins/fluxdec/core/Imdct36.h"
#include "plugins/fluxdec/core/SimdStages.h"
#include "plugins/fluxdec/core/Stages.h"
#include "plugins/fluxdec/core/Tables.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace fluxdec {

// Lane types: the long transform (Imdct36.h) runs for T = float (one subband) and T = Float4
// (four neighbouring subbands in the lanes of a vector, which the compiler maps to SSE on x86).
// Coefficients<Float4> reads the tables' 4-lane copies, so that a multiplication takes them
// straight from memory.
#if defined(__GNUC__) || defined(__clang__)
typedef float Float4 __attribute__((vector_size(16)));
#define FLUXDEC_HAVE_FLOAT4 1
#endif

#ifdef FLUXDEC_HAVE_FLOAT4
static inline Float4 Load4(const float* p) {
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
static inline void Store4(float* p, Float4 v) { std::memcpy(p, &v, sizeof v); }

namespace {
template <>
struct Coefficients<Float4> {
    static Float4 Dct9(int p, int m) { return Load4(kDct9Splat[p][m]); }
    static Float4 Odd(int p) { return Load4(kImdct36OddSplat[p]); }
    static Float4 Post(int p) { return Load4(kImdct36PostSplat[p]); }
    static Float4 Window(int type, int i) { return Load4(kImdctWindowSplat[type][i]); }
};
}  // namespace
#endif

void InverseMdctLong(const float in[18], int blockType, float overlap[18], float out[18]) {
    LongTransform(in, blockType, overlap, out);
}

void InverseMdctShort(const float in[18], float overlap[18], float out[18]) {
    float block[36] = {};
    for (int win = 0; win < 3; ++win) {
        const float* x = in + 6 * win;
        float t[6];
        for (int p = 0; p < 6; ++p) {
            const float* c = kDct4Of6[p];
            t[p] = x[0] * c[0] + x[1] * c[1] + x[2] * c[2] + x[3] * c[3] + x[4] * c[4] + x[5] * c[5];
        }
        float* b = block + 6 + 6 * win;
        for (int i = 0; i < 3; ++i) {
            b[i] += t[i + 3] * kShortWindow[i];
            b[i + 3] += -t[5 - i] * kShortWindow[i + 3];
            b[i + 6] += -t[2 - i] * kShortWindow[i + 6];
            b[i + 9] += -t[i] * kShortWindow[i + 9];
        }
    }
    for (int i = 0; i < 18; ++i) {
        out[i] = block[i] + overlap[i];
        overlap[i] = block[i + 18];
    }
}

#ifdef FLUXDEC_HAVE_FLOAT4
// Subbands sb .. sb + 3 (sb a multiple of 4), all long blocks of one type, in the lanes of vectors:
// the overlap and the hybrid output are stored slot-major, so a slot's four values are
// contiguous; the input lines are gathered.
static void LongTransform4(const float* spectrum, int sb, int blockType, float (*overlap)[32],
                           float (*hybrid)[32]) {
    const float* x = spectrum + 18 * sb;
    Float4 in[18], ov[18], out[18];
    int k = 0;
#ifdef __SSE2__
    for (; k < 16; k += 4) {  // 4 x 4 blocks of the four subbands' lines, transposed
        __m128 r0 = _mm_loadu_ps(x + k), r1 = _mm_loadu_ps(x + 18 + k);
        __m128 r2 = _mm_loadu_ps(x + 36 + k), r3 = _mm_loadu_ps(x + 54 + k);
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        in[k] = r0;
        in[k + 1] = r1;
        in[k + 2] = r2;
        in[k + 3] = r3;
    }
#endif
    for (; k < 18; ++k) in[k] = Float4{x[k], x[18 + k], x[36 + k], x[54 + k]};
    for (k = 0; k < 18; ++k) ov[k] = Load4(&overlap[k][sb]);
    LongTransform(in, blockType, ov, out);
    const Float4 invert = {1.0f, -1.0f, 1.0f, -1.0f};  // odd subbands, odd slots
    for (int i = 0; i < 18; ++i) {
        Store4(&overlap[i][sb], ov[i]);
        Store4(&hybrid[i][sb], (i & 1) ? out[i] * invert : out[i]);
    }
}

// Subbands sb .. sb + 3 (sb a multiple of 4) hold only zeros: their transform would yield the
// overlap alone (frequency-inverted) and clear it.
static void PassOverlap4(int sb, float (*overlap)[32], float (*hybrid)[32]) {
    const Float4 invert = {1.0f, -1.0f, 1.0f, -1.0f};  // odd subbands, odd slots: a factor of -1
                                                       // negates exactly
    for (int i = 0; i < 18; ++i) {
        const Float4 v = Load4(&overlap[i][sb]);
        Store4(&hybrid[i][sb], (i & 1) ? v * invert : v);
        Store4(&overlap[i][sb], Float4{0.0f, 0.0f, 0.0f, 0.0f});
    }
}
#endif

void HybridFilterBank(Decoder* d, int gr, int ch, int subbands) {
    const GranuleInfo& g = d->side.granule[gr][ch];
    const float* spectrum = d->spectrum[ch];
    float (*overlap)[32] = d->channel[ch].overlap;
    const int granuleType = g.windowSwitching ? g.blockType : 0;
    // The mixed-block flag gives the two lowest subbands the normal window on every
    // window-switching granule: start and stop blocks as well as short ones.
    const bool mixed = g.windowSwitching && g.mixedBlock;
    auto typeOf = [&](int sb) { return (sb < 2 && mixed) ? 0 : granuleType; };
    for (int sb = 0; sb < 32;) {
#ifdef FLUXDEC_HAVE_AVX2
        if (d->avx2 && (sb & 7) == 0 && sb + 8 <= subbands && granuleType != 2 &&
            typeOf(sb) == granuleType) {
            LongTransform8(spectrum, sb, granuleType, overlap, d->hybrid);
            sb += 8;
            continue;
        }
#endif
#ifdef FLUXDEC_HAVE_FLOAT4
        if ((sb & 3) == 0 && sb + 4 <= subbands && granuleType != 2 &&
            typeOf(sb) == granuleType) {
            LongTransform4(spectrum, sb, granuleType, overlap, d->hybrid);
            sb += 4;
            continue;
        }
        if ((sb & 3) == 0 && sb >= subbands) {
            PassOverlap4(sb, overlap, d->hybrid);
            sb += 4;
            continue;
        }
#endif
        float ov[18], out[18];
        for (int i = 0; i < 18; ++i) ov[i] = overlap[i][sb];
        if (sb < subbands) {
            const int type = typeOf(sb);
            if (type == 2)
                InverseMdctShort(spectrum + 18 * sb, ov, out);
            else
                InverseMdctLong(spectrum + 18 * sb, type, ov, out);
        } else {
            // All lines zero: the transform would yield the overlap alone and clear it.
            for (int i = 0; i < 18; ++i) {
                out[i] = ov[i];
                ov[i] = 0.0f;
            }
        }
        if (sb & 1)  // frequency inversion
            for (int i = 1; i < 18; i += 2) out[i] = -out[i];
        for (int i = 0; i < 18; ++i) {
            d->hybrid[i][sb] = out[i];
            overlap[i][sb] = ov[i];
        }
        ++sb;
    }
}

}  // namespace fluxdec

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

#include "plugins/fluxdec/core/Stages.h"
#include "plugins/fluxdec/core/Tables.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace fluxdec {

// Lane types: the long transform is written once for T = float (one subband) and T = Float4
// (four neighbouring subbands in the lanes of a vector, which the compiler maps to SSE on x86).
// Lanes are computed independently with the same operations in the same order, so both give the
// same floats for a subband. Coefficients<T> reads the constant tables: plain values for float,
// the tables' 4-lane copies for Float4, so that a multiplication takes them straight from memory.
#if defined(__GNUC__) || defined(__clang__)
typedef float Float4 __attribute__((vector_size(16)));
#define FLUXDEC_HAVE_FLOAT4 1
#endif

template <typename T>
struct Coefficients {
    static float Dct9(int p, int m) { return kDct9[p][m]; }
    static float Odd(int p) { return kImdct36Odd[p]; }
    static float Post(int p) { return kImdct36Post[p]; }
    static float Window(int type, int i) { return kImdctWindow[type][i]; }
};

#ifdef FLUXDEC_HAVE_FLOAT4
static inline Float4 Load4(const float* p) {
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
static inline void Store4(float* p, Float4 v) { std::memcpy(p, &v, sizeof v); }

template <>
struct Coefficients<Float4> {
    static Float4 Dct9(int p, int m) { return Load4(kDct9Splat[p][m]); }
    static Float4 Odd(int p) { return Load4(kImdct36OddSplat[p]); }
    static Float4 Post(int p) { return Load4(kImdct36PostSplat[p]); }
    static Float4 Window(int type, int i) { return Load4(kImdctWindowSplat[type][i]); }
};
#endif

// E(p) = sum over m = 0..8 of e(m) cos(pi (2p + 1) m / 18), p = 0..8. Rows p and 8 - p share the
// even terms and negate the odd ones; row 4 is e0 - e2 + e4 - e6 + e8.
template <typename T>
static inline void Dct3Of9(const T e[9], T out[9]) {
    typedef Coefficients<T> C;
    for (int p = 0; p < 4; ++p) {
        const T even = e[0] + e[2] * C::Dct9(p, 2) + e[4] * C::Dct9(p, 4) + e[6] * C::Dct9(p, 6) +
                       e[8] * C::Dct9(p, 8);
        const T odd = e[1] * C::Dct9(p, 1) + e[3] * C::Dct9(p, 3) + e[5] * C::Dct9(p, 5) +
                      e[7] * C::Dct9(p, 7);
        out[p] = even + odd;
        out[8 - p] = even - odd;
    }
    out[4] = e[0] - e[2] + e[4] - e[6] + e[8];
}

template <typename T>
static inline void LongTransform(const T in[18], int blockType, T overlap[18], T out[18]) {
    typedef Coefficients<T> C;
    T e[9], o[9];
    e[0] = in[0];
    o[0] = in[1] + in[0];
    for (int m = 1; m < 9; ++m) {
        e[m] = in[2 * m] + in[2 * m - 1];
        o[m] = in[2 * m + 1] + in[2 * m];
    }
    for (int m = 8; m > 0; --m) o[m] += o[m - 1];  // pair sums of the odd half
    T even[9], odd[9];
    Dct3Of9(e, even);
    Dct3Of9(o, odd);
    T t[18];
    for (int p = 0; p < 9; ++p) {
        const T od = odd[p] * C::Odd(p);
        t[p] = (even[p] + od) * C::Post(p);
        t[17 - p] = (even[p] - od) * C::Post(17 - p);
    }
    for (int i = 0; i < 9; ++i) {
        out[i] = t[i + 9] * C::Window(blockType, i) + overlap[i];
        out[i + 9] = -t[17 - i] * C::Window(blockType, i + 9) + overlap[i + 9];
        overlap[i] = -t[8 - i] * C::Window(blockType, i + 18);
        overlap[i + 9] = -t[i] * C::Window(blockType, i + 27);
    }
}

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
#ifdef FLUXDEC_HAVE_FLOAT4
        if ((sb & 3) == 0 && sb + 4 <= subbands && granuleType != 2 &&
            typeOf(sb) == granuleType) {
            LongTransform4(spectrum, sb, granuleType, overlap, d->hybrid);
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

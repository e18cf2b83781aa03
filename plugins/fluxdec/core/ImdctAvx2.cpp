// The long blocks' inverse MDCT for eight subbands at once, for CPUs with AVX2 (compiled alone
// with -mavx2, run only where SimdPath.cpp found AVX2): Imdct.cpp's four-subband transform in
// eight lanes, the same operations in the same order, so every subband gets the same floats.
#include "plugins/fluxdec/core/SimdStages.h"

#ifdef FLUXDEC_HAVE_AVX2

#include "plugins/fluxdec/core/Avx2Lanes.h"
#include "plugins/fluxdec/core/Imdct36.h"

namespace fluxdec {

namespace {
// The constants in all eight lanes, broadcast from the scalar tables.
template <>
struct Coefficients<Float8> {
    static Float8 Dct9(int p, int m) { return Float8(_mm256_broadcast_ss(&kDct9[p][m])); }
    static Float8 Odd(int p) { return Float8(_mm256_broadcast_ss(&kImdct36Odd[p])); }
    static Float8 Post(int p) { return Float8(_mm256_broadcast_ss(&kImdct36Post[p])); }
    static Float8 Window(int type, int i) {
        return Float8(_mm256_broadcast_ss(&kImdctWindow[type][i]));
    }
};
}  // namespace

// The overlap and the hybrid output are stored slot-major, so a slot's eight values are
// contiguous; the input lines come in as two transposed 8 x 8 blocks and the last two lines.
void LongTransform8(const float* spectrum, int sb, int blockType, float (*overlap)[32],
                    float (*hybrid)[32]) {
    const float* x = spectrum + 18 * sb;
    Float8 in[18], ov[18], out[18];
    for (int k = 0; k < 16; k += 8) {
        __m256 r[8];
        for (int j = 0; j < 8; ++j) r[j] = _mm256_loadu_ps(x + 18 * j + k);
        Transpose8(r);
        for (int j = 0; j < 8; ++j) in[k + j] = Float8(r[j]);
    }
    for (int k = 16; k < 18; ++k)
        in[k] = Float8(_mm256_setr_ps(x[k], x[18 + k], x[36 + k], x[54 + k], x[72 + k],
                                      x[90 + k], x[108 + k], x[126 + k]));
    for (int k = 0; k < 18; ++k) ov[k] = Float8(_mm256_loadu_ps(&overlap[k][sb]));
    LongTransform(in, blockType, ov, out);
    // Frequency inversion: odd subbands, odd slots.
    const Float8 invert = {1.0f, -1.0f, 1.0f, -1.0f, 1.0f, -1.0f, 1.0f, -1.0f};
    for (int i = 0; i < 18; ++i) {
        _mm256_storeu_ps(&overlap[i][sb], __m256(ov[i]));
        _mm256_storeu_ps(&hybrid[i][sb], __m256((i & 1) ? out[i] * invert : out[i]));
    }
}

}  // namespace fluxdec

#endif

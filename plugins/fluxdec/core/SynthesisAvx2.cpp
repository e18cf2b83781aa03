// The polyphase synthesis in eight lanes, for CPUs with AVX2 (the build compiles this file alone
// with -mavx2; DecodeFrame calls it only where the CPU has AVX2, SimdPath.cpp). The same
// operations in the same order as Synthesis.cpp, eight lanes instead of four: the matrixing of
// slots 0 .. 7 and 8 .. 15 runs one slot per lane (slots 16 and 17 in four lanes, as there), and
// the windowing sums the 16 taps of 8 samples per instruction. Multiplications and additions
// stay separate (no fused multiply-add), so every lane gives the SSE2 form's floats exactly.
#include "plugins/fluxdec/core/SimdStages.h"

#ifdef FLUXDEC_HAVE_AVX2

#include "plugins/fluxdec/core/Avx2Lanes.h"
#include "plugins/fluxdec/core/SynthesisKernels.h"

namespace fluxdec {

namespace {

// The matrixing of the eight slots s0 .. s0 + 7; rowsX[l] receives slot s0 + l's X.
FLUXDEC_INLINE void MatrixEightSlots(const float hybrid[18][32], int s0, float rowsX[8][36]) {
    Float8 in[32], x[32];
    for (int k = 0; k < 32; k += 8) {
        __m256 r[8];
        for (int l = 0; l < 8; ++l) r[l] = _mm256_loadu_ps(hybrid[s0 + l] + k);
        Transpose8(r);
        for (int j = 0; j < 8; ++j) in[k + j] = Float8(r[j]);
    }
    Lee<32, Float8>::Run(in, x);
    for (int k = 0; k < 32; k += 8) {
        __m256 c[8];
        for (int j = 0; j < 8; ++j) c[j] = __m256(x[k + j]);
        Transpose8(c);
        for (int l = 0; l < 8; ++l) _mm256_storeu_ps(rowsX[l] + k, c[l]);
    }
}

// The 32 samples of one slot: the 16 taps summed in order, then clamped, truncated and packed
// (the pack works within 128-bit halves; the final permutation puts the samples in order).
FLUXDEC_INLINE void Window32(const float* rows, const float (*window)[32], int16_t* out) {
    const float* c = window[0];
    __m256 a[4];
    for (int q = 0; q < 4; ++q)
        a[q] = _mm256_mul_ps(_mm256_loadu_ps(rows + 8 * q), _mm256_loadu_ps(c + 8 * q));
    FLUXDEC_UNROLL_TAPS
    for (int tap = 1; tap < 16; ++tap) {
        const float* r = rows + 32 * tap;
        c = window[tap];
        for (int q = 0; q < 4; ++q)
            a[q] = _mm256_add_ps(a[q], _mm256_mul_ps(_mm256_loadu_ps(r + 8 * q),
                                                     _mm256_loadu_ps(c + 8 * q)));
    }
    const __m256 lo = _mm256_set1_ps(-32768.0f), hi = _mm256_set1_ps(32767.0f);
    __m256i s[4];
    for (int q = 0; q < 4; ++q)
        s[q] = _mm256_cvttps_epi32(_mm256_min_ps(_mm256_max_ps(a[q], lo), hi));
    for (int q = 0; q < 4; q += 2) {
        const __m256i packed = _mm256_packs_epi32(s[q], s[q + 1]);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 8 * q),
                            _mm256_permute4x64_epi64(packed, _MM_SHUFFLE(3, 1, 2, 0)));
    }
}

}  // namespace

void SynthesiseGranuleAvx2(ChannelState* st, const float hybrid[18][32], int16_t* pcm,
                           int stride, const float (*synthWindow)[32]) {
    auto window = [synthWindow](const float* rows, int16_t* out) { Window32(rows, synthWindow, out); };
    for (int s0 = 0; s0 < 16; s0 += 8) {
        float rowsX[8][36];
        MatrixEightSlots(hybrid, s0, rowsX);
        WindowSlots(st, rowsX, s0, 8, pcm, stride, window);
    }
    float rowsX[4][36];
    MatrixFourSlots(hybrid, 16, 2, rowsX);
    WindowSlots(st, rowsX, 16, 2, pcm, stride, window);
}

}  // namespace fluxdec

#endif

// Polyphase synthesis (11172-3 2.4.3.4.10 and Annex A figure A.2).
//
// Per time slot, from the 32 subband samples S(k):
//   V(i) = sum over k of cos((16 + i)(2k + 1) pi/64) S(k), i = 0..63 (matrixing), and
//   out(j) = sum over i = 0..15 of D(j + 32 i) V_{t-i}(j + 32 (i mod 2))
// where V_{t-i} is the V of the slot i slots back: the standard's U/W windowing written per output
// sample. The matrixing is X = DCT-II(S) of length 32 (fast, Lee's factorisation) and the
// symmetries of V: V(i) = X(16 + i) for i < 16, V(16) = 0, V(i) = -X(48 - i) for 17 <= i <= 48,
// V(i) = -X(i - 48) for i > 48.
//
// Storage: two buffers of 16 rows x 32 values per channel, each row kept twice (rows r and
// r + 16), so that the 16 rows from any write position on lie one after the other.
// Each slot writes V(0..31) into row `vPos` of the current buffer and V(32..63) into the same row
// of the other, then decrements vPos and switches buffers. Row vPos + i of the current buffer
// then holds exactly V_{t-i}(j + 32 (i mod 2)) at column j, so each output sample is a run of 16
// multiply-adds, done for all 32 samples at once row by row over contiguous memory with the
// pre-scaled window kSynthWindow[i] (D x 32767): no index arithmetic per tap, no scaling per sample.
// A song's output scale (ReplayGain) comes as a copy of that window multiplied by the scale, chosen
// when the song opens (Decoder::synthWindow): the same loop, at no cost per sample.
//
// With SSE2 the matrixing runs for four slots at once, one slot per lane (the hybrid output's
// rows are transposed in blocks of 4 x 4 on the way in and out), and the windowing keeps its
// sums in registers, 16 samples at a time. Every lane does the scalar code's operations in the
// scalar code's order, so both forms give the same floats: SynthesiseGranuleReference is the
// scalar form, kept for the tests and for compilers without SSE2. SynthesisAvx2.cpp does the same
// in eight lanes where the CPU has AVX2.
#include "plugins/fluxdec/core/SynthesisKernels.h"
#include "plugins/fluxdec/core/Stages.h"
#include "plugins/fluxdec/core/Tables.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace fluxdec {

void Dct32(const float in[32], float out[32]) { Lee<32, float>::Run(in, out); }

void SynthesiseGranuleReference(ChannelState* st, const float hybrid[18][32], int16_t* pcm,
                                int stride, const float (*window)[32]) {
    for (int slot = 0; slot < 18; ++slot) {
        float x[32];
        Lee<32, float>::Run(hybrid[slot], x);
        float* cur = st->v[st->vSel][st->vPos];
        float* other = st->v[st->vSel ^ 1][st->vPos];
        for (int i = 0; i < 16; ++i) cur[i] = x[16 + i];
        cur[16] = 0.0f;
        for (int i = 17; i < 32; ++i) cur[i] = -x[48 - i];
        other[0] = -x[16];
        for (int j = 1; j < 16; ++j) other[j] = -x[16 - j];
        other[16] = -x[0];
        for (int j = 17; j < 32; ++j) other[j] = -x[j - 16];
        for (int j = 0; j < 32; ++j) {
            cur[16 * 32 + j] = cur[j];
            other[16 * 32 + j] = other[j];
        }

        const float* rows = st->v[st->vSel][st->vPos];
        float acc[32];
        {
            const float* r = rows;
            const float* c = window[0];
            for (int j = 0; j < 32; ++j) acc[j] = r[j] * c[j];
        }
        for (int tap = 1; tap < 16; ++tap) {
            const float* r = rows + 32 * tap;
            const float* c = window[tap];
            for (int j = 0; j < 32; ++j) acc[j] += r[j] * c[j];
        }
        int16_t* o = pcm + slot * 32 * stride;
        for (int j = 0; j < 32; ++j) o[j * stride] = ToPcm16(acc[j]);

        st->vPos = (st->vPos - 1) & 15;
        st->vSel ^= 1;
    }
}

#ifdef __SSE2__

namespace {

// Samples j0 .. j0 + 15 of one slot: the 16 taps summed in order, then clamped, truncated and
// packed (the saturating pack meets only values already clamped to the 16-bit range).
FLUXDEC_INLINE void Window16(const float* rows, const float (*window)[32], int j0, int16_t* out) {
    const float* r = rows + j0;
    const float* c = window[0] + j0;
    __m128 a0 = _mm_mul_ps(Load(r), LoadAligned(c));
    __m128 a1 = _mm_mul_ps(Load(r + 4), LoadAligned(c + 4));
    __m128 a2 = _mm_mul_ps(Load(r + 8), LoadAligned(c + 8));
    __m128 a3 = _mm_mul_ps(Load(r + 12), LoadAligned(c + 12));
    FLUXDEC_UNROLL_TAPS
    for (int tap = 1; tap < 16; ++tap) {
        r = rows + 32 * tap + j0;
        c = window[tap] + j0;
        a0 = _mm_add_ps(a0, _mm_mul_ps(Load(r), LoadAligned(c)));
        a1 = _mm_add_ps(a1, _mm_mul_ps(Load(r + 4), LoadAligned(c + 4)));
        a2 = _mm_add_ps(a2, _mm_mul_ps(Load(r + 8), LoadAligned(c + 8)));
        a3 = _mm_add_ps(a3, _mm_mul_ps(Load(r + 12), LoadAligned(c + 12)));
    }
    const __m128 lo = _mm_set1_ps(-32768.0f), hi = _mm_set1_ps(32767.0f);
    auto toInt = [&](__m128 v) { return _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(v, lo), hi)); };
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packs_epi32(toInt(a0), toInt(a1)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_packs_epi32(toInt(a2), toInt(a3)));
}

}  // namespace

void SynthesiseGranule(ChannelState* st, const float hybrid[18][32], int16_t* pcm, int stride,
                       const float (*window)[32]) {
    for (int s0 = 0; s0 < 18; s0 += 4) {
        const int slots = s0 + 4 <= 18 ? 4 : 18 - s0;
        float rowsX[4][36];  // each slot's matrixing output
        MatrixFourSlots(hybrid, s0, slots, rowsX);
        WindowSlots(st, rowsX, s0, slots, pcm, stride, [window](const float* rows, int16_t* out) {
            Window16(rows, window, 0, out);
            Window16(rows, window, 16, out + 16);
        });
    }
}

#else

void SynthesiseGranule(ChannelState* st, const float hybrid[18][32], int16_t* pcm, int stride,
                       const float (*window)[32]) {
    SynthesiseGranuleReference(st, hybrid, pcm, stride, window);
}

#endif

}  // namespace fluxdec

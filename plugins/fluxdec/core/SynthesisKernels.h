// The parts of the polyphase synthesis shared by its SSE2 and AVX2 forms (Synthesis.cpp,
// SynthesisAvx2.cpp): the matrixing transform and the storing of V. Everything here has internal linkage: each file compiles its own copy with
// its own instruction set, so the linker never hands the SSE2 path a copy built for AVX2.
#pragma once

#include "plugins/fluxdec/core/DecoderState.h"
#include "plugins/fluxdec/core/Tables.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#if defined(__GNUC__) || defined(__clang__)
#define FLUXDEC_INLINE inline __attribute__((always_inline))
#else
#define FLUXDEC_INLINE inline
#endif

// The windowing's loop over its 15 further taps, unrolled: the sums then go from one tap to the
// next without a counter or a branch.
#if defined(__GNUC__) && !defined(__clang__)
#define FLUXDEC_UNROLL_TAPS _Pragma("GCC unroll 15")
#else
#define FLUXDEC_UNROLL_TAPS
#endif

namespace fluxdec {
namespace {

constexpr int LeeOffset(int n) { return n == 32 ? 0 : n == 16 ? 16 : n == 8 ? 24 : n == 4 ? 28 : 30; }

// DCT-II of length N: out(m) = sum over k of in(k) cos(pi m (2k + 1) / 2N). Lee: the even outputs
// are the half-length DCT of in(k) + in(N-1-k); the odd ones are B(m) + B(m+1) of the half-length
// DCT B of (in(k) - in(N-1-k)) / (2 cos((2k + 1) pi / 2N)). The templates unroll into straight
// code, for T = float and for T = a vector of slots (one slot per lane), which computes each
// lane with the scalar code's operations in the scalar code's order.
template <int N, typename T>
struct Lee {
    static FLUXDEC_INLINE void Run(const T* in, T* out) {
        constexpr int H = N / 2;
        const float* f = kLeeFactors + LeeOffset(N);
        T a[H], b[H], A[H], B[H];
        for (int k = 0; k < H; ++k) {
            a[k] = in[k] + in[N - 1 - k];
            b[k] = (in[k] - in[N - 1 - k]) * f[k];
        }
        Lee<H, T>::Run(a, A);
        Lee<H, T>::Run(b, B);
        for (int m = 0; m < H; ++m) out[2 * m] = A[m];
        for (int m = 0; m < H - 1; ++m) out[2 * m + 1] = B[m] + B[m + 1];
        out[N - 1] = B[H - 1];
    }
};

template <typename T>
struct Lee<1, T> {
    static FLUXDEC_INLINE void Run(const T* in, T* out) { out[0] = in[0]; }
};

#ifdef __SSE2__
// The lane type of the matrixing (a plain vector type: __m128 carries attributes that a template
// argument drops).
typedef float Float4 __attribute__((vector_size(16)));

FLUXDEC_INLINE __m128 Load(const float* p) { return _mm_loadu_ps(p); }
FLUXDEC_INLINE __m128 LoadAligned(const float* p) { return _mm_load_ps(p); }
FLUXDEC_INLINE void Store(float* p, __m128 v) { _mm_storeu_ps(p, v); }
FLUXDEC_INLINE __m128 Reverse(__m128 v) { return _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 1, 2, 3)); }
FLUXDEC_INLINE __m128 Negate(__m128 v) { return _mm_xor_ps(v, _mm_set1_ps(-0.0f)); }

// Stores a V row and its repetition 16 rows on.
FLUXDEC_INLINE void StoreRow(float* row, int j, __m128 v) {
    Store(row + j, v);
    Store(row + 16 * 32 + j, v);
}

// The slot's V values from its matrixing output x: V(0..31) into the current buffer's row,
// V(32..63) into the other's (see SynthesiseGranuleReference). x[32] is read, for the lane that
// V(16) = 0 then replaces.
FLUXDEC_INLINE void StoreV(const float* x, float* cur, float* other) {
    for (int i = 0; i < 16; i += 4) StoreRow(cur, i, Load(x + 16 + i));
    StoreRow(cur, 16, _mm_move_ss(Negate(Reverse(Load(x + 29))), _mm_setzero_ps()));
    for (int i = 20; i < 32; i += 4) StoreRow(cur, i, Negate(Reverse(Load(x + 45 - i))));
    for (int j = 0; j < 16; j += 4) StoreRow(other, j, Negate(Reverse(Load(x + 13 - j))));
    for (int j = 16; j < 32; j += 4) StoreRow(other, j, Negate(Load(x + j - 16)));
}

// The matrixing of slots s0 .. s0 + slots - 1 (at most 4), one slot per lane: the hybrid output's
// rows are transposed in blocks of 4 x 4 on the way in and out. rowsX[l] receives slot s0 + l's X.
FLUXDEC_INLINE void MatrixFourSlots(const float hybrid[18][32], int s0, int slots,
                                    float rowsX[4][36]) {
    // Subband samples of slots s0 .. s0 + 3, one slot per lane (missing slots are zero).
    Float4 in[32], x[32];
    for (int k = 0; k < 32; k += 4) {
        __m128 r0 = Load(hybrid[s0] + k), r1 = Load(hybrid[s0 + 1] + k);
        __m128 r2 = slots > 2 ? Load(hybrid[s0 + 2] + k) : _mm_setzero_ps();
        __m128 r3 = slots > 3 ? Load(hybrid[s0 + 3] + k) : _mm_setzero_ps();
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        in[k] = r0;
        in[k + 1] = r1;
        in[k + 2] = r2;
        in[k + 3] = r3;
    }
    Lee<32, Float4>::Run(in, x);
    for (int k = 0; k < 32; k += 4) {
        __m128 c0 = x[k], c1 = x[k + 1], c2 = x[k + 2], c3 = x[k + 3];
        _MM_TRANSPOSE4_PS(c0, c1, c2, c3);
        Store(rowsX[0] + k, c0);
        Store(rowsX[1] + k, c1);
        Store(rowsX[2] + k, c2);
        Store(rowsX[3] + k, c3);
    }
}

// Slots s0 .. s0 + slots - 1 from their matrixing output rowsX: each stores its V and is windowed
// by window32(rows, out), which writes the slot's 32 samples.
template <typename Window32>
FLUXDEC_INLINE void WindowSlots(ChannelState* st, float (*rowsX)[36], int s0, int slots,
                                int16_t* pcm, int stride, Window32 window32) {
    for (int l = 0; l < slots; ++l) {
        rowsX[l][32] = 0.0f;  // read by StoreV, never used
        const float* rows = st->v[st->vSel][st->vPos];
        StoreV(rowsX[l], st->v[st->vSel][st->vPos], st->v[st->vSel ^ 1][st->vPos]);
        const int slot = s0 + l;
        if (stride == 1) {
            window32(rows, pcm + slot * 32);
        } else {
            int16_t out[32];
            window32(rows, out);
            int16_t* o = pcm + slot * 32 * stride;
            for (int j = 0; j < 32; ++j) o[j * stride] = out[j];
        }
        st->vPos = (st->vPos - 1) & 15;
        st->vSel ^= 1;
    }
}

#endif

}  // namespace
}  // namespace fluxdec

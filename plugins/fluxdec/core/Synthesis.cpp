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
// Storage: two buffers of 16 rows x 32 values per channel.
// Each slot writes V(0..31) into row `vPos` of the current buffer and V(32..63) into the same row
// of the other, then decrements vPos and switches buffers. Row vPos + i (mod 16) of the current
// buffer then holds exactly V_{t-i}(j + 32 (i mod 2)) at column j, so each output sample is a run
// of 16 multiply-adds, done for all 32 samples at once row by row over contiguous memory with the
// pre-scaled window kSynthWindow[i] (D x 32767): no index arithmetic per tap, no scaling per sample.
#include "plugins/fluxdec/core/Stages.h"
#include "plugins/fluxdec/core/Tables.h"

#if defined(__GNUC__) || defined(__clang__)
#define FLUXDEC_INLINE inline __attribute__((always_inline))
#else
#define FLUXDEC_INLINE inline
#endif

namespace fluxdec {

namespace {

constexpr int LeeOffset(int n) { return n == 32 ? 0 : n == 16 ? 16 : n == 8 ? 24 : n == 4 ? 28 : 30; }

// DCT-II of length N: out(m) = sum over k of in(k) cos(pi m (2k + 1) / 2N). Lee: the even outputs
// are the half-length DCT of in(k) + in(N-1-k); the odd ones are B(m) + B(m+1) of the half-length
// DCT B of (in(k) - in(N-1-k)) / (2 cos((2k + 1) pi / 2N)). The templates unroll into straight code.
template <int N>
struct Lee {
    static FLUXDEC_INLINE void Run(const float* in, float* out) {
        constexpr int H = N / 2;
        const float* f = kLeeFactors + LeeOffset(N);
        float a[H], b[H], A[H], B[H];
        for (int k = 0; k < H; ++k) {
            a[k] = in[k] + in[N - 1 - k];
            b[k] = (in[k] - in[N - 1 - k]) * f[k];
        }
        Lee<H>::Run(a, A);
        Lee<H>::Run(b, B);
        for (int m = 0; m < H; ++m) out[2 * m] = A[m];
        for (int m = 0; m < H - 1; ++m) out[2 * m + 1] = B[m] + B[m + 1];
        out[N - 1] = B[H - 1];
    }
};

template <>
struct Lee<1> {
    static FLUXDEC_INLINE void Run(const float* in, float* out) { out[0] = in[0]; }
};

}  // namespace

void Dct32(const float in[32], float out[32]) { Lee<32>::Run(in, out); }

void SynthesiseGranule(ChannelState* st, const float hybrid[18][32], int16_t* pcm, int stride) {
    for (int slot = 0; slot < 18; ++slot) {
        float x[32];
        Lee<32>::Run(hybrid[slot], x);
        float* cur = st->v[st->vSel][st->vPos];
        float* other = st->v[st->vSel ^ 1][st->vPos];
        for (int i = 0; i < 16; ++i) cur[i] = x[16 + i];
        cur[16] = 0.0f;
        for (int i = 17; i < 32; ++i) cur[i] = -x[48 - i];
        other[0] = -x[16];
        for (int j = 1; j < 16; ++j) other[j] = -x[16 - j];
        other[16] = -x[0];
        for (int j = 17; j < 32; ++j) other[j] = -x[j - 16];

        float (*rows)[32] = st->v[st->vSel];
        const int pos = st->vPos;
        float acc[32];
        {
            const float* r = rows[pos];
            const float* c = kSynthWindow[0];
            for (int j = 0; j < 32; ++j) acc[j] = r[j] * c[j];
        }
        for (int tap = 1; tap < 16; ++tap) {
            const float* r = rows[(pos + tap) & 15];
            const float* c = kSynthWindow[tap];
            for (int j = 0; j < 32; ++j) acc[j] += r[j] * c[j];
        }
        int16_t* o = pcm + slot * 32 * stride;
        for (int j = 0; j < 32; ++j) o[j * stride] = ToPcm16(acc[j]);

        st->vPos = (st->vPos - 1) & 15;
        st->vSel ^= 1;
    }
}

}  // namespace fluxdec

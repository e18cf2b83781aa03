// The eight-lane vector type and the 8 x 8 transpose of the AVX2 files (SynthesisAvx2.cpp,
// ImdctAvx2.cpp), which alone include this header: it is compiled for AVX2 only. Internal
// linkage, like everything those files share.
#pragma once

#include <immintrin.h>

namespace fluxdec {
namespace {

typedef float Float8 __attribute__((vector_size(32)));

// Rows r[0..7] of an 8 x 8 block become its columns.
inline __attribute__((always_inline)) void Transpose8(__m256 r[8]) {
    __m256 t[8], u[8];
    for (int i = 0; i < 8; i += 2) {
        t[i] = _mm256_unpacklo_ps(r[i], r[i + 1]);
        t[i + 1] = _mm256_unpackhi_ps(r[i], r[i + 1]);
    }
    for (int i = 0; i < 8; i += 4) {
        u[i] = _mm256_shuffle_ps(t[i], t[i + 2], _MM_SHUFFLE(1, 0, 1, 0));
        u[i + 1] = _mm256_shuffle_ps(t[i], t[i + 2], _MM_SHUFFLE(3, 2, 3, 2));
        u[i + 2] = _mm256_shuffle_ps(t[i + 1], t[i + 3], _MM_SHUFFLE(1, 0, 1, 0));
        u[i + 3] = _mm256_shuffle_ps(t[i + 1], t[i + 3], _MM_SHUFFLE(3, 2, 3, 2));
    }
    for (int i = 0; i < 4; ++i) {
        r[i] = _mm256_permute2f128_ps(u[i], u[i + 4], 0x20);
        r[i + 4] = _mm256_permute2f128_ps(u[i], u[i + 4], 0x31);
    }
}

}  // namespace
}  // namespace fluxdec

// The long blocks' inverse MDCT with windowing and overlap-add, written once for every lane type
// (Imdct.cpp, ImdctAvx2.cpp): T = float for one subband, or a vector holding neighbouring subbands
// in its lanes. Lanes are computed independently with the same operations in the same order, so
// every lane type gives the same floats for a subband. Coefficients<T> hands the constants to the
// lane type; the vector files specialise it. Everything here has internal linkage: each file
// compiles its own copy with its own instruction set.
#pragma once

#include "plugins/fluxdec/core/Tables.h"

namespace fluxdec {
namespace {

template <typename T>
struct Coefficients {
    static float Dct9(int p, int m) { return kDct9[p][m]; }
    static float Odd(int p) { return kImdct36Odd[p]; }
    static float Post(int p) { return kImdct36Post[p]; }
    static float Window(int type, int i) { return kImdctWindow[type][i]; }
};

// E(p) = sum over m = 0..8 of e(m) cos(pi (2p + 1) m / 18), p = 0..8. Rows p and 8 - p share the
// even terms and negate the odd ones; row 4 is e0 - e2 + e4 - e6 + e8.
template <typename T>
inline void Dct3Of9(const T e[9], T out[9]) {
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
inline void LongTransform(const T in[18], int blockType, T overlap[18], T out[18]) {
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

}  // namespace
}  // namespace fluxdec

// The output stage. The synthesis yields 32767 times the standard's reconstructed
// sample (window D x 32767, see Synthesis.cpp), so full scale +-1.0 maps to +-32767. The value is
// converted by truncation toward zero (1.9 -> 1, -1.9 -> -1), not rounding, and clipped to the
// 16-bit range (40000.7 -> 32767, -40000.7 -> -32768). The comparisons come first so that the
// conversion never sees a value outside the int range.
#pragma once

#include <cstdint>

namespace fluxdec {

inline int16_t ToPcm16(float value) {
    if (value >= 32767.0f) return 32767;
    if (value > -32768.0f) return int16_t(int32_t(value));  // truncation toward zero
    return -32768;  // also a NaN, which bounded inputs cannot produce
}

}  // namespace fluxdec

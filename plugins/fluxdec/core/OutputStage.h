// The output stage. The synthesis yields 32767 times the standard's reconstructed
// sample (window D x 32767, see Synthesis.cpp), so full scale +-1.0 maps to +-32767. The value is
// converted by truncation toward zero (1.9 -> 1, -1.9 -> -1), not rounding, and clipped to the
// 16-bit range (40000.7 -> 32767, -40000.7 -> -32768). The clamp comes first so that the
// conversion never sees a value outside the int range.
#pragma once

#include <cstdint>

namespace fluxdec {

// Written as a clamp and one conversion, without branches, so that the compiler can do a row of
// samples at once. The decoder's values are bounded (quantised values, gains and tables are all
// finite and clamped), so no NaN reaches the conversion.
inline int16_t ToPcm16(float value) {
    float v = value < -32768.0f ? -32768.0f : value;
    v = v > 32767.0f ? 32767.0f : v;
    return int16_t(int32_t(v));  // truncation toward zero
}

}  // namespace fluxdec

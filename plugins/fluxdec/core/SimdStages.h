// The hot stages' forms for CPUs with AVX2, compiled from their own files with -mavx2 (the build
// defines FLUXDEC_HAVE_AVX2 where it does so: x86 with GCC or clang). They compute exactly the
// floats of the SSE2 forms, eight lanes at a time, and run only where SimdPath.cpp found AVX2.
#pragma once

#include "plugins/fluxdec/core/DecoderState.h"

namespace fluxdec {

// Whether this CPU and its operating system run AVX2 code (the YMM state is saved).
bool CpuHasAvx2();

#ifdef FLUXDEC_HAVE_AVX2
// SynthesiseGranule's AVX2 form.
void SynthesiseGranuleAvx2(ChannelState* state, const float hybrid[18][32], int16_t* pcm,
                           int stride, const float (*window)[32]);
// Long blocks of one type for subbands sb .. sb + 7 (sb a multiple of 8): HybridFilterBank's
// AVX2 form of its four-subband transform.
void LongTransform8(const float* spectrum, int sb, int blockType, float (*overlap)[32],
                    float (*hybrid)[32]);
#endif

}  // namespace fluxdec

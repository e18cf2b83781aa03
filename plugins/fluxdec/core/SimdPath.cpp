// The choice of vector instructions: the widest path that this CPU runs, unless a caller asked
// for another or the environment variable FLUXDEC_SIMD is "baseline" (the tests run both paths,
// natively and in the plug-in under Wine, and compare them bit for bit). Decoders take the choice
// when they are initialised, so a change never reaches a decoder in the middle of a song.
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "plugins/fluxdec/core/Fluxdec.h"
#include "plugins/fluxdec/core/SimdStages.h"

namespace fluxdec {

bool CpuHasAvx2() {
#ifdef FLUXDEC_HAVE_AVX2
    // GCC's and clang's check looks at CPUID and at XGETBV: AVX2 counts only where the operating
    // system saves the YMM registers.
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

namespace {
// -1 until the first call chooses; then a SimdPath. Relaxed: the value is all that crosses.
std::atomic<int> gSelected{-1};
}  // namespace

SimdPath WidestSimdPath() { return CpuHasAvx2() ? SimdPath::kAvx2 : SimdPath::kBaseline; }

SimdPath SelectSimdPath(SimdPath path) {
    const SimdPath chosen = path == SimdPath::kAvx2 && !CpuHasAvx2() ? SimdPath::kBaseline : path;
    gSelected.store(int(chosen), std::memory_order_relaxed);
    return chosen;
}

SimdPath SelectedSimdPath() {
    const int selected = gSelected.load(std::memory_order_relaxed);
    if (selected >= 0) return SimdPath(selected);
    const char* asked = std::getenv("FLUXDEC_SIMD");
    if (asked && std::strcmp(asked, "baseline") == 0) return SimdPath::kBaseline;
    return WidestSimdPath();
}

}  // namespace fluxdec

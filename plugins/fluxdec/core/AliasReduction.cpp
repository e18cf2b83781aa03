// Alias reduction (11172-3 2.4.3.4.10): eight butterflies across each boundary between
// subbands sb - 1 and sb, with lo = line 18 sb - 1 - i and hi = line 18 sb + i:
//   lo' = lo cs(i) - hi ca(i),  hi' = hi cs(i) + lo ca(i).
// Long blocks reduce every boundary; a mixed block only the one between its two long subbands
// at the bottom; short blocks none (AliasBoundaries decides).
#include "plugins/fluxdec/core/Stages.h"
#include "plugins/fluxdec/core/Tables.h"

namespace fluxdec {

int AliasBoundaries(const GranuleInfo& g, int nonzeroSubbands) {
    if (nonzeroSubbands <= 0) return 0;
    if (!(g.windowSwitching && g.blockType == 2)) return nonzeroSubbands;
    return g.mixedBlock ? 1 : 0;
}

// Boundaries 1 .. lastBoundary (at most 31). Boundaries above the last nonzero subband would only
// combine zeros, so the caller passes the first all-zero subband and skips them.
void ReduceAliases(float* x, int lastBoundary) {
    if (lastBoundary > 31) lastBoundary = 31;
    const float* cs = kAlias[0];
    const float* ca = kAlias[1];
    for (int sb = 1; sb <= lastBoundary; ++sb) {
        float* lo = x + 18 * sb - 1;
        float* hi = x + 18 * sb;
        for (int i = 0; i < 8; ++i) {
            const float a = lo[-i], b = hi[i];
            lo[-i] = a * cs[i] - b * ca[i];
            hi[i] = b * cs[i] + a * ca[i];
        }
    }
}

}  // namespace fluxdec

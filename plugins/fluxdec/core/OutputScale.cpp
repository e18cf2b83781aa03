// The output scale: a copy of the synthesis window multiplied by the scale, which the synthesis
// then uses in place of the window itself. Each output sample is a sum of window coefficients
// times V values, so scaling the coefficients scales the sample; the 512 products are made once
// per song (and per seek), not per sample.
#include "plugins/fluxdec/core/Fluxdec.h"
#include "plugins/fluxdec/core/Tables.h"

namespace fluxdec {

void SetOutputScale(Decoder* d, float scale) {
    if (scale == 1.0f) {
        d->synthWindow = kSynthWindow;
        return;
    }
    for (int tap = 0; tap < 16; ++tap)
        for (int j = 0; j < 32; ++j) d->scaledWindow[tap][j] = kSynthWindow[tap][j] * scale;
    d->synthWindow = d->scaledWindow;
}

}  // namespace fluxdec

// Scale factors: MPEG-1 (11172-3 2.4.2.7, with scfsi sharing from granule 0) and
// MPEG-2 LSF (13818-3 2.4.3.2, with the partitions of kLsfPartition).
#include <cstring>

#include "plugins/fluxdec/core/Stages.h"
#include "plugins/fluxdec/core/Tables.h"

namespace fluxdec {

static int ReadMpeg1(Decoder* d, BitReader* br, int gr, int ch) {
    const GranuleInfo& g = d->side.granule[gr][ch];
    const int slen1 = kSlen[0][g.scalefacCompress & 15];
    const int slen2 = kSlen[1][g.scalefacCompress & 15];
    uint8_t* longSf = d->longScale[ch];
    uint8_t (*shortSf)[3] = d->shortScale[ch];
    int bits = 0;
    if (g.windowSwitching && g.blockType == 2) {
        int firstShort = 0;
        if (g.mixedBlock) {
            for (int b = 0; b < 8; ++b) longSf[b] = uint8_t(br->Read(slen1));
            bits += 8 * slen1;
            firstShort = 3;
        }
        for (int b = firstShort; b < 12; ++b) {
            const int slen = b < 6 ? slen1 : slen2;
            for (int w = 0; w < 3; ++w) shortSf[b][w] = uint8_t(br->Read(slen));
            bits += 3 * slen;
        }
        for (int w = 0; w < 3; ++w) shortSf[12][w] = 0;
        return bits;
    }
    for (int group = 0; group < 4; ++group) {
        const int from = kScfsiBand[group], to = kScfsiBand[group + 1];
        if (gr == 1 && d->side.scfsi[ch][group]) continue;  // shared with granule 0
        const int slen = group < 2 ? slen1 : slen2;
        for (int b = from; b < to; ++b) longSf[b] = uint8_t(br->Read(slen));
        bits += (to - from) * slen;
    }
    longSf[21] = 0;
    return bits;
}

static int ReadLsf(Decoder* d, BitReader* br, int ch) {
    GranuleInfo& g = d->side.granule[0][ch];
    const FrameHeader& h = d->header;
    const bool intensityRight = ch == 1 && h.mode == 1 && (h.modeExtension & 1);
    const int kind = intensityRight ? 1 : 0;
    const int value = intensityRight ? (g.scalefacCompress >> 1) : g.scalefacCompress;
    int range = 0;
    while (range < 2 && value > kLsfPartition[kind][range].hi) ++range;
    const LsfPartition& part = kLsfPartition[kind][range];
    // slen1..4 from the mixed radix (Tables.cpp): slen4 is the lowest digit.
    int slen[4];
    int v = value - part.lo;
    for (int i = 3; i >= 0; --i) {
        slen[i] = v % part.radix[i];
        v /= part.radix[i];
    }
    if (!intensityRight) g.preflag = part.preflag;
    const int block = (g.windowSwitching && g.blockType == 2) ? (g.mixedBlock ? 2 : 1) : 0;

    // The values in stream order, then distributed to bands (at most 36, each partition's slen).
    uint8_t values[36];
    uint8_t illegal[36];
    int n = 0, bits = 0;
    for (int i = 0; i < 4; ++i) {
        for (int k = 0; k < part.counts[block][i] && n < 36; ++k) {
            values[n] = uint8_t(br->Read(slen[i]));
            illegal[n] = uint8_t((1 << slen[i]) - 1);
            ++n;
        }
        bits += part.counts[block][i] * slen[i];
    }
    for (int k = n; k < 36; ++k) values[k] = illegal[k] = 0;

    uint8_t* longSf = d->longScale[ch];
    uint8_t (*shortSf)[3] = d->shortScale[ch];
    if (block == 0) {
        for (int b = 0; b < 21; ++b) longSf[b] = values[b];
        longSf[21] = 0;
        if (intensityRight) {
            for (int b = 0; b < 21; ++b) d->lsfIllegalLong[b] = illegal[b];
            d->lsfIllegalLong[21] = illegal[20];  // band 21 takes band 20's position
        }
    } else {
        int k = 0, firstShort = 0;
        if (block == 2) {  // mixed: 6 long bands (lines 0..35), then short bands from 3
            for (int b = 0; b < 6; ++b, ++k) {
                longSf[b] = values[k];
                if (intensityRight) d->lsfIllegalLong[b] = illegal[k];
            }
            firstShort = 3;
        }
        for (int b = firstShort; b < 12; ++b) {
            for (int w = 0; w < 3; ++w, ++k) shortSf[b][w] = values[k];
            if (intensityRight) d->lsfIllegalShort[b] = illegal[k - 1];
        }
        for (int w = 0; w < 3; ++w) shortSf[12][w] = 0;
        if (intensityRight) d->lsfIllegalShort[12] = d->lsfIllegalShort[11];
    }
    if (intensityRight) d->lsfIntensityScale = g.scalefacCompress & 1;
    return bits;
}

int ReadScaleFactors(Decoder* d, BitReader* br, int granule, int channel) {
    return d->header.id == 1 ? ReadMpeg1(d, br, granule, channel) : ReadLsf(d, br, channel);
}

}  // namespace fluxdec

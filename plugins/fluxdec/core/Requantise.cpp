// Requantisation with the reordering of short blocks folded in, and joint stereo
// (11172-3 2.4.3.4.7 to 2.4.3.4.9, 13818-3 2.4.3.2).
//
// A line's value is sign(q) x |q|^(4/3) x 2^(A/4), with the gain exponent A in quarter steps:
//   long bands:  A = global_gain - 210 - ((scalefac + preflag x pretab) << s)
//   short bands: A = global_gain - 210 - 8 x subblock_gain(window) - (scalefac << s)
// where s = 1 when scalefac_scale is 0 and 2 when it is 1. Everything comes from tables: no power
// function at run time.
#include <cstring>

#include "plugins/fluxdec/core/Stages.h"
#include "plugins/fluxdec/core/Tables.h"

namespace fluxdec {

// 2^n for 0 <= n <= 127, built from the float's exponent field.
static inline float Pow2(int n) {
    uint32_t bits = uint32_t(n + 127) << 23;
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

// 2^(A/4) = 2^(A div 4) x 2^((A mod 4)/4); for negative A from 2^(-k/4) and a division by a power
// of two (exact, as long as the result is a normal float). A below -4 x 127 gives 0.
float GainFromExponent(int a) {
    if (a >= 0) {
        const int n = a >> 2;
        return n > 127 ? Pow2(127) : kQuarterPow[a & 3] * Pow2(n);
    }
    const int b = -a;
    const int n = b >> 2;
    if (n > 127) return 0.0f;
    return kQuarterPowNeg[b & 3] / Pow2(n);
}

// sign(q) x |q|^(4/3) x gain: one look-up in the signed table and one multiplication, no
// branch (signs are random, and a mispredicted branch per line costs more than the arithmetic).
// The table is read from its middle, so that a line's index is its value as it stands.
static const float* const kPow43Centre = kPow43Signed + kMaxQuant;
static inline float Line(int32_t q, float gain) { return kPow43Centre[q] * gain; }

// Lines [from, to) of one band, in order. A plain loop, four lines a turn: SSE2 has no gather,
// and GCC's vector form of the look-ups (moving each index out of a vector register and each
// value back in) takes more instructions than the look-ups themselves.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("no-tree-vectorize")))
#endif
static void RequantiseBand(const int32_t* q, float* out, int from, int to, float gain) {
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC unroll 4
#endif
    for (int i = from; i < to; ++i) out[i] = Line(q[i], gain);
}

void Requantise(Decoder* d, int gr, int ch) {
    const GranuleInfo& g = d->side.granule[gr][ch];
    const FrameHeader& h = d->header;
    const int16_t* longStart = kLongBandStart[VersionRow(h)][h.samplingFrequency];
    const int16_t* shortStart = kShortBandStart[VersionRow(h)][h.samplingFrequency];
    const uint16_t* reorder = kShortReorder[VersionRow(h)][h.samplingFrequency];
    const int32_t* q = d->quant[ch];
    float* out = d->spectrum[ch];
    const int count = d->lineCount[ch];
    const int shift = g.scalefacScale ? 2 : 1;
    const int base = g.globalGain - 210;
    const uint8_t* longSf = d->longScale[ch];

    if (!(g.windowSwitching && g.blockType == 2)) {
        int i = 0;
        for (int b = 0; b < 22 && i < count; ++b) {
            const int a = base - ((longSf[b] + (g.preflag ? kPretab[b] : 0)) << shift);
            const float gain = GainFromExponent(a);
            const int end = longStart[b + 1] < count ? longStart[b + 1] : count;
            RequantiseBand(q, out, i, end, gain);
            if (end > i) i = end;
        }
        for (; i < 576; ++i) out[i] = 0.0f;
        return;
    }

    // Short blocks: every line goes to its reordered place; lines not decoded are 0.
    std::memset(out, 0, sizeof(float) * 576);
    int firstShort = 0;
    if (g.mixedBlock) {  // the first 36 lines are long bands, not reordered
        for (int b = 0; longStart[b] < 36; ++b) {
            const int a = base - ((longSf[b] + (g.preflag ? kPretab[b] : 0)) << shift);
            const float gain = GainFromExponent(a);
            const int end = longStart[b + 1] < count ? longStart[b + 1] : count;
            RequantiseBand(q, out, longStart[b], end, gain);
        }
        firstShort = 3;
    }
    for (int b = firstShort; b < 13; ++b) {
        const int width = shortStart[b + 1] - shortStart[b];
        for (int w = 0; w < 3; ++w) {
            const int from = 3 * shortStart[b] + w * width;
            if (from >= count) break;
            const int a = base - 8 * g.subblockGain[w] - (d->shortScale[ch][b][w] << shift);
            const float gain = GainFromExponent(a);
            const int end = from + width < count ? from + width : count;
            for (int i = from; i < end; ++i) out[reorder[i]] = Line(q[i], gain);
        }
    }
}

// --- joint stereo

// Intensity stereo on one band (lines listed by their places in the reordered spectrum): from the
// left channel's value v, MPEG-1 gives left = v (1 - t(p)), right = v t(p); MPEG-2 LSF gives
// left = v k((p + 1)/2), right = v for odd p and left = v, right = v k(p/2) for even p.
struct IntensityBand {
    Decoder* d;
    bool mpeg1;
    void Apply(int position, int illegal, const int* lines, int n, int firstLine) const {
        float* left = d->spectrum[0];
        float* right = d->spectrum[1];
        if (mpeg1) {
            if (position >= 7) {  // 7: not intensity-coded; above 7: damaged
                if (position > 7) d->faults |= kFaultIntensityPosition;
                return;
            }
            const float kl = kIntensityMpeg1[0][position], kr = kIntensityMpeg1[1][position];
            for (int k = 0; k < n; ++k) {
                const int i = lines ? lines[k] : firstLine + k;
                const float v = left[i];
                left[i] = v * kl;
                right[i] = v * kr;
                d->intensityLine[i] = 1;
            }
            return;
        }
        if (position >= illegal) return;  // the band's illegal position: not intensity-coded
        const float* table = kIntensityLsf[d->lsfIntensityScale & 1];
        const bool odd = position & 1;
        const float k = table[odd ? ((position + 1) >> 1) & 31 : (position >> 1) & 31];
        for (int m = 0; m < n; ++m) {
            const int i = lines ? lines[m] : firstLine + m;
            const float v = left[i];
            left[i] = odd ? v * k : v;
            right[i] = odd ? v : v * k;
            d->intensityLine[i] = 1;
        }
    }
};

static void IntensityStereo(Decoder* d, int gr) {
    const FrameHeader& h = d->header;
    const GranuleInfo& g = d->side.granule[gr][1];  // the right channel's block structure
    const int16_t* longStart = kLongBandStart[VersionRow(h)][h.samplingFrequency];
    const int16_t* shortStart = kShortBandStart[VersionRow(h)][h.samplingFrequency];
    const uint16_t* reorder = kShortReorder[VersionRow(h)][h.samplingFrequency];
    const int32_t* qr = d->quant[1];
    const bool mpeg1 = h.id == 1;
    const uint8_t* sfLong = d->longScale[1];
    IntensityBand band{d, mpeg1};
    std::memset(d->intensityLine, 0, sizeof d->intensityLine);

    // The highest band (long 21, short 12) has no scale factor. When the band below is an
    // intensity band too, it continues that band's position; when the intensity region starts
    // at the highest band, the band below holds an ordinary scale factor, not a position, and
    // the highest band takes the neutral one: both channels alike.
    const int neutral = mpeg1 ? 3 : 0;
    auto longPosition = [&](int b, int firstIntensity, int* illegal) {
        *illegal = mpeg1 ? 7 : d->lsfIllegalLong[b];
        if (b < 21) return int(sfLong[b]);
        if (firstIntensity < 21) return int(sfLong[20]);
        *illegal = 8;  // above every position
        return neutral;
    };
    // Bands wholly above the right channel's last nonzero line among lines [0, limit).
    auto firstZeroLongBand = [&](int limit) {
        int last = -1;
        for (int i = (d->lineCount[1] < limit ? d->lineCount[1] : limit) - 1; i >= 0; --i)
            if (qr[i]) { last = i; break; }
        int b = 0;
        while (b < 22 && longStart[b] <= last) ++b;
        return b;
    };

    if (!(g.windowSwitching && g.blockType == 2)) {
        const int first = firstZeroLongBand(576);
        for (int b = first; b < 22; ++b) {
            int illegal;
            const int p = longPosition(b, first, &illegal);
            band.Apply(p, illegal, nullptr, longStart[b + 1] - longStart[b], longStart[b]);
        }
        return;
    }

    // Short blocks: the zero region is found per window, by short band.
    const int firstShort = g.mixedBlock ? 3 : 0;
    bool shortPartZero = true;
    for (int w = 0; w < 3; ++w) {
        int start = firstShort;
        for (int b = 12; b >= firstShort; --b) {
            const int width = shortStart[b + 1] - shortStart[b];
            const int from = 3 * shortStart[b] + w * width;
            bool nonzero = false;
            for (int i = from; i < from + width && i < d->lineCount[1]; ++i)
                if (qr[i]) { nonzero = true; break; }
            if (nonzero) { start = b + 1; break; }
        }
        if (start > firstShort) shortPartZero = false;
        for (int b = start; b < 13; ++b) {
            const int width = shortStart[b + 1] - shortStart[b];
            const int from = 3 * shortStart[b] + w * width;
            const bool top = b == 12;
            const bool topAlone = top && start == 12;
            const int p = topAlone ? neutral : d->shortScale[1][top ? 11 : b][w];
            const int illegal = topAlone ? 8 : mpeg1 ? 7 : d->lsfIllegalShort[b];
            int lines[192];
            for (int k = 0; k < width; ++k) lines[k] = reorder[from + k];
            band.Apply(p, illegal, lines, width, 0);
        }
    }
    // Mixed blocks: the long part can be intensity-coded only when the whole short part is.
    if (g.mixedBlock && shortPartZero) {
        const int first = firstZeroLongBand(36);
        for (int b = first; longStart[b] < 36; ++b) {
            int illegal;
            const int p = longPosition(b, first, &illegal);
            band.Apply(p, illegal, nullptr, longStart[b + 1] - longStart[b], longStart[b]);
        }
    }
}

void JointStereo(Decoder* d, int gr) {
    const int ext = d->header.modeExtension;
    const bool intensity = (ext & 1) != 0;
    if (intensity) IntensityStereo(d, gr);
    if (!(ext & 2)) return;
    // M/S: left = (M + S) / sqrt 2, right = (M - S) / sqrt 2, outside the intensity bands.
    float* left = d->spectrum[0];
    float* right = d->spectrum[1];
    const float k = 0.70710678f;
    for (int i = 0; i < 576; ++i) {
        if (intensity && d->intensityLine[i]) continue;
        const float m = left[i], s = right[i];
        left[i] = (m + s) * k;
        right[i] = (m - s) * k;
    }
}

}  // namespace fluxdec

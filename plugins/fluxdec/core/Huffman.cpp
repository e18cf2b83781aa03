// Huffman decoding of one channel of one granule (11172-3 2.4.3.4.6).
//
// The spectrum's lines come as big_values pairs in up to three regions, each with its own table,
// then quadruples of values -1..1 (count1 part) up to part2_3_length, then zeros. Codes are decoded
// with the lookup tables of generate_tables.py, never a loop over bits: the sign-resolved tables
// give most pairs and every quadruple with their signs in one read; longer codes and linbits take
// the general lookup (one or two table reads per code, then the linbits and sign bits). The sorted
// tables are kept for DecodePairReference, which the tests use to check the lookup tables.
#include <cstring>

#include "plugins/fluxdec/core/Stages.h"
#include "plugins/fluxdec/core/Tables.h"

namespace fluxdec {

// Looks up the code at the top of `w`; returns the entry (length in bits 12..8, symbol below).
static inline uint32_t LookUp(const HuffTable& t, uint64_t w) {
    const uint16_t* fast = kHuffFast + t.fastOffset;
    uint32_t e = fast[w >> (64 - t.primaryBits)];
    if (e & 0x8000) {
        const int s = int(e & 15);
        e = fast[((e >> 4) & 0x7FF) + uint32_t((w << t.primaryBits) >> (64 - s))];
    }
    return e;
}

int DecodePairFast(int table, uint64_t w, int* x, int* y) {
    const HuffTable& t = kHuffTable[table];
    if (t.primaryBits == 0) {
        *x = *y = 0;
        return 0;
    }
    uint32_t e = LookUp(t, w);
    *x = int((e >> 4) & 15);
    *y = int(e & 15);
    return int((e >> 8) & 31);
}

// The reference search: the 4-bit index gives the first code of the group that the next 4 stream bits
// select; if that code does not match, the group (sorted by code) is searched by halving. Returns
// the code length, or 0 with a zero pair when nothing matches (an invalid code).
int DecodePairReference(int table, uint32_t w, int* x, int* y) {
    const HuffTable& t = kHuffTable[table];
    *x = *y = 0;
    if (t.codeCount == 0) return 0;
    const uint32_t* codes = kHuffCodes + t.codeOffset;
    const uint16_t* index = kHuffIndex[t.indexRow];
    const int nib = int(w >> 28);
    auto matches = [&](uint32_t e) {
        const int len = int((e >> 8) & 31);
        return (w >> (32 - len)) == (e >> (32 - len));
    };
    int lo = index[nib];
    int hi = nib == 15 ? t.codeCount - 1 : index[nib + 1];
    if (hi < lo) hi = lo;
    if (!matches(codes[lo])) {
        // Entries are sorted by left-aligned code, so the code that matches is the last entry whose
        // code word (length bits masked off) is not above the stream word.
        const uint32_t key = w | 0x1FFF;
        while (lo < hi) {
            const int mid = (lo + hi + 1) / 2;
            if ((codes[mid] & ~0x1FFFu) <= key) lo = mid; else hi = mid - 1;
        }
        if (!matches(codes[lo])) return 0;
    }
    *x = int((codes[lo] >> 4) & 15);
    *y = int(codes[lo] & 15);
    return int((codes[lo] >> 8) & 31);
}

// The power table is indexed by the quantised value, so every decoded value is clamped to the
// table before requantisation: a quantised value must stay inside the power table. The table reaches 8206, the largest
// value 15 + 13 linbits can express (encoders emit values above 8191, and reference decoders
// reproduce them), so this clamp guards the table's end; kFaultQuantOverflow names the values
// above 8191, which the standard does not allow.
static void ClampQuant(Decoder* d, int* v) {
    if (*v > kMaxQuant) *v = kMaxQuant;
    d->faults |= kFaultQuantOverflow;
}

// A value's sign: the next stream bit, present only when the value is not 0. Without a branch,
// since signs are random: for a value of 0 the negation leaves 0 and the bit is not consumed.
static inline int Signed(int v, uint64_t* w, uint32_t* used) {
    const int s = -int(*w >> 63);
    const int present = v != 0;
    *w <<= present;
    *used += uint32_t(present);
    return (v ^ s) - s;
}

// How far on in a word loaded at `pos` (pos <= limit) the next look-up may start: inside the
// word's valid bits (the load gives at least 57) and not past the end of the main data.
static inline uint32_t Room(uint32_t pos, uint32_t limit) {
    return limit - pos < 57 - kSignedBits ? limit - pos : 57 - kSignedBits;
}

// Decodes pairs for lines [from, to) with one table (kLinbits: a table whose value 15 is
// extended by linbits). Stops (leaving the rest 0) when the position passes the end of the
// frame's main data: whatever would follow is damaged.
template <bool kLinbits>
static int DecodePairs(Decoder* d, BitReader* br, const HuffTable& t, int from, int to,
                       int32_t* q) {
    const int linbits = t.linbits;
    const uint32_t* resolved = kHuffPairs[t.signedRow];
    uint32_t pos = br->pos;
    const uint32_t limit = br->limit;
    int i = from;
    while (i < to) {
        if (pos > limit) {
            d->faults |= kFaultMainDataOverrun;
            break;
        }
        uint64_t w = LoadBigEndian64(br->data + (pos >> 3)) << (pos & 7);
        // Most pairs: a short code and its signs, resolved by one look-up. The word serves the
        // pairs that follow as well, as long as it holds the next look-up's bits (the load
        // gives at least 57), the next pair starts inside the main data and lies in the region:
        // the stream position then waits for a shift instead of another load.
        uint32_t r = resolved[w >> (64 - kSignedBits)];
        if (!(r & kPairSlow)) {
            const uint32_t room = Room(pos, limit);
            uint32_t consumed = 0;
            for (;;) {
                q[i] = int8_t(r & 0xFF);
                q[i + 1] = int8_t((r >> 8) & 0xFF);
                const uint32_t used = (r >> 16) & 31;
                consumed += used;
                w <<= used;
                i += 2;
                if (i >= to || consumed > room) break;
                r = resolved[w >> (64 - kSignedBits)];
                if (r & kPairSlow) break;
            }
            pos += consumed;
            continue;
        }
        const uint32_t e = LookUp(t, w);
        uint32_t used = (e >> 8) & 31;
        w <<= used;
        int x = int((e >> 4) & 15), y = int(e & 15);
        // Order in the stream: code, x linbits, x sign, y linbits, y sign (at most 47 bits).
        if (kLinbits && x == 15) {
            x += int(w >> (64 - linbits));
            w <<= linbits;
            used += uint32_t(linbits);
            if (x > 8191) ClampQuant(d, &x);
        }
        x = Signed(x, &w, &used);
        if (kLinbits && y == 15) {
            y += int(w >> (64 - linbits));
            w <<= linbits;
            used += uint32_t(linbits);
            if (y > 8191) ClampQuant(d, &y);
        }
        y = Signed(y, &w, &used);
        q[i] = x;
        q[i + 1] = y;
        pos += used;
        i += 2;
    }
    br->pos = pos;
    return i;
}

static int DecodeRegion(Decoder* d, BitReader* br, int table, int from, int to, int32_t* q) {
    const HuffTable& t = kHuffTable[table];
    if (t.primaryBits == 0) {  // table 0 (and the absent 4 and 14): zeros, no bits
        for (int i = from; i < to; ++i) q[i] = 0;
        return to;
    }
    return t.linbits ? DecodePairs<true>(d, br, t, from, to, q)
                     : DecodePairs<false>(d, br, t, from, to, q);
}

void DecodeHuffman(Decoder* d, BitReader* br, int gr, int ch, uint32_t part2Start) {
    const GranuleInfo& g = d->side.granule[gr][ch];
    const FrameHeader& h = d->header;
    const int16_t* longStart = kLongBandStart[VersionRow(h)][h.samplingFrequency];
    const int16_t* shortStart = kShortBandStart[VersionRow(h)][h.samplingFrequency];
    int32_t* q = d->quant[ch];
    const uint32_t end = part2Start + uint32_t(g.part23Length);

    int bigValues = g.bigValues;
    if (bigValues > 288) {  // at most 576 lines
        bigValues = 288;
        d->faults |= kFaultBigValues;
    }
    const int bigEnd = bigValues * 2;
    int region1, region2;
    if (g.windowSwitching) {
        region1 = (g.blockType == 2 && !g.mixedBlock) ? 3 * shortStart[3] : longStart[8];
        region2 = 576;
    } else {
        int r1 = g.region0Count + 1, r2 = g.region0Count + g.region1Count + 2;
        region1 = longStart[r1 > 22 ? 22 : r1];
        region2 = longStart[r2 > 22 ? 22 : r2];
    }
    if (region1 > bigEnd) region1 = bigEnd;
    if (region2 > bigEnd) region2 = bigEnd;

    int line = DecodeRegion(d, br, g.tableSelect[0], 0, region1, q);
    if (line == region1) line = DecodeRegion(d, br, g.tableSelect[1], region1, region2, q);
    if (line == region2) line = DecodeRegion(d, br, g.tableSelect[2], region2, bigEnd, q);
    // Count1 part: quadruples while bits remain and the quadruple fits below line 576.
    // A quadruple that runs past part2_3_length is dropped, as the ISO reference decoder does.
    if (line == bigEnd) {
        // One look-up resolves a quadruple with its signs (the longest takes 10 bits).
        const uint64_t* resolved = kHuffQuads[kHuffTable[32 + (g.count1TableSelect & 1)].signedRow];
        uint32_t pos = br->pos;
        while (pos < end && line <= 572) {
            if (pos > br->limit) {
                d->faults |= kFaultMainDataOverrun;
                break;
            }
            const uint64_t w = LoadBigEndian64(br->data + (pos >> 3)) << (pos & 7);
            const uint64_t r = resolved[w >> (64 - kSignedBits)];
            const uint32_t used = uint32_t(r >> 32);
            if (pos + used > end) break;
            pos += used;
            q[line] = int8_t(r & 0xFF);
            q[line + 1] = int8_t((r >> 8) & 0xFF);
            q[line + 2] = int8_t((r >> 16) & 0xFF);
            q[line + 3] = int8_t((r >> 24) & 0xFF);
            line += 4;
            // The next quadruple from the same word, on the same conditions as the loop's.
            const uint64_t r2 = resolved[(w << used) >> (64 - kSignedBits)];
            const uint32_t used2 = uint32_t(r2 >> 32);
            if (pos < end && line <= 572 && pos <= br->limit && pos + used2 <= end) {
                pos += used2;
                q[line] = int8_t(r2 & 0xFF);
                q[line + 1] = int8_t((r2 >> 8) & 0xFF);
                q[line + 2] = int8_t((r2 >> 16) & 0xFF);
                q[line + 3] = int8_t((r2 >> 24) & 0xFF);
                line += 4;
            }
        }
    }
    d->lineCount[ch] = line;
    std::memset(q + line, 0, sizeof(int32_t) * size_t(576 - line));
    // The next channel starts exactly where this one's data ends, whatever was consumed.
    br->pos = end;
}

}  // namespace fluxdec

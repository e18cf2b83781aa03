// Constant tables of the decoder, generated into Tables.cpp by tools/generate_tables.py from
// shared/mpeg-audio-tables (the standard's tables) and from formulas evaluated in double
// precision at generation time. Tables.cpp says, per table, where it comes from and its shape.
#pragma once

#include <cstdint>

namespace fluxdec {

// One range of the MPEG-2 LSF scale-factor partition (13818-3 2.4.3.2).
struct LsfPartition {
    int16_t lo;            // first value of the range (scalefac_compress, or its half for intensity)
    int16_t hi;            // last value of the range
    uint8_t preflag;       // preflag implied by the range
    uint8_t radix[4];      // radixes of slen1..slen4
    uint8_t counts[3][4];  // [long, short, mixed][partition]: scale factors read with slen1..4
};

// One Huffman table number.
struct HuffTable {
    uint16_t fastOffset;   // start in kHuffFast
    uint8_t primaryBits;   // P: width of the primary index; 0 for a table without codes
    uint16_t codeOffset;   // start in kHuffCodes
    uint16_t codeCount;    // number of codes in kHuffCodes
    uint8_t indexRow;      // row of kHuffIndex
    uint8_t linbits;
    uint8_t signedRow;     // row of kHuffPairs (count1 tables: of kHuffQuads)
};

// Index width of the sign-resolved tables kHuffPairs and kHuffQuads.
inline constexpr int kSignedBits = 10;
inline constexpr uint32_t kPairSlow = 0x80000000u;  // kHuffPairs: take the general path

extern const int32_t kSampleRateHz[3][3];
extern const int16_t kBitrateKbps[2][4][16];
extern const uint8_t kSlen[2][16];
extern const uint8_t kScfsiBand[5];
extern const uint8_t kPretab[22];
extern const LsfPartition kLsfPartition[2][3];
extern const int16_t kLongBandStart[3][3][23];
extern const int16_t kShortBandStart[3][3][14];
extern const uint16_t kShortReorder[3][3][576];
// sign(q) |q|^(4/3) at q + kMaxQuant, for |q| up to the largest quantised value a stream can
// express (15 + 8191).
inline constexpr int kMaxQuant = 8206;
extern const float kPow43Signed[2 * kMaxQuant + 1];
extern const float kQuarterPow[4];
extern const float kQuarterPowNeg[4];
extern const float kIntensityMpeg1[2][7];
extern const float kIntensityLsf[2][32];
extern const float kAlias[2][8];
extern const float kImdctWindow[4][36];
extern const float kShortWindow[12];
extern const float kImdct36Post[18];
extern const float kImdct36Odd[9];
extern const float kDct9[4][9];
extern const float kDct4Of6[6][6];
// kImdctWindow, kImdct36Post, kImdct36Odd and kDct9 with each value repeated in 4 lanes.
alignas(16) extern const float kImdctWindowSplat[4][36][4];
alignas(16) extern const float kImdct36PostSplat[18][4];
alignas(16) extern const float kImdct36OddSplat[9][4];
alignas(16) extern const float kDct9Splat[4][9][4];
extern const float kLeeFactors[31];
alignas(16) extern const float kSynthWindow[16][32];  // aligned for vector loads
extern const uint32_t kHuffCodes[];
extern const uint16_t kHuffIndex[][16];
extern const uint16_t kHuffFast[];
extern const uint32_t kHuffPairs[][1 << kSignedBits];
extern const uint64_t kHuffQuads[2][1 << kSignedBits];
extern const HuffTable kHuffTable[34];

}  // namespace fluxdec

// Huffman decoding: the lookup tables against the sorted code tables, linbits, count1 tables,
// region boundaries and the limits that keep damaged side information inside the arrays.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "tests/fluxdec/StreamBuilder.h"

using namespace fluxdec;
using fluxdec_test::BitWriter;

namespace {

// A decoder whose granule 0, channel 0 is set up for DecodeHuffman at 44.1 kHz MPEG-1.
struct HuffmanFixture : ::testing::Test {
    std::unique_ptr<Decoder> d = std::make_unique<Decoder>();
    GranuleInfo& g = d->side.granule[0][0];
    void SetUp() override {
        d->header = fluxdec_test::MakeHeader(1, 9, 0, 3);
        g = GranuleInfo{};
    }
    // Decodes `w`'s bits as the channel's data (no scale factors); returns the reader's position.
    uint32_t Decode(const BitWriter& w, int part23Length = -1) {
        g.part23Length = part23Length < 0 ? int(w.Bits()) : part23Length;
        bytes = w.Bytes(kMainDataPadding);
        BitReader br{bytes.data(), 0, uint32_t(w.Bits())};
        DecodeHuffman(d.get(), &br, 0, 0, 0);
        return br.pos;
    }
    std::vector<uint8_t> bytes;
};

}  // namespace

// Every code of every table decodes to its own symbol and length through the lookup tables and
// through the sorted tables' search, whatever bits follow it.
TEST(HuffmanTables, LookupAndSortedFormsDecodeEveryCode) {
    std::mt19937 rng(7);
    for (int table = 1; table < 34; ++table) {
        const HuffTable& t = kHuffTable[table];
        if (table == 4 || table == 14) {
            EXPECT_EQ(t.codeCount, 0) << "table " << table;
            continue;
        }
        ASSERT_GT(t.codeCount, 0) << "table " << table;
        for (int i = 0; i < t.codeCount; ++i) {
            const uint32_t e = kHuffCodes[t.codeOffset + i];
            const int len = int((e >> 8) & 31);
            for (int trial = 0; trial < 4; ++trial) {
                const uint32_t tail = rng() >> len;  // random bits after the code
                const uint32_t word = (e & ~((1u << (32 - len)) - 1)) | tail;
                int x1, y1, x2, y2;
                ASSERT_EQ(DecodePairFast(table, uint64_t(word) << 32, &x1, &y1), len)
                    << "table " << table << " code " << i;
                ASSERT_EQ(DecodePairReference(table, word, &x2, &y2), len) << "table " << table;
                EXPECT_EQ(x1, int((e >> 4) & 15));
                EXPECT_EQ(y1, int(e & 15));
                EXPECT_EQ(x2, x1);
                EXPECT_EQ(y2, y1);
            }
        }
    }
}

// The sign-resolved tables against the sorted tables: every index of every row either resolves
// to the code found there, its values signed by the bits after it and the bits taken, or (pairs
// only) sends the decoder down the general path, which it must do for codes longer than the
// index and for values of 15 in tables with linbits.
TEST(HuffmanTables, SignResolvedFormsAgreeWithTheSortedTables) {
    for (int table = 1; table < 34; ++table) {
        const HuffTable& t = kHuffTable[table];
        if (t.codeCount == 0) continue;
        const bool count1 = table >= 32;
        int resolvedCount = 0;
        for (uint32_t index = 0; index < (1u << kSignedBits); ++index) {
            const uint32_t word = index << (32 - kSignedBits);
            int x, y;
            const int len = DecodePairReference(table, word, &x, &y);
            ASSERT_GT(len, 0);
            int want[4];
            int n = 0;
            if (count1) {
                for (int k = 0; k < 4; ++k) want[n++] = (x >> (3 - k)) & 1;
            } else {
                want[n++] = x;
                want[n++] = y;
            }
            int used = len;
            for (int k = 0; k < n; ++k)
                if (want[k]) {
                    if (used < kSignedBits && ((word >> (31 - used)) & 1)) want[k] = -want[k];
                    ++used;
                }
            const bool fits = used <= kSignedBits && !(t.linbits && (x == 15 || y == 15));
            SCOPED_TRACE(testing::Message() << "table " << table << " index " << index);
            if (count1) {
                const uint64_t r = kHuffQuads[t.signedRow][index];
                ASSERT_TRUE(fits) << "every quadruple fits the index";
                EXPECT_EQ(int(r >> 32), used);
                for (int k = 0; k < 4; ++k) EXPECT_EQ(int(int8_t((r >> (8 * k)) & 0xFF)), want[k]);
            } else {
                const uint32_t r = kHuffPairs[t.signedRow][index];
                ASSERT_EQ((r & kPairSlow) == 0, fits);
                if (!fits) continue;
                ++resolvedCount;
                EXPECT_EQ(int((r >> 16) & 31), used);
                EXPECT_EQ(int(int8_t(r & 0xFF)), want[0]);
                EXPECT_EQ(int(int8_t((r >> 8) & 0xFF)), want[1]);
            }
        }
        if (!count1) {
            EXPECT_GT(resolvedCount, 0) << "table " << table;
        }
    }
}

TEST_F(HuffmanFixture, LinbitsExtendFifteenThenSignFollows) {
    // Table 16 has linbits 1: 15 then the bit 1 gives 16; order: code, x linbits, x sign, y sign.
    g.bigValues = 1;
    g.tableSelect[0] = 16;
    g.region0Count = 15;
    g.region1Count = 7;
    BitWriter w;
    w.PutCode(16, 15, 1);
    w.Put(1, 1);  // x linbits
    w.Put(1, 1);  // x sign: negative
    w.Put(0, 1);  // y sign
    EXPECT_EQ(Decode(w), w.Bits());
    EXPECT_EQ(d->quant[0][0], -16);
    EXPECT_EQ(d->quant[0][1], 1);
    EXPECT_EQ(d->lineCount[0], 2);
}

TEST_F(HuffmanFixture, LargestLinbitsValueIsKeptAndNamed) {
    // Table 23 has 13 linbits: 15 + 8191 = 8206, above the standard's 8191 but inside the table.
    g.bigValues = 1;
    g.tableSelect[0] = 23;
    g.region0Count = 15;
    BitWriter w;
    w.PutCode(23, 15, 15);
    w.Put(8191, 13);
    w.Put(0, 1);
    w.Put(3, 13);
    w.Put(1, 1);
    Decode(w);
    EXPECT_EQ(d->quant[0][0], 8206);
    EXPECT_EQ(d->quant[0][1], -18);
    EXPECT_TRUE(d->faults & kFaultQuantOverflow);
}

TEST_F(HuffmanFixture, Count1TablesGiveQuadruplesWithSigns) {
    BitWriter w;
    w.PutCode(32, 0b1010, 0);  // table A: v and x set
    w.Put(1, 1);               // v negative
    w.Put(0, 1);               // x positive
    w.PutCode(32, 0b0001, 0);
    w.Put(1, 1);
    Decode(w);
    const int32_t expectA[8] = {-1, 0, 1, 0, 0, 0, 0, -1};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(d->quant[0][i], expectA[i]) << "line " << i;
    EXPECT_EQ(d->lineCount[0], 8);

    g.count1TableSelect = 1;  // table B: 4-bit codes
    BitWriter b;
    b.PutCode(33, 0b0110, 0);
    b.Put(0b01, 2);
    Decode(b);
    EXPECT_EQ(b.Bits(), 6u);
    const int32_t expectB[4] = {0, 1, -1, 0};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(d->quant[0][i], expectB[i]) << "line " << i;
}

TEST_F(HuffmanFixture, Count1QuadrupleRunningPastPart23LengthIsDropped) {
    BitWriter w;
    w.PutCode(32, 0b1000, 0);
    w.Put(0, 1);
    w.PutCode(32, 0b1111, 0);
    w.Put(0, 4);
    const uint32_t pos = Decode(w, int(w.Bits()) - 1);
    EXPECT_EQ(pos, w.Bits() - 1) << "the next channel starts at part2_3_length";
    EXPECT_EQ(d->lineCount[0], 4);
    EXPECT_EQ(d->quant[0][0], 1);
    for (int i = 4; i < 8; ++i) EXPECT_EQ(d->quant[0][i], 0);
}

TEST_F(HuffmanFixture, RegionBoundariesSwitchTablesAtBandEdges) {
    // region0_count 0, region1_count 0: region 1 starts at long band 1 (line 4), region 2 at
    // band 2 (line 8). Region 1 uses table 0: zeros and no bits.
    g.bigValues = 6;
    g.tableSelect[0] = 1;
    g.tableSelect[1] = 0;
    g.tableSelect[2] = 1;
    BitWriter w;
    for (int pair = 0; pair < 4; ++pair) {
        w.PutCode(1, 1, 1);
        w.Put(0, 2);
    }
    Decode(w);
    const int32_t expect[12] = {1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 1};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(d->quant[0][i], expect[i]) << "line " << i;
}

TEST_F(HuffmanFixture, WindowSwitchingRegionOneStart) {
    // Region 0 in (1,1) pairs, region 1 with table 0: the first zero line is where region 1
    // starts. LSF 22.05 kHz: pure short blocks start it at 3 x the end of short band 2 (36), mixed
    // and long blocks at the end of long band 7 (54).
    struct Case { int blockType, mixed, start; } cases[] = {{2, 0, 36}, {2, 1, 54}, {1, 0, 54}};
    d->header = fluxdec_test::MakeHeader(0, 8, 0, 3);
    for (const Case& c : cases) {
        g.windowSwitching = 1;
        g.blockType = c.blockType;
        g.mixedBlock = c.mixed;
        g.bigValues = 60;
        g.tableSelect[0] = 1;
        g.tableSelect[1] = 0;
        BitWriter w;
        for (int pair = 0; pair < c.start / 2; ++pair) {
            w.PutCode(1, 1, 1);
            w.Put(0, 2);
        }
        Decode(w);
        EXPECT_EQ(d->quant[0][c.start - 1], 1) << "block type " << c.blockType << " mixed " << c.mixed;
        EXPECT_EQ(d->quant[0][c.start], 0) << "block type " << c.blockType << " mixed " << c.mixed;
    }
}

TEST_F(HuffmanFixture, BigValuesAbove288AreLimitedToTheSpectrum) {
    // Fault: big_values 511 would decode 1022 lines into a 576-line array.
    g.bigValues = 511;
    g.tableSelect[0] = g.tableSelect[1] = g.tableSelect[2] = 1;
    BitWriter w;
    for (int pair = 0; pair < 511; ++pair) {
        w.PutCode(1, 1, 0);
        w.Put(0, 1);
    }
    Decode(w);
    EXPECT_TRUE(d->faults & kFaultBigValues);
    EXPECT_EQ(d->lineCount[0], 576);
    EXPECT_EQ(d->quant[0][574], 1);
}

TEST_F(HuffmanFixture, Count1PartStopsBeforeLine576) {
    // Fault: with big_values 287 a quadruple starting at line 574 would write lines 576 and 577.
    g.bigValues = 287;  // table 0: 574 zero lines, no bits
    BitWriter w;
    for (int k = 0; k < 8; ++k) {
        w.PutCode(32, 0b1111, 0);
        w.Put(0, 4);
    }
    Decode(w);
    EXPECT_EQ(d->lineCount[0], 574);
    EXPECT_EQ(d->quant[0][575], 0);
}

TEST_F(HuffmanFixture, DataEndingInsideTheBigValuesLeavesTheRestZero) {
    // Fault: part2_3_length and big_values promise more than the frame holds; decoding stops at
    // the end of the main data instead of reading beyond it.
    g.bigValues = 288;
    g.tableSelect[0] = g.tableSelect[1] = g.tableSelect[2] = 15;
    BitWriter w;
    for (int pair = 0; pair < 8; ++pair) {
        w.PutCode(15, 1, 1);
        w.Put(0, 2);
    }
    Decode(w, 4095);
    EXPECT_TRUE(d->faults & kFaultMainDataOverrun);
    EXPECT_EQ(d->quant[0][0], 1);
    EXPECT_EQ(d->quant[0][400], 0);
}

// Layer III side information (11172-3 2.4.1.7, 13818-3 2.4.1.7), decoded field by field
// in the standard's order from the bytes read after the header (and CRC word).
#include "plugins/fluxdec/core/Stages.h"

namespace fluxdec {

void ParseSideInfo(const uint8_t* bytes, const FrameHeader& h, SideInfo* s, uint32_t* faults) {
    BitReader br{bytes, 0, uint32_t(SideInfoBytes(h) * 8)};
    const int channels = ChannelCount(h);
    const bool mpeg1 = h.id == 1;
    s->mainDataBegin = int32_t(br.Read(mpeg1 ? 9 : 8));
    br.Read(mpeg1 ? (channels == 1 ? 5 : 3) : (channels == 1 ? 1 : 2));  // private bits
    for (int ch = 0; ch < 2; ++ch)
        for (int k = 0; k < 4; ++k) s->scfsi[ch][k] = (mpeg1 && ch < channels) ? int32_t(br.Read(1)) : 0;
    for (int gr = 0; gr < GranuleCount(h); ++gr) {
        for (int ch = 0; ch < channels; ++ch) {
            GranuleInfo& g = s->granule[gr][ch];
            g.part23Length = int32_t(br.Read(12));
            g.bigValues = int32_t(br.Read(9));
            g.globalGain = int32_t(br.Read(8));
            g.scalefacCompress = int32_t(br.Read(mpeg1 ? 4 : 9));
            g.windowSwitching = int32_t(br.Read(1));
            if (g.windowSwitching) {
                g.blockType = int32_t(br.Read(2));
                g.mixedBlock = int32_t(br.Read(1));
                g.tableSelect[0] = int32_t(br.Read(5));
                g.tableSelect[1] = int32_t(br.Read(5));
                g.tableSelect[2] = 0;
                for (int w = 0; w < 3; ++w) g.subblockGain[w] = int32_t(br.Read(3));
                // The region counts are implicit (Huffman.cpp); these are the standard's values.
                g.region0Count = (g.blockType == 2 && !g.mixedBlock) ? 8 : 7;
                g.region1Count = 20 - g.region0Count;
                if (g.blockType == 0) *faults |= kFaultBlockType;  // reserved; decoded as long
            } else {
                g.blockType = 0;
                g.mixedBlock = 0;
                for (int t = 0; t < 3; ++t) g.tableSelect[t] = int32_t(br.Read(5));
                for (int w = 0; w < 3; ++w) g.subblockGain[w] = 0;
                g.region0Count = int32_t(br.Read(4));
                g.region1Count = int32_t(br.Read(3));
            }
            g.preflag = mpeg1 ? int32_t(br.Read(1)) : 0;  // LSF: set by scalefac_compress
            g.scalefacScale = int32_t(br.Read(1));
            g.count1TableSelect = int32_t(br.Read(1));
        }
    }
}

}  // namespace fluxdec

// Test helpers: a bit writer and a builder of Layer III frames from header and side-information
// fields, so that tests can make exact bitstreams without an encoder; and a memory input for the
// decoder's read call-back.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "plugins/fluxdec/core/Stages.h"
#include "plugins/fluxdec/core/Tables.h"

namespace fluxdec_test {

class BitWriter {
public:
    void Put(uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) PutBit((value >> i) & 1);
    }
    void PutBit(uint32_t bit) {
        if (bits_ % 8 == 0) bytes_.push_back(0);
        if (bit) bytes_.back() |= uint8_t(0x80 >> (bits_ % 8));
        ++bits_;
    }
    // The code of symbol (x, y) in big_values table `table` (count1 tables: x = vwxy nibble).
    void PutCode(int table, int x, int y) {
        const fluxdec::HuffTable& t = fluxdec::kHuffTable[table];
        for (int i = 0; i < t.codeCount; ++i) {
            const uint32_t e = fluxdec::kHuffCodes[t.codeOffset + i];
            const int sym = table >= 32 ? int((e >> 4) & 15) : int(e & 0xFF);
            if (sym == (table >= 32 ? x : ((x << 4) | y))) {
                const int len = int((e >> 8) & 31);
                Put(e >> (32 - len), len);
                return;
            }
        }
        throw std::string("no such code");
    }
    size_t Bits() const { return bits_; }
    // The bytes written, followed by `padding` zero bytes.
    std::vector<uint8_t> Bytes(size_t padding = 0) const {
        std::vector<uint8_t> b = bytes_;
        b.resize(b.size() + padding, 0);
        return b;
    }

private:
    std::vector<uint8_t> bytes_;
    size_t bits_ = 0;
};

// A header for MPEG-1 (id 1) or LSF (id 0) Layer III with the given fields; no CRC by default.
inline fluxdec::FrameHeader MakeHeader(int id, int bitrateIndex, int samplingFrequency, int mode,
                                       int modeExtension = 0, int padding = 0, int protectionBit = 1) {
    fluxdec::FrameHeader h{};
    h.id = id;
    h.layer = 1;
    h.protectionBit = protectionBit;
    h.bitrateIndex = bitrateIndex;
    h.samplingFrequency = samplingFrequency;
    h.paddingBit = padding;
    h.mode = mode;
    h.modeExtension = modeExtension;
    return h;
}

inline void WriteHeader(BitWriter& w, const fluxdec::FrameHeader& h, int layer = 1) {
    w.Put(h.mpeg25 ? 0xFFE : 0xFFF, 12);
    w.Put(uint32_t(h.id), 1);
    w.Put(uint32_t(layer), 2);
    w.Put(uint32_t(h.protectionBit), 1);
    w.Put(uint32_t(h.bitrateIndex), 4);
    w.Put(uint32_t(h.samplingFrequency), 2);
    w.Put(uint32_t(h.paddingBit), 1);
    w.Put(0, 1);
    w.Put(uint32_t(h.mode), 2);
    w.Put(uint32_t(h.modeExtension), 2);
    w.Put(0, 4);
}

// Side information in stream order (the inverse of ParseSideInfo).
inline void WriteSideInfo(BitWriter& w, const fluxdec::FrameHeader& h, const fluxdec::SideInfo& s) {
    const bool mpeg1 = h.id == 1;
    const int channels = h.mode == 3 ? 1 : 2;
    w.Put(uint32_t(s.mainDataBegin), mpeg1 ? 9 : 8);
    w.Put(0, mpeg1 ? (channels == 1 ? 5 : 3) : (channels == 1 ? 1 : 2));
    if (mpeg1)
        for (int ch = 0; ch < channels; ++ch)
            for (int k = 0; k < 4; ++k) w.Put(uint32_t(s.scfsi[ch][k]), 1);
    for (int gr = 0; gr < (mpeg1 ? 2 : 1); ++gr) {
        for (int ch = 0; ch < channels; ++ch) {
            const fluxdec::GranuleInfo& g = s.granule[gr][ch];
            w.Put(uint32_t(g.part23Length), 12);
            w.Put(uint32_t(g.bigValues), 9);
            w.Put(uint32_t(g.globalGain), 8);
            w.Put(uint32_t(g.scalefacCompress), mpeg1 ? 4 : 9);
            w.Put(uint32_t(g.windowSwitching), 1);
            if (g.windowSwitching) {
                w.Put(uint32_t(g.blockType), 2);
                w.Put(uint32_t(g.mixedBlock), 1);
                w.Put(uint32_t(g.tableSelect[0]), 5);
                w.Put(uint32_t(g.tableSelect[1]), 5);
                for (int k = 0; k < 3; ++k) w.Put(uint32_t(g.subblockGain[k]), 3);
            } else {
                for (int k = 0; k < 3; ++k) w.Put(uint32_t(g.tableSelect[k]), 5);
                w.Put(uint32_t(g.region0Count), 4);
                w.Put(uint32_t(g.region1Count), 3);
            }
            if (mpeg1) w.Put(uint32_t(g.preflag), 1);
            w.Put(uint32_t(g.scalefacScale), 1);
            w.Put(uint32_t(g.count1TableSelect), 1);
        }
    }
}

// One whole frame: header, side information, then `mainData` padded with zeros (or cut) to the
// frame's main-data size.
inline std::vector<uint8_t> MakeFrame(const fluxdec::FrameHeader& h, const fluxdec::SideInfo& s,
                                      std::vector<uint8_t> mainData = {}, int layer = 1) {
    BitWriter w;
    WriteHeader(w, h, layer);
    if (h.protectionBit == 0) w.Put(0, 16);
    WriteSideInfo(w, h, s);
    std::vector<uint8_t> frame = w.Bytes();
    mainData.resize(size_t(fluxdec::MainDataBytes(h)), 0);
    frame.insert(frame.end(), mainData.begin(), mainData.end());
    return frame;
}

// A silent frame: every granule with part2_3_length 0 and global gain 0.
inline std::vector<uint8_t> SilentFrame(const fluxdec::FrameHeader& h) {
    fluxdec::SideInfo s{};
    return MakeFrame(h, s);
}

// The decoder's input from memory, optionally in chunks of at most `chunk` bytes.
struct MemoryInput {
    std::vector<uint8_t> data;
    size_t pos = 0;
    int32_t chunk = 1 << 30;
    static int32_t Read(void* context, void* buffer, int32_t bytes) {
        MemoryInput* in = static_cast<MemoryInput*>(context);
        size_t n = std::min(size_t(std::min(bytes, in->chunk)), in->data.size() - in->pos);
        if (n) std::memcpy(buffer, in->data.data() + in->pos, n);
        in->pos += n;
        return int32_t(n);
    }
    static bool Seek(void* context, int64_t offset) {
        MemoryInput* in = static_cast<MemoryInput*>(context);
        if (offset < 0 || size_t(offset) > in->data.size()) return false;
        in->pos = size_t(offset);
        return true;
    }
};

inline void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& from) {
    to.insert(to.end(), from.begin(), from.end());
}

}  // namespace fluxdec_test

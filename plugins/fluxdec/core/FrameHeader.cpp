// Frame header and frame geometry.
//
// A header is 32 bits: a 12-bit sync word of all ones, then ID (1), layer (2), protection_bit (1),
// bitrate_index (4), sampling_frequency (2), padding_bit (1), private_bit (1), mode (2),
// mode_extension (2), copyright (1), original/copy (1), emphasis (2).
//
// MPEG 2.5, an extension outside the ISO standards for 8, 11.025 and 12 kHz, takes the sync's last
// bit away: 11 ones, a 0, then ID 0. Its frames are LSF frames in every other respect (side
// information, scale factors, one granule, the LSF bit rates); only the sampling frequencies and
// their scale-factor bands are its own.
#include "plugins/fluxdec/core/Stages.h"
#include "plugins/fluxdec/core/Tables.h"

namespace fluxdec {

Status ParseHeader(const uint8_t b[4], FrameHeader* h) {
    uint32_t word = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
    const uint32_t sync = word >> 20;
    if (sync != 0xFFF && sync != 0xFFE) return Status::kNoSync;
    h->id = (word >> 19) & 1;
    h->mpeg25 = sync == 0xFFE;
    // 0xFFE followed by ID 1 is no header of any version.
    if (h->mpeg25 && h->id == 1) return Status::kNoSync;
    h->layer = (word >> 17) & 3;
    h->protectionBit = (word >> 16) & 1;
    h->bitrateIndex = (word >> 12) & 15;
    h->samplingFrequency = (word >> 10) & 3;
    h->paddingBit = (word >> 9) & 1;
    h->privateBit = (word >> 8) & 1;
    h->mode = (word >> 6) & 3;
    h->modeExtension = (word >> 4) & 3;
    h->copyright = (word >> 3) & 1;
    h->original = (word >> 2) & 1;
    h->emphasis = word & 3;
    // Only Layer III (layer bits 01) is decoded; free format (index 0), the forbidden index 15 and
    // the reserved sampling frequency 3 have no table entries, and a Layer I or II stream decoded
    // as Layer III is loud noise. Such a header ends the stream like a missing sync.
    if (h->layer != 1 || h->bitrateIndex == 0 || h->bitrateIndex == 15 || h->samplingFrequency == 3)
        return Status::kBadHeader;
    return Status::kFrame;
}

int ChannelCount(const FrameHeader& h) { return h.mode == 3 ? 1 : 2; }
int GranuleCount(const FrameHeader& h) { return h.id == 1 ? 2 : 1; }

int SideInfoBytes(const FrameHeader& h) {
    if (h.id == 1) return h.mode == 3 ? 17 : 32;
    return h.mode == 3 ? 9 : 17;
}

int VersionRow(const FrameHeader& h) { return h.mpeg25 ? 2 : h.id; }
// MPEG 2.5 has the LSF bit rates.
int BitrateKbps(const FrameHeader& h) { return kBitrateKbps[h.id][h.layer][h.bitrateIndex]; }
int SampleRateHz(const FrameHeader& h) { return kSampleRateHz[VersionRow(h)][h.samplingFrequency]; }

// bit rate x 144000 / fs for MPEG-1, x 72000 / fs for LSF and MPEG 2.5: the product first, then one
// truncating division (144000 = 1125 << 7 is the number of bits per frame over 8 at 1 kbit/s and
// 1 Hz).
int FrameLengthBytes(const FrameHeader& h) {
    int factor = h.id == 1 ? 144000 : 72000;
    return BitrateKbps(h) * factor / SampleRateHz(h);
}

int MainDataBytes(const FrameHeader& h) {
    int before = 4 + SideInfoBytes(h) + (h.protectionBit == 0 ? 2 : 0);
    return FrameLengthBytes(h) + h.paddingBit - before;
}

}  // namespace fluxdec

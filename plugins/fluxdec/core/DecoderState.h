// The decoder's state: one caller-owned block holding everything that persists from frame to frame
// (reservoir, scale factors of granule 0, overlap and synthesis buffers) and the per-granule working
// arrays, so that decoding a frame allocates nothing. The fields are the stages' business; callers
// only allocate a Decoder and pass it to the functions of Fluxdec.h.
#pragma once

#include <cstdint>

namespace fluxdec {

// The input: see Fluxdec.h.
typedef int32_t (*ReadFn)(void* context, void* buffer, int32_t bytes);

// The fields of the 32-bit frame header, each as an integer.
struct FrameHeader {
    int32_t id;                 // 1 = MPEG-1, 0 = MPEG-2 LSF or MPEG 2.5
    int32_t layer;              // the standard's code: 1 = Layer III
    int32_t protectionBit;      // 0 = a CRC word follows the header
    int32_t bitrateIndex;
    int32_t samplingFrequency;
    int32_t paddingBit;
    int32_t privateBit;
    int32_t mode;               // 3 = single channel
    int32_t modeExtension;      // joint stereo: bit value 1 intensity, bit value 2 M/S
    int32_t copyright;
    int32_t original;
    int32_t emphasis;
    int32_t mpeg25;             // 1 = MPEG 2.5 (the 0xFFE sync, with id 0), else 0
};

// Side information of one granule of one channel (11172-3 2.4.1.7, 13818-3).
struct GranuleInfo {
    int32_t part23Length;
    int32_t bigValues;
    int32_t globalGain;
    int32_t scalefacCompress;
    int32_t windowSwitching;
    int32_t blockType;
    int32_t mixedBlock;
    int32_t tableSelect[3];
    int32_t subblockGain[3];
    int32_t region0Count;
    int32_t region1Count;
    int32_t preflag;
    int32_t scalefacScale;
    int32_t count1TableSelect;
};

struct SideInfo {
    int32_t mainDataBegin;
    int32_t scfsi[2][4];        // MPEG-1 only
    GranuleInfo granule[2][2];  // [granule][channel]
};

// Frame reading and the bit reservoir. The reservoir is a 4096-byte ring; the main
// data of the frame being decoded (main_data_begin bytes of earlier frames, then its own) is
// copied out of it into `mainData`, a linear buffer whose bit reader knows its end.
inline constexpr int kRingBytes = 4096;
inline constexpr int kMainDataPadding = 64;     // zero bytes after the main data: bounded reads
                                                // past its end see zeros, never other memory
inline constexpr int kMainDataCapacity = 2048;  // main_data_begin + one frame's main data: at most
                                                // 511 + (1441 - 21) for MPEG-1, 255 + (1441 - 13)
                                                // for MPEG 2.5 at 8 kHz
// The look-ahead that synchronisation needs (FrameSync.cpp): a change of format is confirmed by
// 300 ms of frames, at most 13 of MPEG-1's longest (13 KB), read ahead of the frame's header.
inline constexpr int kWindowBytes = 20480;

// Where the frame search stands (FrameSync.cpp).
enum SyncMode : int32_t {
    kSyncExpect = 0,  // a frame header should start at the window's position
    kSyncSearch = 1,  // junk: search forward for headers that confirm each other
};

// Flags of the frame that NextFrame found.
enum FrameSyncFlag : uint32_t {
    kSyncSkipped = 1u << 0,  // junk or a tag was passed over before it
    kSyncRestart = 1u << 1,  // what lay before it is lost (a cut frame) or another song's (a
                             // tag between joined songs): the reservoir and the filter bank
                             // start afresh
};

struct StreamReader {
    ReadFn read;
    void* context;
    int32_t ended;              // the Status that ended the stream, or 0
    int32_t frameIndex;         // frames read so far
    int32_t ringWritePos;       // where the next main data goes, 0 .. 4095
    int64_t bytesAppended;      // main data appended since the song started
    uint8_t headerBytes[32 + 8];
    uint8_t ring[kRingBytes];
    int32_t mainDataBits;       // bits of main data in `mainData` for the current frame
    uint8_t mainData[kMainDataCapacity + kMainDataPadding];

    // The look-ahead window over the input: window[windowPos .. windowFill) are the next bytes.
    int64_t windowOffset;       // input offset of window[0], counted from where reading began
    int32_t windowPos;
    int32_t windowFill;
    int32_t inputEnded;         // the read call-back has reported the end of the input
    // Synchronisation.
    int32_t syncMode;           // SyncMode
    uint32_t syncFlags;         // FrameSyncFlag bits gathered for the next frame
    uint32_t formatKey;         // version, layer, rate and channels of the last frame; 0: none yet
    int64_t searchedTo;         // input offset: no frame starts before it that was not found
    uint32_t frameFlags;        // FrameSyncFlag bits of the frame just found
    int32_t frameLength;        // bytes of the frame just found, header included
    int64_t frameOffset;        // its input offset
    uint8_t window[kWindowBytes];
};
// Per channel: synthesis and overlap state that carries across granules.
struct ChannelState {
    float overlap[18][32];      // [slot][subband]: second half of each subband's last windowed
                                // transform
    float v[2][32][32];         // [buffer][write slot][sample]: recent V values (Synthesis.cpp);
                                // rows 16..31 repeat rows 0..15
    int32_t vPos;               // write slot 0 .. 15, decreasing
    int32_t vSel;               // current buffer 0 or 1
};

struct Decoder {
    StreamReader reader;
    FrameHeader header;
    SideInfo side;
    // Scale factors, kept from granule 0 to granule 1 for scfsi.
    uint8_t longScale[2][22];       // [channel][band]; band 21 is never transmitted
    uint8_t shortScale[2][13][3];   // [channel][band][window]; band 12 is never transmitted
    // MPEG-2 LSF intensity stereo: per band of the right channel the illegal position
    // (2^slen - 1), which marks a band as not intensity-coded, and intensity_scale.
    uint8_t lsfIllegalLong[22];
    uint8_t lsfIllegalShort[13];
    int32_t lsfIntensityScale;
    int32_t quant[2][576];          // quantised lines in bitstream order
    int32_t lineCount[2];           // last Huffman-decoded line + 1
    float spectrum[2][576];         // requantised lines, short blocks reordered
    uint8_t intensityLine[576];     // lines handled by intensity stereo in this granule
    float hybrid[18][32];           // inverse MDCT output: [time slot][subband]
    int16_t channelPcm[2][576];     // one granule's samples per channel, before interleaving
    ChannelState channel[2];
    uint32_t faults;                // FrameFault bits of the current frame
    int32_t avx2;                   // the hot stages take their AVX2 forms (SimdPath.cpp)
};

}  // namespace fluxdec

// The decoding stages, in the order a frame flows through them. Each lives in its own file; this
// header is shared by the stages and Decoder.cpp only (not part of the public surface).
#pragma once

#include <cstdint>

#include "plugins/fluxdec/core/BitReader.h"
#include "plugins/fluxdec/core/DecoderState.h"
#include "plugins/fluxdec/core/Fluxdec.h"
#include "plugins/fluxdec/core/OutputStage.h"

namespace fluxdec {

// --- FrameHeader.cpp: header fields and frame geometry
// Fills `header` from 4 header bytes. Returns kFrame, kNoSync or kBadHeader.
Status ParseHeader(const uint8_t bytes[4], FrameHeader* header);
int ChannelCount(const FrameHeader& h);      // 1 for mode 3, else 2
// The row of the tables by version (kSampleRateHz, the band and reorder tables): 0 MPEG-2 LSF,
// 1 MPEG-1, 2 MPEG 2.5.
int VersionRow(const FrameHeader& h);
int GranuleCount(const FrameHeader& h);      // 2 for MPEG-1, 1 for LSF and MPEG 2.5
int SideInfoBytes(const FrameHeader& h);     // 17/32 (MPEG-1), 9/17 (LSF)
int BitrateKbps(const FrameHeader& h);
int SampleRateHz(const FrameHeader& h);
int FrameLengthBytes(const FrameHeader& h);  // without padding
int MainDataBytes(const FrameHeader& h);     // frame length + padding - bytes before main data

// --- StreamReader.cpp: reading from the call-back through the look-ahead window, the reservoir
// Makes `bytes` bytes (at most kWindowBytes) available at the window's position, reading as
// needed; returns how many are (fewer only at the input's end).
int32_t WindowAvailable(StreamReader* r, int32_t bytes);
int64_t InputOffset(const StreamReader* r);  // the input offset of the next byte read
// Reads exactly `bytes` bytes; returns false when the input ended first.
bool ReadExact(StreamReader* r, void* buffer, int32_t bytes);
// Passes over `bytes` bytes; false when the input ends first.
bool SkipInput(StreamReader* r, int64_t bytes);
// The size in bytes of the ID3v2 tag that `bytes` (10 bytes) starts, or -1 when it starts none.
int64_t Id3v2TagBytes(const uint8_t bytes[10]);
// Appends `count` bytes of the input to the ring. Returns false on a short read.
bool AppendMainData(StreamReader* r, int32_t count);
// The reservoir step: returns 1 when the frame can be decoded (its main data then lies in
// r->mainData, r->mainDataBits long), 0 when it must be skipped, -1 on a short read.
int ReservoirStep(StreamReader* r, int32_t mainDataBegin, int32_t mainDataBytes);

// --- FrameSync.cpp: where frames start, and resynchronisation after junk
// Finds the next frame (skipping ID3v2 tags and junk) and consumes its 4 header bytes; the
// reader's frameFlags, frameOffset and frameLength describe it. kFrame, or kEndOfStream (the
// input ended where a frame could start) or kNoSync (it ended in junk).
Status NextFrame(StreamReader* r, FrameHeader* header);

// --- SideInfo.cpp
void ParseSideInfo(const uint8_t* bytes, const FrameHeader& h, SideInfo* side, uint32_t* faults);

// --- ScaleFactors.cpp: reads the channel's scale factors, returns the part2 length.
int ReadScaleFactors(Decoder* d, BitReader* br, int granule, int channel);

// --- Huffman.cpp: decodes the channel's quantised lines; leaves br->pos at the end of
// the channel's part2_3_length. `part2Start` is the bit position where the scale factors began.
void DecodeHuffman(Decoder* d, BitReader* br, int granule, int channel, uint32_t part2Start);
// Decodes one big_values pair with table `table` from `w` (the next stream bits, left-aligned)
// through the decoder's lookup tables; returns the code's length and stores x and y (unsigned).
int DecodePairFast(int table, uint64_t w, int* x, int* y);
// The same through the sorted code table and 4-bit index (reference form, for tests).
int DecodePairReference(int table, uint32_t w, int* x, int* y);

// --- Requantise.cpp: requantisation with reordering, then joint stereo.
void Requantise(Decoder* d, int granule, int channel);
void JointStereo(Decoder* d, int granule);
float GainFromExponent(int quarterSteps);    // 2^(A/4), 0 below 2^-127

// --- AliasReduction.cpp: the butterflies across the subband boundaries 1 .. lastBoundary (at
// most 31).
void ReduceAliases(float* spectrum, int lastBoundary);
// How many subband boundaries of this granule get alias reduction, given the number of subbands
// that hold nonzero lines.
int AliasBoundaries(const GranuleInfo& g, int nonzeroSubbands);

// --- Imdct.cpp
void InverseMdctLong(const float in[18], int blockType, float overlap[18], float out[18]);
void InverseMdctShort(const float in[18], float overlap[18], float out[18]);
// The hybrid filter bank of one channel: subbands below `subbands` are transformed, the rest pass
// their overlap; the result goes to d->hybrid.
void HybridFilterBank(Decoder* d, int granule, int channel, int subbands);

// --- Synthesis.cpp
void Dct32(const float in[32], float out[32]);
// 18 slots of one channel from d->hybrid into pcm (stride = channel count).
void SynthesiseGranule(ChannelState* state, const float hybrid[18][32], int16_t* pcm, int stride);
// The same one slot at a time in plain scalar code: the same floats, for the tests.
void SynthesiseGranuleReference(ChannelState* state, const float hybrid[18][32], int16_t* pcm,
                                int stride);

}  // namespace fluxdec

// Fluxdec: a portable MPEG audio Layer III decoder core (ISO/IEC 11172-3, the lower sampling
// frequencies of ISO/IEC 13818-3, and MPEG 2.5's 8, 11.025 and 12 kHz), free of Windows APIs.
//
// The caller owns one Decoder (a plain block of about 90 KB, no allocation inside), hands it a read
// call-back with InitDecoder, and calls DecodeFrame until it reports the end of the stream. Each
// call reads exactly one frame from the call-back (header, CRC word, side information, main data;
// no read-ahead) and yields that frame's PCM: signed 16-bit, interleaved left/right for two
// channels, 1152 samples per channel for MPEG-1 and 576 for MPEG-2 LSF and MPEG 2.5.
//
// Output arithmetic: every sample is 32767 times the standard's reconstructed value,
// truncated toward zero and clipped to -32768 .. 32767.
#pragma once

#include <cstdint>

#include "plugins/fluxdec/core/DecoderState.h"

namespace fluxdec {

// ReadFn (DecoderState.h): reads up to `bytes` bytes into `buffer` and returns the number read: 0
// at the end of the input, fewer than asked only at its end; a negative result counts as the end.

// The result of DecodeFrame. Values below kEndOfStream yield a frame of PCM; from kEndOfStream on
// the stream has ended (cleanly: no PCM, the decoder stays in its end state and every further call
// gives the same result).
enum class Status : int32_t {
    // Recoverable: the frame is output and decoding goes on.
    kFrame = 0,          // decoded; FrameInfo::faults names any damage that was repaired
    kFrameSilent = 1,    // skipped by the reservoir step: main_data_begin reaches before the data
                         // read so far (the start of a cut stream); its PCM is silence
    // Fatal: the stream ends here.
    kEndOfStream = 2,    // the input ended where the next frame header should start
    kNoSync = 3,         // the next four bytes are not a frame header (junk, a trailing tag, the
                         // 0xFFE sync followed by ID 1, which is no MPEG version)
    kBadHeader = 4,      // a header with a layer other than III, bitrate_index 0 (free format) or 15,
                         // or sampling_frequency 3: such a stream must not be played as noise
    kTruncated = 5,      // the input ended inside a frame; the partial frame is not output
};

inline bool IsEndOfStream(Status s) { return s >= Status::kEndOfStream; }
const char* StatusText(Status s);

// Damage found and repaired while decoding a frame (FrameInfo::faults); the frame is still output.
enum FrameFault : uint32_t {
    kFaultBigValues = 1u << 0,        // big_values above 288: limited to 288 (576 lines)
    kFaultMainDataOverrun = 1u << 1,  // a granule's bits ran past the frame's main data; the lines
                                      // that would come from beyond it are 0
    kFaultQuantOverflow = 1u << 2,    // a quantised value above 8191 (decoded: the power table
                                      // runs to 8206, the most linbits can express)
    kFaultIntensityPosition = 1u << 3,// an MPEG-1 intensity position above 7, taken as "not coded"
    kFaultPart2Length = 1u << 4,      // scale factors longer than part2_3_length
    kFaultBlockType = 1u << 5,        // window switching with the reserved block_type 0
    kFaultResync = 1u << 6,           // junk, a cut frame or a tag was passed over before the
                                      // frame (FrameSync.cpp)
};

struct FrameInfo {
    int32_t mpegId;             // 1 MPEG-1, 0 MPEG-2 LSF, 2 MPEG 2.5 (whose header's ID bit is 0
                                // as for LSF; 2 tells it apart)
    int32_t sampleRate;         // Hz
    int32_t channels;           // 1 (mode 3) or 2
    int32_t samplesPerChannel;  // 1152 (MPEG-1) or 576 (LSF, MPEG 2.5)
    int32_t bitrateKbps;
    int32_t frameBytes;         // frame length including padding
    int32_t mode;               // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    int32_t modeExtension;
    int32_t frameIndex;         // 0 for the first frame of the stream
    uint32_t faults;            // FrameFault bits
};

// The largest number of samples DecodeFrame writes: 1152 per channel, two channels.
inline constexpr int kMaxFrameSamples = 2304;

// The vector instructions of the decoder's hot stages: the baseline (SSE2 on x86), or AVX2 where
// the CPU has it. Every path gives the same samples, bit for bit; the wider one is faster.
enum class SimdPath : int32_t { kBaseline = 0, kAvx2 = 1 };
SimdPath WidestSimdPath();                 // the widest path this CPU runs
// The path that decoders initialised from now on take: the widest, unless selected otherwise or
// the environment variable FLUXDEC_SIMD is "baseline".
// Selecting a path that the CPU lacks selects the baseline; returns the path selected.
SimdPath SelectSimdPath(SimdPath path);
SimdPath SelectedSimdPath();

// Clears the whole decoder (reservoir, overlap, synthesis buffers: a new song never hears the end
// of the previous one), binds the input and takes the selected SimdPath. `read` is called from
// DecodeFrame only.
void InitDecoder(Decoder* decoder, ReadFn read, void* context);

// Reads and decodes the next frame. On a result below kEndOfStream, `pcm` holds
// info->samplesPerChannel * info->channels samples (interleaved for two channels) and `info`
// describes the frame; otherwise nothing is written to `pcm` and `info` is left alone.
Status DecodeFrame(Decoder* decoder, int16_t pcm[kMaxFrameSamples], FrameInfo* info);

}  // namespace fluxdec

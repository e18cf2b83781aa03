// The song layer: a whole file over the frame decoder. It knows the song's length before the first
// sample (a scan of the frame headers when it opens), trims the encoder's and the decoder's delay
// and the padding that a LAME tag declares (gapless playback), and moves to any output sample with
// output from there on byte-identical to a straight decode. Free of Windows APIs, like the frame
// decoder under it; the native fluxdec, fluxdec.exe's plug-in and the player all go through it, so
// all three agree on every sample.
#pragma once

#include <cstdint>
#include <vector>

#include "plugins/fluxdec/core/Fluxdec.h"
#include "plugins/fluxdec/core/ReplayGain.h"

namespace fluxdec {

// Random-access input. `read` behaves as ReadFn; `seek` moves to an absolute byte offset and
// returns false when it cannot. The caller owns the context (a FILE*, a Win32 HANDLE...). OpenSong
// expects the input at offset 0.
struct SongInput {
    ReadFn read;
    bool (*seek)(void* context, int64_t offset);
    void* context;
};

struct SongInfo {
    int32_t sampleRate;   // of the first audio frame
    int32_t channels;     // of the first audio frame
    int32_t mpegVersion;  // 1, 2, or 25 for MPEG 2.5
    int64_t samples;   // per channel, after gapless trimming: exactly what DecodeSongBlock yields
    int64_t lengthMs;  // the time of `samples`, summed over format changes
    int32_t encoderDelay;    // from the LAME tag, else 0
    int32_t encoderPadding;  // from the LAME tag, else 0
    int64_t frames;          // audio frames (not the Info/Xing frame)
    int32_t bitrateKbps;     // 0 when it varies
    bool hasInfoTag;         // the first frame is a Xing, Info or VBRI header, not audio
    int32_t formatChanges;   // how often rate, channels or MPEG version change within the stream
    ReplayGainSource lameGain;  // the LAME tag's gains and peak (ReplayGain.h), if it holds any
};

// --- The layer's business below: callers only own a Song and pass it to the functions.

// Reads the input through a buffer of its own: the scan looks at 4 bytes per frame, and a caller's
// read may be a system call.
struct SongBuffer {
    SongInput input;
    int64_t offset;  // file offset of data[0]
    int32_t pos;     // next byte to hand out
    int32_t fill;    // bytes in data
    uint8_t data[32768];
};

// A run of audio frames of one format. Decoded samples count every audio frame's samples per
// channel from 0; output samples are what is left after the gapless trim.
struct SongSegment {
    int64_t firstFrame;    // stream frame index (the Info frame, if any, is frame 0)
    int64_t firstDecoded;  // decoded sample index of its first sample
    int64_t outputStart;   // output sample index where it starts (clamped to the song)
    int64_t msStart;       // SongPositionMs at outputStart
    int32_t sampleRate;
    int32_t channels;
    int32_t samplesPerFrame;
    int32_t mpegVersion;
};

struct Song {
    Song() = default;
    Song(const Song&) = delete;
    Song& operator=(const Song&) = delete;

    Decoder decoder;
    SongBuffer buffer;
    SongInfo info{};
    std::vector<int64_t> frameOffsets;  // owned: every frame's start, then the end of the last
    std::vector<SongSegment> segments;  // owned: at least one once a song with audio is open
    int64_t audioStartFrame = 0;        // 1 when frame 0 is an Info/Xing/VBRI header
    int64_t trimStart = 0;              // decoded samples cut at the start
    int64_t decodedEnd = 0;             // decoded sample index where output stops
    int64_t nextFrame = 0;              // stream frame index that DecodeFrame reads next
    int64_t nextDecoded = 0;            // decoded sample index of that frame's first sample
    size_t nextSegment = 0;             // the first segment not yet entered
    int64_t skipUntil = 0;              // decoded samples before this are pre-roll: dropped
    int64_t position = 0;               // output sample that DecodeSongBlock yields next
    float outputScale = 1.0f;           // SetSongOutputScale's; kept across seeks
    bool isOpen = false;
    bool ended = false;
};

// Parses the Xing/Info/VBRI and LAME tags, scans the frame headers (headers only; stops at the
// first bad header, as decoding does) to build the seek table, then rewinds. false: no frame, or
// the input cannot be rewound.
bool OpenSong(Song* song, SongInput input);
const SongInfo& SongInfoOf(const Song* song);
// The next block of output: gapless-trimmed PCM, interleaved, `*samplesPerChannel` per channel
// (1..1152; frames that trimming or a seek's pre-roll empties are decoded and passed over).
// `info` describes the frame it came from; its rate and channels may differ from the previous
// block's (a format change). Returns a Status as DecodeFrame does; from kEndOfStream on the song
// has ended and nothing is written.
Status DecodeSongBlock(Song* song, int16_t pcm[kMaxFrameSamples], FrameInfo* info,
                       int32_t* samplesPerChannel);
// Moves so that the next sample DecodeSongBlock yields is output sample `sample` (per channel,
// counted from 0 after trimming, across format changes); a negative sample is 0. At or past the
// end the song ends. Output from there on is byte-identical to a straight decode. false when the
// input cannot seek (the song has then ended).
bool SeekSongToSample(Song* song, int64_t sample);
bool SeekSongToMs(Song* song, int64_t ms);
// Multiplies every sample the song yields from here on by `scale` (a ReplayGain), at no cost per
// sample (SetOutputScale); kept across seeks until the next OpenSong, which sets 1.
void SetSongOutputScale(Song* song, float scale);
int64_t SongPositionSamples(const Song* song);  // the next sample DecodeSongBlock yields
int64_t SongPositionMs(const Song* song);
// Releases the seek table; the Song may be opened again.
void CloseSong(Song* song);

}  // namespace fluxdec

// The song layer: a whole file over the frame decoder. It knows the song's length before the first
// sample (a scan of the frame headers when it opens), trims the encoder's and the decoder's delay
// and the padding that a LAME tag declares (gapless playback), and moves to any output sample with
// output from there on byte-identical to a straight decode. Free of Windows APIs, like the frame
// decoder under it; the native fluxdec, fluxdec.exe's plug-in and the player all go through it, so
// all three agree on every sample.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugins/fluxdec/core/Fluxdec.h"

namespace fluxdec {

// Random-access input. `read` behaves as ReadFn; `seek` moves to an absolute byte offset and
// returns false when it cannot. `size` is the input's length in bytes, or -1 when unknown (the
// song then scans the whole input when it opens). The caller owns the context (a FILE*, a Win32
// HANDLE...). OpenSong expects the input at offset 0.
struct SongInput {
    ReadFn read;
    bool (*seek)(void* context, int64_t offset);
    void* context;
    int64_t size = -1;
};

struct SongInfo {
    int32_t sampleRate;   // of the first audio frame
    int32_t channels;     // of the first audio frame
    int32_t mpegVersion;  // 1, 2, or 25 for MPEG 2.5
    // Until `scanned`, `samples` and `lengthMs` are estimates (from the Xing/Info/VBRI frame
    // count, else from the bit rate and the input's size) and the frame counts cover what was
    // scanned so far.
    int64_t samples;   // per channel, after gapless trimming: exactly what DecodeSongBlock yields
    int64_t lengthMs;  // the time of `samples`, summed over format changes
    int32_t encoderDelay;    // from the LAME tag, else 0
    int32_t encoderPadding;  // from the LAME tag, else 0
    int64_t frames;          // audio frames (not the Info/Xing frames)
    int32_t bitrateKbps;     // 0 when it varies
    bool hasInfoTag;         // the first frame is a Xing, Info or VBRI header, not audio
    int32_t formatChanges;   // how often rate, channels or MPEG version change within the stream
    int32_t parts;           // songs joined end to end: each later Info/Xing/VBRI frame starts one
    bool scanned;            // the whole input has been scanned: the figures above are exact
};

// --- The layer's business below: callers only own a Song and pass it to the functions.

// Reads the input through a buffer of its own: the scan looks at 4 bytes per frame, and a caller's
// read may be a system call. The decoder and the scan each have one over the same input, which
// has one position: `inputAt` (shared) says where it stands, so that a buffer seeks before it
// reads where the other left it.
struct SongBuffer {
    SongInput input;
    int64_t* inputAt;  // borrowed: the input's position, -1 when unknown
    int64_t offset;    // file offset of data[0]
    int32_t pos;       // next byte to hand out
    int32_t fill;      // bytes in data
    uint8_t data[32768];
};

// A run of frames of one format within one part. Decoded samples count every audio frame's
// samples per channel from 0; output samples are what is left after the gapless trim.
struct SongSegment {
    int64_t firstFrame;    // stream frame index of its first frame
    int64_t firstDecoded;  // decoded sample index of its first audio sample
    int64_t keepFrom;      // decoded samples before this are trimmed (the part's delay)
    int64_t keepTo;        // decoded samples from this on are trimmed (the part's padding)
    int64_t outputStart;   // output sample index where it starts
    int64_t msStart;       // SongPositionMs at outputStart
    int32_t sampleRate;
    int32_t channels;
    int32_t samplesPerFrame;
    int32_t mpegVersion;
    bool partStart;    // a new part (song) starts here: the decoder starts afresh
    bool headerFrame;  // its first frame is an Info/Xing/VBRI frame, not audio
};

// The scan's own state: it runs ahead of decoding, a piece at a time.
struct SongScanState {
    StreamReader reader;
    SongBuffer buffer;
    int64_t frames = 0;      // stream frames scanned
    int64_t decoded = 0;     // decoded samples of the audio frames scanned
    int64_t endOffset = 0;   // input offset where the last scanned frame ends
    int64_t partFrames = 0;  // audio frames of the current part so far
    int64_t partTagFrames = -1;
    int32_t partPadding = 0;  // the current part's padding to trim, when its count matches
    int32_t bitrate = -1;
    bool done = false;
};

struct Song {
    Song() = default;
    Song(const Song&) = delete;
    Song& operator=(const Song&) = delete;

    Decoder decoder;
    SongBuffer buffer;
    SongScanState scan;
    int64_t inputAt = -1;  // the input's position (SongBuffer::inputAt of both buffers)
    SongInfo info{};
    // Owned: the input offset of every `offsetStride`-th frame. Both tables are bounded (Song.cpp:
    // kMaxOffsets, kMaxSegments): past its bound the offsets table keeps every second entry.
    std::vector<int64_t> frameOffsets;
    int64_t offsetStride = 1;
    std::vector<SongSegment> segments;  // owned: at least one once a song with audio is open
    int64_t firstFrameBytes = 0;        // the first frame's length and offset, for the estimate
    int64_t firstFrameOffset = 0;
    int32_t firstAudioKbps = 0;         // the first audio frame's bit rate, for the estimate
    int64_t tagFrames = -1;             // the first part's Xing/Info/VBRI frame count
    int64_t nextFrame = 0;              // stream frame index that DecodeFrame reads next
    int64_t nextDecoded = 0;            // decoded sample index of that frame's first sample
    size_t segment = 0;                 // the segment of the frame decoded last
    size_t nextSegment = 0;             // the first segment not yet entered
    int64_t skipUntil = 0;              // decoded samples before this are pre-roll: dropped
    int64_t position = 0;               // output sample that DecodeSongBlock yields next
    bool isOpen = false;
    bool ended = false;
};

// Reads the first frame and its Xing/Info/VBRI and LAME tags: what sounding needs. The scan of
// the frame headers (headers only; past junk as decoding goes, FrameSync.cpp) that builds the
// seek table and gives the exact length runs later, a piece with every DecodeSongBlock, or at
// once when the input's size is unknown. false: no frame, or the input cannot be rewound. Never
// throws: the tables are bounded and a failed allocation makes them coarser or ends the song.
bool OpenSong(Song* song, SongInput input);
// Scans to the end of the input: every figure in SongInfo is then exact.
void FinishSongScan(Song* song);
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
int64_t SongPositionSamples(const Song* song);  // the next sample DecodeSongBlock yields
int64_t SongPositionMs(const Song* song);
// Releases the seek table; the Song may be opened again.
void CloseSong(Song* song);

}  // namespace fluxdec

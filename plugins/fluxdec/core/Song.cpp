// The song layer over the frame decoder: open (scan and tags), gapless trim, seek, position.
//
// Coordinates. Decoded samples (per channel) count the samples of every audio frame from 0; the
// Info frame has none. With a LAME tag, the output starts `encoder delay + 529` decoded samples
// in (529: the delay of this decoder's filter bank, the same for every Layer III decoder) and
// stops `padding - 529` before the end, so a file made from N samples yields exactly those N,
// aligned. The padding is trusted only when the tag's frame count is the scan's: a song cut
// short keeps all it has.
//
// Seek. A frame's output depends on more than its own bytes: its main data may begin up to 511
// bytes back in earlier frames (the bit reservoir), each granule adds the previous granule's
// IMDCT overlap, and each synthesis output sample reads the V vectors of the last 16 time slots.
// So the decoder restarts from zero a few frames before the target frame K and drops what they
// give (the pre-roll):
//   - frames K-2 and K-1 must decode from their true main data: the frames before them in the
//     pre-roll supply at least 511 bytes of main data, the most main_data_begin can reach back;
//   - then K-2's spectrum is exact, so its overlap is; K-1's time samples, which add that
//     overlap, are exact; and K-1's last granule alone writes 18 time slots, more than the 16 V
//     vectors the synthesis reads, so K's input to every stage is what a straight decode gives.
// The synthesis reads its V rows relative to its write position, so where that position stands
// after the restart does not matter. Every stage is the same code on the same floats, so K's PCM
// and all after it are byte-identical to a straight decode. That is 2 frames plus the ones that
// hold 511 bytes of main data (counted from the frame lengths, less header, CRC word and side
// information): 4 frames in all at 128 kbit/s and 44.1 kHz, 3 at 320 kbit/s, 27 at 8 kbit/s and
// 16 kHz mono; at most 513 for 8 kbit/s stereo at 24 kHz, whose 24-byte frames hold 1 to 3 bytes
// of main data (12 s of such audio, decoded in milliseconds). A target so near the start that the
// pre-roll reaches the first audio frame rewinds to the very start instead (ID3v2 skip, Info frame
// and all): a straight decode by definition.
//
// Format change. Where rate, channels or MPEG version change (songs joined with cat), the
// overlap and synthesis state starts from zero, as for a new song: the old song's tail has no
// place in the new one, and a channel unused in between must not hold stale state that a seek's
// restart would not have. The reservoir is kept.
#include <algorithm>
#include <cstring>

#include "plugins/fluxdec/core/SongParts.h"
#include "plugins/fluxdec/core/Stages.h"

namespace fluxdec {

namespace {

constexpr int64_t kDecoderDelay = 529;
constexpr int64_t kMaxMainDataBegin = 511;

int64_t FrameCount(const Song* s) { return int64_t(s->frameOffsets.size()) - 1; }

// The last segment whose `start` field is at or before `value` (segments are sorted on all three).
template <typename Field>
size_t LastSegmentAtOrBefore(const Song* s, int64_t value, Field start) {
    size_t i = 1;
    while (i < s->segments.size() && s->segments[i].*start <= value) ++i;
    return i - 1;
}

int64_t DecodedOfFrame(const Song* s, int64_t frame) {
    if (s->segments.empty()) return 0;
    const SongSegment& seg = s->segments[LastSegmentAtOrBefore(s, frame, &SongSegment::firstFrame)];
    return seg.firstDecoded + (frame - seg.firstFrame) * seg.samplesPerFrame;
}

// Lays the output coordinates over the segments and fills the length.
void PlaceSegments(Song* s) {
    SongInfo& info = s->info;
    int64_t ms = 0;
    for (size_t i = 0; i < s->segments.size(); ++i) {
        SongSegment& seg = s->segments[i];
        seg.outputStart = std::clamp<int64_t>(seg.firstDecoded - s->trimStart, 0, info.samples);
        if (i > 0) {
            const SongSegment& prev = s->segments[i - 1];
            ms += (seg.outputStart - prev.outputStart) * 1000 / prev.sampleRate;
        }
        seg.msStart = ms;
    }
    if (!s->segments.empty()) {
        const SongSegment& last = s->segments.back();
        info.lengthMs = ms + (info.samples - last.outputStart) * 1000 / last.sampleRate;
    }
}

// Starts decoding at stream frame `frame` with a fresh decoder; frame 0 is the file's start, so
// that the ID3v2 tags are skipped as in any straight decode.
bool RestartAt(Song* s, int64_t frame) {
    if (!SeekBuffered(&s->buffer, frame == 0 ? 0 : s->frameOffsets[size_t(frame)])) return false;
    InitDecoder(&s->decoder, ReadBuffered, &s->buffer);
    SetOutputScale(&s->decoder, s->outputScale);
    s->decoder.reader.frameIndex = int32_t(frame);
    s->nextFrame = frame;
    s->nextSegment = 0;
    while (s->nextSegment < s->segments.size() && s->segments[s->nextSegment].firstFrame < frame)
        ++s->nextSegment;
    s->nextDecoded = DecodedOfFrame(s, std::max(frame, s->audioStartFrame));
    return true;
}

// The fewest main-data bytes an audio frame can hold: its length less the header, a CRC word
// (the seek table does not record whether there is one) and its format's side information.
int64_t LeastMainData(const Song* s, int64_t frame) {
    const SongSegment& seg = s->segments[LastSegmentAtOrBefore(s, frame, &SongSegment::firstFrame)];
    FrameHeader h{};
    h.id = seg.mpegVersion == 1 ? 1 : 0;
    h.mode = seg.channels == 1 ? 3 : 0;
    const int64_t bytes = s->frameOffsets[size_t(frame) + 1] - s->frameOffsets[size_t(frame)];
    return std::max<int64_t>(0, bytes - 4 - 2 - SideInfoBytes(h));
}

// The first frame of the pre-roll for target frame `target` (see the top of this file).
int64_t PreRollStart(const Song* s, int64_t target) {
    int64_t frame = target - 2;
    int64_t mainData = 0;
    while (frame > s->audioStartFrame && mainData < kMaxMainDataBegin)
        mainData += LeastMainData(s, --frame);
    return frame <= s->audioStartFrame ? 0 : frame;
}

}  // namespace

bool OpenSong(Song* s, SongInput input) {
    CloseSong(s);
    s->info = SongInfo{};
    s->outputScale = 1.0f;
    if (!input.read) return false;
    BindBuffer(&s->buffer, input);
    InfoTag tag;
    if (!ScanSong(s, &tag)) {
        CloseSong(s);
        return false;
    }
    SongInfo& info = s->info;
    info.lameGain = tag.replayGain;
    const int64_t decoded = DecodedOfFrame(s, FrameCount(s));
    s->trimStart = tag.hasLameTag ? tag.encoderDelay + kDecoderDelay : 0;
    const int64_t trimEnd = tag.hasLameTag && tag.frames == info.frames
                                ? std::max<int64_t>(0, tag.encoderPadding - kDecoderDelay)
                                : 0;
    info.samples = std::max<int64_t>(0, decoded - s->trimStart - trimEnd);
    s->decodedEnd = s->trimStart + info.samples;
    PlaceSegments(s);
    if (!RestartAt(s, 0)) {
        CloseSong(s);
        return false;
    }
    s->skipUntil = 0;
    s->position = 0;
    s->isOpen = true;
    s->ended = false;
    return true;
}

const SongInfo& SongInfoOf(const Song* s) { return s->info; }

Status DecodeSongBlock(Song* s, int16_t pcm[kMaxFrameSamples], FrameInfo* info,
                       int32_t* samplesPerChannel) {
    *samplesPerChannel = 0;
    if (!s->isOpen || s->ended) return Status::kEndOfStream;
    const int64_t first = std::max(s->trimStart, s->skipUntil);
    // Bounded: every pass consumes a frame of the scanned ones.
    for (;;) {
        if (s->nextFrame >= FrameCount(s) || s->nextDecoded >= s->decodedEnd) {
            s->ended = true;
            return Status::kEndOfStream;
        }
        if (s->nextSegment < s->segments.size() &&
            s->segments[s->nextSegment].firstFrame == s->nextFrame) {
            if (s->nextSegment > 0) std::memset(s->decoder.channel, 0, sizeof s->decoder.channel);
            ++s->nextSegment;
        }
        FrameInfo frame;
        const Status status = DecodeFrame(&s->decoder, pcm, &frame);
        if (IsEndOfStream(status)) {  // the input changed or failed since the scan
            s->ended = true;
            return status;
        }
        if (s->nextFrame++ < s->audioStartFrame) continue;  // the Info frame: a header, not audio
        const int64_t start = s->nextDecoded;
        s->nextDecoded += frame.samplesPerChannel;
        const int64_t from = std::max(start, first);
        const int64_t to = std::min(s->nextDecoded, s->decodedEnd);
        if (to <= from) continue;
        if (from > start) {
            std::memmove(pcm, pcm + (from - start) * frame.channels,
                         sizeof(int16_t) * size_t((to - from) * frame.channels));
        }
        *info = frame;
        *samplesPerChannel = int32_t(to - from);
        s->position += to - from;
        return status;
    }
}

bool SeekSongToSample(Song* s, int64_t sample) {
    if (!s->isOpen) return false;
    sample = std::max<int64_t>(0, sample);
    if (sample >= s->info.samples) {
        s->position = s->info.samples;
        s->ended = true;
        return true;
    }
    const int64_t decoded = s->trimStart + sample;
    const SongSegment& seg =
        s->segments[LastSegmentAtOrBefore(s, decoded, &SongSegment::firstDecoded)];
    const int64_t target = seg.firstFrame + (decoded - seg.firstDecoded) / seg.samplesPerFrame;
    if (!RestartAt(s, PreRollStart(s, target))) {
        s->ended = true;
        return false;
    }
    s->skipUntil = decoded;
    s->position = sample;
    s->ended = false;
    return true;
}

bool SeekSongToMs(Song* s, int64_t ms) {
    if (!s->isOpen) return false;
    if (s->segments.empty() || ms >= s->info.lengthMs) return SeekSongToSample(s, s->info.samples);
    ms = std::max<int64_t>(0, ms);
    const size_t i = LastSegmentAtOrBefore(s, ms, &SongSegment::msStart);
    const SongSegment& seg = s->segments[i];
    // The first sample at or after the time: its position in ms is `ms` again.
    int64_t sample = seg.outputStart + ((ms - seg.msStart) * seg.sampleRate + 999) / 1000;
    if (i + 1 < s->segments.size()) sample = std::min(sample, s->segments[i + 1].outputStart);
    return SeekSongToSample(s, sample);
}

void SetSongOutputScale(Song* s, float scale) {
    s->outputScale = scale;
    SetOutputScale(&s->decoder, scale);
}

int64_t SongPositionSamples(const Song* s) { return s->position; }

int64_t SongPositionMs(const Song* s) {
    if (s->segments.empty()) return 0;
    const SongSegment& seg =
        s->segments[LastSegmentAtOrBefore(s, s->position, &SongSegment::outputStart)];
    return seg.msStart + (s->position - seg.outputStart) * 1000 / seg.sampleRate;
}

void CloseSong(Song* s) {
    std::vector<int64_t>().swap(s->frameOffsets);
    std::vector<SongSegment>().swap(s->segments);
    s->audioStartFrame = 0;
    s->isOpen = false;
    s->ended = true;
}

}  // namespace fluxdec

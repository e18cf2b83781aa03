// The song layer over the frame decoder: open (first frame and tags), the scan run ahead of
// decoding, gapless trim, seek, position.
//
// Opening reads the first frame only, so that a song sounds at once however long its file. The
// scan (SongScan.cpp) then runs a piece with every block decoded: at least kScanLeadFrames ahead
// of decoding, so that the end of a part is known before its padding must be cut, and
// kScanBytesPerBlock more, so that it ends within a minute of playing even for a 10-hour file.
// Until it ends, the length is the Info/Xing/VBRI tag's frame count, else the bit rate times the
// input's size; a seek past what was scanned scans up to its target first, so it lands exactly.
//
// Coordinates. Decoded samples (per channel) count the samples of every audio frame from 0; the
// Info frame has none. With a LAME tag, the output starts `encoder delay + 529` decoded samples
// in (529: the delay of this decoder's filter bank, the same for every Layer III decoder) and
// stops `padding - 529` before the end, so a file made from N samples yields exactly those N,
// aligned. The padding is trusted only when the tag's frame count is the scan's: a song cut
// short keeps all it has. Songs joined end to end are parts: each later part's Info frame is
// passed over like the first, and its delay and padding are trimmed likewise; the decoder starts
// afresh at each part, as it would for the part alone.
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
// pre-roll reaches the first audio frame of its part rewinds to the part's start instead (ID3v2
// skip, Info frame and all): a straight decode by definition. A seek table with a stride above 1
// restarts at the entry at or before the pre-roll's start, which only decodes more. Junk between
// frames changes nothing here: the decoder starts afresh after it in a straight decode too
// (FrameSync.cpp), and a restart before it crosses it as a straight decode does.
//
// Format change. Where rate, channels or MPEG version change (songs joined with cat), the
// overlap and synthesis state starts from zero, as for a new song: the old song's tail has no
// place in the new one, and a channel unused in between must not hold stale state that a seek's
// restart would not have. The reservoir is kept.
#include <algorithm>
#include <climits>
#include <cstring>

#include "plugins/fluxdec/core/SongParts.h"
#include "plugins/fluxdec/core/Stages.h"

namespace fluxdec {

namespace {

constexpr int64_t kMaxMainDataBegin = 511;
constexpr int64_t kScanLeadFrames = 16;
constexpr int64_t kScanBytesPerBlock = 256 * 1024;

// The last segment whose `start` field is at or before `value` (segments are sorted on all of
// them).
template <typename Field>
size_t LastSegmentAtOrBefore(const Song* s, int64_t value, Field start) {
    size_t lo = 0, hi = s->segments.size();
    while (hi - lo > 1) {
        const size_t mid = (lo + hi) / 2;
        if (s->segments[mid].*start <= value) lo = mid; else hi = mid;
    }
    return lo;
}

int64_t FirstAudioFrame(const SongSegment& seg) { return seg.firstFrame + (seg.headerFrame ? 1 : 0); }

int64_t DecodedOfFrame(const Song* s, int64_t frame) {
    if (s->segments.empty()) return 0;
    const SongSegment& seg = s->segments[LastSegmentAtOrBefore(s, frame, &SongSegment::firstFrame)];
    return seg.firstDecoded + std::max<int64_t>(0, frame - FirstAudioFrame(seg)) * seg.samplesPerFrame;
}

// The estimate that stands until the scan ends: the tag's frame count, else the input's size
// over the first audio frame's bit rate.
void Estimate(Song* s) {
    SongInfo& info = s->info;
    if (info.scanned || s->segments.empty()) return;
    const SongSegment& first = s->segments.front();
    const int64_t trim = info.encoderDelay + info.encoderPadding;  // delay + 529 + padding - 529
    int64_t samples = 0;
    if (s->tagFrames >= 0) {
        samples = s->tagFrames * first.samplesPerFrame - trim;
    } else {
        const int64_t audioStart = s->firstFrameOffset + (info.hasInfoTag ? s->firstFrameBytes : 0);
        const int64_t kbps = std::max(8, s->firstAudioKbps);
        samples = (s->buffer.input.size - audioStart) * 8 * first.sampleRate / (kbps * 1000) - trim;
    }
    info.samples = std::max<int64_t>(0, samples);
    info.lengthMs = info.samples * 1000 / first.sampleRate;
}

// The output samples that the scanned frames cover for certain (a part's padding may still cut
// up to 4095 of them).
int64_t ScannedOutput(const Song* s) {
    if (s->scan.done) return INT64_MAX;
    if (s->segments.empty()) return 0;
    const SongSegment& last = s->segments.back();
    return last.outputStart + KeptSamples(last, s->scan.decoded) - 4096;
}

// Starts decoding at stream frame `frame`, or the table's entry before it, with a fresh decoder;
// frame 0 is the input's start, so that the ID3v2 tags are skipped as in any straight decode.
bool RestartAt(Song* s, int64_t frame) {
    frame -= frame % s->offsetStride;
    const int64_t offset = frame == 0 ? 0 : s->frameOffsets[size_t(frame / s->offsetStride)];
    if (!SeekBuffered(&s->buffer, offset)) return false;
    InitDecoder(&s->decoder, ReadBuffered, &s->buffer);
    s->decoder.reader.windowOffset = offset;
    s->decoder.reader.frameIndex = int32_t(frame);
    s->nextFrame = frame;
    s->segment = LastSegmentAtOrBefore(s, frame, &SongSegment::firstFrame);
    s->nextSegment = s->segment + 1;
    s->nextDecoded = DecodedOfFrame(s, frame);
    return true;
}

// The fewest main-data bytes an audio frame can hold: its length less the header, a CRC word
// (the seek table does not record whether there is one) and its format's side information.
// Without every frame's offset, the shortest frame of its format.
int64_t LeastMainData(const Song* s, const SongSegment& seg, int64_t frame) {
    FrameHeader h{};
    h.id = seg.mpegVersion == 1 ? 1 : 0;
    h.mode = seg.channels == 1 ? 3 : 0;
    int64_t bytes;
    if (s->offsetStride == 1) {
        const size_t i = size_t(frame);
        bytes = (i + 1 < s->frameOffsets.size() ? s->frameOffsets[i + 1] : s->scan.endOffset) -
                s->frameOffsets[i];
    } else {
        bytes = int64_t(seg.mpegVersion == 1 ? 144000 * 32 : 72000 * 8) / seg.sampleRate;
    }
    return std::max<int64_t>(0, bytes - 4 - 2 - SideInfoBytes(h));
}

// The first frame of the pre-roll for target frame `target` (see the top of this file).
int64_t PreRollStart(const Song* s, int64_t target) {
    size_t i = LastSegmentAtOrBefore(s, target, &SongSegment::firstFrame);
    while (i > 0 && !s->segments[i].partStart) --i;
    const SongSegment& part = s->segments[i];
    int64_t frame = target - 2;
    int64_t mainData = 0;
    while (frame > FirstAudioFrame(part) && mainData < kMaxMainDataBegin) {
        --frame;
        mainData += LeastMainData(
            s, s->segments[LastSegmentAtOrBefore(s, frame, &SongSegment::firstFrame)], frame);
    }
    return frame <= FirstAudioFrame(part) ? part.firstFrame : frame;
}

}  // namespace

bool OpenSong(Song* s, SongInput input) {
    CloseSong(s);
    s->info = SongInfo{};
    if (!input.read) return false;
    s->inputAt = 0;
    BindBuffer(&s->buffer, input, &s->inputAt);
    BindBuffer(&s->scan.buffer, input, &s->inputAt);
    if (!StartScan(s)) {
        CloseSong(s);
        return false;
    }
    // The first audio frame too, for its format and bit rate; everything when the estimate
    // would have no size to go on.
    ScanOn(s, 1, input.size < 0 ? INT64_MAX : 0);
    Estimate(s);
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

void FinishSongScan(Song* s) {
    if (s->isOpen) ScanOn(s, INT64_MAX, INT64_MAX);
}

const SongInfo& SongInfoOf(const Song* s) { return s->info; }

Status DecodeSongBlock(Song* s, int16_t pcm[kMaxFrameSamples], FrameInfo* info,
                       int32_t* samplesPerChannel) {
    *samplesPerChannel = 0;
    if (!s->isOpen || s->ended) return Status::kEndOfStream;
    ScanOn(s, s->nextFrame + kScanLeadFrames, kScanBytesPerBlock);
    // Bounded: every pass consumes a frame of the scanned ones.
    for (;;) {
        if (s->scan.done && s->nextFrame >= s->scan.frames) {
            s->ended = true;
            return Status::kEndOfStream;
        }
        ScanOn(s, s->nextFrame + kScanLeadFrames, 0);
        if (s->nextSegment < s->segments.size() &&
            s->segments[s->nextSegment].firstFrame == s->nextFrame) {
            // A new format or part: nothing of the old one's filter bank belongs to it, and a
            // new part's main data starts with it.
            std::memset(s->decoder.channel, 0, sizeof s->decoder.channel);
            if (s->segments[s->nextSegment].partStart) s->decoder.reader.bytesAppended = 0;
            s->segment = s->nextSegment++;
        }
        FrameInfo frame;
        const Status status = DecodeFrame(&s->decoder, pcm, &frame);
        if (IsEndOfStream(status)) {  // the input changed or failed since the scan
            s->ended = true;
            return status;
        }
        const SongSegment& seg = s->segments[s->segment];
        if (s->nextFrame++ == seg.firstFrame && seg.headerFrame) continue;  // a tag, not audio
        const int64_t start = s->nextDecoded;
        s->nextDecoded += frame.samplesPerChannel;
        const int64_t from = std::max({start, seg.keepFrom, s->skipUntil});
        const int64_t to = std::min(s->nextDecoded, seg.keepTo);
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
    while (!s->scan.done && ScannedOutput(s) <= sample) ScanOn(s, 0, kScanBytesPerBlock);
    if (sample >= s->info.samples && s->scan.done) {
        s->position = s->info.samples;
        s->ended = true;
        return true;
    }
    const SongSegment& seg = s->segments[LastSegmentAtOrBefore(s, sample, &SongSegment::outputStart)];
    const int64_t decoded = std::max(seg.firstDecoded, seg.keepFrom) + (sample - seg.outputStart);
    const int64_t target =
        FirstAudioFrame(seg) + (decoded - seg.firstDecoded) / seg.samplesPerFrame;
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
    ms = std::max<int64_t>(0, ms);
    // Scans until the time lies within what was scanned, then finds it there.
    for (;;) {
        if (s->segments.empty()) return SeekSongToSample(s, 0);
        const size_t i = LastSegmentAtOrBefore(s, ms, &SongSegment::msStart);
        const SongSegment& seg = s->segments[i];
        // The first sample at or after the time: its position in ms is `ms` again.
        int64_t sample = seg.outputStart + ((ms - seg.msStart) * seg.sampleRate + 999) / 1000;
        if (i + 1 < s->segments.size()) sample = std::min(sample, s->segments[i + 1].outputStart);
        if (s->scan.done || sample < ScannedOutput(s)) {
            if (s->scan.done && ms >= s->info.lengthMs) sample = s->info.samples;
            return SeekSongToSample(s, sample);
        }
        ScanOn(s, 0, kScanBytesPerBlock);
    }
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
    s->offsetStride = 1;
    s->tagFrames = -1;
    s->scan.done = true;
    s->isOpen = false;
    s->ended = true;
}

}  // namespace fluxdec

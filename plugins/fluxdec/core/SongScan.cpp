// The scan: every frame that decoding will take, found by the same frame search (FrameSync.cpp)
// over a reader of its own, so that it passes junk, damaged and cut frames exactly as decoding
// does and the length it gives is what decoding yields. It reads the headers and skips the
// bodies, decoding nothing; it looks into a body only where an Info/Xing/VBRI tag could stand.
// It runs a piece at a time (Song.cpp drives it ahead of decoding) and records:
//   - the input offset of every `offsetStride`-th frame, for seeks: at most kMaxOffsets entries;
//     when full, every second one is dropped and the stride doubles, so any file costs at most
//     4 MB (and the vector's growth at most 6 MB at once) and a seek decodes a few more frames;
//   - a segment per part (songs joined end to end, each begun by its own Info/Xing/VBRI frame,
//     whose delay and padding are trimmed as the first part's are) and per change of format
//     within a part: at most kMaxSegments (2 MB); a file that needs more ends there. A change
//     of format takes 300 ms of frames to be believed, so real files stay far below.
// An allocation that fails ends the tables where they stand, as the bounds do.
#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "plugins/fluxdec/core/SongParts.h"
#include "plugins/fluxdec/core/Stages.h"

namespace fluxdec {

namespace {

constexpr size_t kMaxOffsets = size_t(1) << 19;
constexpr size_t kMaxSegments = 32768;
constexpr int64_t kDecoderDelay = 529;
// The longest frame: MPEG-1 at 320 kbit/s and 32 kHz, 1440 bytes and a padding byte.
constexpr int32_t kMaxFrameBytes = 1441;

int32_t MpegVersionOf(const FrameHeader& h) { return h.id == 1 ? 1 : h.mpeg25 ? 25 : 2; }

bool SameFormat(const SongSegment& s, const FrameHeader& h) {
    return s.sampleRate == SampleRateHz(h) && s.channels == ChannelCount(h) &&
           s.samplesPerFrame == GranuleCount(h) * 576 && s.mpegVersion == MpegVersionOf(h);
}

void SetFormat(SongSegment* s, const FrameHeader& h) {
    s->sampleRate = SampleRateHz(h);
    s->channels = ChannelCount(h);
    s->samplesPerFrame = GranuleCount(h) * 576;
    s->mpegVersion = MpegVersionOf(h);
}

// Room for one more entry, growing by doubling up to `most`; false when full or out of memory.
template <typename T>
bool Room(std::vector<T>* v, size_t most) {
    if (v->size() < v->capacity()) return true;
    if (v->size() >= most) return false;
    try {
        v->reserve(std::min(most, std::max<size_t>(1024, v->size() * 2)));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void RecordOffset(Song* s, int64_t index, int64_t offset) {
    if (index % s->offsetStride != 0) return;
    if (!Room(&s->frameOffsets, kMaxOffsets)) {
        // Every second entry goes: frames 0, 2s, 4s... stay, at twice the stride.
        std::vector<int64_t>& t = s->frameOffsets;
        for (size_t i = 0; 2 * i < t.size(); ++i) t[i] = t[2 * i];
        t.resize((t.size() + 1) / 2);
        s->offsetStride *= 2;
        if (index % s->offsetStride != 0) return;
    }
    s->frameOffsets.push_back(offset);
}

// The Info/Xing/VBRI tag of the frame whose header the reader has just passed; looks into the
// body only where the tag's name could stand (every frame of the scan goes by here).
InfoTag TagOf(StreamReader* r, const FrameHeader& h, int32_t bytes, bool first) {
    InfoTag none{false, -1, false, 0, 0};
    if (bytes > kMaxFrameBytes || WindowAvailable(r, bytes - 4) < bytes - 4) return none;
    const uint8_t* body = r->window + r->windowPos;
    const int32_t xing = SideInfoBytes(h);
    bool named = first;
    for (int32_t at : {xing, xing + 2, 32}) {
        named |= at + 4 <= bytes - 4 && (std::memcmp(body + at, "Xing", 4) == 0 ||
                                         std::memcmp(body + at, "Info", 4) == 0 ||
                                         std::memcmp(body + at, "VBRI", 4) == 0);
    }
    if (!named) return none;
    uint8_t frame[kMaxFrameBytes];
    std::memcpy(frame, r->headerBytes, 4);
    std::memcpy(frame + 4, body, size_t(bytes - 4));
    return ParseInfoTag(frame, bytes);
}

// The padding of the part that ends here, trimmed when its tag counted exactly its frames.
void EndPart(Song* s) {
    SongScanState& sc = s->scan;
    if (!s->segments.empty() && sc.partTagFrames == sc.partFrames && sc.partPadding > 0)
        s->segments.back().keepTo = sc.decoded - sc.partPadding;
}

void EndScan(Song* s) {
    SongScanState& sc = s->scan;
    SongInfo& info = s->info;
    sc.done = true;
    EndPart(s);
    info.bitrateKbps = sc.bitrate < 0 ? 0 : sc.bitrate;
    info.scanned = true;
    if (s->segments.empty()) return;
    const SongSegment& last = s->segments.back();
    const int64_t kept = KeptSamples(last, sc.decoded);
    info.samples = last.outputStart + kept;
    info.lengthMs = last.msStart + kept * 1000 / last.sampleRate;
}

// Adds the frame to the tables; false when a segment it needs has no room (the song ends).
bool RecordFrame(Song* s, const FrameHeader& h, int64_t offset, const InfoTag& tag) {
    SongScanState& sc = s->scan;
    SongInfo& info = s->info;
    const int64_t index = sc.frames;
    SongSegment* last = s->segments.empty() ? nullptr : &s->segments.back();
    const bool newPart = tag.present || !last;
    const bool lastHasAudio = last && sc.decoded > last->firstDecoded;
    if (!newPart && !SameFormat(*last, h) && !lastHasAudio) {
        SetFormat(last, h);  // the part's first audio frame: its tag frame's format did not count
    } else if (newPart || !SameFormat(*last, h)) {
        if (!Room(&s->segments, kMaxSegments)) return false;
        last = s->segments.empty() ? nullptr : &s->segments.back();  // the room may have moved it
        if (newPart) EndPart(s);
        SongSegment seg{};
        seg.firstFrame = index;
        seg.firstDecoded = sc.decoded;
        seg.keepFrom = newPart ? sc.decoded + (tag.hasLameTag ? tag.encoderDelay + kDecoderDelay : 0)
                               : last->keepFrom;
        seg.keepTo = INT64_MAX;
        if (last) {
            const int64_t kept = KeptSamples(*last, sc.decoded);
            seg.outputStart = last->outputStart + kept;
            seg.msStart = last->msStart + kept * 1000 / last->sampleRate;
            if (lastHasAudio && !SameFormat(*last, h)) ++info.formatChanges;
        }
        SetFormat(&seg, h);
        seg.partStart = newPart;
        seg.headerFrame = tag.present;
        s->segments.push_back(seg);
        if (newPart) {
            ++info.parts;
            sc.partFrames = 0;
            sc.partTagFrames = tag.present ? tag.frames : -1;
            sc.partPadding = tag.hasLameTag ? std::max<int32_t>(0, tag.encoderPadding - kDecoderDelay) : 0;
        }
    }
    RecordOffset(s, index, offset);
    if (!tag.present) {
        if (info.frames == 0) {
            s->firstAudioKbps = BitrateKbps(h);
            info.sampleRate = SampleRateHz(h);
            info.channels = ChannelCount(h);
            info.mpegVersion = MpegVersionOf(h);
        }
        sc.decoded += GranuleCount(h) * 576;
        ++sc.partFrames;
        ++info.frames;
        const int32_t kbps = BitrateKbps(h);
        sc.bitrate = sc.bitrate < 0 || sc.bitrate == kbps ? kbps : 0;
    }
    ++sc.frames;
    return true;
}

// One frame; false at the end of the scan.
bool ScanFrame(Song* s) {
    SongScanState& sc = s->scan;
    StreamReader* r = &sc.reader;
    FrameHeader h;
    if (NextFrame(r, &h) != Status::kFrame) return false;
    const int64_t offset = r->frameOffset;
    const int32_t bytes = r->frameLength;
    const InfoTag tag = TagOf(r, h, bytes, sc.frames == 0);
    // A frame cut short by the end of the input is not decoded either.
    if (!SkipInput(r, bytes - 4)) return false;
    if (!RecordFrame(s, h, offset, tag)) return false;
    sc.endOffset = offset + bytes;
    if (sc.frames == 1) {
        SongInfo& info = s->info;
        info.hasInfoTag = tag.present;
        info.encoderDelay = tag.hasLameTag ? tag.encoderDelay : 0;
        info.encoderPadding = tag.hasLameTag ? tag.encoderPadding : 0;
        info.sampleRate = SampleRateHz(h);
        info.channels = ChannelCount(h);
        info.mpegVersion = MpegVersionOf(h);
        s->tagFrames = tag.present ? tag.frames : -1;
        s->firstFrameOffset = offset;
        s->firstFrameBytes = bytes;
    }
    return true;
}

}  // namespace

int64_t KeptSamples(const SongSegment& seg, int64_t end) {
    return std::max<int64_t>(0, std::min(end, seg.keepTo) - std::max(seg.firstDecoded, seg.keepFrom));
}

bool StartScan(Song* s) {
    SongScanState& sc = s->scan;
    std::memset(&sc.reader, 0, sizeof sc.reader);
    sc.reader.read = ReadBuffered;
    sc.reader.context = &sc.buffer;
    sc.frames = sc.decoded = sc.endOffset = sc.partFrames = 0;
    sc.partTagFrames = -1;
    sc.partPadding = 0;
    sc.bitrate = -1;
    sc.done = false;
    if (!SeekBuffered(&sc.buffer, 0) || !ScanFrame(s)) {
        sc.done = true;
        return false;
    }
    return true;
}

void ScanOn(Song* s, int64_t untilFrame, int64_t bytes) {
    SongScanState& sc = s->scan;
    const int64_t from = InputOffset(&sc.reader);
    const int64_t until = bytes > INT64_MAX - from ? INT64_MAX : from + bytes;
    while (!sc.done && (sc.frames <= untilFrame || InputOffset(&sc.reader) < until)) {
        if (!ScanFrame(s)) EndScan(s);
    }
}

}  // namespace fluxdec

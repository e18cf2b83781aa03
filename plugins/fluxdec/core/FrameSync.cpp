// Finding frames: where the next frame starts, and where the stream picks up again after junk.
//
// In step, a frame is taken where the one before says it ends. Its own header is enough when it
// keeps the format of the frame before (version, layer, sample rate, channels); a new format
// must be confirmed by 300 ms of frames of that format in a row, each where the one before ends
// (or reaching the end of the input or a tag), so that a stream whose format flips from frame to
// frame is junk, never a device reopened per frame.
//
// Out of step (junk, a bad header, a header whose frame does not end where a frame starts):
//   - the search looks at each byte position once, from the first that could start a frame, and
//     takes the first header that three headers in a row confirm (the same format, each where
//     the one before ends; or a run that reaches the end of the input or a tag; a new format
//     needs its 300 ms). A file of junk costs one pass and ends with kNoSync.
//   - skipped bytes never reach the reservoir, which holds the main data of the frames before
//     them: where junk was put between two frames, the frame after it decodes exactly as
//     without the junk, and so does everything after it.
//   - a frame whose end is not followed by a header is looked into first: when a confirmed frame
//     starts inside it, it was cut short and is passed over, and its lost main data is what the
//     frames after it would read: the frame found starts afresh (kSyncRestart), so the frames
//     whose reservoir lay in the lost part are silent (the reservoir step's rule) and the filter
//     bank starts from zero. Otherwise the frame is taken, and the search starts at its end.
//   - an ID3v2 tag between frames is a joined song's: what follows it starts afresh too.
// Every decision past a frame depends on the bytes from it on and its format only, so a decoder
// started at any frame the scan found walks exactly as a straight decode does from there (the
// song layer's seek needs this).
#include <cstring>

#include "plugins/fluxdec/core/Stages.h"

namespace fluxdec {

namespace {

constexpr int kConfirmFrames = 3;
constexpr int kFormatRunMs = 300;

uint32_t FormatKey(const FrameHeader& h) {
    return 0x80000000u | uint32_t(h.mpeg25 << 8 | h.id << 7 | h.layer << 5 |
                                  h.samplingFrequency << 3 | ChannelCount(h));
}

int32_t FrameBytes(const FrameHeader& h) { return FrameLengthBytes(h) + h.paddingBit; }

// The header `at` bytes past the window's position, when it is one that DecodeFrame decodes.
bool HeaderAt(StreamReader* r, int32_t at, FrameHeader* h) {
    if (WindowAvailable(r, at + 4) < at + 4) return false;
    return ParseHeader(r->window + r->windowPos + at, h) == Status::kFrame && MainDataBytes(*h) >= 0;
}

enum class Follows { kHeader, kEnd, kShort, kJunk };

bool StartsWith(const uint8_t* p, int32_t have, const char* text) {
    const int32_t n = int32_t(std::strlen(text));
    return have >= n && std::memcmp(p, text, size_t(n)) == 0;
}

// What lies `at` bytes past the window's position, where a frame ends: a header, the end of the
// input (or fewer than 4 bytes, or a tag: ID3v1, APEv2, Lyrics3, ID3v2), the input ending before
// (a cut frame), or junk.
Follows WhatFollows(StreamReader* r, int32_t at) {
    if (at + 11 > kWindowBytes) return Follows::kEnd;  // beyond the look-ahead: no judgement
    const int32_t have = WindowAvailable(r, at + 11) - at;
    if (have < 0) return Follows::kShort;
    if (have < 4) return Follows::kEnd;
    FrameHeader h;
    if (HeaderAt(r, at, &h)) return Follows::kHeader;
    const uint8_t* p = r->window + r->windowPos + at;
    if (StartsWith(p, have, "TAG") || StartsWith(p, have, "APETAGEX") ||
        StartsWith(p, have, "LYRICSBEGIN") || StartsWith(p, have, "ID3"))
        return Follows::kEnd;
    return Follows::kJunk;
}

// Whether the frame `at` bytes ahead, header `h`, starts a confirmed run (see the top).
bool Confirmed(StreamReader* r, int32_t at, const FrameHeader& h, bool newFormat) {
    const uint32_t key = FormatKey(h);
    const int64_t runSamples = newFormat ? int64_t(SampleRateHz(h)) * kFormatRunMs / 1000 : 0;
    FrameHeader next = h;
    int64_t samples = 0;
    for (int frames = 1;; ++frames) {
        samples += GranuleCount(next) * 576;
        at += FrameBytes(next);
        if (frames >= kConfirmFrames && samples >= runSamples) return true;
        const Follows follows = WhatFollows(r, at);
        if (follows == Follows::kEnd) return true;
        if (follows != Follows::kHeader) return false;
        HeaderAt(r, at, &next);
        if (FormatKey(next) != key) return false;
    }
}

// A header `at` bytes ahead that confirmed frames follow; a format other than `key` (when there
// is one) needs its 300 ms.
bool Candidate(StreamReader* r, int32_t at, uint32_t key, FrameHeader* h) {
    return HeaderAt(r, at, h) && Confirmed(r, at, *h, key && FormatKey(*h) != key);
}

// Consumes bytes up to the next confirmed frame (true; the reader then expects it) or to the
// end of the input (false). Each position is looked at once: only a 0xFF byte followed by three
// set bits can start a header.
bool Search(StreamReader* r) {
    for (;;) {
        const int32_t have = WindowAvailable(r, 4096);
        if (have < 4) {
            r->windowPos += have;
            return false;
        }
        const uint8_t* p = r->window + r->windowPos;
        const uint8_t* sync = static_cast<const uint8_t*>(std::memchr(p, 0xFF, size_t(have - 1)));
        if (!sync) {
            r->windowPos += have - 1;
            continue;
        }
        r->windowPos += int32_t(sync - p);
        FrameHeader h;
        if ((sync[1] & 0xE0) == 0xE0 && Candidate(r, 0, r->formatKey, &h)) {
            r->syncMode = kSyncExpect;
            return true;
        }
        ++r->windowPos;
    }
}

}  // namespace

Status NextFrame(StreamReader* r, FrameHeader* out) {
    r->frameFlags = 0;
    for (;;) {
        if (r->syncMode == kSyncSearch) {
            if (!Search(r)) return Status::kNoSync;
        }
        const int32_t have = WindowAvailable(r, 10);
        if (have < 4) return Status::kEndOfStream;
        const uint8_t* p = r->window + r->windowPos;
        // ID3v2 tags: before the first frame, and where files were joined.
        if (p[0] == 'I' && p[1] == 'D' && p[2] == '3') {
            if (have < 10) return Status::kEndOfStream;
            const int64_t tag = Id3v2TagBytes(p);
            if (tag >= 0) {
                if (!SkipInput(r, tag)) return Status::kEndOfStream;
                if (r->formatKey) r->syncFlags |= kSyncSkipped | kSyncRestart;
                continue;
            }
        }
        FrameHeader h;
        if (HeaderAt(r, 0, &h) &&
            (!r->formatKey || FormatKey(h) == r->formatKey || Confirmed(r, 0, h, true))) {
            const int32_t bytes = FrameBytes(h);
            if (WhatFollows(r, bytes) == Follows::kJunk) {
                // A confirmed frame that starts inside this one: this one was cut short. Judged
                // against this frame's format, not the one before: a decoder started here must
                // judge alike.
                int32_t inside = 1;
                FrameHeader next;
                while (inside < bytes && !((r->window[r->windowPos + inside] == 0xFF) &&
                                           Candidate(r, inside, FormatKey(h), &next)))
                    ++inside;
                if (inside < bytes) {
                    r->windowPos += inside;
                    r->syncFlags |= kSyncSkipped | kSyncRestart;
                    continue;
                }
            }
            std::memcpy(r->headerBytes, r->window + r->windowPos, 4);
            r->frameOffset = InputOffset(r);
            r->frameLength = bytes;
            r->frameFlags = r->syncFlags;
            r->syncFlags = 0;
            r->formatKey = FormatKey(h);
            r->windowPos += 4;
            *out = h;
            return Status::kFrame;
        }
        r->syncMode = kSyncSearch;
        r->syncFlags |= kSyncSkipped;
        ++r->windowPos;  // this position starts no frame
    }
}

}  // namespace fluxdec

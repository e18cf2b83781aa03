// The scan: every frame header from the first to the first that DecodeFrame would refuse, read
// through the song's buffer. Each frame's length follows from its header alone, so the scan reads
// 4 bytes per frame from the buffer and never decodes; it stops exactly where decoding stops (a
// bad header, junk, a trailing ID3v1 or APE tag, the end of the input, a frame cut short), so
// the length it gives is what decoding yields. Junk after the first frame ends it after 4 bytes,
// however long the file.
#include <cstring>

#include "plugins/fluxdec/core/SongParts.h"
#include "plugins/fluxdec/core/Stages.h"

namespace fluxdec {

namespace {

// The longest frame: MPEG-1 at 320 kbit/s and 32 kHz, 1440 bytes and a padding byte.
constexpr int32_t kMaxFrameBytes = 1441;

int32_t MpegVersionOf(const FrameHeader& h) { return h.id == 1 ? 1 : h.mpeg25 ? 25 : 2; }

bool SameFormat(const SongSegment& s, const FrameHeader& h) {
    return s.sampleRate == SampleRateHz(h) && s.channels == ChannelCount(h) &&
           s.samplesPerFrame == GranuleCount(h) * 576 && s.mpegVersion == MpegVersionOf(h);
}

}  // namespace

bool ScanSong(Song* song, InfoTag* tag) {
    *tag = InfoTag{false, -1, false, 0, 0, {}};
    SongBuffer* b = &song->buffer;
    // The decoder's own reader skips the leading ID3v2 tags exactly as decoding will; OpenSong
    // initialises the decoder again afterwards.
    InitDecoder(&song->decoder, ReadBuffered, b);
    StreamReader* r = &song->decoder.reader;
    if (ReadFirstHeaderBytes(r) != Status::kFrame) return false;
    uint8_t firstHeader[4], header[4];
    std::memcpy(firstHeader, r->headerBytes, 4);
    std::memcpy(header, firstHeader, 4);
    int64_t offset = BufferedOffset(b) - 4;

    SongInfo& info = song->info;
    int64_t decoded = 0;
    int32_t bitrate = -1;
    for (;;) {
        FrameHeader h;
        if (ParseHeader(header, &h) != Status::kFrame || MainDataBytes(h) < 0) break;
        const int32_t frameBytes = FrameLengthBytes(h) + h.paddingBit;
        if (song->frameOffsets.empty()) {
            uint8_t first[kMaxFrameBytes];
            std::memcpy(first, header, 4);
            if (frameBytes > kMaxFrameBytes ||
                ReadBuffered(b, first + 4, frameBytes - 4) != frameBytes - 4)
                break;
            *tag = ParseInfoTag(first, frameBytes);
        } else if (!SkipBuffered(b, frameBytes - 4)) {
            break;
        }
        const int64_t index = int64_t(song->frameOffsets.size());
        song->frameOffsets.push_back(offset);
        offset += frameBytes;
        if (index == 0 && tag->present) {
            song->audioStartFrame = 1;
        } else {
            if (song->segments.empty() || !SameFormat(song->segments.back(), h)) {
                song->segments.push_back(SongSegment{index, decoded, 0, 0, SampleRateHz(h),
                                                     ChannelCount(h), GranuleCount(h) * 576,
                                                     MpegVersionOf(h)});
            }
            decoded += GranuleCount(h) * 576;
            const int32_t kbps = BitrateKbps(h);
            bitrate = bitrate < 0 || bitrate == kbps ? kbps : 0;
        }
        if (ReadBuffered(b, header, 4) != 4) break;
    }
    if (song->frameOffsets.empty()) return false;
    song->frameOffsets.push_back(offset);  // the end of the last frame

    info.frames = int64_t(song->frameOffsets.size()) - 1 - song->audioStartFrame;
    info.hasInfoTag = tag->present;
    info.encoderDelay = tag->hasLameTag ? tag->encoderDelay : 0;
    info.encoderPadding = tag->hasLameTag ? tag->encoderPadding : 0;
    info.bitrateKbps = bitrate < 0 ? 0 : bitrate;
    info.formatChanges = song->segments.empty() ? 0 : int32_t(song->segments.size()) - 1;
    if (!song->segments.empty()) {
        const SongSegment& first = song->segments.front();
        info.sampleRate = first.sampleRate;
        info.channels = first.channels;
        info.mpegVersion = first.mpegVersion;
    } else {  // nothing but a header frame: its format, for the record
        FrameHeader h;
        ParseHeader(firstHeader, &h);
        info.sampleRate = SampleRateHz(h);
        info.channels = ChannelCount(h);
        info.mpegVersion = MpegVersionOf(h);
    }
    return true;
}

}  // namespace fluxdec

// The header frame that encoders write before the audio: a frame with a legal header whose side
// information is zero and whose main data holds a tag instead of sound.
//   Xing/Info (after the side information): "Xing" (VBR) or "Info" (CBR), a 32-bit flags word, then
//     as the flags say: frames (1), bytes (2), a 100-byte table of contents (4), a quality (8).
//     LAME and the encoders built on it follow with a 36-byte LAME tag: a 9-byte encoder version,
//     ..., at byte 11 the peak amplitude (32 bits, 1.0 = 2^23), at bytes 15 and 17 the radio
//     (track) and audiophile (album) ReplayGain, at byte 21 the encoder delay and the padding as
//     two 12-bit numbers.
//   VBRI (32 bytes after the header, whatever the mode): "VBRI", version, delay, quality, bytes,
//     frames. Its delay is counted differently by every encoder that writes it: not trimmed.
// Every read is checked against the frame's size: the tag is untrusted input.
#include <cstring>

#include "plugins/fluxdec/core/SongParts.h"
#include "plugins/fluxdec/core/Stages.h"

namespace fluxdec {

namespace {

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

bool Has(const uint8_t* bytes, int32_t size, int32_t at, const char* text, int32_t length) {
    return at >= 0 && at + length <= size && std::memcmp(bytes + at, text, size_t(length)) == 0;
}

// The Xing/Info tag's position: after the side information; a few encoders also count the CRC word.
int32_t FindXing(const uint8_t* bytes, int32_t size, const FrameHeader& h) {
    const int32_t at = 4 + SideInfoBytes(h);
    for (int32_t candidate : {at, at + (h.protectionBit == 0 ? 2 : 0)}) {
        if (Has(bytes, size, candidate, "Xing", 4) || Has(bytes, size, candidate, "Info", 4))
            return candidate;
    }
    return -1;
}

// A LAME tag's ReplayGain field: 3 bits name (1 radio, 2 audiophile), 3 bits originator (0: not
// set), a sign bit and the gain in tenths of a dB. A field with another name, or none, is unset.
void ParseLameGain(const uint8_t* field, uint32_t name, GainAndPeak* gain) {
    const uint32_t v = (uint32_t(field[0]) << 8) | field[1];
    if ((v >> 13) != name || ((v >> 10) & 7) == 0) return;
    gain->hasGain = true;
    gain->gainDb = float(v & 0x1FF) / 10.0f * ((v & 0x200) ? -1.0f : 1.0f);
}

void ParseLameTag(const uint8_t* bytes, int32_t size, int32_t at, InfoTag* tag) {
    if (at + 36 > size) return;
    const bool known = Has(bytes, size, at, "LAME", 4) || Has(bytes, size, at, "Lavc", 4) ||
                       Has(bytes, size, at, "Lavf", 4);
    if (!known) return;
    const uint8_t* d = bytes + at + 21;
    tag->hasLameTag = true;
    tag->encoderDelay = int32_t((uint32_t(d[0]) << 4) | (d[1] >> 4));
    tag->encoderPadding = int32_t((uint32_t(d[1] & 15) << 8) | d[2]);
    const uint8_t* lame = bytes + at;
    ParseLameGain(lame + 15, 1, &tag->replayGain.track);
    ParseLameGain(lame + 17, 2, &tag->replayGain.album);
    // The peak belongs to the track; 0 (what LAME writes unless asked to measure it) is unknown.
    tag->replayGain.track.peak = float(BigEndian32(lame + 11)) / float(1 << 23);
}

}  // namespace

InfoTag ParseInfoTag(const uint8_t* bytes, int32_t size) {
    InfoTag tag{false, -1, false, 0, 0, {}};
    FrameHeader h;
    if (size < 4 || ParseHeader(bytes, &h) != Status::kFrame) return tag;
    const int32_t xing = FindXing(bytes, size, h);
    if (xing >= 0) {
        tag.present = true;
        if (xing + 8 > size) return tag;
        const uint32_t flags = BigEndian32(bytes + xing + 4);
        int32_t at = xing + 8;
        if (flags & 1) {
            if (at + 4 > size) return tag;
            tag.frames = int64_t(BigEndian32(bytes + at));
            at += 4;
        }
        at += (flags & 2 ? 4 : 0) + (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
        ParseLameTag(bytes, size, at, &tag);
        return tag;
    }
    const int32_t vbri = 4 + 32;
    if (Has(bytes, size, vbri, "VBRI", 4)) {
        tag.present = true;
        if (vbri + 18 <= size) tag.frames = int64_t(BigEndian32(bytes + vbri + 14));
    }
    return tag;
}

}  // namespace fluxdec

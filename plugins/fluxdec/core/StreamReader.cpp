// Reading from the input call-back through a look-ahead window, and keeping the bit reservoir.
// The window lets the frame search (FrameSync.cpp) look at the headers that follow a frame
// before the frame is taken; the frame itself is then read from it in exact-size pieces: the
// CRC word (2 bytes), side information and main data.
#include <cstring>

#include "plugins/fluxdec/core/Stages.h"

namespace fluxdec {

int32_t WindowAvailable(StreamReader* r, int32_t bytes) {
    if (bytes > kWindowBytes) bytes = kWindowBytes;
    int32_t have = r->windowFill - r->windowPos;
    if (have >= bytes || r->inputEnded) return have;
    if (r->windowPos + bytes > kWindowBytes) {  // what was consumed makes room
        std::memmove(r->window, r->window + r->windowPos, size_t(have));
        r->windowOffset += r->windowPos;
        r->windowFill = have;
        r->windowPos = 0;
    }
    while (have < bytes) {
        const int32_t room = kWindowBytes - r->windowFill;
        const int32_t got = r->read(r->context, r->window + r->windowFill, room);
        // A misbehaving reader (negative or more than asked) counts as the end of the input.
        if (got <= 0 || got > room) {
            r->inputEnded = 1;
            break;
        }
        r->windowFill += got;
        have += got;
    }
    return have;
}

int64_t InputOffset(const StreamReader* r) { return r->windowOffset + r->windowPos; }

bool ReadExact(StreamReader* r, void* buffer, int32_t bytes) {
    uint8_t* p = static_cast<uint8_t*>(buffer);
    while (bytes > 0) {
        const int32_t have = WindowAvailable(r, bytes);
        if (have <= 0) return false;
        const int32_t n = have < bytes ? have : bytes;
        std::memcpy(p, r->window + r->windowPos, size_t(n));
        r->windowPos += n;
        p += n;
        bytes -= n;
    }
    return true;
}

bool SkipInput(StreamReader* r, int64_t bytes) {
    while (bytes > 0) {
        const int32_t have = WindowAvailable(r, kWindowBytes);
        if (have <= 0) return false;
        const int32_t n = int64_t(have) < bytes ? have : int32_t(bytes);
        r->windowPos += n;
        bytes -= n;
    }
    return true;
}

// ID3v2: "ID3", a version byte pair (neither 0xFF), a flags byte, then the size of what
// follows the 10-byte header as four 7-bit bytes (syncsafe); flag 0x10 adds a 10-byte footer.
int64_t Id3v2TagBytes(const uint8_t b[10]) {
    if (b[0] != 'I' || b[1] != 'D' || b[2] != '3' || b[3] == 0xFF || b[4] == 0xFF) return -1;
    if ((b[6] | b[7] | b[8] | b[9]) & 0x80) return -1;
    int64_t size = (int64_t(b[6]) << 21) | (int64_t(b[7]) << 14) | (int64_t(b[8]) << 7) | b[9];
    return 10 + size + ((b[5] & 0x10) ? 10 : 0);
}

// Appends the frame's main data to the ring at ringWritePos, continuing at the ring's start when
// it reaches the end.
bool AppendMainData(StreamReader* r, int32_t count) {
    int32_t first = kRingBytes - r->ringWritePos;
    if (first > count) first = count;
    if (!ReadExact(r, r->ring + r->ringWritePos, first)) return false;
    if (count > first && !ReadExact(r, r->ring, count - first)) return false;
    r->ringWritePos = (r->ringWritePos + count) % kRingBytes;
    r->bytesAppended += count;
    return true;
}

// The reservoir step. A frame is skipped when it refers to more bytes than have been appended
// since the song started (the start of a cut stream): main_data_begin beyond what was read must
// never read stale bytes of an earlier song or of nothing at all. Otherwise the frame's main data (main_data_begin bytes of earlier
// frames, then its own) is copied from the ring into the linear buffer, followed by zeros.
int ReservoirStep(StreamReader* r, int32_t mainDataBegin, int32_t mainDataBytes) {
    int32_t start = r->ringWritePos - mainDataBegin;
    if (start < 0) start += kRingBytes;
    bool enough = int64_t(mainDataBegin) <= r->bytesAppended;
    if (!AppendMainData(r, mainDataBytes)) return -1;
    if (!enough) return 0;
    int32_t total = mainDataBegin + mainDataBytes;  // below kMainDataCapacity (DecoderState.h)
    int32_t first = kRingBytes - start;
    if (first > total) first = total;
    std::memcpy(r->mainData, r->ring + start, size_t(first));
    std::memcpy(r->mainData + first, r->ring, size_t(total - first));
    std::memset(r->mainData + total, 0, kMainDataPadding);
    r->mainDataBits = total * 8;
    return 1;
}

}  // namespace fluxdec

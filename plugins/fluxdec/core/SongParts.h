// The song layer's parts, shared by its files only (not part of the public surface): the buffered
// input, the Info/Xing/VBRI and LAME tags, and the header scan that builds the seek table.
#pragma once

#include <cstdint>

#include "plugins/fluxdec/core/Song.h"

namespace fluxdec {

// --- SongBuffer.cpp
void BindBuffer(SongBuffer* b, SongInput input);
// ReadFn over a SongBuffer (the context): the decoder reads through it too.
int32_t ReadBuffered(void* buffer, void* out, int32_t bytes);
// Moves to an absolute offset, dropping what is buffered; false when the input cannot seek.
bool SeekBuffered(SongBuffer* b, int64_t offset);
// Passes over `bytes` bytes; false when the input ends first.
bool SkipBuffered(SongBuffer* b, int32_t bytes);
int64_t BufferedOffset(const SongBuffer* b);  // the file offset of the next byte read

// --- InfoTag.cpp: the header frame that encoders put before the audio.
struct InfoTag {
    bool present;    // Xing, Info or VBRI: the frame is not audio
    int64_t frames;  // audio frames it declares, or -1
    bool hasLameTag;
    int32_t encoderDelay;
    int32_t encoderPadding;
    ReplayGainSource replayGain;  // the LAME tag's radio (track) and audiophile (album) gains
};
// Looks at a whole first frame (`bytes`, `size` long, header included).
InfoTag ParseInfoTag(const uint8_t* bytes, int32_t size);

// --- SongScan.cpp
// Walks the frame headers from the input's start, as DecodeFrame would read them, and fills
// song->frameOffsets, song->segments (decoded coordinates only), song->audioStartFrame and the
// info's frame, format and tag fields; `tag` receives the first frame's tag. Returns false when
// there is no frame.
bool ScanSong(Song* song, InfoTag* tag);

}  // namespace fluxdec

// The song layer's parts, shared by its files only (not part of the public surface): the buffered
// input, the Info/Xing/VBRI and LAME tags, and the header scan that builds the seek table.
#pragma once

#include <cstdint>

#include "plugins/fluxdec/core/Song.h"

namespace fluxdec {

// --- SongBuffer.cpp
void BindBuffer(SongBuffer* b, SongInput input, int64_t* inputAt);
// ReadFn over a SongBuffer (the context): the decoder reads through it too.
int32_t ReadBuffered(void* buffer, void* out, int32_t bytes);
// Moves to an absolute offset, dropping what is buffered; false when the input cannot seek.
bool SeekBuffered(SongBuffer* b, int64_t offset);

// --- InfoTag.cpp: the header frame that encoders put before the audio.
struct InfoTag {
    bool present;    // Xing, Info or VBRI: the frame is not audio
    int64_t frames;  // audio frames it declares, or -1
    bool hasLameTag;
    int32_t encoderDelay;
    int32_t encoderPadding;
};
// Looks at a whole first frame (`bytes`, `size` long, header included).
InfoTag ParseInfoTag(const uint8_t* bytes, int32_t size);

// --- SongScan.cpp
// Starts the scan at the input's start: reads the first frame and its tag into the song (the
// first segment, the info's format and tag fields). false when there is no frame.
bool StartScan(Song* song);
// Scans on until frame `untilFrame` has been scanned and `bytes` more bytes of input have been
// passed, or the input ends (then song->scan.done, and the info's figures are exact).
void ScanOn(Song* song, int64_t untilFrame, int64_t bytes);
// Output coordinates of a segment whose successor has started (or the last one, `end` being the
// decoded samples scanned): samples it keeps.
int64_t KeptSamples(const SongSegment& segment, int64_t end);

}  // namespace fluxdec

// The song's own read buffer. A frame decoder asks for 4, 2, 17 or 32 bytes at a time and the
// scan for 4 bytes per frame; through a system call each, a 10-minute song would cost tens of
// thousands of calls. The buffer turns them into one read per 32 KB.
#include <cstring>

#include "plugins/fluxdec/core/SongParts.h"

namespace fluxdec {

void BindBuffer(SongBuffer* b, SongInput input, int64_t* inputAt) {
    b->input = input;
    b->inputAt = inputAt;
    b->offset = 0;
    b->pos = 0;
    b->fill = 0;
}

int32_t ReadBuffered(void* context, void* out, int32_t bytes) {
    SongBuffer* b = static_cast<SongBuffer*>(context);
    uint8_t* dst = static_cast<uint8_t*>(out);
    int32_t done = 0;
    while (done < bytes) {
        if (b->pos == b->fill) {
            b->offset += b->fill;
            b->pos = 0;
            b->fill = 0;
            // The other buffer over the same input may have moved it.
            if (*b->inputAt != b->offset) {
                if (!b->input.seek || !b->input.seek(b->input.context, b->offset)) break;
                *b->inputAt = b->offset;
            }
            const int32_t got = b->input.read(b->input.context, b->data, int32_t(sizeof b->data));
            // A misbehaving reader (negative or more than asked) counts as the end of the input.
            if (got <= 0 || got > int32_t(sizeof b->data)) {
                *b->inputAt = -1;
                break;
            }
            b->fill = got;
            *b->inputAt = b->offset + got;
        }
        int32_t n = b->fill - b->pos;
        if (n > bytes - done) n = bytes - done;
        std::memcpy(dst + done, b->data + b->pos, size_t(n));
        b->pos += n;
        done += n;
    }
    return done;
}

bool SeekBuffered(SongBuffer* b, int64_t offset) {
    // Within what is buffered (a seek back a few frames, the rewind after a short scan): no call.
    if (offset >= b->offset && offset <= b->offset + b->fill) {
        b->pos = int32_t(offset - b->offset);
        return true;
    }
    b->pos = 0;
    b->fill = 0;
    b->offset = offset;
    return *b->inputAt == offset ||
           (b->input.seek && b->input.seek(b->input.context, offset) && (*b->inputAt = offset, true));
}

}  // namespace fluxdec

// Bit readers: most significant bit first, with no loop over bits. A read assembles a
// big-endian 64-bit word from the byte that holds the position and shifts out the bits before it,
// so one peek yields at least 57 valid bits: a whole Huffman pair with its linbits and signs.
//
// The reader knows its end: `limit` is the number of valid bits. Callers check the position
// against it once per granule and once per Huffman code, and the buffers carry zero padding
// (kMainDataPadding, headerBytes' spare 8 bytes) so that the bounded reads made between two checks
// stay inside the array and read zeros past the data.
#pragma once

#include <cstdint>
#include <cstring>

namespace fluxdec {

inline uint64_t LoadBigEndian64(const uint8_t* p) {
    uint64_t w;
    std::memcpy(&w, p, 8);
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_bswap64(w);
#else
    w = ((w & 0x00000000FFFFFFFFull) << 32) | (w >> 32);
    w = ((w & 0x0000FFFF0000FFFFull) << 16) | ((w & 0xFFFF0000FFFF0000ull) >> 16);
    return ((w & 0x00FF00FF00FF00FFull) << 8) | ((w & 0xFF00FF00FF00FF00ull) >> 8);
#endif
}

struct BitReader {
    const uint8_t* data;
    uint32_t pos;    // bit position of the next read
    uint32_t limit;  // number of valid bits

    // The next bits left-aligned in a 64-bit word (at least 57 of them valid), not consumed.
    uint64_t Peek() const { return LoadBigEndian64(data + (pos >> 3)) << (pos & 7); }

    // Reads n bits, 0 <= n <= 32; n = 0 reads nothing and returns 0.
    uint32_t Read(int n) {
        if (n == 0) return 0;
        uint32_t v = static_cast<uint32_t>(Peek() >> (64 - n));
        pos += static_cast<uint32_t>(n);
        return v;
    }
};

}  // namespace fluxdec

// A heap copy of a NUL-terminated 8-bit text that knows whether it must free it.
#pragma once

#include <cstdint>

struct OwnedString {
    char* text = nullptr;  // owned when `owned` is 1
    int32_t owned = 0;
    int32_t length = 0;    // characters, without the terminator

    OwnedString() = default;
    ~OwnedString() { Empty(); }
    OwnedString(const OwnedString&) = delete;
    OwnedString& operator=(const OwnedString&) = delete;

    // Replaces the text with a copy of `source`. Returns 0, leaving the string empty, when the
    // copy cannot be allocated.
    int Assign(const char* source);
    // Frees the text if owned and leaves the string empty; returns the previous `owned` flag.
    int32_t Empty();
    // Takes over another string's text without copying; `from` is left empty.
    void TakeFrom(OwnedString& from);
};

// Writing small JPEG files for the decoder's tests, with libjpeg's own compressor.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The sample of component `c` at (x, y); components is 1 (grey) or 3 (R, G, B).
using SampleAt = std::function<uint8_t(int32_t x, int32_t y, int32_t c)>;

// Encodes a baseline JPEG of the given size at quality 100 without chroma subsampling; returns
// its bytes, empty on failure.
std::vector<uint8_t> EncodeJpeg(int32_t width, int32_t height, int32_t components,
                                const SampleAt& sample);

// Writes bytes to a file; returns false on failure.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// A path for a scratch file in the system's temporary directory, unique to this process.
std::string ScratchPath(const std::string& name);

#include "tests/playback/AudioCapture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

std::string CaptureFilePath()
{
    const char* unixPath = std::getenv("CORVANE_AUDIO_CAPTURE");
    if (unixPath == nullptr || *unixPath == '\0')
        return std::string();
    std::string path = "Z:";
    for (const char* c = unixPath; *c != '\0'; ++c)
        path += (*c == '/') ? '\\' : *c;
    return path;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string ReadCaptureFile()
{
    return ReadWholeFile(CaptureFilePath());
}

std::string MakeTestPcm(size_t bytes, uint32_t seed)
{
    std::string pcm(bytes, '\0');
    uint32_t state = seed * 2654435761u + 12345u;
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        state = state * 1664525u + 1013904223u;
        // Odd samples are never zero, so the sink's silence can be told from the test's audio.
        const uint16_t sample = static_cast<uint16_t>((state >> 16) | 1u);
        pcm[i] = static_cast<char>(sample & 0xFF);
        pcm[i + 1] = static_cast<char>(sample >> 8);
    }
    if (bytes % 2 != 0)
        pcm[bytes - 1] = 0x55;
    return pcm;
}

CaptureComparison CompareCapture(const std::string& played, const std::string& captured)
{
    CaptureComparison result{0, 0, 0, 0, 0, true};
    auto sampleAt = [](const std::string& bytes, size_t offset) {
        return static_cast<uint16_t>(static_cast<uint8_t>(bytes[offset]) |
                                     (static_cast<uint8_t>(bytes[offset + 1]) << 8));
    };
    // The capture should be the played audio with zero samples inserted: match greedily,
    // skipping a captured zero sample only where it differs from the next played one. A run of
    // skipped zeros counts as inserted once a played sample follows it; otherwise it is the rest.
    size_t p = 0;
    size_t c = 0;
    size_t gapStart = 0;
    size_t gapBytes = 0;
    while (p + 1 < played.size() && c + 1 < captured.size()) {
        const uint16_t want = sampleAt(played, p);
        const uint16_t got = sampleAt(captured, c);
        if (want == got) {
            if (gapBytes > 0) {
                if (result.insertedGaps++ == 0)
                    result.firstGapAt = gapStart;
                result.insertedSilenceBytes += gapBytes;
                gapBytes = 0;
            }
            p += 2;
            c += 2;
        } else if (got == 0) {
            if (gapBytes == 0)
                gapStart = c;
            gapBytes += 2;
            c += 2;
        } else {
            break;
        }
    }
    if (gapBytes > 0)
        c = gapStart;
    result.matchingPrefix = (p + 1 >= played.size()) ? played.size() : p;  // an odd last byte is not compared
    result.restBytes = captured.size() - c;
    for (size_t i = c; i < captured.size(); ++i) {
        if (captured[i] != 0) {
            result.restIsSilence = false;
            break;
        }
    }
    return result;
}

bool CaptureComparison::HoldsAllOf(const std::string& played) const
{
    return matchingPrefix == played.size() && restIsSilence;
}

std::string CaptureComparison::Describe(int bytesPerSecond) const
{
    auto millis = [bytesPerSecond](size_t bytes) {
        return bytesPerSecond > 0 ? 1000.0 * static_cast<double>(bytes) / bytesPerSecond : 0.0;
    };
    std::ostringstream text;
    text << matchingPrefix << " bytes found in order";
    if (insertedGaps > 0) {
        text << " with " << insertedSilenceBytes << " bytes (" << millis(insertedSilenceBytes)
             << " ms) of silence inserted in " << insertedGaps << " gap(s), the first at capture byte "
             << firstGapAt;
    }
    text << ", then " << restBytes << " bytes (" << millis(restBytes) << " ms)"
         << (restBytes == 0 ? "" : restIsSilence ? " of silence" : " that are NOT silence");
    return text.str();
}

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

std::string ReadCaptureFile()
{
    std::ifstream file(CaptureFilePath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
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
    CaptureComparison result{0, 0, true};
    const size_t common = played.size() < captured.size() ? played.size() : captured.size();
    while (result.matchingPrefix < common &&
           played[result.matchingPrefix] == captured[result.matchingPrefix])
        ++result.matchingPrefix;
    result.restBytes = captured.size() - result.matchingPrefix;
    for (size_t i = result.matchingPrefix; i < captured.size(); ++i) {
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
    std::ostringstream text;
    text << matchingPrefix << " bytes equal from the start, then " << restBytes << " bytes ("
         << (bytesPerSecond > 0 ? 1000.0 * static_cast<double>(restBytes) / bytesPerSecond : 0.0)
         << " ms)" << (restBytes == 0 ? "" : restIsSilence ? " of silence" : " that are NOT silence");
    return text.str();
}

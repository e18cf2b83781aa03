// Reading what the ALSA file sink captured of a test's audio, and test PCM that shows any
// dropped, repeated or reordered byte.
//
// The test environment points Wine's default audio device at a file: every byte played lands
// there, raw, in order. Each test names its own file in CORVANE_AUDIO_CAPTURE (a Unix path, read
// when the device opens).
#pragma once

#include <cstdint>
#include <string>

// The capture file as a Windows path (Wine maps the Unix root to Z:); empty when the variable is
// not set.
std::string CaptureFilePath();

// A whole file; empty when it does not exist.
std::string ReadWholeFile(const std::string& path);
// The whole capture file.
std::string ReadCaptureFile();

// `bytes` bytes of 16-bit samples, none of them zero, that never repeat a short pattern: a drop,
// repeat or swap anywhere changes the comparison.
std::string MakeTestPcm(size_t bytes, uint32_t seed);

// How `captured` relates to `played`, in 16-bit samples. Wine pads the sink with silence (zero
// samples) after the end of a stream and, when its feeder thread falls behind under load, also
// in the middle of one; so the comparison skips zero samples of the capture that the played
// audio does not have at that point, and counts them. `matchingPrefix` bytes of `played` were
// found in order; what follows in the capture (`restBytes`) is either silence or a fault.
struct CaptureComparison {
    size_t matchingPrefix;
    size_t insertedSilenceBytes;  // zero samples inside the matched part
    size_t insertedGaps;          // the runs they form
    size_t firstGapAt;            // capture offset of the first run
    size_t restBytes;
    bool restIsSilence;
    // The capture holds exactly what was played, in order, with nothing dropped or repeated,
    // possibly with silence between and after.
    bool HoldsAllOf(const std::string& played) const;
    std::string Describe(int bytesPerSecond) const;
};
CaptureComparison CompareCapture(const std::string& played, const std::string& captured);

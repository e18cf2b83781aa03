// The capture comparison must tell Wine's silence padding from a real fault: a dropped,
// repeated or reordered block, or noise.
#include <gtest/gtest.h>

#include <string>

#include "tests/playback/AudioCapture.h"

namespace {

const std::string kSilence(880, '\0');

TEST(CaptureComparison, TestPcmHasNoSilentSample)
{
    const std::string pcm = MakeTestPcm(100000, 3);
    for (size_t i = 0; i < pcm.size(); i += 2)
        ASSERT_FALSE(pcm[i] == 0 && pcm[i + 1] == 0) << "sample at byte " << i;
    EXPECT_NE(pcm, MakeTestPcm(100000, 4));
}

TEST(CaptureComparison, ExactAndPaddedCapturesHoldEverything)
{
    const std::string played = MakeTestPcm(9216, 1);
    CaptureComparison exact = CompareCapture(played, played);
    EXPECT_TRUE(exact.HoldsAllOf(played)) << exact.Describe(176400);
    EXPECT_EQ(0u, exact.insertedGaps);
    EXPECT_EQ(0u, exact.restBytes);

    // Silence in the middle (an underrun) and at the end (the sink's padding).
    const std::string padded = played.substr(0, 4000) + kSilence + played.substr(4000) + kSilence;
    CaptureComparison gaps = CompareCapture(played, padded);
    EXPECT_TRUE(gaps.HoldsAllOf(played)) << gaps.Describe(176400);
    EXPECT_EQ(1u, gaps.insertedGaps);
    EXPECT_EQ(880u, gaps.insertedSilenceBytes);
    EXPECT_EQ(4000u, gaps.firstGapAt);
    EXPECT_EQ(880u, gaps.restBytes);
    EXPECT_TRUE(gaps.restIsSilence);
}

// Silent samples in the played audio itself (a decoded song starts with some) line up with
// inserted silence either way.
TEST(CaptureComparison, PlayedSilenceNextToInsertedSilence)
{
    const std::string played = std::string(64, '\0') + MakeTestPcm(4608, 2) + std::string(8, '\0') +
                               MakeTestPcm(4608, 3);
    const std::string captured = kSilence + played.substr(0, 64 + 4608 + 4) + kSilence +
                                 played.substr(64 + 4608 + 4);
    CaptureComparison comparison = CompareCapture(played, captured);
    EXPECT_TRUE(comparison.HoldsAllOf(played)) << comparison.Describe(176400);
}

TEST(CaptureComparison, FaultsAreFound)
{
    const std::string a = MakeTestPcm(4608, 10);
    const std::string b = MakeTestPcm(4608, 11);
    const std::string c = MakeTestPcm(4608, 12);
    const std::string played = a + b + c;

    CaptureComparison dropped = CompareCapture(played, a + c);
    EXPECT_FALSE(dropped.HoldsAllOf(played));
    EXPECT_EQ(a.size(), dropped.matchingPrefix);
    EXPECT_FALSE(dropped.restIsSilence);

    EXPECT_FALSE(CompareCapture(played, a + b + b + c).HoldsAllOf(played)) << "repeated";
    EXPECT_FALSE(CompareCapture(played, a + c + b).HoldsAllOf(played)) << "reordered";
    EXPECT_FALSE(CompareCapture(played, a + b).HoldsAllOf(played)) << "cut short";

    std::string noisy = played;
    noisy[5000] = static_cast<char>(noisy[5000] ^ 0x40);
    CaptureComparison noise = CompareCapture(played, noisy);
    EXPECT_FALSE(noise.HoldsAllOf(played));
    EXPECT_EQ(5000u, noise.matchingPrefix);

    // Cut off, then silence: a prefix, as an immediate close leaves it.
    CaptureComparison cut = CompareCapture(played, a + b.substr(0, 1000) + kSilence);
    EXPECT_EQ(a.size() + 1000, cut.matchingPrefix);
    EXPECT_TRUE(cut.restIsSilence);
    EXPECT_EQ(0u, cut.insertedGaps) << "silence at the end is not a gap";
    EXPECT_EQ(880u, cut.restBytes);
}

}  // namespace

#include "app/VolumeScale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

double GainDb(uint32_t gain) { return 20.0 * std::log10(gain / 65535.0); }

// Knob positions along the sweep and the level each must give.
TEST(VolumeScaleTest, TheSweepIsEvenInDecibelsFromSilenceToTheDecodeItself)
{
    struct Stop {
        int32_t knob;
        double db;
    };
    const Stop stops[] = {{2, -50.0}, {16384, -37.5}, {32768, -25.0}, {49151, -12.5}, {65534, 0.0}};
    for (const Stop& stop : stops) {
        SCOPED_TRACE(stop.knob);
        EXPECT_NEAR(stop.db, VolumeDbOfKnob(stop.knob), 0.01);
        EXPECT_NEAR(stop.db, GainDb(VolumeOfKnob(stop.knob)), 0.05);
    }
    EXPECT_EQ(0u, VolumeOfKnob(kVolumeKnobMin)) << "the bottom stop is silence";
    EXPECT_EQ(0u, VolumeOfKnob(-5));
    EXPECT_EQ(65535u, VolumeOfKnob(kVolumeKnobMax)) << "the top stop is unity, bit for bit";
    EXPECT_EQ(65535u, VolumeOfKnob(70000));
}

TEST(VolumeScaleTest, EveryStepIsAboutTwoDecibelsAndEveryVolumeFindsItsKnobAgain)
{
    for (int32_t knob = kVolumeKnobMin + 1; knob + kVolumeKnobStep <= kVolumeKnobMax;
         knob += 997) {
        SCOPED_TRACE(knob);
        EXPECT_NEAR(2.0, VolumeDbOfKnob(knob + kVolumeKnobStep) - VolumeDbOfKnob(knob), 0.01);
    }
    uint32_t previous = 0;
    for (int32_t knob = kVolumeKnobMin; knob <= kVolumeKnobMax; ++knob) {
        const uint32_t gain = VolumeOfKnob(knob);
        ASSERT_GE(gain, previous) << "the volume never falls as the knob rises, at " << knob;
        previous = gain;
        // A stored volume puts the dot where that volume lies: the same gain again.
        ASSERT_EQ(gain, VolumeOfKnob(KnobOfVolume(PackedVolume(gain)))) << "at " << knob;
    }
    EXPECT_EQ(kVolumeKnobMax, KnobOfVolume(kFullVolumePacked));
    EXPECT_EQ(KnobOfVolume(PackedVolume(900)), KnobOfVolume((900u << 16) | 3u)) << "the louder side";
    EXPECT_EQ(kFullVolumePacked, StoredVolume(0)) << "nothing stored: full volume";
    EXPECT_EQ(0x20002000u, StoredVolume(0x20002000));
}

}  // namespace

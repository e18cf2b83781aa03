#include "app/VolumeScale.h"

#include <cmath>

namespace {

constexpr double kSilenceDb = -1000.0;
constexpr double kUnityGain = 65535.0;

int32_t ClampKnob(int32_t knob)
{
    return knob < kVolumeKnobMin ? kVolumeKnobMin : knob > kVolumeKnobMax ? kVolumeKnobMax : knob;
}

}  // namespace

double VolumeDbOfKnob(int32_t knob)
{
    knob = ClampKnob(knob);
    if (knob == kVolumeKnobMin)
        return kSilenceDb;
    return kVolumeFloorDb * static_cast<double>(kVolumeKnobMax - knob) /
           static_cast<double>(kVolumeKnobMax - kVolumeKnobMin);
}

uint32_t VolumeOfKnob(int32_t knob)
{
    knob = ClampKnob(knob);
    if (knob == kVolumeKnobMin)
        return 0;
    if (knob == kVolumeKnobMax)
        return 65535;  // exactly unity: the plug-in then passes the decode through untouched
    const double gain = kUnityGain * std::pow(10.0, VolumeDbOfKnob(knob) / 20.0);
    return static_cast<uint32_t>(std::lround(gain));
}

int32_t KnobOfVolume(uint32_t packed)
{
    const uint32_t left = packed & 0xFFFFu, right = packed >> 16;
    const uint32_t gain = left > right ? left : right;
    // The gain rises with the knob: the first value that reaches `gain`, by halving.
    int32_t low = kVolumeKnobMin, high = kVolumeKnobMax;
    while (low < high) {
        const int32_t middle = low + (high - low) / 2;
        if (VolumeOfKnob(middle) >= gain)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

uint32_t PackedVolume(uint32_t gain)
{
    return (gain & 0xFFFFu) * 65537u;
}

uint32_t StoredVolume(int32_t audioVolume)
{
    return audioVolume == 0 ? kFullVolumePacked : static_cast<uint32_t>(audioVolume);
}

// The volume knob's sweep. The ear hears loudness in decibels, so the knob's travel is spread
// evenly over decibels, not over amplitude: silence at the bottom stop, kVolumeFloorDb just above
// it, 0 dB (the decode itself, bit for bit) at the top stop. A small turn is then a small
// audible change anywhere on the sweep.
//
// The plug-ins take a volume as a 16-bit gain for each side, 65535 meaning unity, packed left in
// the low half and right in the high half; "AudioVolume" stores that packed form.
#pragma once

#include <cstdint>

inline constexpr int32_t kVolumeKnobMin = 1;
inline constexpr int32_t kVolumeKnobMax = 65535;
inline constexpr double kVolumeFloorDb = -50.0;
// About 2 dB of the sweep: one key press or one notch of the mouse wheel.
inline constexpr int32_t kVolumeKnobStep = 2621;
inline constexpr uint32_t kFullVolumePacked = 0xFFFFFFFFu;

// Decibels at knob value `knob` (clamped to the knob's range); the bottom stop is silence and
// answers a number below any the sweep reaches.
double VolumeDbOfKnob(int32_t knob);
// The 16-bit gain at knob value `knob`: 0 at the bottom stop, 65535 at the top.
uint32_t VolumeOfKnob(int32_t knob);
// The lowest knob value whose gain is at least the louder side of `packed`.
int32_t KnobOfVolume(uint32_t packed);
// `gain` for both sides.
uint32_t PackedVolume(uint32_t gain);
// The value "AudioVolume" holds, as the packed volume to play at: a key that is missing reads
// as 0, which is also what earlier releases wrote without ever applying it, so 0 means full
// volume.
uint32_t StoredVolume(int32_t audioVolume);

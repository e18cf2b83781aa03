// Resource identifiers of the skin's Windows test programs (SkinTestResources.rc.in).
#pragma once

constexpr int kTestJpegGrey = 901;     // 177 x 16 greyscale ramp: x + y
constexpr int kTestJpegColour = 902;   // 177 x 16: red in columns 0 to 87, blue from 88
constexpr int kTestMissingId = 4321;   // no resource of any type has this identifier

// A plug-in library that lacks the "Shutdown" export: the host must refuse it with its message
// box and never call Initialise.
#include <cstdint>

#include "plugins/api/PluginApi.h"

#define TEST_EXPORT extern "C" __declspec(dllexport)

namespace {
const PluginDescription gDescription = {0, "No Shutdown", "", "", 0, "mp3\0", 0, 2, 0};
}

TEST_EXPORT const PluginDescription* Query(void)
{
    return &gDescription;
}

// The host must not get this far; if it does, the test sees a record that was filled.
TEST_EXPORT int32_t Initialise(PluginRecord* record)
{
    record->reserved24 = 0x1717;
    return 1;
}

TEST_EXPORT int32_t Configure(void)
{
    return 1;
}

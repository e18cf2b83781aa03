// A decoder plug-in whose Start reports success but never decodes: no block, no close. Built as
// "Fluxdec.cvp" in a folder of its own next to a copy of fluxdec.exe, which must then give up
// with an error instead of waiting for ever.
#include "plugins/api/PluginApi.h"

namespace {

int32_t OpenFile(PluginRecord*, const char*) { return 1; }
int32_t Nothing(PluginRecord*) { return 1; }
int32_t Stop(PluginRecord* record) { return record->HostAudioClose(record->hostContext, 1); }

const PluginDescription kDescription = {0, "Stalled", "tests", "", 0, "mp3\0", 0, 0, 0};

}  // namespace

extern "C" __declspec(dllexport) const PluginDescription* Query() { return &kDescription; }
extern "C" __declspec(dllexport) int32_t Initialise(PluginRecord* record)
{
    record->OpenFile = OpenFile;
    record->CloseFile = Nothing;
    record->Start = Nothing;
    record->Stop = Stop;
    return 1;
}
extern "C" __declspec(dllexport) int32_t Shutdown(PluginRecord*) { return 1; }
extern "C" __declspec(dllexport) int32_t Configure() { return 1; }

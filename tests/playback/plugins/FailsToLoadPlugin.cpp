// A library whose initialisation fails, so that loading it fails although the file exists and
// holds every export.
#include <windows.h>

#include <cstdint>

#include "plugins/api/PluginApi.h"

#define TEST_EXPORT extern "C" __declspec(dllexport)

TEST_EXPORT const PluginDescription* Query(void) { return nullptr; }
TEST_EXPORT int32_t Initialise(PluginRecord*) { return 1; }
TEST_EXPORT int32_t Shutdown(PluginRecord*) { return 1; }
TEST_EXPORT int32_t Configure(void) { return 1; }

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE;
}

// A plug-in with every export and every record entry, whose answers the tests choose and whose
// calls they read back (see TestPluginControl.h).
#include <windows.h>

#include <cstring>

#include "tests/playback/plugins/TestPluginControl.h"

#define TEST_EXPORT extern "C" __declspec(dllexport)

namespace {

TestPluginControl gControl;

const PluginDescription gDescriptionTemplate = {
    0, kTestPluginTitle, "Corvane tests", "for the plug-in host's tests", 5, kTestPluginExtensions,
    5, 0, 0,
};
PluginDescription gDescription;

void Log(char letter, PluginRecord* record)
{
    if (gControl.logLength < kTestPluginLogChars - 1) {
        gControl.log[gControl.logLength++] = letter;
        gControl.log[gControl.logLength] = '\0';
    }
    if (record != nullptr)
        gControl.lastRecord = record;
}

int32_t PluginOpenFile(PluginRecord* record, const char* path)
{
    Log('o', record);
    gControl.lastPath = path;
    return gControl.openFileResult;
}

int32_t PluginCloseFile(PluginRecord* record)
{
    Log('c', record);
    return 1;
}

int32_t PluginStart(PluginRecord* record)
{
    Log('s', record);
    return gControl.startResult;
}

int32_t PluginStop(PluginRecord* record)
{
    Log('t', record);
    return 1;
}

int32_t PluginSeek(PluginRecord* record, int32_t position, int32_t form)
{
    Log('k', record);
    gControl.lastSeekPosition = position;
    gControl.lastSeekForm = form;
    return gControl.seekResult;
}

int32_t PluginGetFileInfo(PluginRecord* record, PluginFileInfo* info)
{
    Log('g', record);
    if (info == nullptr)
        return 0;
    *info = gControl.reportedInfo;
    return gControl.getFileInfoResult;
}

int32_t PluginOnButton(PluginRecord* record)
{
    Log('b', record);
    return gControl.onButtonResult;
}

int32_t PluginIsPlaying(PluginRecord* record)
{
    Log('p', record);
    return gControl.isPlayingResult;
}

int32_t PluginSetVolume(PluginRecord* record, int32_t volume)
{
    Log('v', record);
    gControl.lastVolume = volume;
    return gControl.setVolumeResult;
}

int32_t PluginGetVisualData(PluginRecord* record, void* buffer, int32_t mode)
{
    Log('d', record);
    gControl.lastVisualBuffer = buffer;
    gControl.lastVisualMode = mode;
    if (gControl.getVisualDataResult != 0 && buffer != nullptr)
        std::memcpy(buffer, gControl.visualData, sizeof gControl.visualData);
    return gControl.getVisualDataResult;
}

template <typename Entry>
Entry Provided(int32_t bit, Entry entry)
{
    return (gControl.provide & bit) != 0 ? entry : nullptr;
}

}  // namespace

TEST_EXPORT void TestPluginReset(void)
{
    std::memset(&gControl, 0, sizeof gControl);
    gControl.provide = kEntryAll;
    gControl.openFileResult = 1;
    gControl.startResult = 1;
    gControl.getFileInfoResult = 1;
    gControl.onButtonResult = 1;
    gControl.isPlayingResult = 1;
    gControl.setVolumeResult = 1;
    gControl.seekResult = 1;
    gControl.getVisualDataResult = 1;
    gControl.reportedInfo = {0, kTestPluginSongTitle, -1, -1, -1, -1};
}

TEST_EXPORT TestPluginControl* TestPluginControlBlock(void)
{
    return &gControl;
}

TEST_EXPORT const PluginDescription* Query(void)
{
    Log('Q', nullptr);
    gDescription = gDescriptionTemplate;
    gDescription.flags = gControl.flags;
    if (gControl.extensions != nullptr)
        gDescription.extensions = gControl.extensions;
    return &gDescription;
}

TEST_EXPORT int32_t Initialise(PluginRecord* record)
{
    Log('I', record);
    gControl.recordAtInitialise = *record;
    record->reserved24 = 0;
    record->OpenFile = Provided(kEntryOpenFile, &PluginOpenFile);
    record->CloseFile = Provided(kEntryCloseFile, &PluginCloseFile);
    record->Start = Provided(kEntryStart, &PluginStart);
    record->Stop = Provided(kEntryStop, &PluginStop);
    record->Seek = Provided(kEntrySeek, &PluginSeek);
    record->GetFileInfo = Provided(kEntryGetFileInfo, &PluginGetFileInfo);
    record->OnButton = Provided(kEntryOnButton, &PluginOnButton);
    record->IsPlaying = Provided(kEntryIsPlaying, &PluginIsPlaying);
    record->SetVolume = Provided(kEntrySetVolume, &PluginSetVolume);
    record->GetVisualData = Provided(kEntryGetVisualData, &PluginGetVisualData);
    return 1;
}

TEST_EXPORT int32_t Shutdown(PluginRecord* record)
{
    Log('D', record);
    return 1;
}

TEST_EXPORT int32_t Configure(void)
{
    Log('C', nullptr);
    return 1;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        TestPluginReset();
    return TRUE;
}

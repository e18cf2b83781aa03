#include "playback/PluginSlot.h"

#include <cstring>

#include "playback/ExtensionMatch.h"
#include "playback/HostAudio.h"

namespace {

template <typename Function>
Function BindExport(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

PluginSlot::PluginSlot()
    : record(),
      module(nullptr),
      info(),
      infoValid(0),
      loaded(0),
      description(),
      query(nullptr),
      initialise(nullptr),
      shutdown(nullptr),
      configure(nullptr)
{
}

int32_t PluginSlot::Load(const char* fileName)
{
    if (module != nullptr || fileName == nullptr)
        return loaded;
    module = LoadLibraryA(fileName);
    if (module == nullptr)
        return 0;

    query = BindExport<PluginQueryFn>(module, kQueryExport);
    initialise = BindExport<PluginInitialiseFn>(module, kInitialiseExport);
    shutdown = BindExport<PluginShutdownFn>(module, kShutdownExport);
    configure = BindExport<PluginConfigureFn>(module, kConfigureExport);
    if (query == nullptr || initialise == nullptr || shutdown == nullptr || configure == nullptr) {
        MessageBoxA(nullptr, "Unable To Load Plugin!!", "Error!", MB_OK);
        return 0;
    }

    std::memset(&record, 0, sizeof record);
    record.pluginModule = module;
    record.hostContext = this;
    record.HostAudioOpen = HostAudioOpen;
    record.HostAudioWrite = HostAudioWrite;
    record.HostAudioClose = HostAudioClose;
    // Titles in any script: a plug-in that knows the flag answers in UTF-8, one that does not
    // never reads it. The draining close returns at once and the queued audio plays on.
    record.reserved20 = kHostFlagUtf8Titles | kHostFlagPlaysOutAfterClose;
    initialise(&record);

    // A plug-in that describes nothing keeps a zero description: no extensions, no flags.
    if (const PluginDescription* queried = query())
        std::memcpy(&description, queried, sizeof description);
    loaded = 1;
    return loaded;
}

int32_t PluginSlot::MatchesExtension(const char* fileName) const
{
    if (!loaded)
        return 0;
    return PathMatchesExtensionList(fileName, description.extensions);
}

char* PluginSlot::CopyTitle(char* destination, int32_t maxLength) const
{
    if (!infoValid || info.title == nullptr || destination == nullptr || maxLength < 1)
        return nullptr;
    int32_t i = 0;
    for (; i < maxLength - 1 && info.title[i] != '\0'; ++i)
        destination[i] = info.title[i];
    destination[i] = '\0';
    return destination;
}

int32_t PluginSlot::TitlesInUtf8() const
{
    return loaded && (description.flags & kPluginFlagUtf8Titles) &&
                   (record.reserved20 & kHostFlagUtf8Titles)
               ? 1
               : 0;
}

void PluginSlot::SetReplayGain(int32_t mode)
{
    if (mode != kReplayGainTrack && mode != kReplayGainAlbum)
        mode = kReplayGainOff;
    record.reserved20 = (record.reserved20 & ~kHostFlagReplayGainMask) | (mode << kHostFlagReplayGainShift);
}

int32_t PluginSlot::OpenFile(const char* path)
{
    if (!loaded || record.OpenFile == nullptr || path == nullptr)
        return 0;
    return record.OpenFile(&record, path);
}

int32_t PluginSlot::Start()
{
    if (!loaded || record.Start == nullptr)
        return 0;
    std::memset(&info, 0, sizeof info);
    const int32_t started = record.Start(&record);
    if (started == 0)
        return 0;
    // Without GetFileInfo the zeroed info says nothing, so it is not valid either.
    infoValid = (record.GetFileInfo != nullptr && record.GetFileInfo(&record, &info) != 0) ? 1 : 0;
    return started;
}

bool PluginSlot::RefreshInfo()
{
    return loaded && infoValid && record.GetFileInfo != nullptr &&
           record.GetFileInfo(&record, &info) != 0;
}

int32_t PluginSlot::GetPosition()
{
    if (!RefreshInfo())
        return kNoFileInfoValue;
    return info.lengthA != kNoFileInfoValue ? info.positionA : info.positionB;
}

int32_t PluginSlot::GetLength()
{
    if (!RefreshInfo())
        return kNoFileInfoValue;
    return info.lengthA != kNoFileInfoValue ? info.lengthA : info.lengthB;
}

int32_t PluginSlot::StopAndClose()
{
    if (!loaded)
        return 0;
    // The closed song's info says nothing any more. Kept valid, a position it reported past its
    // length would end "the current song" again at every frame of the paint thread.
    infoValid = 0;
    if (record.Stop != nullptr)
        record.Stop(&record);
    if (record.CloseFile != nullptr)
        record.CloseFile(&record);
    return 1;
}

int32_t PluginSlot::PressButton()
{
    if (!loaded || record.OnButton == nullptr)
        return 0;
    return record.OnButton(&record);
}

bool PluginSlot::HasOptionalEntries() const
{
    return (description.flags & kPluginFlagOptionalEntries) != 0;
}

int32_t PluginSlot::SetVolume(int32_t volume)
{
    if (!loaded || !HasOptionalEntries() || record.SetVolume == nullptr)
        return 0;
    return record.SetVolume(&record, volume);
}

int32_t PluginSlot::IsPlaying()
{
    if (!loaded || !HasOptionalEntries() || record.IsPlaying == nullptr)
        return 0;
    return record.IsPlaying(&record);
}

int32_t PluginSlot::GetVisualData(void* buffer, int32_t mode)
{
    if (!loaded || !HasOptionalEntries() || record.GetVisualData == nullptr)
        return 0;
    return record.GetVisualData(&record, buffer, mode);
}

int32_t PluginSlot::Seek(int32_t position)
{
    if (!loaded || !infoValid || record.Seek == nullptr)
        return 0;
    const int32_t form = info.lengthA == kNoFileInfoValue ? kSeekFormB : kSeekFormA;
    return record.Seek(&record, position, form);
}

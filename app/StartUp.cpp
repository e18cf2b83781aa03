// Start-up, the message loop and clean-up of the application object.
#include <windows.h>

#include <cstring>

#include "app/HandedPath.h"
#include "app/PlayerApp.h"
#include "dialogs/AboutWindow.h"
#include "playback/HostAudio.h"
#include "playback/PluginSlot.h"
#include "settings/Settings.h"

PlayerApp::PlayerApp() : playlistWindow(*this, playlist)
{
    // Every plug-in's audio call-backs reach this one device.
    SetHostAudioDevice(&audio);
}

PlayerApp::~PlayerApp()
{
    SetHostAudioDevice(nullptr);
}

int PlayerApp::StartUp(HINSTANCE programInstance, const char* commandLine)
{
    ShowAboutWindow(nullptr);
    gSettings.ReadSettings(kSettingsFileName);
    audio.output = {gSettings.outputBufferBytes, gSettings.outputBufferCount,
                    gSettings.outputDevice};

    // The running instance takes the song; this one ends without a window.
    if (!singleInstance.ClaimOrHandOver(commandLine))
        return 0;

    LoadSkin(programInstance);

    windowClass = {};
    windowClass.style = CS_DBLCLKS | CS_SAVEBITS;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = programInstance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszMenuName = kMainWindowClass;  // there is no such menu: the window has none
    windowClass.lpszClassName = kMainWindowClass;
    RegisterClassA(&windowClass);

    const HWND w = CreateWindowExA(WS_EX_ACCEPTFILES, kMainWindowClass, kMainWindowTitle,
                                   WS_POPUP | WS_SYSMENU, 0, 0, windowWidth, windowHeight,
                                   nullptr, nullptr, programInstance, nullptr);
    if (w == nullptr)
        return 0;
    SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    window.store(w);
    SetUpWindow();

    ShowWindow(w, SW_SHOW);
    UpdateWindow(w);

    // Only the instance with a window keeps the list: one that handed its song over has
    // returned above without touching the file.
    RecallPlaylist();
    ownsRememberedList = 1;

    char path[kPathChars];
    if (commandLine[0] != '\0' && PathFromHandedText(commandLine, std::strlen(commandLine), path)) {
        PlaybackGuard guard(playback);
        // The song of the command line plays, not the remembered current entry.
        if (AddHandedPath(path)) {
            currentIndex = playlist.count - 1;
            PlayCurrent();
        } else if (playlist.count == 0) {
            PlayCurrent();  // says that there is no song
        }
    }
    // Songs of other starts come from now on, after this one's own.
    singleInstance.MarkReady();
    return 1;
}

int PlayerApp::RunMessageLoop()
{
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

void PlayerApp::CleanUp()
{
    // The paint thread draws with everything below: it ends first.
    EndPaintThread();
    HaltSong();

    HRGN* const regions[] = {&windowShape,   &minimizeRegion, &blank2Region,  &closeRegion,
                             &playlistRegion, &blank1Region,  &toggle1Region, &toggle2Region,
                             &previousRegion, &playRegion,    &pluginRegion,  &nextRegion,
                             &volumeRegion,  &seekRegion,     &titleRegion,   &timeRegion,
                             &volumeDotRegion, &progressRegion};
    for (HRGN* region : regions) {
        if (*region != nullptr)
            DeleteObject(*region);
        *region = nullptr;
    }

    // The slots go, their libraries stay loaded: a plug-in may still point into its record.
    PlaybackGuard guard(playback);
    for (int32_t i = 0; i < pluginCount; ++i) {
        delete pluginSlots[i];
        pluginSlots[i] = nullptr;
    }
    pluginCount = 0;
    if (paintMutex != nullptr) {
        CloseHandle(paintMutex);
        paintMutex = nullptr;
    }
    if (paintWake != nullptr) {
        CloseHandle(paintWake);
        paintWake = nullptr;
    }
    singleInstance.Release();
}

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
    ShowSplashWindow();
    gSettings.ReadSettings(kSettingsFileName);
    audio.output = {gSettings.outputBufferBytes, gSettings.outputBufferCount,
                    gSettings.outputDevice};

    if (gSettings.multipleInstances == 1) {
        // A player of its own whatever runs; only the first keeps the files.
        ownsRememberedList = singleInstance.TryClaim();
    } else {
        // The running instance takes the song; this one ends without a window.
        if (!singleInstance.ClaimOrHandOver(commandLine))
            return 0;
        ownsRememberedList = 1;
    }
    if (ownsRememberedList)
        places.Read(kSettingsFileName);

    LoadSkin(programInstance);

    windowClass = {};
    windowClass.style = CS_DBLCLKS | CS_SAVEBITS;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = programInstance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszMenuName = kMainWindowClass;  // there is no such menu: the window has none
    windowClass.lpszClassName = kMainWindowClass;
    RegisterClassA(&windowClass);

    // Where it was left, moved back onto a monitor if that place is off every one now.
    const POINT at = places.main.known ? OnScreenPlace(places.main, windowWidth, windowHeight)
                                       : POINT{0, 0};
    const HWND w = CreateWindowExA(WS_EX_ACCEPTFILES, kMainWindowClass, kMainWindowTitle,
                                   WS_POPUP | WS_SYSMENU, at.x, at.y, windowWidth, windowHeight,
                                   nullptr, nullptr, programInstance, nullptr);
    if (w == nullptr)
        return 0;
    SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    window.store(w);
    SetUpWindow();
    ApplyStoredVolume();
    RegisterMediaKeys();

    ShowWindow(w, SW_SHOW);
    UpdateWindow(w);

    // Other starts may hand their songs over from now on, however long the recall takes: they
    // are taken once the message loop runs, after this start's own.
    singleInstance.MarkReady();
    // Only the first player keeps the list: one that handed its song over has returned above
    // without touching the file, and another of "Multiple Instances" starts empty.
    if (ownsRememberedList)
        RecallPlaylist();

    char path[kPathChars];
    if (commandLine[0] == '\0') {
        // Nothing handed over: the song and place the last run ended at, paused.
        if (ownsRememberedList)
            RestorePlace();
    } else if (PathFromHandedText(commandLine, std::strlen(commandLine), path)) {
        // Read without the playback lock (a folder, a playlist); the song of the command line
        // plays, not the remembered current entry.
        const int32_t first = AddHandedPath(path);
        PlaybackGuard guard(playback);
        if (first >= 0) {
            currentIndex = first;
            PlayCurrent();
        } else if (playlist.count == 0) {
            PlayCurrent();  // says that there is no song
        }
    }
    if (places.playlistOpen)
        ShowPlaylistWindow();
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

// Start-up, the message loop and clean-up of the application object.
#include <windows.h>

#include <cstring>

#include "app/HandedPath.h"
#include "app/PlayerApp.h"
#include "app/Settings.h"
#include "app/SingleInstance.h"
#include "playback/HostAudio.h"
#include "playback/PluginSlot.h"

PlayerApp::PlayerApp() : playlistWindow(*this, playlist)
{
    // Every plug-in's audio call-backs reach this one device.
    SetHostAudioDevice(&audio);
}

PlayerApp::~PlayerApp()
{
    SetHostAudioDevice(nullptr);
}

// The folder of the program file, ending in a backslash; plug-ins are searched there.
static void FindProgramDir(char (&programDir)[kPathChars])
{
    const DWORD length = GetModuleFileNameA(nullptr, programDir, kPathChars);
    if (length == 0 || length >= kPathChars) {
        programDir[0] = '\0';
        return;
    }
    if (char* lastBackslash = std::strrchr(programDir, '\\'))
        lastBackslash[1] = '\0';
}

int PlayerApp::StartUp(HINSTANCE programInstance, const char* commandLine)
{
    instance = programInstance;
    FindProgramDir(programDir);
    gSettings.ReadSettings(kSettingsFileName);

    // The running instance takes the song; this one ends without a window.
    if (HandOverToRunningInstance(commandLine))
        return 0;

    windowClass = {};
    windowClass.style = CS_DBLCLKS | CS_SAVEBITS;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = programInstance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszMenuName = kMainWindowClass;  // there is no such menu: the window has none
    windowClass.lpszClassName = kMainWindowClass;
    RegisterClassA(&windowClass);

    window = CreateWindowExA(WS_EX_ACCEPTFILES, kMainWindowClass, kMainWindowTitle,
                             WS_POPUP | WS_SYSMENU, 0, 0, windowWidth, windowHeight,
                             nullptr, nullptr, programInstance, nullptr);
    if (window == nullptr)
        return 0;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    LoadPlugins();

    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    if (commandLine[0] == '\0')
        return 1;
    char path[kPathChars];
    if (PathFromHandedText(commandLine, std::strlen(commandLine), path)) {
        AddToPlaylist(path);
        PlayCurrent();
    }
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
    HaltSong();
    // The slots go, their libraries stay loaded: a plug-in may still point into its record.
    for (int32_t i = 0; i < pluginCount; ++i) {
        delete pluginSlots[i];
        pluginSlots[i] = nullptr;
    }
    pluginCount = 0;
}

// The main window's drawing material, made before the window exists (LoadSkin), and its
// controls, shape, plug-ins and paint thread, set up once it exists (SetUpWindow).
//
// Every control is found by an area of one colour in the hidden control map (bitmap 106); the
// pictures show the window at rest (skinNormal) and lit (skinLit: pressed buttons, the played
// part of the progress ring).
#include <windows.h>

#include <cstring>
#include <string>

#include "app/PlayerApp.h"
#include "playlist/WideText.h"
#include "resources/ResourceIds.h"
#include "skin/GdiHandles.h"
#include "skin/RegionFromBitmap.h"

namespace {

// The connected area of the control map's colour at a control's sample point.
HRGN ControlArea(HBITMAP map, int32_t x, int32_t y)
{
    return RegionFromBitmap(map, x, y, 0, 1);
}

// The ring around the time display in which the progress sweep is drawn.
constexpr RECT kProgressEllipse = {32, 155, 137, 256};

// Knob geometry: angles in tenths of a degree, clockwise from the positive x axis.
constexpr int32_t kVolumeStartAngle = 900, kVolumeEndAngle = 3150;
constexpr int32_t kVolumeMinValue = 1, kVolumeMaxValue = 65535, kVolumeRadius = 9;
constexpr int32_t kSeekStartAngle = 0, kSeekEndAngle = 3600;
constexpr int32_t kSeekMinValue = 0, kSeekMaxValue = 65535, kSeekRadius = 13;

}  // namespace

int PlayerApp::LoadSkin(HINSTANCE programInstance)
{
    visModes = 1;
    fullRepaint = 0;
    paintMutex = CreateMutexA(nullptr, FALSE, nullptr);
    paintWake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    progressAngle = 0.0;
    seekPreview = -1;
    songLoaded = 0;
    currentIndex = 0;
    instance = programInstance;

    // In UTF-8: the program may lie in a folder whose name the code page cannot hold.
    wchar_t program[kPathChars];
    const DWORD length = GetModuleFileNameW(nullptr, program, kPathChars);
    const std::string folder = length > 0 && length < kPathChars ? Utf8FromWide(program) : "";
    if (folder.empty() || folder.size() >= sizeof programDir) {
        programDir[0] = '\0';  // a cut path would name another folder: search the current one
    } else {
        std::memcpy(programDir, folder.c_str(), folder.size() + 1);
        if (char* lastBackslash = std::strrchr(programDir, '\\'))
            lastBackslash[1] = '\0';
    }

    skinNormal.LoadJpegImage(kJpegSkinNormal);
    skinLit.LoadJpegImage(kJpegSkinLit);
    volumeDot.LoadBitmapImage(kBitmapVolumeDot);
    for (int32_t j = 0; j < kSeekFrames; ++j)
        seekFrames[j].LoadBitmapImage(kBitmapSeekFrameFirst + j);

    BITMAP picture = {};
    if (skinNormal.bitmap != nullptr && GetObjectA(skinNormal.bitmap, sizeof picture, &picture)) {
        windowWidth = picture.bmWidth;
        windowHeight = picture.bmHeight;
    }
    backBuffer.CreateBlank(windowWidth, windowHeight);
    BitBlt(backBuffer.dc, 0, 0, windowWidth, windowHeight, skinNormal.dc, 0, 0, SRCCOPY);

    OwnedBitmap map(LoadBitmapA(programInstance, MAKEINTRESOURCEA(kBitmapMainMap)));
    const HBITMAP m = map.Get();
    windowShape = RegionFromBitmap(m, 0, 0, 1, 0);
    nextRegion = ControlArea(m, 83, 276);
    previousRegion = ControlArea(m, 18, 224);
    timeRegion = ControlArea(m, 79, 211);
    closeRegion = ControlArea(m, 160, 48);
    playlistRegion = ControlArea(m, 21, 109);
    blank1Region = ControlArea(m, 21, 128);
    minimizeRegion = ControlArea(m, 144, 22);
    pluginRegion = ControlArea(m, 57, 272);
    playRegion = ControlArea(m, 32, 254);
    toggle1Region = ControlArea(m, 16, 145);
    blank2Region = ControlArea(m, 153, 34);
    toggle2Region = ControlArea(m, 24, 160);
    seekRegion = ControlArea(m, 119, 136);
    titleRegion = ControlArea(m, 94, 68);
    volumeRegion = ControlArea(m, 159, 155);

    progressRegion = CreateEllipticRgnIndirect(&kProgressEllipse);
    CombineRgn(progressRegion, progressRegion, timeRegion, RGN_DIFF);
    volumeDotRegion = CreateRectRgn(0, 0, 3, 3);

    skinFont.Load(kBitmapGlyphStrip);
    return 1;
}

void PlayerApp::SetUpWindow()
{
    const HWND w = window.load();
    windowIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconMain));
    SendMessageA(w, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(windowIcon));
    SendMessageA(w, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(windowIcon));

    nextButton.SetRegion(nextRegion, w);
    previousButton.SetRegion(previousRegion, w);
    closeButton.SetRegion(closeRegion, w);
    playlistButton.SetRegion(playlistRegion, w);
    blankButton1.SetRegion(blank1Region, w);
    minimizeButton.SetRegion(minimizeRegion, w);
    pluginButton.SetRegion(pluginRegion, w);
    playButton.SetRegion(playRegion, w);
    blankToggle1.SetRegion(toggle1Region, w);
    blankButton2.SetRegion(blank2Region, w);
    blankToggle2.SetRegion(toggle2Region, w);
    volumeKnob.SetRegion(volumeRegion, w);
    seekKnob.SetRegion(seekRegion, w);

    SkinButton* const buttons[] = {&minimizeButton, &blankButton2,  &closeButton,
                                   &playlistButton, &blankButton1,  &blankToggle1,
                                   &blankToggle2,   &previousButton, &playButton,
                                   &pluginButton,   &nextButton};
    for (SkinButton* button : buttons)
        button->SetImages(skinNormal.dc, skinLit.dc);

    // The volume knob shows its background from skinNormal at rest and skinLit while held.
    volumeKnob.SetFrames(skinFaces, 1);
    seekKnob.SetFrames(seekFrames, kSeekFrames);

    playButton.isToggle = 1;
    pluginButton.isToggle = 1;
    blankToggle2.isToggle = 1;
    blankToggle1.isToggle = 1;
    volumeKnob.isToggle = 1;
    volumeKnob.clipToRegion = 1;
    volumeKnob.SetRange(kVolumeStartAngle, kVolumeEndAngle, kVolumeMinValue, kVolumeMaxValue,
                        kVolumeRadius);
    volumeKnob.UseBoundsAsSource();
    volumeKnob.SetIndicator(volumeDot.dc, volumeDotRegion);
    // A frame knob turns without end: past either end it wraps to the other.
    seekKnob.frameMode = 1;
    seekKnob.isToggle = 1;
    seekKnob.clipToRegion = 1;
    seekKnob.SetRange(kSeekStartAngle, kSeekEndAngle, kSeekMinValue, kSeekMaxValue, kSeekRadius);
    seekKnob.SetSourceOrigin(1, 1);
    // The play button's box reaches into the progress ring: drawn only over its own area, it
    // leaves the ring's pixels to the ring, in a frame as in a whole repaint.
    playButton.clipToRegion = 1;
    closeButton.clipToRegion = 1;
    minimizeButton.clipToRegion = 1;
    blankButton2.clipToRegion = 1;

    // The window owns the copy it is given; windowShape stays ours for CleanUp.
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(shape, windowShape, nullptr, RGN_COPY);
    if (!SetWindowRgn(w, shape, FALSE))
        DeleteObject(shape);

    LoadPlugins();

    visImage.Create(128, 64);
    visImage.Fill(0);

    RunPaintThread();
}

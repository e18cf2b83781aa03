// The visualisation's platform side: fetching the plug-in's visual data and showing the picture;
// the pixel work itself is portable (app/Visualisation.h).
#include <windows.h>

#include <climits>
#include <cstring>

#include "app/PlayerApp.h"
#include "app/Visualisation.h"
#include "playback/PluginSlot.h"

void PlayerApp::DrawVisualisation(HDC dc)
{
    PluginSlot* slot = CurrentSlot();
    // Paused, nothing is heard: the scopes rest as they do after a song.
    if ((visModes & 3) != 0 && slot != nullptr && !IsPaused() &&
        slot->GetVisualData(visBuffer, visModes))
        visIdleFrames = 0;
    else if (visIdleFrames < INT_MAX)
        visIdleFrames += 1;
    // A full repaint on the main thread still draws the frozen picture.
    if (visIdleFrames > kVisIdleFramesBeforeFreeze && GetCurrentThreadId() == paintThreadId)
        return;
    if (visIdleFrames != 0)
        std::memset(visBuffer, 0, sizeof visBuffer);
    VisualiseFrame(visImage, visBuffer, visModes);
    SelectClipRgn(dc, titleRegion);
    visImage.Blit(dc, kVisWindowX, kVisWindowY, kVisWorkRect.Width(), kVisWorkRect.Height(),
                  kVisWorkRect.left, kVisWorkRect.top, SRCCOPY);
}

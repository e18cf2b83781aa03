// The General page's ReplayGain choice: a drop-down list of "Off", "Track" and "Album", in the
// order of the setting's values 0, 1 and 2. Like the page's boxes it stores the choice in the
// settings at once; the player hands it to the plug-in when it opens the next song.
#pragma once

#include <windows.h>

// Fills the list and selects the settings' choice (an unknown value shows as "Off").
void ShowReplayGainChoice(HWND page);
// For a WM_COMMAND's wParam: when the list's selection changed, stores it in the settings.
void StoreReplayGainChoice(HWND page, WPARAM wParam);

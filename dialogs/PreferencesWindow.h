// The preferences window: a picture background and a tab control whose "General" page edits the
// four stored flags and the ReplayGain choice of the settings and whose "About" page names the
// program and its makers.
// One window at a time.
#pragma once

#include <windows.h>

inline constexpr char kPreferencesWindowClass[] = "Corvane Preference Window";
inline constexpr char kPreferencesWindowTitle[] = "Corvane Preference Window";

// Opens the preferences window owned by `owner`; nothing when one is already open.
void ShowPreferencesWindow(HWND owner);

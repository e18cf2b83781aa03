// The round, always-on-top About window, shown as a splash at every start: the credits scroll
// up inside it, it is dragged by its skin and any key closes it.
#pragma once

#include <windows.h>

#include "skin/WindowDragger.h"

inline constexpr char kAboutWindowClass[] = "Corvane About Window";
inline constexpr char kAboutWindowTitle[] = "Corvane About Window";

// Creates the About window the first time (or after it was closed) and shows it. `owner` may be
// null: start-up shows it before the main window exists.
void ShowAboutWindow(HWND owner);

// Moves the About window while its skin is dragged.
extern WindowDragger gAboutDragger;

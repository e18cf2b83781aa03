// The round, always-on-top About window: the credits scroll up inside it, it is dragged by its
// skin and any key closes it. At every start it is shown as a splash, centred on the screen,
// which goes by itself after about 2 s or at once on a click or a key.
#pragma once

#include <windows.h>

#include "skin/WindowDragger.h"

inline constexpr char kAboutWindowClass[] = "Corvane About Window";
inline constexpr char kAboutWindowTitle[] = "Corvane About Window";

// Creates the About window the first time (or after it was closed) and shows it. `owner` may be
// null: start-up shows it before the main window exists.
void ShowAboutWindow(HWND owner);
// The same with its top-left corner at `topLeft` (screen coordinates) when it is made.
void ShowAboutWindowAt(HWND owner, POINT topLeft);
// The start-up splash: the About window centred on the screen's work area, closed by its timer,
// a click or a key. An About window already shown stays as it is.
void ShowSplashWindow();

// Moves the About window while its skin is dragged.
extern WindowDragger gAboutDragger;

// The round, always-on-top About window, shown as a splash at every start: the credits scroll
// up inside it, it is dragged by its skin and any key closes it.
#pragma once

#include <windows.h>

// Creates the About window the first time (or after it was closed) and shows it. `owner` may be
// null: start-up shows it before the main window exists.
void ShowAboutWindow(HWND owner);

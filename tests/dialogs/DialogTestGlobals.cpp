// The program's globals that the dialogs use, in the program's order (app/Globals.cpp), for the
// test programs, which do not link the application.
#include "settings/Settings.h"
#include "skin/Surface.h"

Surface gPrefsSkin;
Surface gAboutSkin;
Surface gAboutScroll;
Settings gSettings;

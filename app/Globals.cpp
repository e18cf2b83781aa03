// Every global object of the program, defined in one place so that they are built in a fixed
// order before the entry runs (and destroyed in the reverse order at exit): the drawing surfaces
// of the preferences and About windows, the application object, then the settings.
#include "app/PlayerApp.h"
#include "settings/Settings.h"
#include "skin/Surface.h"

Surface gPrefsSkin;
Surface gAboutSkin;
Surface gAboutScroll;
PlayerApp gPlayerApp;
Settings gSettings;

// The settings record the playback library reads; the program defines its own.
#include "app/Settings.h"

Settings gSettings;

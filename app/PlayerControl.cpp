// Which song plays on which plug-in.
#include "app/PlayerApp.h"

void PlayerApp::AddToPlaylist(const char* path)
{
    (void)path;
}

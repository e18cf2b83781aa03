// Hands the command line to an instance of the player that is already running.
#pragma once

// Looks for the running instance's main window (class and title "Corvane"). If there is one,
// sends it the whole command line (even when empty) with WM_COPYDATA and returns 1; the caller
// then ends. Returns 0 when no instance runs.
int HandOverToRunningInstance(const char* commandLine);

// Real input for the dialog tests: the X server's pointer and keyboard, driven by x_input.py
// (Wine starts Unix programs too), and message pumping with a bounded wait.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Sends x_input.py `commands` ("move X Y", "down 1", "up 1", "click 1", "key x", "wait MS")
// and waits until they are sent (at most 10 s), dispatching this thread's messages meanwhile.
// False, with the reason in `failure`, if they could not be sent.
bool SendXInput(const std::string& commands, std::string* failure = nullptr);

// Moves the pointer to client point (x, y) of `window` and clicks the left button.
bool ClickAt(HWND window, int x, int y);

// Presses the left button at client point (x, y) of `window`, moves the pointer by (dx, dy)
// with the button held, and releases it there.
bool DragFrom(HWND window, int x, int y, int dx, int dy);

// Presses and releases a key (an X keysym name) on the window that has the focus.
bool PressKey(const std::string& keysym);

// Dispatches this thread's messages until `done` holds or `millis` have passed; returns `done`.
bool PumpUntil(const std::function<bool()>& done, DWORD millis);

// Dispatches this thread's messages for `millis`.
void PumpFor(DWORD millis);

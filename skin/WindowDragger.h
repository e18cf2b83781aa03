// Moves a borderless popup while its background is dragged with the left button: the owner's
// window procedure begins a drag on a press that hit nothing else, moves the window on every
// mouse move and ends the drag on the release. The main window and the About window use it.
#pragma once

#include <windows.h>

#include <cstdint>

class WindowDragger {
public:
    int32_t grabX = 0;     // where the drag began, client coordinates
    int32_t grabY = 0;
    int32_t dragging = 0;  // 1 while a drag runs

    WindowDragger() = default;
    virtual ~WindowDragger() = default;
    WindowDragger(const WindowDragger&) = delete;
    WindowDragger& operator=(const WindowDragger&) = delete;

    // Remembers the grab point and captures the mouse; nothing while a drag runs.
    void BeginDrag(int32_t x, int32_t y, HWND window);
    // Moves the window so that the grab point follows the pointer at client (x, y) and paints
    // what the move uncovered. 1 when a drag runs, else 0.
    int32_t DragTo(int32_t x, int32_t y, HWND window);
    // Ends a running drag and releases the capture: 1, or 0 when none ran.
    int32_t EndDrag();
};

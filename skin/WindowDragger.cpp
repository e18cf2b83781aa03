#include "skin/WindowDragger.h"

void WindowDragger::BeginDrag(int32_t x, int32_t y, HWND window)
{
    if (dragging)
        return;
    grabX = x;
    grabY = y;
    dragging = 1;
    SetCapture(window);
}

int32_t WindowDragger::DragTo(int32_t x, int32_t y, HWND window)
{
    if (!dragging)
        return 0;
    POINT screen = {x, y};
    ClientToScreen(window, &screen);
    // In 16-bit arithmetic, read back as signed: a window dragged partly off the left or top
    // edge of the screen gets a negative position, not a huge one.
    const int left = static_cast<int16_t>(static_cast<uint16_t>(screen.x - grabX));
    const int top = static_cast<int16_t>(static_cast<uint16_t>(screen.y - grabY));
    SetWindowPos(window, nullptr, left, top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOSENDCHANGING);
    RECT pending;
    if (GetUpdateRect(window, &pending, FALSE))
        UpdateWindow(window);
    return 1;
}

int32_t WindowDragger::EndDrag()
{
    if (!dragging)
        return 0;
    dragging = 0;
    ReleaseCapture();
    return 1;
}

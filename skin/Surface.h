// An offscreen drawing surface: a memory drawing context that keeps one bitmap selected. It is
// filled from a JPEG resource, from a bitmap resource, or created blank; widgets and painting
// copy rectangles out of its context.
#pragma once

#include <windows.h>

#include <cstdint>

class Surface {
public:
    // Invariant: `bitmap` is non-null exactly when it is selected into `dc` and `priorBitmap`
    // holds what it replaced. Users draw from `dc` and never select other objects into it.
    HBITMAP priorBitmap = nullptr;  // what dc held before bitmap was selected; null while empty
    HBITMAP bitmap = nullptr;       // owned; null while the surface is empty
    HDC dc = nullptr;               // owned memory context, compatible with the screen, for life

    Surface();
    virtual ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Every load releases the previous bitmap first; a failed load leaves the surface empty.
    // Each returns 1 on success, 0 on failure.
    int32_t LoadJpegImage(int32_t resourceId);    // a "JPEG" resource of the program
    int32_t LoadBitmapImage(int32_t resourceId);  // a bitmap resource of the program
    int32_t CreateBlank(int32_t width, int32_t height);  // content undefined until drawn

    // Puts the prior bitmap back and deletes the owned one. Returns 0 if the surface was empty,
    // else the result of the deletion.
    int32_t Release();

private:
    // Selects a newly made bitmap into dc and takes ownership of it; 0 when it is null.
    int32_t Adopt(HBITMAP newBitmap);
};

// The preferences window's background (JPEG 146), the About window's background (JPEG 147)
// and the About window's scrolling text (a blank 268 x 2000 surface). They are defined with the
// program's other globals, which fixes their construction order.
extern Surface gPrefsSkin;
extern Surface gAboutSkin;
extern Surface gAboutScroll;

// Small owners for the platform's drawing handles: one guard per handle kind, each freeing its
// handle the way that kind must be freed. Owners are movable, never copyable.
#pragma once

#include <windows.h>

// Owns one GDI object (bitmap, region, brush, pen, font) and deletes it with DeleteObject.
template <class Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : handle_(other.Release()) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Gives up ownership without deleting.
    Handle Release() {
        Handle handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    // Deletes the owned object and takes `handle` instead.
    void Reset(Handle handle = nullptr) {
        if (handle_ != nullptr) DeleteObject(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

using OwnedBitmap = GdiObject<HBITMAP>;
using OwnedRegion = GdiObject<HRGN>;

// Owns a memory drawing context made with CreateCompatibleDC; deletes it with DeleteDC.
class OwnedMemoryDc {
public:
    explicit OwnedMemoryDc(HDC compatibleWith = nullptr) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~OwnedMemoryDc() {
        if (dc_ != nullptr) DeleteDC(dc_);
    }
    OwnedMemoryDc(const OwnedMemoryDc&) = delete;
    OwnedMemoryDc& operator=(const OwnedMemoryDc&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_;
};

// Borrows a window's drawing context (GetDC) and gives it back (ReleaseDC). A null window
// means the screen.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// The screen's drawing context, taken from the desktop window as the skin code always has.
class ScreenDc : public WindowDc {
public:
    ScreenDc() : WindowDc(GetDesktopWindow()) {}
};

// Selects an object into a drawing context and selects the previous one back when it ends.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), prior_(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (prior_ != nullptr && prior_ != HGDI_ERROR) SelectObject(dc_, prior_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

    // False when the selection failed and there is nothing to restore.
    explicit operator bool() const { return prior_ != nullptr && prior_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ prior_;
};

#pragma once
// Owned drawing resources of the Windows edition: GDI objects, memory device
// contexts, icons, a window's or a paint's device context, an object selected
// into a context and an open clipboard. Each ends with the call its API
// documents, once, however the drawing code returns.
#include <windows.h>

#include "core/scoped_handle.h"

namespace pellaro {
namespace handle_traits {

// Fonts, pens, brushes and bitmaps (DeleteObject) once no context holds them selected.
template <typename H>
struct GdiObject : NullIsInvalid<H> {
    static void Close(H handle) noexcept { DeleteObject(handle); }
};
struct MemoryDc : NullIsInvalid<HDC> {
    static void Close(Handle dc) noexcept { DeleteDC(dc); }
};
struct Icon : NullIsInvalid<HICON> {
    static void Close(Handle icon) noexcept { DestroyIcon(icon); }
};

}  // namespace handle_traits

using ScopedFont = ScopedHandle<handle_traits::GdiObject<HFONT>>;
using ScopedPen = ScopedHandle<handle_traits::GdiObject<HPEN>>;
using ScopedBrush = ScopedHandle<handle_traits::GdiObject<HBRUSH>>;
using ScopedBitmap = ScopedHandle<handle_traits::GdiObject<HBITMAP>>;
// From CreateCompatibleDC.
using ScopedMemoryDc = ScopedHandle<handle_traits::MemoryDc>;
// From LoadImageW(IMAGE_ICON) without LR_SHARED.
using ScopedIcon = ScopedHandle<handle_traits::Icon>;

// GetDC ... ReleaseDC: the release needs the window too.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint ... EndPaint, for a WM_PAINT handler.
class PaintDc {
public:
    explicit PaintDc(HWND window) noexcept : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// An object selected into a context, the previous one selected back at the
// end: declared after the object it selects, so it ends first.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~Selection() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// OpenClipboard ... CloseClipboard.
class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner) noexcept : open_(OpenClipboard(owner) != FALSE) {}
    ~ClipboardSession() {
        if (open_) CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    explicit operator bool() const noexcept { return open_; }

private:
    bool open_;
};

}  // namespace pellaro

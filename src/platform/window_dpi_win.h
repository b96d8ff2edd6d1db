#pragma once
// The DPI a window of ours is drawn at. The program is per-monitor aware
// (its manifest), so every size it states at 96 DPI is scaled by these
// (core/dpi_scale.h) and follows a window moved to another monitor.
#include <windows.h>

namespace pellaro {

// The window's DPI (its monitor's); 96 when the system cannot say.
int WindowDpi(HWND window);
// The primary monitor's DPI, for a window about to open there.
int PrimaryScreenDpi();
// The primary monitor's work area (the screen without the taskbar).
RECT PrimaryWorkArea();
// The work area of the monitor a window is on.
RECT WorkAreaOf(HWND window);
// A frame of width x height at 96 DPI scaled to `dpi`, no larger than the work area.
SIZE FrameSizeAtDpi(int width, int height, int dpi, const RECT& workArea);
// WM_DPICHANGED: the new DPI (wParam) and the rectangle Windows suggests
// (lParam), which keeps the window's size in 96-DPI terms; moves it there.
int FollowDpiChange(HWND window, WPARAM wParam, LPARAM lParam);

}  // namespace pellaro

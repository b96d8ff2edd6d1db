#include "platform/window_dpi_win.h"

#include "core/dpi_scale.h"
#include "platform/scoped_drawing_win.h"

namespace pellaro {
namespace {

// Looked up at run time: the first releases of Windows 10 lack them.
template <class Function>
Function Export(const wchar_t* module, const char* name) {
    HMODULE handle = GetModuleHandleW(module);
    if (!handle) handle = LoadLibraryExW(module, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return handle ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(handle, name))) : nullptr;
}

int DeviceDpi(HWND window) {
    WindowDc dc(window);
    if (!dc) return kBaseDpi;
    const int dpi = GetDeviceCaps(dc.get(), LOGPIXELSY);
    return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

int WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = Export<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (getDpiForWindow && window) {
        if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
    }
    return DeviceDpi(window);
}

int PrimaryScreenDpi() {
    // MDT_EFFECTIVE_DPI = 0
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpiForMonitor = Export<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    if (getDpiForMonitor) {
        UINT x = 0, y = 0;
        HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
        if (primary && SUCCEEDED(getDpiForMonitor(primary, 0, &x, &y)) && y > 0) return static_cast<int>(y);
    }
    return DeviceDpi(nullptr);
}

RECT PrimaryWorkArea() {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) return info.rcWork;
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
    return PrimaryWorkArea();
}

SIZE FrameSizeAtDpi(int width, int height, int dpi, const RECT& workArea) {
    SIZE size{ScaleToDpi(width, dpi), ScaleToDpi(height, dpi)};
    const LONG areaWidth = workArea.right - workArea.left, areaHeight = workArea.bottom - workArea.top;
    if (areaWidth > 0 && size.cx > areaWidth) size.cx = areaWidth;
    if (areaHeight > 0 && size.cy > areaHeight) size.cy = areaHeight;
    return size;
}

int FollowDpiChange(HWND window, WPARAM wParam, LPARAM lParam) {
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const int dpi = HIWORD(wParam);
    return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace pellaro

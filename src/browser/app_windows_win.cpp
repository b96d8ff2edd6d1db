#include <windows.h>

#include "core/app_record.h"
#include "core/dpi_scale.h"
#include "browser/app_windows.h"
#include "browser/app_windows_state.h"
#include "platform/window_dpi_win.h"

namespace pellaro {
namespace {

constexpr wchar_t kHomeClass[] = L"PellaroInitWindow";
constexpr int kIconResource = 101;

std::wstring PlayerClass() { return App().displayName + L"Window"; }

void PaintLoadingText(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(200, 200, 200));
    HFONT font = CreateFontW(ScaleToDpi(24, WindowDpi(hwnd)), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                             CLEARTYPE_QUALITY, 0, L"Segoe UI");
    HGDIOBJ previous = SelectObject(dc, font);
    DrawTextW(dc, LoadingText(), -1, &client, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    SelectObject(dc, previous);
    DeleteObject(font);
    EndPaint(hwnd, &ps);
}

// Both windows answer the same messages; the browser's own handling (size,
// move, activation, power) arrives through the window message handler.
LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY: {
            DestroyBrowserHosts();
            NativeWindow self = hwnd;
            WindowState().currentTopLevel.compare_exchange_strong(self, nullptr);
            PostQuitMessage(0);
            return 0;
        }
        case WM_PAINT: PaintLoadingText(hwnd); return 0;
        case WM_DPICHANGED:
            // Another monitor: the suggested frame keeps the size; its WM_SIZE resizes the browser.
            FollowDpiChange(hwnd, wParam, lParam);
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case kDestroyHostsMessage: DestroyBrowserHosts(); return 0;
        default: break;
    }
    if (const auto& handler = WindowState().messageHandler) {
        std::intptr_t result = 0;
        if (handler(hwnd, message, wParam, lParam, result)) return result;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterWindowClass(HINSTANCE instance, const wchar_t* name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconResource));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = name;
    RegisterClassExW(&wc);  // a class already registered is fine
}

// The size is stated at 96 DPI: scaled to the primary screen's, where the
// frame opens, and again should it open on a monitor of another DPI.
HWND CreateFrame(HINSTANCE instance, const wchar_t* className, int width, int height) {
    const int dpi = PrimaryScreenDpi();
    const SIZE size = FrameSizeAtDpi(width, height, dpi, PrimaryWorkArea());
    HWND hwnd = CreateWindowExW(WS_EX_APPWINDOW, className, WindowTitle().c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr, instance, nullptr);
    if (hwnd && WindowDpi(hwnd) != dpi) {
        const SIZE there = FrameSizeAtDpi(width, height, WindowDpi(hwnd), WorkAreaOf(hwnd));
        SetWindowPos(hwnd, nullptr, 0, 0, there.cx, there.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return hwnd;
}

HINSTANCE Instance(NativeInstance instance) {
    return instance != nullptr ? static_cast<HINSTANCE>(instance) : GetModuleHandleW(nullptr);
}

}  // namespace

bool CreateInitScreen(NativeInstance instance) {
    RegisterWindowClass(Instance(instance), kHomeClass);
    HWND hwnd = CreateFrame(Instance(instance), kHomeClass, kHomeWidth, kHomeHeight);
    if (hwnd == nullptr) return false;
    WindowState().currentTopLevel = hwnd;
    return WindowState().homeStarter ? WindowState().homeStarter(hwnd) : true;
}

NativeWindow CreatePlayerFrame(NativeInstance instance) {
    const std::wstring className = PlayerClass();
    RegisterWindowClass(Instance(instance), className.c_str());
    HWND hwnd = CreateFrame(Instance(instance), className.c_str(), kPlayerWidth, kPlayerHeight);
    if (hwnd == nullptr) return nullptr;
    UpdateWindow(hwnd);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return hwnd;
}

bool CreatePlayerWindow(NativeInstance, NativeWindow window, const ContentDescriptor& content) {
    if (window == nullptr) return false;
    WindowState().currentTopLevel = window;
    return WindowState().playerStarter ? WindowState().playerStarter(window, content) : true;
}

}  // namespace pellaro

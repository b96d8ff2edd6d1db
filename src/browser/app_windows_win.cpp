#include <windows.h>

#include <memory>
#include <utility>

#include "core/app_record.h"
#include "core/dpi_scale.h"
#include "browser/app_windows.h"
#include "platform/scoped_drawing_win.h"
#include "platform/window_dpi_win.h"

namespace pellaro {
namespace {

constexpr wchar_t kHomeClass[] = L"PellaroInitWindow";
constexpr int kIconResource = 101;

std::wstring PlayerClass() { return App().displayName + L"Window"; }

void PaintLoadingText(HWND hwnd) {
    PaintDc paint(hwnd);
    const HDC dc = paint.get();
    RECT client;
    GetClientRect(hwnd, &client);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(200, 200, 200));
    ScopedFont font(CreateFontW(ScaleToDpi(24, WindowDpi(hwnd)), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                CLEARTYPE_QUALITY, 0, L"Segoe UI"));
    Selection selected(dc, font.get());
    DrawTextW(dc, LoadingText(), -1, &client, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

// Both windows answer the same messages; the browser's own handling (size,
// move, activation, power) arrives through the owner's message handler. The
// owner rides in the window's user data from its first message on; a frame
// its owner let go of has none and only paints.
LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* owner = reinterpret_cast<AppWindows*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
        case WM_PAINT: PaintLoadingText(hwnd); return 0;
        case WM_DPICHANGED:
            // Another monitor: the suggested frame keeps the size; its WM_SIZE resizes the browser.
            FollowDpiChange(hwnd, wParam, lParam);
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_NCDESTROY: SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0); break;
        default: break;
    }
    if (owner == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_DESTROY:
            owner->FrameClosing(hwnd);
            PostQuitMessage(0);
            return 0;
        case kDestroyHostsMessage: owner->DestroyBrowserHosts(); return 0;
        default: break;
    }
    if (const auto& handler = owner->Hooks().messages) {
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
HWND CreateFrame(HINSTANCE instance, const wchar_t* className, int width, int height, AppWindows* owner) {
    const int dpi = PrimaryScreenDpi();
    const SIZE size = FrameSizeAtDpi(width, height, dpi, PrimaryWorkArea());
    HWND hwnd = CreateWindowExW(WS_EX_APPWINDOW, className, WindowTitle().c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr, instance, owner);
    if (hwnd && WindowDpi(hwnd) != dpi) {
        const SIZE there = FrameSizeAtDpi(width, height, WindowDpi(hwnd), WorkAreaOf(hwnd));
        SetWindowPos(hwnd, nullptr, 0, 0, there.cx, there.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return hwnd;
}

HINSTANCE Instance(NativeInstance instance) {
    return instance != nullptr ? static_cast<HINSTANCE>(instance) : GetModuleHandleW(nullptr);
}

// Whether `frame` is still a window that `owner` made.
bool Owns(const AppWindows* owner, HWND frame) {
    return frame != nullptr && IsWindow(frame) &&
           reinterpret_cast<AppWindows*>(GetWindowLongPtrW(frame, GWLP_USERDATA)) == owner;
}

}  // namespace

struct AppWindows::Frames {
    HWND home = nullptr;
    HWND player = nullptr;
};

AppWindows::AppWindows(NativeInstance instance, WindowBrowserHooks hooks)
    : instance_(instance), hooks_(std::move(hooks)), frames_(std::make_unique<Frames>()) {}

AppWindows::~AppWindows() {
    for (HWND frame : {frames_->player, frames_->home}) {
        if (!Owns(this, frame)) continue;
        SetWindowLongPtrW(frame, GWLP_USERDATA, 0);  // let go first: no hooks, no quit message
        DestroyWindow(frame);
    }
}

bool AppWindows::CreateInitScreen() {
    RegisterWindowClass(Instance(instance_), kHomeClass);
    HWND hwnd = CreateFrame(Instance(instance_), kHomeClass, kHomeWidth, kHomeHeight, this);
    if (hwnd == nullptr) return false;
    frames_->home = hwnd;
    current_ = hwnd;
    return hooks_.home ? hooks_.home(hwnd) : true;
}

NativeWindow AppWindows::CreatePlayerFrame() {
    const std::wstring className = PlayerClass();
    RegisterWindowClass(Instance(instance_), className.c_str());
    HWND hwnd = CreateFrame(Instance(instance_), className.c_str(), kPlayerWidth, kPlayerHeight, this);
    if (hwnd == nullptr) return nullptr;
    frames_->player = hwnd;
    UpdateWindow(hwnd);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return hwnd;
}

NativeWindow AppWindows::HomeWindow() const { return Owns(this, frames_->home) ? frames_->home : nullptr; }
NativeWindow AppWindows::PlayerFrame() const { return Owns(this, frames_->player) ? frames_->player : nullptr; }

}  // namespace pellaro

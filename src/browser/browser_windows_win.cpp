// The Windows windows' browser hosts: created by the windows' starters, wired
// to the policies, kept sized and visible as the frame changes, torn down by
// the hosts destroyer.
#include "browser/browser_windows.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>

#include "browser/app_windows.h"
#include "browser/browser_services.h"
#include "browser/webview2_print_win.h"
#include "browser/window_hosts.h"
#include "core/app_record.h"
#include "core/build_constants.h"
#include "links/player_page.h"
#include "platform/message_box.h"
#include "platform/window_dpi_win.h"

namespace pellaro {
namespace {

std::unique_ptr<WebView::WebViewHost> g_homeHost;
std::unique_ptr<WebView::WebViewHost> g_playerHost;
// A host destroyed while its Initialize still runs (the window closed during
// start-up) is closed at once but deleted only when Initialize has returned.
WebView::WebViewHost* g_starting = nullptr;
std::unique_ptr<WebView::WebViewHost> g_retired;
HWND g_homeWindow = nullptr;
HWND g_playerWindow = nullptr;
// The splash closer of the running program, from the services the hosts got.
std::function<void()> g_closeSplash;
bool g_playerShown = false;
bool g_playerFullscreen = false;
bool g_homeFullscreen = false;
WINDOWPLACEMENT g_homePlacement{};  // its length is set before each use

void CloseTheSplash() {
    if (g_closeSplash) g_closeSplash();
}

void BringToFront(HWND window) {
    CloseTheSplash();
    if (!IsWindow(window)) return;
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    UpdateWindow(window);
}

void ToggleHomeFullscreen(HWND window) {
    if (!IsWindow(window)) return;
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    if (g_homeFullscreen) {
        SetWindowLongPtrW(window, GWL_STYLE, style | WS_OVERLAPPEDWINDOW);
        SetWindowPlacement(window, &g_homePlacement);
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
        g_homeFullscreen = false;
        return;
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    g_homePlacement.length = sizeof(g_homePlacement);
    if (!GetWindowPlacement(window, &g_homePlacement) ||
        !GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor))
        return;
    SetWindowLongPtrW(window, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW));
    const RECT& r = monitor.rcMonitor;
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
    g_homeFullscreen = true;
}

void TogglePlayerFullscreen() {
    HWND window = g_playerWindow;
    if (!IsWindow(window)) return;
    const bool wasFullscreen = g_playerFullscreen;
    g_playerFullscreen = !g_playerFullscreen;
    if (wasFullscreen) {
        SetWindowLongPtrW(window, GWL_STYLE, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        // 1280 x 720 at 96 DPI, scaled to the monitor the window is on.
        const SIZE frame = FrameSizeAtDpi(kPlayerWidth, kPlayerHeight, WindowDpi(window), WorkAreaOf(window));
        SetWindowPos(window, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_FRAMECHANGED);
        return;
    }
    SetWindowLongPtrW(window, GWL_STYLE, WS_POPUP | WS_VISIBLE);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& r = monitor.rcMonitor;
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_FRAMECHANGED);
}

void ShowPlayerOnce() {
    if (!IsWindow(g_playerWindow) || g_playerShown) return;
    g_playerShown = true;
    ShowWindow(g_playerWindow, SW_SHOW);
    UpdateWindow(g_playerWindow);
}

WebView::WebViewHost* HostOf(HWND window) {
    if (window == g_homeWindow) return g_homeHost.get();
    if (window == g_playerWindow) return g_playerHost.get();
    return nullptr;
}

// Size, move, activation and power for the window's host; the window does the rest.
bool HandleWindowMessage(NativeWindow native, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                         std::intptr_t& result) {
    HWND window = static_cast<HWND>(native);
    WebView::WebViewHost* host = HostOf(window);
    switch (message) {
        case WM_MOVE:
        case WM_MOVING:
            if (host) host->NotifyMoved();
            return false;
        case WM_SIZE:
            if (host) {
                if (wParam == SIZE_MINIMIZED) {
                    host->SetBrowserVisible(false);
                } else {
                    host->Resize(LOWORD(lParam), HIWORD(lParam));
                    host->RefreshBrowser();
                }
            }
            result = 0;
            return true;
        case WM_ACTIVATEAPP:
            if (wParam && host && !IsIconic(window)) host->RefreshBrowser();
            return false;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMSUSPEND) {
                if (host) host->SetBrowserVisible(false);
                result = TRUE;
                return true;
            }
            if ((wParam == PBT_APMRESUMESUSPEND || wParam == PBT_APMRESUMEAUTOMATIC) && host && !IsIconic(window)) {
                host->RefreshBrowser();
                result = TRUE;
                return true;
            }
            return false;
        default: return false;
    }
}

bool StartHost(std::unique_ptr<WebView::WebViewHost>& slot, HWND window, const BrowserWindowServices& services,
               const ContentDescriptor* playerContent) {
    if (!window) return false;
    const bool home = playerContent == nullptr;
    g_closeSplash = services.closeSplash;
    const std::wstring folder = BrowserUserDataFolder();
    CreateDirectoryW(folder.substr(0, folder.find_last_of(L'\\')).c_str(), nullptr);  // the display-name folder

    slot = std::make_unique<WebView::WebViewHost>();
    WebView::WebViewHost& host = *slot;
    host.filterServices = services.filterServices();

    WindowActions actions;
    actions.bringToFront = [window] { BringToFront(window); };
    actions.closeSplash = CloseTheSplash;
    WebView::WebViewHost* h = &host;
    if (home) {
        g_homeWindow = window;
        actions.toggleFullscreen = [window] { ToggleHomeFullscreen(window); };
        auto content = std::make_shared<ContentDescriptor>();
        host.onPrintRequested = [h, content, print = services.print] {
            if (print) print(*h, *content);
        };
        WireHomeHost(host, actions, services.homeAddress, content);
    } else {
        g_playerWindow = window;
        g_playerShown = false;
        actions.toggleFullscreen = TogglePlayerFullscreen;
        actions.showOnce = ShowPlayerOnce;
        PlayerPageBuilder pages{JsEscape, [](const ContentDescriptor& c) {
                                    return BuildPlayerPage(c.contentUrl, c.watermarkText, c.contentType);
                                }};
        host.onPrintRequested = [h, content = *playerContent, print = services.print] {
            if (print) print(*h, content);
        };
        WirePlayerHost(host, actions, pages, *playerContent);
    }

    g_starting = &host;
    const bool started = host.Initialize(window, folder, 1);
    g_starting = nullptr;
    const std::unique_ptr<WebView::WebViewHost> retired = std::move(g_retired);
    if (!started) {
        CloseTheSplash();
        MessageBoxSpec box;
        box.text = BrowserStartFailureText(host);
        box.caption = BrowserStartFailureCaption();
        box.icon = MessageIcon::Error;
        box.owner = IsWindow(window) ? window : nullptr;
        ShowMessageBox(box);
        return false;
    }
    if (retired) return false;  // the window went away while the browser started
    if (home) {
        RECT client{};
        GetClientRect(window, &client);
        host.Resize(client.right - client.left, client.bottom - client.top);
    }
    return true;
}

void DestroyHost(std::unique_ptr<WebView::WebViewHost>& slot) {
    std::unique_ptr<WebView::WebViewHost> host = std::move(slot);  // the pointer is cleared first
    if (!host) return;
    host->Close(5000);
    if (host.get() == g_starting) g_retired = std::move(host);
}

}  // namespace

bool StartHomeBrowser(NativeWindow window, const BrowserWindowServices& services) {
    return StartHost(g_homeHost, static_cast<HWND>(window), services, nullptr);
}

bool StartPlayerBrowser(NativeWindow window, const ContentDescriptor& content, const BrowserWindowServices& services) {
    return StartHost(g_playerHost, static_cast<HWND>(window), services, &content);
}

void DestroyWindowBrowsers() {
    DestroyHost(g_playerHost);
    DestroyHost(g_homeHost);
}

bool WindowBrowserExists() { return g_homeHost != nullptr || g_playerHost != nullptr; }

WindowMessageHandler BrowserWindowMessages() { return HandleWindowMessage; }

// WebView2's own print call prints the page it shows; unlike the Linux edition
// nothing is fetched, so the descriptor plays no part.
void PrintToPhysicalPrinter(WebView::WebViewHost& host, const ContentDescriptor&) {
    auto* webView = static_cast<ICoreWebView2*>(host.NativeBrowser());
    if (!webView) return;
    PrintWithWebView2(static_cast<HWND>(host.Parent()), static_cast<ICoreWebView2Environment*>(host.NativeEnvironment()),
                      webView);
}

WebView::WebViewHost* HomeHost() { return g_homeHost.get(); }
WebView::WebViewHost* PlayerHost() { return g_playerHost.get(); }

std::wstring BrowserUserDataFolder() {
    wchar_t local[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local);
    return std::wstring(local) + L"\\" + App().displayName + L"\\WebView2Data";
}

}  // namespace pellaro

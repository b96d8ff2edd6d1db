// The Windows windows' browser hosts: created by the windows' starters, wired
// to the policies, kept sized and visible as the frame changes, torn down by
// the hosts destroyer.
#include "browser/browser_windows.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <utility>

#include "browser/app_windows.h"
#include "browser/browser_services.h"
#include "browser/webview2_print_win.h"
#include "browser/window_hosts.h"
#include "core/app_record.h"
#include "core/build_constants.h"
#include "links/player_page.h"
#include "core/text.h"
#include "platform/debug_log.h"
#include "platform/message_box.h"
#include "platform/window_dpi_win.h"

namespace pellaro {
namespace {

// A host is shared while its Initialize runs: that pumps messages, and a
// window closed meanwhile closes its host at once, which is deleted once
// Initialize has returned.
using HostPointer = std::shared_ptr<WebView::WebViewHost>;

void BringToFront(HWND window, const std::function<void()>& closeSplash) {
    if (closeSplash) closeSplash();
    if (!IsWindow(window)) return;
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    UpdateWindow(window);
}

void ToggleHomeFullscreen(HWND window, bool& fullscreen, WINDOWPLACEMENT& placement) {
    if (!IsWindow(window)) return;
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    if (fullscreen) {
        SetWindowLongPtrW(window, GWL_STYLE, style | WS_OVERLAPPEDWINDOW);
        SetWindowPlacement(window, &placement);
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
        fullscreen = false;
        return;
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(window, &placement) ||
        !GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor))
        return;
    SetWindowLongPtrW(window, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW));
    const RECT& r = monitor.rcMonitor;
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
    fullscreen = true;
}

void TogglePlayerFullscreen(HWND window, bool& fullscreen) {
    if (!IsWindow(window)) return;
    const bool wasFullscreen = fullscreen;
    fullscreen = !fullscreen;
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

void ShowPlayerOnce(HWND window, bool& shown) {
    if (!IsWindow(window) || shown) return;
    shown = true;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
}

// Size, move, activation and power for the window's host; the window does the rest.
bool HandleWindowMessage(WebView::WebViewHost* host, HWND window, unsigned message, std::uintptr_t wParam,
                         std::intptr_t lParam, std::intptr_t& result) {
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

void DestroyHost(HostPointer& slot) {
    HostPointer host = std::move(slot);  // the pointer is cleared first
    if (host) host->Close(5000);
}

// Notices of a window, one box at a time and owned by it; one that comes
// while a box is open waits its turn, and a text already waiting or showing
// is not queued again, so a page cannot stack boxes.
struct NoticeQueue {
    std::deque<std::wstring> waiting;
    bool showing = false;
};

void ShowNotice(HWND window, NoticeQueue& queue, const std::wstring& text) {
    if (std::find(queue.waiting.begin(), queue.waiting.end(), text) != queue.waiting.end()) {
        DebugLine("Notice already waiting: " + ToUtf8(text.substr(0, text.find(L'\n'))));
        return;
    }
    queue.waiting.push_back(text);
    if (queue.showing) return;  // the box open now shows it next
    queue.showing = true;
    while (!queue.waiting.empty()) {
        MessageBoxSpec box;
        box.text = queue.waiting.front();
        box.caption = App().displayName;
        box.icon = MessageIcon::Information;
        box.owner = IsWindow(window) ? window : nullptr;
        ShowMessageBox(box);
        queue.waiting.pop_front();
    }
    queue.showing = false;
}

}  // namespace

struct WindowBrowsers::Window {
    HWND frame = nullptr;
    HostPointer host;
    bool fullscreen = false;
    bool shown = false;           // the player shows itself once, when its page is ready
    WINDOWPLACEMENT placement{};  // the home frame's before fullscreen; its length is set before each use
    // Kept across a restart of the host: the failures counted, the item shown.
    std::shared_ptr<PageRecovery> recovery;
    std::shared_ptr<const ContentDescriptor> playerContent;
    std::wstring resumeAt;  // the home window's address when its host is started again
    NoticeQueue notices;
};

WindowBrowsers::WindowBrowsers(BrowserWindowServices services)
    : services_(std::move(services)), home_(std::make_unique<Window>()), player_(std::make_unique<Window>()) {}

WindowBrowsers::~WindowBrowsers() { DestroyAll(); }

bool WindowBrowsers::StartHome(NativeWindow window) {
    home_->recovery = std::make_shared<PageRecovery>();
    return Start(*home_, static_cast<HWND>(window), nullptr);
}

bool WindowBrowsers::StartPlayer(NativeWindow window, const ContentDescriptor& content) {
    player_->recovery = std::make_shared<PageRecovery>();
    player_->playerContent = std::make_shared<const ContentDescriptor>(content);
    player_->shown = false;
    return Start(*player_, static_cast<HWND>(window), player_->playerContent.get());
}

bool WindowBrowsers::Start(Window& state, NativeWindow native, const ContentDescriptor* playerContent) {
    HWND window = static_cast<HWND>(native);
    if (!window) return false;
    const bool home = playerContent == nullptr;
    const std::wstring folder = BrowserUserDataFolder();
    CreateDirectoryW(folder.substr(0, folder.find_last_of(L'\\')).c_str(), nullptr);  // the display-name folder

    const HostPointer made = std::make_shared<WebView::WebViewHost>();
    state.host = made;
    state.frame = window;
    WebView::WebViewHost& host = *made;
    host.filterServices = services_.filterServices();
    host.warmUp = services_.warmUp.get();

    WindowActions actions;
    actions.bringToFront = [window, closeSplash = services_.closeSplash] { BringToFront(window, closeSplash); };
    actions.closeSplash = services_.closeSplash;
    WebView::WebViewHost* h = &host;
    Window* self = &state;
    actions.recovery = state.recovery;
    // The browser process behind the host has gone: the host is closed and
    // started again in the same window through the same start (same data
    // folder, same policies), showing the same item or the home window's
    // address. The old host lives until this returns: it is its event.
    actions.restartHost = [this, self] {
        HWND frame = self->frame;
        const HostPointer old = self->host;
        if (!old || !IsWindow(frame)) return;
        self->resumeAt = old->TopDocument().address;
        DestroyHost(self->host);
        DebugLine("Browser host started again in the same window");
        Start(*self, frame, self->playerContent.get());
    };
    actions.showNotice = [window, self](const std::wstring& text) { ShowNotice(window, self->notices, text); };
    if (home) {
        actions.toggleFullscreen = [window, self] { ToggleHomeFullscreen(window, self->fullscreen, self->placement); };
        auto content = std::make_shared<ContentDescriptor>();
        host.onPrintRequested = [h, content, print = services_.print] {
            if (print) print(*h, *content);
        };
        WireHomeHost(host, actions, services_.homeAddress, content, std::exchange(state.resumeAt, {}));
    } else {
        actions.toggleFullscreen = [window, self] { TogglePlayerFullscreen(window, self->fullscreen); };
        actions.showOnce = [window, self] { ShowPlayerOnce(window, self->shown); };
        PlayerPageBuilder pages{JsEscape, [](const ContentDescriptor& c) {
                                    return BuildPlayerPage(c.contentUrl, c.watermarkText, c.contentType);
                                }};
        host.onPrintRequested = [h, content = *playerContent, print = services_.print] {
            if (print) print(*h, content);
        };
        WirePlayerHost(host, actions, pages, *playerContent);
    }

    const bool started = host.Initialize(window, folder, 1);
    const bool closedMeanwhile = state.host != made;
    if (!started) {
        if (services_.closeSplash) services_.closeSplash();
        MessageBoxSpec box;
        box.text = BrowserStartFailureText(host);
        box.caption = BrowserStartFailureCaption();
        box.icon = MessageIcon::Error;
        box.owner = IsWindow(window) ? window : nullptr;
        ShowMessageBox(box);
        return false;
    }
    if (closedMeanwhile) return false;  // the window went away while the browser started
    if (home) {
        RECT client{};
        GetClientRect(window, &client);
        host.Resize(client.right - client.left, client.bottom - client.top);
    }
    return true;
}

void WindowBrowsers::DestroyAll() {
    DestroyHost(player_->host);
    DestroyHost(home_->host);
}

bool WindowBrowsers::AnyExists() const { return home_->host != nullptr || player_->host != nullptr; }

WebView::WebViewHost* WindowBrowsers::HomeHost() const { return home_->host.get(); }
WebView::WebViewHost* WindowBrowsers::PlayerHost() const { return player_->host.get(); }

WindowMessageHandler WindowBrowsers::Messages() {
    return [this](NativeWindow native, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                  std::intptr_t& result) {
        HWND window = static_cast<HWND>(native);
        WebView::WebViewHost* host = window == home_->frame     ? home_->host.get()
                                     : window == player_->frame ? player_->host.get()
                                                                : nullptr;
        return HandleWindowMessage(host, window, message, wParam, lParam, result);
    };
}

// WebView2's own print call prints the page it shows; unlike the Linux edition
// nothing is fetched, so the descriptor plays no part.
void PrintToPhysicalPrinter(WebView::WebViewHost& host, const ContentDescriptor&) {
    auto* webView = static_cast<ICoreWebView2*>(host.NativeBrowser());
    if (!webView) return;
    PrintWithWebView2(static_cast<HWND>(host.Parent()),
                      static_cast<ICoreWebView2Environment*>(host.NativeEnvironment()), webView);
}

std::wstring BrowserUserDataFolder() {
    wchar_t local[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local);
    return std::wstring(local) + L"\\" + App().displayName + L"\\WebView2Data";
}

}  // namespace pellaro

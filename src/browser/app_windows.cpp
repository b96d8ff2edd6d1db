#include "browser/app_windows.h"

#include "core/app_record.h"
#include "browser/app_windows_state.h"

namespace pellaro {

std::wstring WindowTitle() { return App().displayName + L" V " + App().versionText; }

const wchar_t* LoadingText() { return L"جاري التحميل... Loading..."; }

WindowsState& WindowState() {
    static WindowsState state;
    return state;
}

void SetHomeBrowserStarter(BrowserStarter starter) { WindowState().homeStarter = std::move(starter); }
void SetPlayerBrowserStarter(BrowserStarter starter) { WindowState().playerStarter = std::move(starter); }
void SetBrowserHostsDestroyer(std::function<void()> destroyer) { WindowState().destroyer = std::move(destroyer); }
void SetBrowserHostProbe(std::function<bool()> probe) { WindowState().probe = std::move(probe); }
void SetWindowMessageHandler(WindowMessageHandler handler) { WindowState().messageHandler = std::move(handler); }

bool BrowserHostExists() { return WindowState().probe && WindowState().probe(); }

void DestroyBrowserHosts() {
    if (WindowState().destroyer) WindowState().destroyer();
}

NativeWindow CurrentTopLevelWindow() { return WindowState().currentTopLevel.load(); }

}  // namespace pellaro

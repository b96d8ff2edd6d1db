#include "browser/app_windows.h"

#include "core/app_record.h"

namespace pellaro {

std::wstring WindowTitle() { return App().displayName + L" V " + App().versionText; }

const wchar_t* LoadingText() { return L"جاري التحميل... Loading..."; }

bool AppWindows::BrowserHostExists() const { return hooks_.exists && hooks_.exists(); }

void AppWindows::DestroyBrowserHosts() {
    if (hooks_.destroy) hooks_.destroy();
}

void AppWindows::FrameClosing(NativeWindow frame) {
    DestroyBrowserHosts();
    current_.compare_exchange_strong(frame, nullptr);
}

bool AppWindows::CreatePlayerWindow(NativeWindow window, const ContentDescriptor& content) {
    if (window == nullptr) return false;
    current_ = window;
    return hooks_.player ? hooks_.player(window, content) : true;
}

}  // namespace pellaro

#include "browser/browser_windows.h"

namespace pellaro {

void WireWindowBrowsers(const BrowserWindowServices& services, std::function<void()> afterDestroy) {
    SetHomeBrowserStarter([services](NativeWindow window) { return StartHomeBrowser(window, services); });
    SetPlayerBrowserStarter([services](NativeWindow window, const ContentDescriptor& content) {
        return StartPlayerBrowser(window, content, services);
    });
    SetBrowserHostsDestroyer([afterDestroy = std::move(afterDestroy)] {
        DestroyWindowBrowsers();
        if (afterDestroy) afterDestroy();
    });
    SetBrowserHostProbe(WindowBrowserExists);
    SetWindowMessageHandler(BrowserWindowMessages());
}

}  // namespace pellaro

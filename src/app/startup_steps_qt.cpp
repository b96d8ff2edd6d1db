#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

#include "app/startup_steps.h"
#include "browser/engine_warmup.h"

namespace pellaro {

ScopeGuard PlatformStartup() { return {}; }

std::optional<ScopeGuard> GraphicsStartup() { return ScopeGuard(); }

void OpenAddress(const std::wstring& address) { QDesktopServices::openUrl(QUrl(QString::fromStdWString(address))); }

int RunMessageLoop() { return QApplication::exec(); }

ScopeGuard WarmBrowserEngine() {
    WebView::StartEngineWarmUp(BrowserUserDataFolder());
    return ScopeGuard(WebView::DisposeEngineWarmUp);
}

EditionBrowsers MakeEditionBrowsers(BrowserWindowServices services) {
    services.print = PrintToPhysicalPrinter;
    return EditionBrowsers{
        .home = [services](NativeWindow window) { return StartHomeBrowser(window, services); },
        .player = [services](NativeWindow window,
                             const ContentDescriptor& content) { return StartPlayerBrowser(window, content, services); },
        // Also a warmed engine no window took, before the diagnostic dialog ends the process.
        .destroy = [] { DestroyWindowBrowsers(); WebView::DisposeEngineWarmUp(); },
        .exists = WindowBrowserExists,
        .windowMessages = BrowserWindowMessages(),
    };
}

}  // namespace pellaro

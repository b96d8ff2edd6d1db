#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

#include "app/startup_steps.h"

namespace pellaro {

ScopeGuard PlatformStartup() { return {}; }

std::optional<ScopeGuard> GraphicsStartup() { return ScopeGuard(); }

void OpenAddress(const std::wstring& address) { QDesktopServices::openUrl(QUrl(QString::fromStdWString(address))); }

int RunMessageLoop() { return QApplication::exec(); }

EditionBrowsers MakeEditionBrowsers(BrowserWindowServices services) {
    services.print = PrintToPhysicalPrinter;
    return EditionBrowsers{
        .home = [services](NativeWindow window) { return StartHomeBrowser(window, services); },
        .player = [services](NativeWindow window,
                             const ContentDescriptor& content) { return StartPlayerBrowser(window, content, services); },
        .destroy = DestroyWindowBrowsers,
        .exists = WindowBrowserExists,
        .windowMessages = BrowserWindowMessages(),
    };
}

}  // namespace pellaro

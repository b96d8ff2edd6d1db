#include "browser/browser_windows.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QEvent>
#include <QStandardPaths>
#include <QWebEngineView>
#include <QWindowStateChangeEvent>

#include <memory>

#include "core/app_record.h"
#include "browser/app_window_qt.h"
#include "browser/app_windows.h"
#include "browser/window_hosts.h"
#include "links/player_page.h"
#include "platform/message_box.h"
#include "platform/window_system_qt.h"
#include "core/text.h"
#include "print/print_job.h"

namespace pellaro {
namespace {

std::unique_ptr<WebView::WebViewHost> g_homeHost;
std::unique_ptr<WebView::WebViewHost> g_playerHost;
bool g_playerShown = false;
bool g_playerFullscreen = false;
bool g_homeFullscreen = false;
QRect g_homeGeometry;  // the frame's place and size before fullscreen

void BringToFront(QWidget* window, const std::function<void()>& closeSplash) {
    closeSplash();
    if (!window) return;
    BringForward(window);
    window->update();
}

// Keeps the browser in step with its frame: hidden while minimised, bounds and
// visibility re-applied on restore and activation.
class FrameWatcher : public QObject {
public:
    FrameWatcher(QWidget* frame, std::function<WebView::WebViewHost*()> host)
        : QObject(frame), frame_(frame), host_(std::move(host)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        WebView::WebViewHost* host = host_();
        if (watched == frame_ && host) {
            switch (event->type()) {
                case QEvent::WindowStateChange:
                    if (frame_->isMinimized()) {
                        host->SetBrowserVisible(false);
                    } else {
                        host->Resize(frame_->width(), frame_->height());
                        host->RefreshBrowser();
                    }
                    break;
                case QEvent::Move: host->NotifyMoved(); break;
                case QEvent::ActivationChange:
                    if (frame_->isActiveWindow() && !frame_->isMinimized()) host->RefreshBrowser();
                    break;
                default: break;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* frame_;
    std::function<WebView::WebViewHost*()> host_;
};

void ToggleHomeFullscreen(QWidget* window) {
    if (!window) return;
    if (g_homeFullscreen) {
        window->showNormal();
        window->setGeometry(g_homeGeometry);
        g_homeFullscreen = false;
    } else {
        g_homeGeometry = window->geometry();
        window->showFullScreen();
        g_homeFullscreen = true;
    }
}

void TogglePlayerFullscreen(QWidget* window) {
    if (!window) return;
    const bool wasFullscreen = g_playerFullscreen;
    g_playerFullscreen = !g_playerFullscreen;
    if (wasFullscreen) {
        window->showNormal();
        window->resize(kPlayerWidth, kPlayerHeight);
    } else {
        window->showFullScreen();
    }
}

// Creates the host in `slot`, lets `wire` set its policies and starts it.
bool StartHost(std::unique_ptr<WebView::WebViewHost>& slot, AppWindow* window, const BrowserWindowServices& services,
               const std::function<void(WebView::WebViewHost&, const WindowActions&)>& wire,
               std::function<WebView::WebViewHost*()> current) {
    if (!window) return false;
    const std::wstring folder = BrowserUserDataFolder();
    QDir().mkpath(QFileInfo(QString::fromStdWString(folder)).path());  // the display-name folder

    slot = std::make_unique<WebView::WebViewHost>();
    WebView::WebViewHost& host = *slot;
    host.filterServices = services.filterServices();

    QPointer<QWidget> frame(window);
    WindowActions actions;
    actions.closeSplash = services.closeSplash;
    actions.bringToFront = [frame, closeSplash = services.closeSplash] { BringToFront(frame, closeSplash); };
    wire(host, actions);

    if (!host.Initialize(static_cast<QWidget*>(window), folder, 1)) {
        services.closeSplash();
        MessageBoxSpec box;
        box.text = BrowserStartFailureText(host);
        box.caption = BrowserStartFailureCaption();
        box.icon = MessageIcon::Error;
        box.owner = static_cast<QWidget*>(window);
        ShowMessageBox(box);
        return false;
    }
    window->SetContentWidget(static_cast<QWidget*>(host.NativeBrowser()));
    window->installEventFilter(new FrameWatcher(window, std::move(current)));
    return true;
}

void DestroyHost(std::unique_ptr<WebView::WebViewHost>& slot) {
    std::unique_ptr<WebView::WebViewHost> host = std::move(slot);  // the pointer is cleared first
    if (host) host->Close(5000);
}

}  // namespace

bool StartHomeBrowser(NativeWindow window, const BrowserWindowServices& services) {
    auto* frame = static_cast<AppWindow*>(window);
    QPointer<QWidget> guarded(frame);
    return StartHost(g_homeHost, frame, services,
                     [&](WebView::WebViewHost& host, WindowActions actions) {
                         auto content = std::make_shared<ContentDescriptor>();
                         WebView::WebViewHost* h = &host;
                         host.onPrintRequested = [h, content, print = services.print] { print(*h, *content); };
                         actions.toggleFullscreen = [guarded] { ToggleHomeFullscreen(guarded); };
                         WireHomeHost(host, actions, services.homeAddress, content);
                     },
                     HomeHost);
}

bool StartPlayerBrowser(NativeWindow window, const ContentDescriptor& content, const BrowserWindowServices& services) {
    auto* frame = static_cast<AppWindow*>(window);
    QPointer<QWidget> guarded(frame);
    g_playerShown = false;
    return StartHost(g_playerHost, frame, services,
                     [&](WebView::WebViewHost& host, WindowActions actions) {
                         WebView::WebViewHost* h = &host;
                         host.onPrintRequested = [h, content, print = services.print] { print(*h, content); };
                         actions.toggleFullscreen = [guarded] { TogglePlayerFullscreen(guarded); };
                         actions.showOnce = [guarded] {
                             if (!guarded || g_playerShown) return;
                             g_playerShown = true;
                             guarded->show();
                             guarded->update();
                         };
                         PlayerPageBuilder pages{JsEscape, [](const ContentDescriptor& c) {
                                                     return BuildPlayerPage(c.contentUrl, c.watermarkText,
                                                                            c.contentType);
                                                 }};
                         WirePlayerHost(host, actions, pages, content);
                     },
                     PlayerHost);
}

void DestroyWindowBrowsers() {
    DestroyHost(g_playerHost);
    DestroyHost(g_homeHost);
}

bool WindowBrowserExists() { return g_homeHost != nullptr || g_playerHost != nullptr; }

WindowMessageHandler BrowserWindowMessages() { return {}; }

void PrintToPhysicalPrinter(WebView::WebViewHost& host, const ContentDescriptor& content) {
    auto* view = static_cast<QWebEngineView*>(host.NativeBrowser());
    if (!view) return;
    WebView::WebViewHost* target = &host;
    // The committed address, never the one a page may have rewritten.
    print::PrintPageToPhysicalPrinter(view->page(), host.TopDocument().address, static_cast<QWidget*>(host.Parent()),
                                      content, [target](const std::string& json) {
                                          target->PostWebMessageAsJson(FromUtf8(json));
                                      });
}

WebView::WebViewHost* HomeHost() { return g_homeHost.get(); }
WebView::WebViewHost* PlayerHost() { return g_playerHost.get(); }

std::wstring BrowserUserDataFolder() {
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty()) dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return (dataHome + QLatin1Char('/') + QString::fromStdWString(App().displayName) +
            QStringLiteral("/WebView2Data"))
        .toStdWString();
}

}  // namespace pellaro

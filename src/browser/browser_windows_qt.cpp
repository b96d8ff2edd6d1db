#include "browser/browser_windows.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QEvent>
#include <QMessageBox>
#include <QStandardPaths>
#include <QWebEngineView>
#include <QWindowStateChangeEvent>

#include <memory>

#include "core/app_record.h"
#include "browser/app_window_qt.h"
#include "browser/app_windows.h"
#include "browser/window_hosts.h"
#include "links/player_page.h"
#include "platform/debug_log.h"
#include "platform/message_box.h"
#include "platform/window_system_qt.h"
#include "core/text.h"
#include "print/print_job.h"

namespace pellaro {
namespace {

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

void ToggleHomeFullscreen(QWidget* window, bool& fullscreen, QRect& geometry) {
    if (!window) return;
    if (fullscreen) {
        window->showNormal();
        window->setGeometry(geometry);
        fullscreen = false;
    } else {
        geometry = window->geometry();
        window->showFullScreen();
        fullscreen = true;
    }
}

void TogglePlayerFullscreen(QWidget* window, bool& fullscreen) {
    if (!window) return;
    const bool wasFullscreen = fullscreen;
    fullscreen = !fullscreen;
    if (wasFullscreen) {
        window->showNormal();
        window->resize(kPlayerWidth, kPlayerHeight);
    } else {
        window->showFullScreen();
    }
}

// A notice box owned by the window that holds nothing up: the lesson goes
// on, and the window still closes, while it is open.
void ShowWindowNotice(QPointer<QWidget> frame, const std::wstring& text) {
    if (!frame) return;
    const QString caption = QString::fromStdWString(App().displayName);
    DebugLine("MessageBox: " + ToUtf8(App().displayName) + " | " + ToUtf8(text));
    auto* box = new QMessageBox(QMessageBox::Information, caption, QString::fromStdWString(text), QMessageBox::Ok,
                                frame.data());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void DestroyHost(std::unique_ptr<WebView::WebViewHost>& slot) {
    std::unique_ptr<WebView::WebViewHost> host = std::move(slot);  // the pointer is cleared first
    if (host) host->Close(5000);
}

}  // namespace

struct WindowBrowsers::Window {
    std::unique_ptr<WebView::WebViewHost> host;
    bool fullscreen = false;
    bool shown = false;         // the player shows itself once, when its page is ready
    QRect geometry;             // the home frame's place and size before fullscreen
    QPointer<QObject> watcher;  // keeps the host in step with the frame; goes with the host
};

WindowBrowsers::WindowBrowsers(BrowserWindowServices services)
    : services_(std::move(services)), home_(std::make_unique<Window>()), player_(std::make_unique<Window>()) {}

WindowBrowsers::~WindowBrowsers() { DestroyAll(); }

bool WindowBrowsers::StartHome(NativeWindow window) { return Start(*home_, window, nullptr); }

bool WindowBrowsers::StartPlayer(NativeWindow window, const ContentDescriptor& content) {
    return Start(*player_, window, &content);
}

bool WindowBrowsers::Start(Window& state, NativeWindow native, const ContentDescriptor* playerContent) {
    auto* window = static_cast<AppWindow*>(native);
    if (!window) return false;
    const std::wstring folder = BrowserUserDataFolder();
    QDir().mkpath(QFileInfo(QString::fromStdWString(folder)).path());  // the display-name folder

    state.host = std::make_unique<WebView::WebViewHost>();
    WebView::WebViewHost& host = *state.host;
    host.filterServices = services_.filterServices();

    QPointer<QWidget> frame(window);
    WindowActions actions;
    actions.closeSplash = services_.closeSplash;
    actions.bringToFront = [frame, closeSplash = services_.closeSplash] { BringToFront(frame, closeSplash); };
    actions.showNotice = [frame](const std::wstring& text) { ShowWindowNotice(frame, text); };
    // Each showing counts its own failures. Qt WebEngine runs its browser
    // process inside the program, so there is no host to start again alone.
    actions.recovery = std::make_shared<PageRecovery>();
    WebView::WebViewHost* h = &host;
    Window* self = &state;
    if (playerContent == nullptr) {
        auto content = std::make_shared<ContentDescriptor>();
        host.onPrintRequested = [h, content, print = services_.print] { print(*h, *content); };
        actions.toggleFullscreen = [frame, self] { ToggleHomeFullscreen(frame, self->fullscreen, self->geometry); };
        WireHomeHost(host, actions, services_.homeAddress, content);
    } else {
        state.shown = false;
        host.onPrintRequested = [h, content = *playerContent, print = services_.print] { print(*h, content); };
        actions.toggleFullscreen = [frame, self] { TogglePlayerFullscreen(frame, self->fullscreen); };
        actions.showOnce = [frame, self] {
            if (!frame || self->shown) return;
            self->shown = true;
            frame->show();
            frame->update();
        };
        PlayerPageBuilder pages{JsEscape, [](const ContentDescriptor& c) {
                                    return BuildPlayerPage(c.contentUrl, c.watermarkText, c.contentType);
                                }};
        WirePlayerHost(host, actions, pages, *playerContent);
    }

    if (!host.Initialize(static_cast<QWidget*>(window), folder, 1)) {
        services_.closeSplash();
        MessageBoxSpec box;
        box.text = BrowserStartFailureText(host);
        box.caption = BrowserStartFailureCaption();
        box.icon = MessageIcon::Error;
        box.owner = static_cast<QWidget*>(window);
        ShowMessageBox(box);
        return false;
    }
    window->SetContentWidget(static_cast<QWidget*>(host.NativeBrowser()));
    delete state.watcher;
    state.watcher = new FrameWatcher(window, [self] { return self->host.get(); });
    window->installEventFilter(state.watcher);
    return true;
}

void WindowBrowsers::DestroyAll() {
    for (Window* window : {player_.get(), home_.get()}) {
        delete window->watcher;
        DestroyHost(window->host);
    }
}

bool WindowBrowsers::AnyExists() const { return home_->host != nullptr || player_->host != nullptr; }

WebView::WebViewHost* WindowBrowsers::HomeHost() const { return home_->host.get(); }
WebView::WebViewHost* WindowBrowsers::PlayerHost() const { return player_->host.get(); }

WindowMessageHandler WindowBrowsers::Messages() { return {}; }

void PrintToPhysicalPrinter(WebView::WebViewHost& host, const ContentDescriptor& content) {
    auto* view = static_cast<QWebEngineView*>(host.NativeBrowser());
    if (!view) return;
    WebView::WebViewHost* target = &host;
    // The committed address, never the one a page may have rewritten.
    print::PrintPageToPhysicalPrinter(
        view->page(), host.TopDocument().address, static_cast<QWidget*>(host.Parent()), content,
        [target](const std::string& json) { target->PostWebMessageAsJson(FromUtf8(json)); });
}

std::wstring BrowserUserDataFolder() {
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty()) dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return (dataHome + QLatin1Char('/') + QString::fromStdWString(App().displayName) + QStringLiteral("/WebView2Data"))
        .toStdWString();
}

}  // namespace pellaro

// Qt WebEngine stands in for WebView2: a private profile whose storage lives in
// the user-data folder, a page whose main-frame navigations pass the window's
// policy, a request interceptor running the resource filter, document-creation
// scripts, and a web channel that gives pages window.chrome.webview.
#include "browser/webview_host.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSslCertificate>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWebChannel>
#include <QStandardPaths>
#include <QWebEngineCertificateError>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineHttpRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>
#include <QWheelEvent>
#include <QWidget>

#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <optional>

#include "core/build_constants.h"
#include "net/test_root.h"
#include "browser/download_rule.h"
#include "browser/engine_warmup_qt.h"
#include "browser/host_start.h"
#include "browser/message_bridge.h"
#include "browser/navigation_policy.h"
#include "browser/scheme_policy.h"
#include "platform/debug_log.h"
#include "core/text.h"

namespace WebView {
namespace {

QString Q(const std::wstring& text) { return QString::fromStdWString(text); }
std::wstring W(const QString& text) { return text.toStdWString(); }

// The object pages reach through the web channel.
class PageBridge : public QObject {
    Q_OBJECT
public:
    std::function<void(const std::wstring&)> onMessage;
public slots:
    void postMessage(const QString& text) {
        // QString counts UTF-16 units, as the Windows edition does.
        if (!pellaro::IsWebMessageWithinLimit(static_cast<std::size_t>(text.size()))) {
            pellaro::DebugLine("Page message ignored: longer than the bridge reads");
            return;
        }
        // Handled from Qt's own event loop, in order, not inside the engine's
        // delivery: a modal dialog a message opens (the printer picker) then
        // keeps receiving the page's messages, as WebView2's does; inside the
        // engine's task they would wait until it closed.
        QTimer::singleShot(0, this, [this, message = W(text)] {
            if (onMessage) onMessage(message);
        });
    }
signals:
    void hostMessage(const QString& json);
};

// window.chrome.webview over the web channel, in the top document only (the
// program also checks the committed top document of every message; frames get
// one that drops what they post). Messages
// posted before the channel is up are queued; strings go as they are, other
// values as JSON.
constexpr char kBridgeShim[] = R"JS(
(function(){
if(window!==window.top){
// Frames get a bridge that carries nothing: their scripts keep running, the
// program hears only the top document.
try{if(!window.chrome)window.chrome={};if(!window.chrome.webview)Object.defineProperty(window.chrome,'webview',
{value:{postMessage:function(){},addEventListener:function(){},removeEventListener:function(){}},
writable:false,configurable:false});}catch(e){}
return;}
if(window.chrome&&window.chrome.webview&&window.chrome.webview._pellaroBridge)return;
var queue=[],bridge=null,listeners=[];
function send(x){var s=(typeof x==='string')?x:JSON.stringify(x);if(bridge){bridge.postMessage(s);}else{queue.push(s);}}
var webview={_pellaroBridge:true,postMessage:send,
addEventListener:function(type,fn){if(type==='message'&&typeof fn==='function')listeners.push(fn);},
removeEventListener:function(type,fn){var i=listeners.indexOf(fn);if(i>=0)listeners.splice(i,1);}};
try{if(!window.chrome)window.chrome={};Object.defineProperty(window.chrome,'webview',{value:webview,writable:false,configurable:false});}catch(e){return;}
function start(){
if(typeof qt==='undefined'||!qt.webChannelTransport||typeof QWebChannel==='undefined')return;
new QWebChannel(qt.webChannelTransport,function(channel){
bridge=channel.objects.pellaroHost;
bridge.hostMessage.connect(function(json){var data;try{data=JSON.parse(json);}catch(e){data=json;}
var ev={data:data};listeners.slice().forEach(function(fn){try{fn(ev);}catch(e){}});});
queue.splice(0).forEach(function(s){bridge.postMessage(s);});
});
}
start();
})();
)JS";

// Chromium's own control + wheel zoom has no switch; the view eats it.
class ZoomBlocker : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Wheel && (static_cast<QWheelEvent*>(event)->modifiers() & Qt::ControlModifier))
            return true;
        return QObject::eventFilter(watched, event);
    }
};

// Inside the built-in PDF viewer Control+P reaches no page script and the
// engine prints nothing: the view itself turns the key into the program's
// print request, for every page (page scripts would swallow it anyway).
class PrintKeyCatcher : public QObject {
public:
    explicit PrintKeyCatcher(std::function<void()> request) : request_(std::move(request)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The view creates the widget that takes the keys later, on its first page.
        if (event->type() == QEvent::ChildAdded) {
            QObject* child = static_cast<QChildEvent*>(event)->child();
            if (child->isWidgetType()) child->installEventFilter(this);
        }
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(event);
            const auto modifiers = key->modifiers() & ~Qt::KeypadModifier;
            if (key->key() == Qt::Key_P && modifiers == Qt::ControlModifier) {
                if (event->type() == QEvent::ShortcutOverride) {
                    event->accept();  // no shortcut elsewhere takes it; it comes back as a key press
                } else if (!key->isAutoRepeat()) {
                    // The picker is modal: it runs after this event, not inside it.
                    QTimer::singleShot(0, this, request_);
                }
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> request_;
};

class FilteringInterceptor;

class PolicyPage : public QWebEnginePage {
public:
    PolicyPage(QWebEngineProfile* profile, WebViewHost& host) : QWebEnginePage(profile), host_(host) {
        // A main-frame navigation the page accepted becomes the committed
        // document when the address changes to it; other address changes
        // (history.pushState, fragments) leave the committed document alone.
        connect(this, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
            if (!pendingUrl_.isValid() || url != pendingUrl_) return;
            committed_ = {W(url.toString(QUrl::FullyEncoded)), pendingProgramPage_};
            pendingUrl_ = QUrl();
        });
    }
    bool stringNavigationPending = false;
    WebViewHost::CommittedDocument committed() const { return committed_; }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        std::wstring uri = W(url.toString(QUrl::FullyEncoded));
        // A page the program wrote itself arrives as data:.
        const bool programPage = isMainFrame && url.scheme() == QLatin1String("data") && stringNavigationPending;
        // No frame of either window navigates to file:, another program's
        // scheme or an engine page: with web security off a file: frame would
        // expose the user's files, and other schemes start other programs.
        const auto place = isMainFrame ? pellaro::NavigationPlace::Window : pellaro::NavigationPlace::Frame;
        if (!pellaro::IsNavigationSchemeAllowed(uri, place, programPage)) {
            pellaro::DebugLine("Navigation refused: scheme " + url.scheme().toStdString() + " is not loaded");
            return false;
        }
        if (!isMainFrame) return true;
        // The engine follows a redirect with the headers the filter gave the
        // first hop; where they must not go along, the target is loaded afresh.
        if (type == NavigationTypeRedirect && pendingUrl_.isValid() &&
            !pellaro::RedirectKeepsIdentity(W(pendingUrl_.toString(QUrl::FullyEncoded)), uri)) {
            pendingUrl_ = QUrl();
            QTimer::singleShot(0, this, [this, url] { load(url); });
            return false;
        }
        // A page the program wrote itself reports as about:blank, as WebView2 does.
        if (programPage) {
            stringNavigationPending = false;
            uri = L"about:blank";
        }
        bool cancel = false;
        if (host_.onNavigationStarting) host_.onNavigationStarting(uri, cancel);
        if (!cancel) {
            pendingUrl_ = url;
            pendingProgramPage_ = programPage;
        }
        return !cancel;
    }

private:
    WebViewHost& host_;
    QUrl pendingUrl_;
    bool pendingProgramPage_ = false;
    WebViewHost::CommittedDocument committed_;
};

}  // namespace

// Runs the resource filter for every request of the profile.
class HostInterceptor : public QWebEngineUrlRequestInterceptor {
public:
    explicit HostInterceptor(WebViewHost& host) : host_(host) {}
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        static std::once_flag logged;
        std::call_once(logged, [] {
            pellaro::DebugLine(QThread::currentThread() == QCoreApplication::instance()->thread()
                                   ? "Request filter runs on the user-interface thread"
                                   : "Request filter runs on the engine's IO thread");
        });
        pellaro::WebRequest request;
        request.address = W(info.requestUrl().toString(QUrl::FullyEncoded));
        if (!pellaro::FilterRequest(request, host_.filterServices)) {
            // The engine cannot answer with a synthetic 403; it fails the request
            // (net::ERR_BLOCKED_BY_CLIENT) before any byte leaves the machine.
            info.block(true);
            return;
        }
        if (host_.onWebResourceRequested) host_.onWebResourceRequested(request.address, request);
        for (const auto& [name, value] : request.headers)
            info.setHttpHeader(pellaro::ToUtf8(name).c_str(), pellaro::ToUtf8(value).c_str());
    }

private:
    WebViewHost& host_;
};

// The start's primitives on Qt WebEngine; the sequence is host_start.cpp's.
struct WebViewHost::Impl final : HostEngine {
    explicit Impl(WebViewHost& owner) : host(owner) {}
    ~Impl() override { DropWarmed(); }
    WebViewHost& host;
    QPointer<QWidget> parent;
    QWebEngineProfile* profile = nullptr;  // environment
    QWebEngineView* view = nullptr;        // controller
    PolicyPage* page = nullptr;            // web view
    HostInterceptor* interceptor = nullptr;
    PageBridge* bridge = nullptr;
    QWebChannel* channel = nullptr;
    ZoomBlocker* zoomBlocker = nullptr;
    PrintKeyCatcher* printKeys = nullptr;
    int scriptCount = 0;
    bool closed = false;

    bool Attach(void* parentWindow) override;
    // Takes the warmed engine over, for the first attempt, when there is one.
    EngineRuntime PrepareEnvironment(const std::wstring& userDataFolder) override;
    std::optional<WarmedEngine> warmed;
    void DropWarmed();  // a warmed engine no attempt took over
    std::wstring AttemptTag() override;
    std::int32_t CreateFolder(const std::wstring& folder) override;
    std::int32_t WriteTestFile(const std::wstring& folder, const std::wstring& name) override;
    // A warmed profile or a new one, then the page in its view.
    StepOutcome CreateView(const std::wstring& folder, int attempt) override;
    void CreateProfile(const QString& folder);
    void AdoptProfile(const WarmedEngine& engine);
    void CreatePage();
    // The bridge, then the page's policies.
    void ConnectEvents() override;
    void ConnectBridge();
    void ConnectPolicies();
    void ConnectDownloads();
    void Show() override;
    void Close() override;
};

WebViewHost::WebViewHost() : impl_(std::make_unique<Impl>(*this)) {}

WebViewHost::~WebViewHost() { Close(5000); }

HostEngine& WebViewHost::Engine() { return *impl_; }

const HostWording& EditionWording() { return QtWebEngineWording(); }

// Environment: a named, disk-backed profile under the attempt's folder, every
// request of it through the resource filter.
void WebViewHost::Impl::CreateProfile(const QString& folder) {
    profile = CreateEngineProfile(folder);
    interceptor = new HostInterceptor(host);
    profile->setUrlRequestInterceptor(interceptor);
}

// The warmed engine's profile instead of a new one. Its hidden page goes, and
// with it that page's renderer process; the engine itself keeps running.
void WebViewHost::Impl::AdoptProfile(const WarmedEngine& engine) {
    profile = engine.profile;
    delete engine.page;
    interceptor = new HostInterceptor(host);
    profile->setUrlRequestInterceptor(interceptor);
}

// Controller and web view: the page whose navigations pass the policy, in a
// view over the whole parent.
void WebViewHost::Impl::CreatePage() {
    page = new PolicyPage(profile, host);
    view = new QWebEngineView(parent);
    view->setPage(page);
    page->setBackgroundColor(QColor(0x12, 0x12, 0x12));
    view->setAcceptDrops(false);
    view->setGeometry(parent->rect());
}

// window.chrome.webview: the web channel and its shim in every frame.
void WebViewHost::Impl::ConnectBridge() {
    bridge = new PageBridge;
    bridge->onMessage = [this](const std::wstring& message) {
        if (host.onWebMessage) host.onWebMessage(message);
    };
    channel = new QWebChannel(page);
    channel->registerObject(QStringLiteral("pellaroHost"), bridge);
    page->setWebChannel(channel, QWebEngineScript::MainWorld);
    QFile channelScript(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    QString shim;
    if (channelScript.open(QIODevice::ReadOnly)) shim = QString::fromUtf8(channelScript.readAll());
    shim += QString::fromUtf8(kBridgeShim);
    QWebEngineScript bridgeScript;
    bridgeScript.setName(QStringLiteral("pellaro-bridge"));
    bridgeScript.setSourceCode(shim);
    bridgeScript.setInjectionPoint(QWebEngineScript::DocumentCreation);
    bridgeScript.setWorldId(QWebEngineScript::MainWorld);
    bridgeScript.setRunsOnSubFrames(true);
    page->scripts().insert(bridgeScript);
}

namespace {

// The chain the engine was shown, the server's certificate first.
std::vector<std::string> DerChain(const QWebEngineCertificateError& error) {
    std::vector<std::string> chain;
    for (const QSslCertificate& certificate : error.certificateChain()) {
        const QByteArray der = certificate.toDer();
        chain.emplace_back(der.constData(), static_cast<std::size_t>(der.size()));
    }
    return chain;
}

const char* TerminationName(QWebEnginePage::RenderProcessTerminationStatus status) {
    switch (status) {
        case QWebEnginePage::NormalTerminationStatus: return "normal exit";
        case QWebEnginePage::AbnormalTerminationStatus: return "abnormal exit";
        case QWebEnginePage::CrashedTerminationStatus: return "crashed";
        case QWebEnginePage::KilledTerminationStatus: return "killed";
    }
    return "unknown";
}

// Paths of downloads still being written: two at once never get one name.
QSet<QString>& PathsInUse() {
    static QSet<QString> paths;
    return paths;
}

// A file name in `folder` that no file (nor a dangling link, nor a running
// download) has yet.
std::wstring FreeNameIn(const QDir& folder, const std::wstring& suggested) {
    return pellaro::NonOverwritingName(pellaro::SafeDownloadName(suggested), [&folder](const std::wstring& name) {
        const QString path = folder.filePath(Q(name));
        const QFileInfo file(path);
        return file.exists() || file.isSymLink() || PathsInUse().contains(path);
    });
}

}  // namespace

// A page's download: the download rule decides; a saved file goes to the
// user's Downloads folder under a name that overwrites nothing.
void WebViewHost::Impl::ConnectDownloads() {
    QObject::connect(
        profile, &QWebEngineProfile::downloadRequested, view, [&self = host](QWebEngineDownloadRequest* download) {
            const auto notice = [&self](const std::wstring& text) {
                if (self.onNotice) self.onNotice(text);
            };
            const std::wstring url = W(download->url().toString(QUrl::FullyEncoded));
            if (pellaro::DecideDownload(url) == pellaro::DownloadDecision::Refuse) {
                download->cancel();
                pellaro::DebugLine("Download refused: " +
                                   download->url().toDisplayString(QUrl::RemoveQuery).toStdString());
                notice(pellaro::DownloadRefusedNotice(url));
                return;
            }
            const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
            const std::wstring name = folder.isEmpty() || !QDir().mkpath(folder)
                                          ? std::wstring()
                                          : FreeNameIn(QDir(folder), W(download->downloadFileName()));
            if (name.empty()) {
                download->cancel();
                pellaro::DebugLine("Download not saved: no free name in the Downloads folder " + folder.toStdString());
                notice(pellaro::DownloadFailedNotice(pellaro::SafeDownloadName(W(download->downloadFileName()))));
                return;
            }
            download->setDownloadDirectory(folder);
            download->setDownloadFileName(Q(name));
            const QString path = QDir(folder).filePath(Q(name));
            PathsInUse().insert(path);
            QObject::connect(download, &QObject::destroyed, [path] { PathsInUse().remove(path); });
            QObject::connect(download, &QWebEngineDownloadRequest::isFinishedChanged, download,
                             [download, notice, path] {
                                 if (!download->isFinished()) return;
                                 PathsInUse().remove(path);
                                 if (download->state() == QWebEngineDownloadRequest::DownloadCompleted) {
                                     pellaro::DebugLine("Download saved: " + path.toStdString());
                                     notice(pellaro::DownloadSavedNotice(W(path)));
                                 } else {
                                     pellaro::DebugLine("Download failed: " + path.toStdString() + " (" +
                                                        download->interruptReasonString().toStdString() + ")");
                                     notice(pellaro::DownloadFailedNotice(W(download->downloadFileName())));
                                 }
                             });
            download->accept();
        });
}

// The engine's events the window's policies answer: completed navigations,
// certificate errors, new windows and permissions.
void WebViewHost::Impl::ConnectPolicies() {
    // Qt WebEngine tells of the page's renderer only; a renderer that stops
    // answering is not reported.
    QObject::connect(page, &QWebEnginePage::renderProcessTerminated, view,
                     [&self = host](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                         pellaro::DebugLine(std::string("Renderer process ended: ") + TerminationName(status) +
                                            ", exit code " + std::to_string(exitCode));
                         // Recovered from the event loop, never inside the engine's own notification.
                         QTimer::singleShot(0, self.impl_->view, [&self] {
                             if (self.onPageFailure) self.onPageFailure(pellaro::PageFailure::RendererExited);
                         });
                     });
    QObject::connect(page, &QWebEnginePage::loadFinished, view, [&self = host](bool ok) {
        pellaro::DebugLine(std::string("Navigation completed: ") + (ok ? "ok" : "failed"));
        if (self.onNavigationCompleted) self.onNavigationCompleted(ok, ok ? 0 : 1);
    });
    QObject::connect(page, &QWebEnginePage::certificateError, view,
                     [&self = host](const QWebEngineCertificateError& error) {
                         QWebEngineCertificateError answer(error);
                         const std::wstring host = W(error.url().host().toLower());
                         const auto& trust = self.filterServices.trustPinnedHost;
                         const bool pinsPassed = answer.isOverridable() && trust && trust(host);
                         // Non-release builds: the test root, as the program's own client trusts it.
                         const bool testRoot = !pinsPassed && answer.isOverridable() &&
                                               pellaro::ChainTrustedByTestRoot(DerChain(error), host);
                         const bool accept = pinsPassed || testRoot;
                         pellaro::DebugLine("Certificate not trusted by the engine for " + pellaro::ToUtf8(host) +
                                            (pinsPassed ? ": pins passed, accepted"
                                             : testRoot ? ": the test root's, accepted (non-release build)"
                                                        : ": refused"));
                         if (accept) {
                             answer.acceptCertificate();
                         } else {
                             answer.rejectCertificate();
                         }
                     });
    QObject::connect(page, &QWebEnginePage::newWindowRequested, view,
                     [&self = host](QWebEngineNewWindowRequest& request) {
                         // Folded into the same view; the navigation check still applies.
                         if (self.impl_->page) self.impl_->page->load(request.requestedUrl());
                     });
    QObject::connect(page, &QWebEnginePage::featurePermissionRequested, view,
                     [&self = host](const QUrl& origin, QWebEnginePage::Feature feature) {
                         using pellaro::PermissionKind;
                         PermissionKind kind = PermissionKind::Other;
                         switch (feature) {
                             case QWebEnginePage::MediaAudioCapture: kind = PermissionKind::Microphone; break;
                             case QWebEnginePage::MediaVideoCapture:
                             case QWebEnginePage::MediaAudioVideoCapture: kind = PermissionKind::Camera; break;
                             case QWebEnginePage::Notifications: kind = PermissionKind::Notifications; break;
                             case QWebEnginePage::Geolocation: kind = PermissionKind::Geolocation; break;
                             default: break;
                         }
                         // The window's policy answers by the asking origin; no answer is a refusal.
                         const auto& decide = self.onPermissionRequested;
                         const bool allow = decide && decide(kind, W(origin.toString(QUrl::FullyEncoded))) ==
                                                          pellaro::PermissionAnswer::Allow;
                         self.impl_->page->setFeaturePermission(
                             origin, feature,
                             allow ? QWebEnginePage::PermissionGrantedByUser : QWebEnginePage::PermissionDeniedByUser);
                     });
}

bool WebViewHost::Impl::Attach(void* parentWindow) {
    closed = false;
    parent = static_cast<QWidget*>(parentWindow);
    return parent != nullptr;
}

// A warmed engine has its environment already; changing it now would race
// the engine's threads.
EngineRuntime WebViewHost::Impl::PrepareEnvironment(const std::wstring& userDataFolder) {
    warmed = TakeWarmedEngine(userDataFolder + kEvergreenSuffix);
    if (!warmed) PrepareEngineEnvironment();
    return {false, pellaro::FromUtf8(qWebEngineChromiumVersion())};
}

void WebViewHost::Impl::DropWarmed() {
    if (!warmed) return;
    delete warmed->page;
    delete warmed->profile;
    warmed.reset();
}

std::wstring WebViewHost::Impl::AttemptTag() {
    return std::to_wstring(getpid()) + L"_" + std::to_wstring(QDateTime::currentMSecsSinceEpoch());
}

std::int32_t WebViewHost::Impl::CreateFolder(const std::wstring& folder) { return MakeProfileFolder(Q(folder)); }

std::int32_t WebViewHost::Impl::WriteTestFile(const std::wstring& folder, const std::wstring& name) {
    return TestProfileFolderWrite(Q(folder), Q(name));
}

StepOutcome WebViewHost::Impl::CreateView(const std::wstring& folder, int attempt) {
    if (attempt == 0 && warmed) {
        AdoptProfile(*warmed);  // the first attempt's folder, ready and named to the engine
        warmed.reset();
    } else {
        DropWarmed();  // its folder failed the first attempt's checks
        if (const std::int32_t hr = NameProfileFolder(Q(folder))) return {hr, StartStep::FolderOverride};
        CreateProfile(Q(folder));
    }
    CreatePage();
    if (!page || !view) return {ResultCode(HostError::Failed), StartStep::GetView};
    return {};
}

void WebViewHost::Impl::ConnectEvents() {
    ConnectBridge();
    ConnectPolicies();
    ConnectDownloads();
}

void WebViewHost::Impl::Show() { view->show(); }

void WebViewHost::Impl::Close() {
    host.Close(5000);
    closed = false;
}

void WebViewHost::Close(int timeoutMs) {
    Impl& d = *impl_;
    if (d.closed) return;
    d.closed = true;
    (void)timeoutMs;  // Qt tears the page down synchronously; nothing to wait for.
    if (d.view) {
        d.view->hide();
        d.view->setPage(nullptr);
    }
    delete d.page;
    d.page = nullptr;
    delete d.view;
    d.view = nullptr;
    delete d.bridge;
    d.bridge = nullptr;
    d.channel = nullptr;  // owned by the page
    if (d.profile) d.profile->setUrlRequestInterceptor(nullptr);
    delete d.profile;
    d.profile = nullptr;
    delete d.interceptor;
    d.interceptor = nullptr;
    delete d.zoomBlocker;
    d.zoomBlocker = nullptr;
    delete d.printKeys;
    d.printKeys = nullptr;
}

void WebViewHost::Resize(int width, int height) {
    if (impl_->view && width > 0 && height > 0) impl_->view->setGeometry(0, 0, width, height);
}

void WebViewHost::RefreshBrowser() {
    Impl& d = *impl_;
    if (!d.view) return;
    if (d.parent && !d.parent->isMinimized()) {
        const QRect bounds = d.view->geometry();
        if (!bounds.isEmpty()) d.view->setGeometry(bounds);
    }
    d.view->show();
}

void WebViewHost::SetBrowserVisible(bool visible) {
    if (impl_->view) impl_->view->setVisible(visible);
}

void WebViewHost::NotifyMoved() {
    // Qt follows its parent's moves itself.
}

void WebViewHost::NavigateToString(const std::wstring& html) {
    if (!impl_->page) return;
    impl_->page->stringNavigationPending = true;
    impl_->page->setHtml(Q(html));
}

void WebViewHost::Reload() {
    if (impl_->page) impl_->page->triggerAction(QWebEnginePage::Reload);
}

void WebViewHost::GoBack() {
    if (impl_->page && impl_->page->history()->canGoBack()) impl_->page->triggerAction(QWebEnginePage::Back);
}

void WebViewHost::Navigate(const std::wstring& url) {
    if (!impl_->page) return;
    const auto headers = pellaro::NavigationHeaders(url, filterServices);
    if (!headers) {
        impl_->page->load(QUrl(Q(url)));
        return;
    }
    QWebEngineHttpRequest request(QUrl(Q(url)), QWebEngineHttpRequest::Get);
    for (const auto& [name, value] : *headers)
        request.setHeader(QByteArray::fromStdString(pellaro::ToUtf8(name)),
                          QByteArray::fromStdString(pellaro::ToUtf8(value)));
    impl_->page->load(request);
}

void WebViewHost::AddScriptToExecuteOnDocumentCreated(const std::wstring& script) {
    if (!impl_->page) return;
    QWebEngineScript entry;
    entry.setName(QStringLiteral("pellaro-%1").arg(++impl_->scriptCount));
    entry.setSourceCode(Q(script));
    entry.setInjectionPoint(QWebEngineScript::DocumentCreation);
    entry.setWorldId(QWebEngineScript::MainWorld);
    entry.setRunsOnSubFrames(true);
    impl_->page->scripts().insert(entry);
}

void WebViewHost::LockDownSettings() {
    Impl& d = *impl_;
    if (!d.page) return;
    // No developer tools: the remote-debugging switch was cleared and no
    // inspector page is ever attached. No status bar exists in Qt.
    d.view->setContextMenuPolicy(Qt::NoContextMenu);
    QWebEngineSettings* s = d.page->settings();
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, true);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, true);  // the built-in PDF viewer needs it
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    if (!d.zoomBlocker) {
        d.zoomBlocker = new ZoomBlocker;
        d.view->installEventFilter(d.zoomBlocker);
        if (d.view->focusProxy()) d.view->focusProxy()->installEventFilter(d.zoomBlocker);
        for (QObject* child : d.view->children())
            if (child->isWidgetType()) child->installEventFilter(d.zoomBlocker);
    }
    if (!d.printKeys) {
        d.printKeys = new PrintKeyCatcher([this] { ShowSystemPrintDialog(); });
        d.view->installEventFilter(d.printKeys);
        if (d.view->focusProxy()) d.view->focusProxy()->installEventFilter(d.printKeys);
        for (QObject* child : d.view->children())
            if (child->isWidgetType()) child->installEventFilter(d.printKeys);
    }
}

void WebViewHost::PostWebMessageAsJson(const std::wstring& json) {
    if (impl_->bridge && impl_->page) emit impl_->bridge->hostMessage(Q(json));
}

void WebViewHost::ShowSystemPrintDialog() {
    if (!impl_->page || impl_->closed || !onPrintRequested) return;
    onPrintRequested();
}

WebViewHost::CommittedDocument WebViewHost::TopDocument() const {
    return impl_->page ? impl_->page->committed() : CommittedDocument{};
}

bool WebViewHost::HasBrowser() const { return impl_->page != nullptr; }
NativeWindow WebViewHost::Parent() const { return impl_->parent.data(); }
void* WebViewHost::NativeBrowser() const { return impl_->view; }
void* WebViewHost::NativeEnvironment() const { return impl_->view ? impl_->profile : nullptr; }

}  // namespace WebView

#include "webview_host_qt.moc"

// The embedded browser on WebView2 (Windows edition): environment, controller
// and web view created through our own loader while the thread's messages are
// pumped, the browser events handed to the host's callbacks, and a close that
// waits for the browser process so the data folder is free again.
#include "browser/webview_host.h"

#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "browser/accelerator_keys.h"
#include "browser/download_rule.h"
#include "browser/engine_warmup_win.h"
#include "browser/host_start.h"
#include "browser/identity_headers.h"
#include "browser/message_bridge.h"
#include "browser/navigation_policy.h"
#include "browser/page_recovery.h"
#include "browser/scheme_policy.h"
#include "browser/webview2_runtime_win.h"
#include "core/text.h"
#include "core/url_host.h"
#include "platform/debug_log.h"
#include "platform/scoped_handles_win.h"
#include "shell/webview2_com_win.h"
#include "shell/webview2_loader_win.h"

namespace WebView {
namespace {

using pellaro::ComPtr;
using pellaro::MakeHandler;
using pellaro::ScopedKernelHandle;
using OwnedText = pellaro::CoTaskMemory<wchar_t>;

std::int32_t FromLastError() { return ResultFromOsError(GetLastError()); }

std::wstring TakeString(LPWSTR text) {
    const OwnedText owned(text);
    return owned ? owned.get() : L"";
}

pellaro::PermissionKind KindOf(COREWEBVIEW2_PERMISSION_KIND kind) {
    switch (kind) {
        case COREWEBVIEW2_PERMISSION_KIND_MICROPHONE: return pellaro::PermissionKind::Microphone;
        case COREWEBVIEW2_PERMISSION_KIND_CAMERA: return pellaro::PermissionKind::Camera;
        case COREWEBVIEW2_PERMISSION_KIND_NOTIFICATIONS: return pellaro::PermissionKind::Notifications;
        case COREWEBVIEW2_PERMISSION_KIND_GEOLOCATION: return pellaro::PermissionKind::Geolocation;
        default: return pellaro::PermissionKind::Other;
    }
}

// The scheme rule, logged as on Linux when it refuses.
bool SchemeAllowed(const std::wstring& address, pellaro::NavigationPlace place, bool programPage = false) {
    if (pellaro::IsNavigationSchemeAllowed(address, place, programPage)) return true;
    pellaro::DebugLine("Navigation refused: scheme " + pellaro::ToUtf8(pellaro::UrlScheme(address)) + " is not loaded");
    return false;
}

// A posted string as it is (also an empty one), any other value as its JSON
// text; nothing when it is longer than the bridge reads.
std::optional<std::wstring> MessageText(ICoreWebView2WebMessageReceivedEventArgs* args) {
    OwnedText text;
    if (FAILED(args->TryGetWebMessageAsString(text.receive())) && FAILED(args->get_WebMessageAsJson(text.receive())))
        return std::nullopt;
    if (text && !pellaro::IsWebMessageWithinLimit(wcslen(text.get()))) {
        pellaro::DebugLine("Page message ignored: longer than the bridge reads");
        return std::nullopt;
    }
    return TakeString(text.release());
}

// Runs `task` from the thread's message loop, once the event being handled
// has returned (a thread timer: no window of its own needed).
void RunSoon(std::function<void()> task) {
    // A thread timer's procedure gets only the timer's id, so the tasks wait
    // here under it; the user-interface thread alone touches them.
    static std::map<UINT_PTR, std::function<void()>> tasks;
    const UINT_PTR id = SetTimer(nullptr, 0, 0, [](HWND, UINT, UINT_PTR timer, DWORD) {
        KillTimer(nullptr, timer);
        const auto found = tasks.find(timer);
        if (found == tasks.end()) return;
        const std::function<void()> due = std::move(found->second);
        tasks.erase(found);
        due();
    });
    if (id) tasks[id] = std::move(task);
}

// The modifiers held while the engine reports a key chord.
pellaro::KeyChord ChordOf(ICoreWebView2AcceleratorKeyPressedEventArgs* args) {
    UINT key = 0;
    args->get_VirtualKey(&key);
    pellaro::KeyChord chord;
    chord.virtualKey = key;
    chord.control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    chord.shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    chord.alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
    return chord;
}

std::vector<std::wstring> StrayIdentityIn(ICoreWebView2HttpRequestHeaders* headers, const std::wstring& address) {
    return pellaro::StrayIdentityHeaders(address, [headers](const std::wstring& name) {
        BOOL contains = FALSE;
        return SUCCEEDED(headers->Contains(name.c_str(), &contains)) && contains;
    });
}

void RemoveStrayIdentity(ICoreWebView2HttpRequestHeaders* headers, const std::wstring& address) {
    for (const auto& name : StrayIdentityIn(headers, address)) headers->RemoveHeader(name.c_str());
}

// The runtime's kinds of failed process as the window's recovery sees them:
// the page's renderer, the browser process, or one the runtime replaces by
// itself (a frame's renderer, the GPU, a utility or helper process).
pellaro::PageFailure FailureOf(COREWEBVIEW2_PROCESS_FAILED_KIND kind) {
    switch (kind) {
        case COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED: return pellaro::PageFailure::RendererExited;
        case COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_UNRESPONSIVE:
            return pellaro::PageFailure::RendererUnresponsive;
        case COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED: return pellaro::PageFailure::BrowserProcessExited;
        default: return pellaro::PageFailure::RecoveredByRuntime;
    }
}

// The user's Downloads folder; empty when the system names none.
std::wstring DownloadsFolder() {
    pellaro::CoTaskMemory<wchar_t> folder;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_Downloads, KF_FLAG_CREATE, nullptr, folder.receive())) || !folder)
        return {};
    return folder.get();
}

// The last component of a path the runtime proposes.
std::wstring FileNameOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Claims a free name in `folder` by creating the empty file, so no other
// download (and no file already there) is ever overwritten; empty when none
// is free or the folder takes no file at all.
std::wstring ReserveDownloadPath(const std::wstring& folder, const std::wstring& suggested) {
    bool unwritable = false;
    const std::wstring name = pellaro::NonOverwritingName(
        pellaro::SafeDownloadName(suggested), [&folder, &unwritable](const std::wstring& candidate) {
            if (unwritable) return false;
            const ScopedKernelHandle file(CreateFileW((folder + L"\\" + candidate).c_str(), GENERIC_WRITE, 0, nullptr,
                                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file) return false;  // created: the name is this download's
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return true;
            unwritable = true;  // no other name would fare better
            return false;
        });
    return name.empty() || unwritable ? std::wstring() : folder + L"\\" + name;
}

// One attempt's progress, shared by Initialize and the two completion handlers.
struct AttemptState {
    bool done = false;
    HRESULT hr = E_PENDING;
    StartStep stage = StartStep::Pending;
};

}  // namespace

// The start's primitives on WebView2; the sequence is host_start.cpp's.
struct WebViewHost::Impl final : HostEngine {
    WebViewHost* host = nullptr;
    HWND parent = nullptr;
    std::wstring browserFolder;  // a fixed runtime's, empty for the installed one
    ComPtr<ICoreWebView2Environment> environment;
    ComPtr<ICoreWebView2Controller> controller;
    ComPtr<ICoreWebView2> webView;
    ScopedKernelHandle browserExited;
    EventRegistrationToken exitToken{};
    bool exitRegistered = false;
    bool acceleratorsWatched = false;
    bool closed = false;
    // The top document: the one starting, and the last the engine completed.
    bool programPageRequested = false;
    CommittedDocument starting;
    CommittedDocument committed;
    // Handlers still pending with the runtime check this before touching the host.
    std::shared_ptr<Impl*> alive = std::make_shared<Impl*>(this);

    void Wake(AttemptState& state) {
        state.done = true;
        if (IsWindow(parent)) PostMessageW(parent, WM_NULL, 0, 0);
    }
    bool Attach(void* parentWindow) override;
    EngineRuntime PrepareEnvironment(const std::wstring& userDataFolder) override;
    std::wstring AttemptTag() override;
    std::int32_t CreateFolder(const std::wstring& folder) override;
    std::int32_t WriteTestFile(const std::wstring& folder, const std::wstring& name) override;
    // Folders named, environment and controller created while messages are pumped.
    StepOutcome CreateView(const std::wstring& folder, int attempt) override;
    StepOutcome NameFolders(const std::wstring& folder);
    StepOutcome PumpUntilDone(AttemptState& state);
    void ConnectEvents() override;
    void Show() override;
    void Close() override;

    void RegisterBrowserProcessExitHandler();
    void OnControllerCreated(HRESULT hr, ICoreWebView2Controller* created, AttemptState& state);
    void SetupEventHandlers();
    void SetupSchemeHandlers();
    void SwallowBrowserAccelerators();
    void OnResourceRequested(ICoreWebView2WebResourceRequestedEventArgs* args);
    void SetupFailureAndDownloadHandlers();
    void OnDownloadStarting(ICoreWebView2DownloadStartingEventArgs* args);
    void Notify(std::wstring text);
    bool RestartWithoutStrayIdentity(ICoreWebView2NavigationStartingEventArgs* args, const std::wstring& address);
};

WebViewHost::WebViewHost() : impl_(std::make_unique<Impl>()) {
    impl_->host = this;
    impl_->browserExited.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

WebViewHost::~WebViewHost() {
    Close(5000);
    impl_->browserExited.reset();
    impl_->webView.Reset();
    impl_->controller.Reset();
    impl_->environment.Reset();
}

void WebViewHost::Impl::RegisterBrowserProcessExitHandler() {
    exitRegistered = false;
    if (browserExited) ResetEvent(browserExited.get());
    ComPtr<ICoreWebView2Environment5> environment5;
    if (!environment || FAILED(environment.As(&environment5))) return;
    HANDLE event = browserExited.get();
    auto handler = MakeHandler<ICoreWebView2BrowserProcessExitedEventHandler>(
        IID_ICoreWebView2BrowserProcessExitedEventHandler,
        [event](ICoreWebView2Environment*, ICoreWebView2BrowserProcessExitedEventArgs*) {
            if (event) SetEvent(event);
            return S_OK;
        });
    exitRegistered = SUCCEEDED(environment5->add_BrowserProcessExited(handler.Get(), &exitToken));
}

void WebViewHost::Impl::OnControllerCreated(HRESULT hr, ICoreWebView2Controller* created, AttemptState& state) {
    if (FAILED(hr) || !created) {
        state.hr = FAILED(hr) ? hr : E_FAIL;
        state.stage = StartStep::CreateControllerCallback;
        Wake(state);
        return;
    }
    ComPtr<ICoreWebView2> view;
    const HRESULT viewResult = created->get_CoreWebView2(&view);
    if (FAILED(viewResult) || !view) {
        created->Close();
        state.hr = FAILED(viewResult) ? viewResult : E_FAIL;
        state.stage = StartStep::GetView;
        Wake(state);
        return;
    }
    controller = created;
    webView = view;
    ComPtr<ICoreWebView2Controller2> controller2;
    if (SUCCEEDED(controller.As(&controller2))) controller2->put_DefaultBackgroundColor({255, 0x12, 0x12, 0x12});
    ComPtr<ICoreWebView2Controller4> controller4;
    if (SUCCEEDED(controller.As(&controller4))) controller4->put_AllowExternalDrop(FALSE);
    RECT client{};
    GetClientRect(parent, &client);
    controller->put_Bounds(client);
    state.hr = S_OK;
    state.stage = StartStep::Complete;
    Wake(state);
}

void WebViewHost::Impl::SetupEventHandlers() {
    std::weak_ptr<Impl*> weak = alive;
    EventRegistrationToken token{};
    webView->add_NavigationStarting(
        MakeHandler<ICoreWebView2NavigationStartingEventHandler>(
            IID_ICoreWebView2NavigationStartingEventHandler,
            [weak](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) {
                auto self = weak.lock();
                if (!self || !args) return S_OK;
                LPWSTR uri = nullptr;
                args->get_Uri(&uri);
                const std::wstring address = TakeString(uri);
                // Only web schemes navigate, in both windows; the program's own page passes.
                if (!SchemeAllowed(address, pellaro::NavigationPlace::Window, (*self)->programPageRequested)) {
                    args->put_Cancel(TRUE);
                    return S_OK;
                }
                bool cancel = false;
                if ((*self)->host->onNavigationStarting) (*self)->host->onNavigationStarting(address, cancel);
                if (cancel) {
                    args->put_Cancel(TRUE);
                    return S_OK;
                }
                if ((*self)->RestartWithoutStrayIdentity(args, address)) return S_OK;
                (*self)->starting = {address, (*self)->programPageRequested};
                (*self)->programPageRequested = false;
                return S_OK;
            })
            .Get(),
        &token);
    if (host->onWebMessage) {
        webView->add_WebMessageReceived(MakeHandler<ICoreWebView2WebMessageReceivedEventHandler>(
                                            IID_ICoreWebView2WebMessageReceivedEventHandler,
                                            [weak](ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs* args) {
                                                auto self = weak.lock();
                                                if (!self || !args || !(*self)->host->onWebMessage) return S_OK;
                                                if (const auto message = MessageText(args))
                                                    (*self)->host->onWebMessage(*message);
                                                return S_OK;
                                            })
                                            .Get(),
                                        &token);
    }
    webView->add_NavigationCompleted(
        MakeHandler<ICoreWebView2NavigationCompletedEventHandler>(
            IID_ICoreWebView2NavigationCompletedEventHandler,
            [weak](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* args) {
                auto self = weak.lock();
                if (!self || !args) return S_OK;
                BOOL success = FALSE;
                args->get_IsSuccess(&success);
                if (success) (*self)->committed = (*self)->starting;
                if (!(*self)->host->onNavigationCompleted) return S_OK;
                COREWEBVIEW2_WEB_ERROR_STATUS status = COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN;
                if (!success) args->get_WebErrorStatus(&status);
                (*self)->host->onNavigationCompleted(success != FALSE, success ? 0 : static_cast<int>(status));
                return S_OK;
            })
            .Get(),
        &token);
    // Permissions: the window's policy answers by the asking page's origin;
    // what it does not allow is refused, never left to the runtime's prompt.
    webView->add_PermissionRequested(
        MakeHandler<ICoreWebView2PermissionRequestedEventHandler>(
            IID_ICoreWebView2PermissionRequestedEventHandler,
            [weak](ICoreWebView2*, ICoreWebView2PermissionRequestedEventArgs* args) {
                auto self = weak.lock();
                if (!self || !args) return S_OK;
                COREWEBVIEW2_PERMISSION_KIND kind = COREWEBVIEW2_PERMISSION_KIND_UNKNOWN_PERMISSION;
                args->get_PermissionKind(&kind);
                LPWSTR uri = nullptr;
                args->get_Uri(&uri);
                const std::wstring origin = TakeString(uri);
                const auto& decide = (*self)->host->onPermissionRequested;
                const bool allow = decide && decide(KindOf(kind), origin) == pellaro::PermissionAnswer::Allow;
                args->put_State(allow ? COREWEBVIEW2_PERMISSION_STATE_ALLOW : COREWEBVIEW2_PERMISSION_STATE_DENY);
                return S_OK;
            })
            .Get(),
        &token);
    // New windows open in the same view, where the navigation check still
    // applies; an address of another scheme opens nothing at all.
    webView->add_NewWindowRequested(
        MakeHandler<ICoreWebView2NewWindowRequestedEventHandler>(
            IID_ICoreWebView2NewWindowRequestedEventHandler,
            [weak](ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs* args) {
                auto self = weak.lock();
                if (!self || !args) return S_OK;
                LPWSTR uri = nullptr;
                args->get_Uri(&uri);
                const std::wstring address = TakeString(uri);
                args->put_Handled(TRUE);
                if (address.empty() || !SchemeAllowed(address, pellaro::NavigationPlace::Window)) return S_OK;
                if ((*self)->webView) (*self)->webView->Navigate(address.c_str());
                return S_OK;
            })
            .Get(),
        &token);
    SetupSchemeHandlers();
    SetupFailureAndDownloadHandlers();
    ComPtr<ICoreWebView2_22> webView22;
    if (SUCCEEDED(webView.As(&webView22)))
        webView22->AddWebResourceRequestedFilterWithRequestSourceKinds(
            L"*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL, COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_ALL);
    else webView->AddWebResourceRequestedFilter(L"*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL);
    webView->add_WebResourceRequested(MakeHandler<ICoreWebView2WebResourceRequestedEventHandler>(
                                          IID_ICoreWebView2WebResourceRequestedEventHandler,
                                          [weak](ICoreWebView2*, ICoreWebView2WebResourceRequestedEventArgs* args) {
                                              auto self = weak.lock();
                                              if (self && args) (*self)->OnResourceRequested(args);
                                              return S_OK;
                                          })
                                          .Get(),
                                      &token);
}

// Frames navigate under the same scheme rule as the top document, and no
// address is ever handed to another program (where the runtime can tell).
void WebViewHost::Impl::SetupSchemeHandlers() {
    EventRegistrationToken token{};
    webView->add_FrameNavigationStarting(MakeHandler<ICoreWebView2NavigationStartingEventHandler>(
                                             IID_ICoreWebView2NavigationStartingEventHandler,
                                             [](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) {
                                                 if (!args) return S_OK;
                                                 LPWSTR uri = nullptr;
                                                 args->get_Uri(&uri);
                                                 if (!SchemeAllowed(TakeString(uri), pellaro::NavigationPlace::Frame))
                                                     args->put_Cancel(TRUE);
                                                 return S_OK;
                                             })
                                             .Get(),
                                         &token);
    ComPtr<ICoreWebView2_18> webView18;
    if (FAILED(webView.As(&webView18))) return;
    webView18->add_LaunchingExternalUriScheme(
        MakeHandler<ICoreWebView2LaunchingExternalUriSchemeEventHandler>(
            IID_ICoreWebView2LaunchingExternalUriSchemeEventHandler,
            [](ICoreWebView2*, ICoreWebView2LaunchingExternalUriSchemeEventArgs* args) {
                if (!args) return S_OK;
                LPWSTR uri = nullptr;
                args->get_Uri(&uri);
                if (!SchemeAllowed(TakeString(uri), pellaro::NavigationPlace::Window)) args->put_Cancel(TRUE);
                return S_OK;
            })
            .Get(),
        &token);
}

// A runtime without the accelerator-key setting: the controller's key event
// swallows the browser's own chords before the engine acts on them; Control+P
// starts the program's print flow instead, as the page scripts would.
void WebViewHost::Impl::SwallowBrowserAccelerators() {
    if (acceleratorsWatched || !controller) return;
    std::weak_ptr<Impl*> weak = alive;
    EventRegistrationToken token{};
    acceleratorsWatched = SUCCEEDED(controller->add_AcceleratorKeyPressed(
        MakeHandler<ICoreWebView2AcceleratorKeyPressedEventHandler>(
            IID_ICoreWebView2AcceleratorKeyPressedEventHandler,
            [weak](ICoreWebView2Controller*, ICoreWebView2AcceleratorKeyPressedEventArgs* args) {
                auto self = weak.lock();
                if (!self || !args) return S_OK;
                const pellaro::AcceleratorVerdict verdict = pellaro::BrowserAcceleratorVerdict(ChordOf(args));
                if (verdict == pellaro::AcceleratorVerdict::PassOn) return S_OK;
                args->put_Handled(TRUE);
                COREWEBVIEW2_KEY_EVENT_KIND kind = COREWEBVIEW2_KEY_EVENT_KIND_KEY_UP;
                args->get_KeyEventKind(&kind);
                COREWEBVIEW2_PHYSICAL_KEY_STATUS status{};
                args->get_PhysicalKeyStatus(&status);
                const bool firstPress = kind == COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN && !status.WasKeyDown;
                if (verdict == pellaro::AcceleratorVerdict::Print && firstPress) {
                    // The picker is modal: it opens after this event, not inside it.
                    RunSoon([weak] {
                        if (auto owner = weak.lock()) (*owner)->host->ShowSystemPrintDialog();
                    });
                }
                return S_OK;
            })
            .Get(),
        &token));
}

// A failed process is handed to the window from the event loop, once the
// runtime's event has returned: the window may start the host again. Every
// download goes through the download rule where the runtime reports it.
void WebViewHost::Impl::SetupFailureAndDownloadHandlers() {
    std::weak_ptr<Impl*> weak = alive;
    EventRegistrationToken token{};
    webView->add_ProcessFailed(
        MakeHandler<ICoreWebView2ProcessFailedEventHandler>(
            IID_ICoreWebView2ProcessFailedEventHandler,
            [weak](ICoreWebView2*, ICoreWebView2ProcessFailedEventArgs* args) {
                if (!args) return S_OK;
                COREWEBVIEW2_PROCESS_FAILED_KIND kind = COREWEBVIEW2_PROCESS_FAILED_KIND_UNKNOWN_PROCESS_EXITED;
                args->get_ProcessFailedKind(&kind);
                const pellaro::PageFailure failure = FailureOf(kind);
                pellaro::DebugLine("Engine process failed: kind " + std::to_string(static_cast<int>(kind)) + " (" +
                                   pellaro::ToUtf8(pellaro::PageFailureName(failure)) + ")");
                RunSoon([weak, failure] {
                    auto self = weak.lock();
                    if (!self) return;
                    // A copy: the window may replace this host while it runs.
                    const auto callback = (*self)->host->onPageFailure;
                    if (callback) callback(failure);
                });
                return S_OK;
            })
            .Get(),
        &token);
    ComPtr<ICoreWebView2_4> webView4;
    if (FAILED(webView.As(&webView4))) {
        pellaro::DebugLine(
            "Downloads: the runtime has no DownloadStarting (ICoreWebView2_4); its own download handling applies");
        return;
    }
    webView4->add_DownloadStarting(MakeHandler<ICoreWebView2DownloadStartingEventHandler>(
                                       IID_ICoreWebView2DownloadStartingEventHandler,
                                       [weak](ICoreWebView2*, ICoreWebView2DownloadStartingEventArgs* args) {
                                           auto self = weak.lock();
                                           if (self && args) (*self)->OnDownloadStarting(args);
                                           return S_OK;
                                       })
                                       .Get(),
                                   &token);
}

void WebViewHost::Impl::Notify(std::wstring text) {
    std::weak_ptr<Impl*> weak = alive;
    RunSoon([weak, text = std::move(text)] {
        auto self = weak.lock();
        if (!self) return;
        const auto callback = (*self)->host->onNotice;
        if (callback) callback(text);
    });
}

// A file from a backend host goes to the user's Downloads folder under a name
// no other file has, and the student is told where once it is there; any
// other download is cancelled before a byte is written.
void WebViewHost::Impl::OnDownloadStarting(ICoreWebView2DownloadStartingEventArgs* args) {
    ComPtr<ICoreWebView2DownloadOperation> operation;
    OwnedText uri;
    if (FAILED(args->get_DownloadOperation(&operation)) || !operation || FAILED(operation->get_Uri(uri.receive()))) {
        args->put_Cancel(TRUE);
        pellaro::DebugLine("Download refused: the runtime named no address");
        return;
    }
    const std::wstring address = uri ? uri.get() : L"";
    if (pellaro::DecideDownload(address) == pellaro::DownloadDecision::Refuse) {
        args->put_Cancel(TRUE);
        pellaro::DebugLine("Download refused: " + pellaro::ToUtf8(address.substr(0, 80)) +
                           " (only https files of backend hosts are saved)");
        Notify(pellaro::DownloadRefusedNotice(address));
        return;
    }
    OwnedText proposed;
    args->get_ResultFilePath(proposed.receive());
    const std::wstring suggested = FileNameOf(proposed ? proposed.get() : L"");
    const std::wstring folder = DownloadsFolder();
    const std::wstring path = folder.empty() ? std::wstring() : ReserveDownloadPath(folder, suggested);
    if (path.empty() || FAILED(args->put_ResultFilePath(path.c_str()))) {
        args->put_Cancel(TRUE);
        if (!path.empty()) DeleteFileW(path.c_str());
        pellaro::DebugLine("Download failed: no new file could be made in the Downloads folder");
        Notify(pellaro::DownloadFailedNotice(pellaro::SafeDownloadName(suggested)));
        return;
    }
    args->put_Handled(TRUE);  // the program tells the student; the runtime's own list stays closed
    pellaro::DebugLine("Download saving: " + pellaro::ToUtf8(path));
    std::weak_ptr<Impl*> weak = alive;
    EventRegistrationToken token{};
    operation->add_StateChanged(
        MakeHandler<ICoreWebView2StateChangedEventHandler>(
            IID_ICoreWebView2StateChangedEventHandler,
            [weak, path](ICoreWebView2DownloadOperation* sender, IUnknown*) {
                COREWEBVIEW2_DOWNLOAD_STATE state = COREWEBVIEW2_DOWNLOAD_STATE_IN_PROGRESS;
                if (!sender || FAILED(sender->get_State(&state)) || state == COREWEBVIEW2_DOWNLOAD_STATE_IN_PROGRESS)
                    return S_OK;
                auto self = weak.lock();
                if (state == COREWEBVIEW2_DOWNLOAD_STATE_COMPLETED) {
                    pellaro::DebugLine("Download saved: " + pellaro::ToUtf8(path));
                    if (self) (*self)->Notify(pellaro::DownloadSavedNotice(path));
                    return S_OK;
                }
                // The name was claimed with an empty file; an interrupted download leaves nothing behind.
                WIN32_FILE_ATTRIBUTE_DATA data{};
                if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeHigh == 0 &&
                    data.nFileSizeLow == 0)
                    DeleteFileW(path.c_str());
                pellaro::DebugLine("Download failed: " + pellaro::ToUtf8(path));
                if (self) (*self)->Notify(pellaro::DownloadFailedNotice(FileNameOf(path)));
                return S_OK;
            })
            .Get(),
        &token);
}

// Identity headers the request may not carry (an engine following a redirect
// keeps the first request's headers) are removed first; then the filter's
// decision is copied back: a synthetic answer for a blocked request, otherwise
// the headers it and the window's callback set.
void WebViewHost::Impl::OnResourceRequested(ICoreWebView2WebResourceRequestedEventArgs* args) {
    ComPtr<ICoreWebView2WebResourceRequest> request;
    if (FAILED(args->get_Request(&request)) || !request) return;
    ComPtr<ICoreWebView2HttpRequestHeaders> headers;
    if (FAILED(request->get_Headers(&headers)) || !headers) return;
    LPWSTR uri = nullptr;
    request->get_Uri(&uri);
    pellaro::WebRequest filtered;
    filtered.address = TakeString(uri);
    RemoveStrayIdentity(headers.Get(), filtered.address);
    if (!pellaro::FilterRequest(filtered, host->filterServices)) {
        ComPtr<ICoreWebView2WebResourceResponse> response;
        if (environment && SUCCEEDED(environment->CreateWebResourceResponse(
                               nullptr, pellaro::BlockedResponse::status, pellaro::BlockedResponse::reason,
                               pellaro::BlockedResponse::headers, &response)))
            args->put_Response(response.Get());
        return;
    }
    if (host->onWebResourceRequested) host->onWebResourceRequested(filtered.address, filtered);
    for (const auto& [name, value] : filtered.headers) headers->SetHeader(name.c_str(), value.c_str());
}

// A top-level navigation redirected to an address that may not see the
// identity headers it still carries: the engine lets no header be changed
// here, so the redirect is cancelled before its request leaves and the
// address opened afresh, without them.
bool WebViewHost::Impl::RestartWithoutStrayIdentity(ICoreWebView2NavigationStartingEventArgs* args,
                                                    const std::wstring& address) {
    BOOL redirected = FALSE;
    if (FAILED(args->get_IsRedirected(&redirected)) || !redirected) return false;
    ComPtr<ICoreWebView2HttpRequestHeaders> headers;
    if (FAILED(args->get_RequestHeaders(&headers)) || !headers) return false;
    if (StrayIdentityIn(headers.Get(), address).empty()) return false;
    args->put_Cancel(TRUE);
    pellaro::DebugLine("Redirect restarted without identity headers: " + pellaro::ToUtf8(address));
    if (webView) webView->Navigate(address.c_str());
    return true;
}

HostEngine& WebViewHost::Engine() { return *impl_; }

const HostWording& EditionWording() { return WebView2Wording(); }

bool WebViewHost::Impl::Attach(void* parentWindow) {
    closed = false;
    parent = static_cast<HWND>(parentWindow);
    return IsWindow(parent);
}

// Variables inherited from whoever started the program would redirect the
// runtime (another folder, another channel, other switches): they go before
// anything is created. A fixed runtime beside the program wins over the
// installed one.
EngineRuntime WebViewHost::Impl::PrepareEnvironment(const std::wstring&) {
    ClearEngineVariables();
    EngineRuntime runtime;
    browserFolder.clear();
    if (const FixedRuntime fixed = FindFixedRuntime(); !fixed.folder.empty()) {
        browserFolder = fixed.folder;
        runtime.version = fixed.version;
        runtime.fixed = true;
    } else {
        OwnedText reported;
        if (SUCCEEDED(GetAvailableCoreWebView2BrowserVersionString(nullptr, reported.receive())))
            runtime.version = TakeString(reported.release());
    }
    return runtime;
}

std::wstring WebViewHost::Impl::AttemptTag() {
    return std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount64());
}

std::int32_t WebViewHost::Impl::CreateFolder(const std::wstring& folder) {
    if (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    return FromLastError();
}

std::int32_t WebViewHost::Impl::WriteTestFile(const std::wstring& folder, const std::wstring& name) {
    const std::wstring probe = folder + L"\\" + name;
    // Deletes itself when closed.
    const ScopedKernelHandle file(
        CreateFileW(probe.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file ? 0 : FromLastError();
}

// The runtime reads its folders from the environment as well as from the
// creation call; both say the same, so an inherited or stale value cannot
// win. The environment-completed handler clears them again.
StepOutcome WebViewHost::Impl::NameFolders(const std::wstring& folder) {
    if (!SetEnvironmentVariableW(L"WEBVIEW2_USER_DATA_FOLDER", folder.c_str()))
        return {FromLastError(), StartStep::FolderOverride};
    if (!browserFolder.empty() &&
        !SetEnvironmentVariableW(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", browserFolder.c_str()))
        return {FromLastError(), StartStep::BrowserFolderOverride};
    return {};
}

// Creation completes through callbacks delivered by this thread's messages;
// nothing else may run the host meanwhile.
StepOutcome WebViewHost::Impl::PumpUntilDone(AttemptState& state) {
    MSG msg;
    while (!state.done) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) {
            state.hr = FromLastError();
            state.stage = StartStep::MessagePump;
            state.done = true;
        } else if (got == 0) {
            state.hr = E_ABORT;
            state.stage = StartStep::QuitDuringStart;
            state.done = true;
            PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop must end too
        } else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (SUCCEEDED(state.hr) && webView) return {};
    return {FAILED(state.hr) ? state.hr : E_FAIL, state.stage};
}

StepOutcome WebViewHost::Impl::CreateView(const std::wstring& folder, int) {
    if (const StepOutcome named = NameFolders(folder); !named.ok()) return named;
    const std::wstring arguments = BrowserArguments();
    // Set in the environment too (result ignored): the runtime's own copy of the switches.
    SetEnvironmentVariableW(L"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS", arguments.c_str());
    auto options = pellaro::EnvironmentOptions::Create();
    options->put_AdditionalBrowserArguments(arguments.c_str());

    auto state = std::make_shared<AttemptState>();
    std::weak_ptr<Impl*> weak = alive;
    HWND window = parent;
    auto environmentHandler = MakeHandler<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(
        IID_ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler,
        [weak, state, window](HRESULT hr, ICoreWebView2Environment* created) {
            ClearEngineVariables();  // the environment exists (or failed): nothing later inherits them
            auto self = weak.lock();
            if (!self || state->done) return S_OK;  // the attempt was given up meanwhile
            Impl& impl = **self;
            if (FAILED(hr) || !created) {
                state->hr = FAILED(hr) ? hr : E_FAIL;
                state->stage = StartStep::CreateEnvironmentCallback;
                impl.Wake(*state);
                return S_OK;
            }
            impl.environment = created;
            impl.RegisterBrowserProcessExitHandler();
            // The start's one timed wait: the browser process has only just
            // come up with the environment, and the controller is asked of it
            // a moment later, where this start has always asked for it.
            Sleep(100);
            auto controllerHandler = MakeHandler<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
                IID_ICoreWebView2CreateCoreWebView2ControllerCompletedHandler,
                [weak, state](HRESULT result, ICoreWebView2Controller* controller) {
                    auto owner = weak.lock();
                    if (!owner || state->done) {
                        // Too late: the attempt failed already; nothing may stay alive.
                        if (SUCCEEDED(result) && controller) controller->Close();
                        return S_OK;
                    }
                    (*owner)->OnControllerCreated(result, controller, *state);
                    return S_OK;
                });
            const HRESULT call = impl.environment->CreateCoreWebView2Controller(window, controllerHandler.Get());
            if (FAILED(call) && !state->done) {
                state->hr = call;
                state->stage = StartStep::CreateControllerCall;
                impl.Wake(*state);
            }
            return S_OK;
        });

    const HRESULT call = CreateEnvironmentOrTakeWarmed(host->warmUp,
                                                       browserFolder.empty() ? nullptr : browserFolder.c_str(),
                                                       folder.c_str(), options.Get(), environmentHandler.Get());
    if (FAILED(call)) return {call, StartStep::CreateEnvironmentCall};
    return PumpUntilDone(*state);
}

void WebViewHost::Impl::ConnectEvents() { SetupEventHandlers(); }

// The controller is visible from its creation on.
void WebViewHost::Impl::Show() {}

// Waits for the attempt's browser process, so the next attempt's folder is
// not shared with it; the folder variables of a failed attempt go too.
void WebViewHost::Impl::Close() {
    host->Close(5000);
    closed = false;
    ClearEngineVariables();
}

void WebViewHost::Close(int timeoutMs) {
    Impl& d = *impl_;
    if (d.closed) return;
    d.closed = true;

    ScopedKernelHandle process;
    if (d.webView) {
        UINT32 pid = 0;
        if (SUCCEEDED(d.webView->get_BrowserProcessId(&pid)) && pid != 0)
            process.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    }
    if (d.controller) d.controller->Close();
    ComPtr<ICoreWebView2Environment5> environment5;
    if (d.environment) d.environment.As(&environment5);
    d.webView.Reset();
    d.controller.Reset();
    d.environment.Reset();

    HANDLE handles[2];
    DWORD count = 0;
    if (process) handles[count++] = process.get();
    if (d.exitRegistered && d.browserExited) handles[count++] = d.browserExited.get();
    if (count > 0 && timeoutMs > 0) {
        DWORD index = 0;
        CoWaitForMultipleHandles(COWAIT_DISPATCH_CALLS, static_cast<DWORD>(timeoutMs), count, handles, &index);
    }
    if (d.exitRegistered && environment5) environment5->remove_BrowserProcessExited(d.exitToken);
    d.exitRegistered = false;
}

void WebViewHost::Resize(int width, int height) {
    if (impl_->controller && width > 0 && height > 0) impl_->controller->put_Bounds(RECT{0, 0, width, height});
}

void WebViewHost::RefreshBrowser() {
    Impl& d = *impl_;
    if (!d.controller) return;
    if (!IsIconic(d.parent)) {
        RECT bounds{};
        if (SUCCEEDED(d.controller->get_Bounds(&bounds)) && !IsRectEmpty(&bounds)) d.controller->put_Bounds(bounds);
    }
    d.controller->put_IsVisible(TRUE);
    d.controller->NotifyParentWindowPositionChanged();
}

void WebViewHost::SetBrowserVisible(bool visible) {
    if (impl_->controller) impl_->controller->put_IsVisible(visible ? TRUE : FALSE);
}

void WebViewHost::NotifyMoved() {
    if (impl_->controller) impl_->controller->NotifyParentWindowPositionChanged();
}

void WebViewHost::NavigateToString(const std::wstring& html) {
    if (!impl_->webView) return;
    impl_->programPageRequested = true;
    impl_->webView->NavigateToString(html.c_str());
}

void WebViewHost::Reload() {
    if (impl_->webView) impl_->webView->Reload();
}

void WebViewHost::GoBack() {
    if (!impl_->webView) return;
    BOOL canGoBack = FALSE;
    if (SUCCEEDED(impl_->webView->get_CanGoBack(&canGoBack)) && canGoBack) impl_->webView->GoBack();
}

void WebViewHost::Navigate(const std::wstring& url) {
    Impl& d = *impl_;
    if (!d.webView) return;
    // Backend addresses carry the built-in headers from their very first request.
    if (const auto headers = pellaro::NavigationHeaders(url, filterServices)) {
        ComPtr<ICoreWebView2Environment2> environment2;
        ComPtr<ICoreWebView2_2> webView2;
        if (d.environment && SUCCEEDED(d.environment.As(&environment2)) && SUCCEEDED(d.webView.As(&webView2))) {
            std::wstring lines;
            for (const auto& [name, value] : *headers) lines += name + L": " + value + L"\r\n";
            ComPtr<ICoreWebView2WebResourceRequest> request;
            if (SUCCEEDED(
                    environment2->CreateWebResourceRequest(url.c_str(), L"GET", nullptr, lines.c_str(), &request)) &&
                SUCCEEDED(webView2->NavigateWithWebResourceRequest(request.Get())))
                return;
        }
    }
    d.webView->Navigate(url.c_str());
}

void WebViewHost::AddScriptToExecuteOnDocumentCreated(const std::wstring& script) {
    if (impl_->webView) impl_->webView->AddScriptToExecuteOnDocumentCreated(script.c_str(), nullptr);
}

void WebViewHost::LockDownSettings() {
    if (!impl_->webView) return;
    ComPtr<ICoreWebView2Settings> settings;
    if (FAILED(impl_->webView->get_Settings(&settings)) || !settings) return;
    settings->put_AreDevToolsEnabled(FALSE);
    settings->put_AreDefaultContextMenusEnabled(FALSE);
    settings->put_IsStatusBarEnabled(FALSE);
    settings->put_IsZoomControlEnabled(FALSE);
    ComPtr<ICoreWebView2Settings3> settings3;
    if (SUCCEEDED(settings.As(&settings3))) settings3->put_AreBrowserAcceleratorKeysEnabled(FALSE);
    else impl_->SwallowBrowserAccelerators();
    // The viewer's own Print would open the engine's preview with its virtual
    // printers; the program's print button stays, and Save stays.
    ComPtr<ICoreWebView2Settings7> settings7;
    if (SUCCEEDED(settings.As(&settings7))) settings7->put_HiddenPdfToolbarItems(COREWEBVIEW2_PDF_TOOLBAR_ITEMS_PRINT);
}

void WebViewHost::PostWebMessageAsJson(const std::wstring& json) {
    if (impl_->webView) impl_->webView->PostWebMessageAsJson(json.c_str());
}

void WebViewHost::ShowSystemPrintDialog() {
    if (!impl_->webView || impl_->closed || !onPrintRequested) return;
    onPrintRequested();
}

WebViewHost::CommittedDocument WebViewHost::TopDocument() const { return impl_->committed; }

bool WebViewHost::HasBrowser() const { return impl_->webView != nullptr; }
NativeWindow WebViewHost::Parent() const { return impl_->parent; }
void* WebViewHost::NativeBrowser() const { return impl_->webView.Get(); }
void* WebViewHost::NativeEnvironment() const { return impl_->webView ? impl_->environment.Get() : nullptr; }

}  // namespace WebView

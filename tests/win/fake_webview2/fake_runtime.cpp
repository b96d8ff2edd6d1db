// The recording runtime's client library: the environment, controller, web
// view and the objects around them, as far as the program uses them. Every
// call is recorded; the script fails a stage, leaves out interfaces and raises
// events. Tests only: never shipped.
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "fake_objects.h"
#include "fake_script.h"
#include "shell/webview2_api_win.h"

using Microsoft::WRL::ComPtr;

namespace fake {
namespace {

HMODULE ThisModule() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &self);
    return self;
}

constexpr UINT kRunTask = WM_APP + 0x2a;

LRESULT CALLBACK QueueProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {  // a task held back by the script: its pointer is the timer id
        KillTimer(hwnd, wParam);
        std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(wParam));
        (*task)();
        return 0;
    }
    if (message == kRunTask) {
        std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(lParam));
        (*task)();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND QueueWindow() {
    thread_local HWND queue = nullptr;
    if (queue && IsWindow(queue)) return queue;
    WNDCLASSW wc{};
    wc.lpfnWndProc = QueueProc;
    wc.hInstance = ThisModule();
    wc.lpszClassName = L"PellaroFakeRuntimeQueue";
    RegisterClassW(&wc);
    queue = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    return queue;
}

std::string Hex(HRESULT hr) {
    char text[16];
    wsprintfA(text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

Json RectJson(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

template <class Handler>
struct EventList {
    std::vector<std::pair<INT64, ComPtr<Handler>>> handlers;
    INT64 next = 1;
    HRESULT Add(Handler* handler, EventRegistrationToken* token) {
        if (!handler || !token) return E_POINTER;
        token->value = next++;
        handlers.emplace_back(token->value, handler);
        return S_OK;
    }
    HRESULT Remove(EventRegistrationToken token) {
        for (auto it = handlers.begin(); it != handlers.end(); ++it)
            if (it->first == token.value) {
                handlers.erase(it);
                return S_OK;
            }
        return S_OK;
    }
    template <class Sender, class Args>
    void Raise(Sender* sender, Args* args) {
        auto copy = handlers;  // a handler may remove itself
        for (auto& entry : copy) entry.second->Invoke(sender, args);
    }
};

// ---- Headers, requests, responses, print settings ---------------------------

struct Headers final : ICoreWebView2HttpRequestHeaders {
    FAKE_REFCOUNT("")
    std::vector<std::pair<std::wstring, std::wstring>> entries;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_ICoreWebView2HttpRequestHeaders) {
            *out = static_cast<ICoreWebView2HttpRequestHeaders*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    std::vector<std::pair<std::wstring, std::wstring>>::iterator Find(LPCWSTR name) {
        for (auto it = entries.begin(); it != entries.end(); ++it)
            if (lstrcmpiW(it->first.c_str(), name) == 0) return it;
        return entries.end();
    }
    HRESULT STDMETHODCALLTYPE GetHeader(LPCWSTR name, LPWSTR* value) override {
        auto it = Find(name);
        if (it == entries.end()) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
        *value = CoCopy(it->second);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Contains(LPCWSTR name, BOOL* contains) override {
        *contains = Find(name) != entries.end();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHeader(LPCWSTR name, LPCWSTR value) override {
        auto it = Find(name);
        if (it != entries.end()) it->second = value;
        else entries.emplace_back(name, value);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RemoveHeader(LPCWSTR name) override {
        auto it = Find(name);
        if (it != entries.end()) entries.erase(it);
        return S_OK;
    }
    Json ToJson() const {
        Json out = Json::array();
        for (const auto& [name, value] : entries) out.push_back({Narrow(name.c_str()), Narrow(value.c_str())});
        return out;
    }
};

// Headers a script puts on a request before the program sees it: [[name, value], ...].
void SetHeaders(Headers* headers, const Json& list) {
    if (!list.is_array()) return;
    for (const Json& pair : list)
        if (pair.is_array() && pair.size() == 2 && pair[0].is_string() && pair[1].is_string())
            headers->SetHeader(Wide(pair[0].get<std::string>()).c_str(), Wide(pair[1].get<std::string>()).c_str());
}

struct Request final : ICoreWebView2WebResourceRequest {
    FAKE_REFCOUNT("")
    std::wstring uri, method = L"GET";
    ComPtr<Headers> headers{new Headers};
    Request() { headers->Release(); }  // ComPtr took its own reference
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_ICoreWebView2WebResourceRequest) {
            *out = static_cast<ICoreWebView2WebResourceRequest*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override {
        *value = CoCopy(uri);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Uri(LPCWSTR value) override {
        uri = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Method(LPWSTR* value) override {
        *value = CoCopy(method);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Method(LPCWSTR value) override {
        method = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpRequestHeaders** value) override {
        *value = headers.Get();
        headers->AddRef();
        return S_OK;
    }
};

struct Response final : ICoreWebView2WebResourceResponse {
    FAKE_REFCOUNT("")
    int status = 200;
    std::wstring reason;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_ICoreWebView2WebResourceResponse) {
            *out = static_cast<ICoreWebView2WebResourceResponse*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE get_StatusCode(int* value) override {
        *value = status;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ReasonPhrase(LPWSTR* value) override {
        *value = CoCopy(reason);
        return S_OK;
    }
};

// ---- Printing -------------------------------------------------------------------
// Print settings that can lack their second interface; the job completes later
// with the script's "printErrorCode" (hex) and "printStatus", after
// "printDelayMs"; a "Print" failure refuses the job without completing it.

struct PrintSettings final : ICoreWebView2PrintSettings2 {
    FAKE_REFCOUNT("PrintSettings")
    std::wstring printerName;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        const bool second = riid == IID_ICoreWebView2PrintSettings2;
        const bool yes = riid == IID_IUnknown || riid == IID_ICoreWebView2PrintSettings ||
                         (second && !Omitted("ICoreWebView2PrintSettings2"));
        if (second)
            Record(
                {{"call", "PrintSettings.QueryInterface"}, {"iid", "ICoreWebView2PrintSettings2"}, {"answered", yes}});
        if (yes) {
            *out = static_cast<ICoreWebView2PrintSettings2*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE get_PrinterName(LPWSTR* value) override {
        *value = CoCopy(printerName);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_PrinterName(LPCWSTR value) override {
        printerName = value ? value : L"";
        Record({{"call", "PrintSettings.put_PrinterName"}, {"name", Narrow(value)}});
        return S_OK;
    }
};

// ---- Event arguments ------------------------------------------------------------

#define FAKE_QI(Interface)                                                       \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override { \
        if (riid == IID_IUnknown || riid == IID_##Interface) {                   \
            *out = static_cast<Interface*>(this);                                \
            AddRef();                                                            \
            return S_OK;                                                         \
        }                                                                        \
        *out = nullptr;                                                          \
        return E_NOINTERFACE;                                                    \
    }

struct NavigationStartingArgs final : ICoreWebView2NavigationStartingEventArgs {
    FAKE_REFCOUNT("")
    FAKE_QI(ICoreWebView2NavigationStartingEventArgs)
    std::wstring uri;
    BOOL cancel = FALSE, userInitiated = FALSE, redirected = FALSE;
    UINT64 id = 0;
    ComPtr<Headers> headers;
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override {
        *value = CoCopy(uri);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* value) override {
        *value = userInitiated;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsRedirected(BOOL* value) override {
        *value = redirected;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_RequestHeaders(ICoreWebView2HttpRequestHeaders** value) override {
        if (!headers) headers = Adopt(new Headers);
        *value = headers.Get();
        headers->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* value) override {
        *value = cancel;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Cancel(BOOL value) override {
        cancel = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* value) override {
        *value = id;
        return S_OK;
    }
};

struct NavigationCompletedArgs final : ICoreWebView2NavigationCompletedEventArgs {
    FAKE_REFCOUNT("")
    FAKE_QI(ICoreWebView2NavigationCompletedEventArgs)
    BOOL success = TRUE;
    int status = 0;
    UINT64 id = 0;
    HRESULT STDMETHODCALLTYPE get_IsSuccess(BOOL* value) override {
        *value = success;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* value) override {
        *value = static_cast<COREWEBVIEW2_WEB_ERROR_STATUS>(status);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* value) override {
        *value = id;
        return S_OK;
    }
};

struct NewWindowArgs final : ICoreWebView2NewWindowRequestedEventArgs {
    FAKE_REFCOUNT("")
    FAKE_QI(ICoreWebView2NewWindowRequestedEventArgs)
    std::wstring uri;
    BOOL handled = FALSE, userInitiated = TRUE;
    ComPtr<ICoreWebView2> newWindow;
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override {
        *value = CoCopy(uri);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_NewWindow(ICoreWebView2* value) override {
        newWindow = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_NewWindow(ICoreWebView2** value) override {
        *value = newWindow.Get();
        if (*value) (*value)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) override {
        handled = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Handled(BOOL* value) override {
        *value = handled;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* value) override {
        *value = userInitiated;
        return S_OK;
    }
};

struct PermissionArgs final : ICoreWebView2PermissionRequestedEventArgs {
    FAKE_REFCOUNT("")
    FAKE_QI(ICoreWebView2PermissionRequestedEventArgs)
    std::wstring uri;
    int kind = 0;
    int state = COREWEBVIEW2_PERMISSION_STATE_DEFAULT;
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override {
        *value = CoCopy(uri);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_PermissionKind(COREWEBVIEW2_PERMISSION_KIND* value) override {
        *value = static_cast<COREWEBVIEW2_PERMISSION_KIND>(kind);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* value) override {
        *value = TRUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_State(COREWEBVIEW2_PERMISSION_STATE* value) override {
        *value = static_cast<COREWEBVIEW2_PERMISSION_STATE>(state);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_State(COREWEBVIEW2_PERMISSION_STATE value) override {
        state = value;
        return S_OK;
    }
};

struct LaunchArgs final : ICoreWebView2LaunchingExternalUriSchemeEventArgs {
    FAKE_REFCOUNT("")
    FAKE_QI(ICoreWebView2LaunchingExternalUriSchemeEventArgs)
    std::wstring uri, origin;
    BOOL cancel = FALSE;
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override {
        *value = CoCopy(uri);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_InitiatingOrigin(LPWSTR* value) override {
        *value = CoCopy(origin);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* value) override {
        *value = TRUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* value) override {
        *value = cancel;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Cancel(BOOL value) override {
        cancel = value;
        return S_OK;
    }
};

struct KeyArgs final : ICoreWebView2AcceleratorKeyPressedEventArgs {
    FAKE_REFCOUNT("")
    FAKE_QI(ICoreWebView2AcceleratorKeyPressedEventArgs)
    int kind = COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN;
    UINT key = 0;
    BOOL handled = FALSE, wasDown = FALSE;
    HRESULT STDMETHODCALLTYPE get_KeyEventKind(COREWEBVIEW2_KEY_EVENT_KIND* value) override {
        *value = static_cast<COREWEBVIEW2_KEY_EVENT_KIND>(kind);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_VirtualKey(UINT* value) override {
        *value = key;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_KeyEventLParam(INT* value) override {
        *value = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_PhysicalKeyStatus(COREWEBVIEW2_PHYSICAL_KEY_STATUS* value) override {
        *value = {1, 0, FALSE, FALSE, wasDown, kind == COREWEBVIEW2_KEY_EVENT_KIND_KEY_UP};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Handled(BOOL* value) override {
        *value = handled;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) override {
        handled = value;
        return S_OK;
    }
};

struct WebMessageArgs final : ICoreWebView2WebMessageReceivedEventArgs {
    FAKE_REFCOUNT("")
    FAKE_QI(ICoreWebView2WebMessageReceivedEventArgs)
    std::wstring source, json;
    bool isString = false;
    std::wstring text;
    HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* value) override {
        *value = CoCopy(source);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_WebMessageAsJson(LPWSTR* value) override {
        *value = CoCopy(json);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE TryGetWebMessageAsString(LPWSTR* value) override {
        if (!isString) {
            *value = nullptr;
            return E_INVALIDARG;
        }
        *value = CoCopy(text);
        return S_OK;
    }
};

struct ResourceArgs final : ICoreWebView2WebResourceRequestedEventArgs {
    FAKE_REFCOUNT("")
    FAKE_QI(ICoreWebView2WebResourceRequestedEventArgs)
    ComPtr<Request> request{new Request};
    ComPtr<ICoreWebView2WebResourceResponse> response;
    int context = 0;
    ResourceArgs() { request->Release(); }
    HRESULT STDMETHODCALLTYPE get_Request(ICoreWebView2WebResourceRequest** value) override {
        *value = request.Get();
        request->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2WebResourceResponse** value) override {
        *value = response.Get();
        if (*value) (*value)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Response(ICoreWebView2WebResourceResponse* value) override {
        response = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT* value) override {
        *value = static_cast<COREWEBVIEW2_WEB_RESOURCE_CONTEXT>(context);
        return S_OK;
    }
};

struct ExitArgs final : ICoreWebView2BrowserProcessExitedEventArgs {
    FAKE_REFCOUNT("")
    FAKE_QI(ICoreWebView2BrowserProcessExitedEventArgs)
    UINT32 pid = 0;
    int kind = 0;
    HRESULT STDMETHODCALLTYPE get_BrowserProcessExitKind(COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND* value) override {
        *value = static_cast<COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND>(kind);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) override {
        *value = pid;
        return S_OK;
    }
};

struct ProcessFailedArgs final : ICoreWebView2ProcessFailedEventArgs {
    FAKE_REFCOUNT("")
    FAKE_QI(ICoreWebView2ProcessFailedEventArgs)
    int kind = 0;
    HRESULT STDMETHODCALLTYPE get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* value) override {
        *value = static_cast<COREWEBVIEW2_PROCESS_FAILED_KIND>(kind);
        return S_OK;
    }
};

// ---- Downloads --------------------------------------------------------------------
// A download the program lets through is written to its result path later, from
// the queue, with the script's "body", and ends COMPLETED (or INTERRUPTED when
// the script says "interrupt" or the file cannot be written).

std::wstring UserDownloadsFolder() {
    PWSTR folder = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &folder)) && folder) path = folder;
    CoTaskMemFree(folder);
    return path;
}

struct DownloadOperation final : ICoreWebView2DownloadOperation {
    FAKE_REFCOUNT("DownloadOperation")
    FAKE_QI(ICoreWebView2DownloadOperation)
    std::wstring uri, resultFilePath;
    int state = COREWEBVIEW2_DOWNLOAD_STATE_IN_PROGRESS;
    EventList<ICoreWebView2StateChangedEventHandler> stateChanged;
    HRESULT STDMETHODCALLTYPE add_StateChanged(ICoreWebView2StateChangedEventHandler* h,
                                               EventRegistrationToken* t) override {
        Record({{"call", "DownloadOperation.add_StateChanged"}});
        return stateChanged.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_StateChanged(EventRegistrationToken t) override { return stateChanged.Remove(t); }
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override {
        *value = CoCopy(uri);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* value) override {
        *value = CoCopy(resultFilePath);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_State(COREWEBVIEW2_DOWNLOAD_STATE* value) override {
        *value = static_cast<COREWEBVIEW2_DOWNLOAD_STATE>(state);
        return S_OK;
    }
    void Finish(const std::string& body, bool interrupt) {
        bool written = false;
        if (!interrupt) {
            HANDLE file = CreateFileW(resultFilePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                DWORD done = 0;
                written = WriteFile(file, body.data(), static_cast<DWORD>(body.size()), &done, nullptr) &&
                          done == body.size();
                CloseHandle(file);
            }
        }
        state = written ? COREWEBVIEW2_DOWNLOAD_STATE_COMPLETED : COREWEBVIEW2_DOWNLOAD_STATE_INTERRUPTED;
        stateChanged.Raise(this, static_cast<IUnknown*>(nullptr));
        Record({{"event", "DownloadStateChanged"},
                {"uri", Narrow(uri.c_str())},
                {"state", state},
                {"path", Narrow(resultFilePath.c_str())}});
    }
};

struct DownloadStartingArgs final : ICoreWebView2DownloadStartingEventArgs {
    FAKE_REFCOUNT("")
    FAKE_QI(ICoreWebView2DownloadStartingEventArgs)
    ComPtr<DownloadOperation> operation;
    std::wstring resultFilePath;
    BOOL cancel = FALSE, handled = FALSE;
    HRESULT STDMETHODCALLTYPE get_DownloadOperation(ICoreWebView2DownloadOperation** value) override {
        *value = operation.Get();
        operation->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* value) override {
        *value = cancel;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Cancel(BOOL value) override {
        Record({{"call", "DownloadStarting.put_Cancel"}, {"value", value != FALSE}});
        cancel = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* value) override {
        *value = CoCopy(resultFilePath);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_ResultFilePath(LPCWSTR value) override {
        Record({{"call", "DownloadStarting.put_ResultFilePath"}, {"path", Narrow(value)}});
        if (!value) return E_INVALIDARG;
        resultFilePath = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Handled(BOOL* value) override {
        *value = handled;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) override {
        Record({{"call", "DownloadStarting.put_Handled"}, {"value", value != FALSE}});
        handled = value;
        return S_OK;
    }
};

// ---- The browser process: a real child so the host has something to wait for --

struct BrowserProcess {
    HANDLE process = nullptr;
    HANDLE quit = nullptr;
    DWORD pid = 0;
    void Start() {
        if (!Script().value("browserProcess", true)) return;
        wchar_t library[MAX_PATH] = {};
        GetModuleFileNameW(ThisModule(), library, MAX_PATH);
        std::wstring exe = library;
        for (int up = 0; up < 3; ++up) exe = exe.substr(0, exe.find_last_of(L'\\'));
        exe += L"\\msedgewebview2.exe";
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        quit = CreateEventW(&inherit, TRUE, FALSE, nullptr);
        std::wstring command = L"\"" + exe + L"\" --pellaro-fake-browser=" +
                               std::to_wstring(reinterpret_cast<std::uintptr_t>(quit));
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            process = pi.hProcess;
            pid = pi.dwProcessId;
        }
    }
    void Stop() {
        if (quit) SetEvent(quit);
    }
    ~BrowserProcess() {
        Stop();
        if (process) CloseHandle(process);
        if (quit) CloseHandle(quit);
    }
};

// ---- Settings ----------------------------------------------------------------

struct Settings final : ICoreWebView2Settings7 {
    FAKE_REFCOUNT("")
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_ICoreWebView2Settings ||
            (riid == IID_ICoreWebView2Settings3 && !Omitted("ICoreWebView2Settings3")) ||
            (riid == IID_ICoreWebView2Settings7 && !Omitted("ICoreWebView2Settings7"))) {
            *out = static_cast<ICoreWebView2Settings7*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    BOOL values[10] = {TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE};
    HRESULT Put(const char* name, int index, BOOL value) {
        values[index] = value;
        Record({{"call", std::string("Settings.") + name}, {"value", value != FALSE}});
        return S_OK;
    }
    HRESULT Get(int index, BOOL* value) {
        *value = values[index];
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsScriptEnabled(BOOL* v) override { return Get(0, v); }
    HRESULT STDMETHODCALLTYPE put_IsScriptEnabled(BOOL v) override { return Put("put_IsScriptEnabled", 0, v); }
    HRESULT STDMETHODCALLTYPE get_IsWebMessageEnabled(BOOL* v) override { return Get(1, v); }
    HRESULT STDMETHODCALLTYPE put_IsWebMessageEnabled(BOOL v) override { return Put("put_IsWebMessageEnabled", 1, v); }
    HRESULT STDMETHODCALLTYPE get_AreDefaultScriptDialogsEnabled(BOOL* v) override { return Get(2, v); }
    HRESULT STDMETHODCALLTYPE put_AreDefaultScriptDialogsEnabled(BOOL v) override {
        return Put("put_AreDefaultScriptDialogsEnabled", 2, v);
    }
    HRESULT STDMETHODCALLTYPE get_IsStatusBarEnabled(BOOL* v) override { return Get(3, v); }
    HRESULT STDMETHODCALLTYPE put_IsStatusBarEnabled(BOOL v) override { return Put("put_IsStatusBarEnabled", 3, v); }
    HRESULT STDMETHODCALLTYPE get_AreDevToolsEnabled(BOOL* v) override { return Get(4, v); }
    HRESULT STDMETHODCALLTYPE put_AreDevToolsEnabled(BOOL v) override { return Put("put_AreDevToolsEnabled", 4, v); }
    HRESULT STDMETHODCALLTYPE get_AreDefaultContextMenusEnabled(BOOL* v) override { return Get(5, v); }
    HRESULT STDMETHODCALLTYPE put_AreDefaultContextMenusEnabled(BOOL v) override {
        return Put("put_AreDefaultContextMenusEnabled", 5, v);
    }
    HRESULT STDMETHODCALLTYPE get_AreHostObjectsAllowed(BOOL* v) override { return Get(6, v); }
    HRESULT STDMETHODCALLTYPE put_AreHostObjectsAllowed(BOOL v) override {
        return Put("put_AreHostObjectsAllowed", 6, v);
    }
    HRESULT STDMETHODCALLTYPE get_IsZoomControlEnabled(BOOL* v) override { return Get(7, v); }
    HRESULT STDMETHODCALLTYPE put_IsZoomControlEnabled(BOOL v) override {
        return Put("put_IsZoomControlEnabled", 7, v);
    }
    HRESULT STDMETHODCALLTYPE get_IsBuiltInErrorPageEnabled(BOOL* v) override { return Get(8, v); }
    HRESULT STDMETHODCALLTYPE put_IsBuiltInErrorPageEnabled(BOOL v) override {
        return Put("put_IsBuiltInErrorPageEnabled", 8, v);
    }
    HRESULT STDMETHODCALLTYPE get_AreBrowserAcceleratorKeysEnabled(BOOL* v) override { return Get(9, v); }
    HRESULT STDMETHODCALLTYPE put_AreBrowserAcceleratorKeysEnabled(BOOL v) override {
        return Put("put_AreBrowserAcceleratorKeysEnabled", 9, v);
    }
    int hiddenPdfToolbarItems = -1;
    HRESULT STDMETHODCALLTYPE get_HiddenPdfToolbarItems(COREWEBVIEW2_PDF_TOOLBAR_ITEMS* v) override {
        *v = static_cast<COREWEBVIEW2_PDF_TOOLBAR_ITEMS>(hiddenPdfToolbarItems);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_HiddenPdfToolbarItems(COREWEBVIEW2_PDF_TOOLBAR_ITEMS v) override {
        hiddenPdfToolbarItems = v;
        Record({{"call", "Settings.put_HiddenPdfToolbarItems"}, {"value", static_cast<int>(v)}});
        return S_OK;
    }
};

// ---- The web view ----------------------------------------------------------------

struct Environment;
// The web view reaches its environment only to report a scripted browser exit.
Environment* g_lastEnvironment = nullptr;
// With "eventsAcrossHosts", the script's events are raised once in the
// process: a host started again continues with the next one.
std::size_t g_nextScriptedEvent = 0;

struct WebView final : ICoreWebView2_22 {
    FAKE_REFCOUNT("WebView")
    HWND view = nullptr;
    DWORD browserPid = 0;
    ComPtr<Settings> settings{new Settings};
    EventList<ICoreWebView2NavigationStartingEventHandler> navigationStarting;
    EventList<ICoreWebView2NavigationCompletedEventHandler> navigationCompleted;
    EventList<ICoreWebView2PermissionRequestedEventHandler> permissionRequested;
    EventList<ICoreWebView2WebMessageReceivedEventHandler> webMessageReceived;
    EventList<ICoreWebView2NewWindowRequestedEventHandler> newWindowRequested;
    EventList<ICoreWebView2WebResourceRequestedEventHandler> webResourceRequested;
    EventList<ICoreWebView2NavigationStartingEventHandler> frameNavigationStarting;
    EventList<ICoreWebView2LaunchingExternalUriSchemeEventHandler> launchingExternalUriScheme;
    EventList<ICoreWebView2ProcessFailedEventHandler> processFailed;
    EventList<ICoreWebView2DownloadStartingEventHandler> downloadStarting;
    std::vector<std::wstring> history;
    UINT64 navigationId = 0;
    bool scriptedEventsSent = false;
    bool closed = false;

    WebView() { settings->Release(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        const bool yes = riid == IID_IUnknown || riid == IID_ICoreWebView2 ||
                         (riid == IID_ICoreWebView2_2 && !Omitted("ICoreWebView2_2")) ||
                         (riid == IID_ICoreWebView2_4 && !Omitted("ICoreWebView2_4")) ||
                         (riid == IID_ICoreWebView2_16 && !Omitted("ICoreWebView2_16")) ||
                         (riid == IID_ICoreWebView2_18 && !Omitted("ICoreWebView2_18")) ||
                         (riid == IID_ICoreWebView2_22 && !Omitted("ICoreWebView2_22"));
        if (riid != IID_IUnknown && riid != IID_ICoreWebView2)
            Record({{"call", "WebView.QueryInterface"}, {"answered", yes}, {"iid", Narrow(IidName(riid).c_str())}});
        if (!yes) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<ICoreWebView2_22*>(this);
        AddRef();
        return S_OK;
    }
    static std::wstring IidName(REFIID riid) {
        if (riid == IID_ICoreWebView2_2) return L"ICoreWebView2_2";
        if (riid == IID_ICoreWebView2_4) return L"ICoreWebView2_4";
        if (riid == IID_ICoreWebView2_16) return L"ICoreWebView2_16";
        if (riid == IID_ICoreWebView2_18) return L"ICoreWebView2_18";
        if (riid == IID_ICoreWebView2_22) return L"ICoreWebView2_22";
        wchar_t text[40];
        StringFromGUID2(riid, text, 40);
        return text;
    }

    HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** value) override {
        Record({{"call", "WebView.get_Settings"}});
        *value = settings.Get();
        settings->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) override {
        *uri = CoCopy(history.empty() ? L"about:blank" : history.back());
        return S_OK;
    }
    void StartNavigation(const std::wstring& uri) {
        const UINT64 id = ++navigationId;
        ComPtr<WebView> self(this);
        Later([self, uri, id] { self->RaiseNavigation(uri, id); });
    }
    // A scripted navigation may come as a redirect still carrying earlier headers.
    void RaiseNavigation(const std::wstring& uri, UINT64 id, const Json& scripted = Json::object()) {
        if (closed) return;
        ComPtr<NavigationStartingArgs> args;
        args = Adopt(new NavigationStartingArgs);
        args->uri = uri;
        args->id = id;
        args->redirected = scripted.value("redirected", false);
        if (scripted.contains("headers")) {
            args->headers = Adopt(new Headers);
            SetHeaders(args->headers.Get(), scripted["headers"]);
        }
        navigationStarting.Raise(this, args.Get());
        Json line{{"event", "NavigationStarting"}, {"uri", Narrow(uri.c_str())}, {"cancel", args->cancel != FALSE}};
        if (args->redirected) line["redirected"] = true;
        Record(line);
        if (args->cancel) return;
        history.push_back(uri);
        if (view) {  // what a screenshot shows in place of the page
            SetWindowTextW(view, (L"recording runtime \u2014 " + uri).c_str());
            InvalidateRect(view, nullptr, TRUE);
        }
        if (Script().value("completeNavigations", true)) RaiseCompleted(true, 0, id);
        if (!scriptedEventsSent) {
            scriptedEventsSent = true;
            RaiseScriptedFrom(Script().value("eventsAcrossHosts", false) ? g_nextScriptedEvent : 0);
        }
    }
    // One scripted event at a time: the next is queued once the program's
    // handlers of this one returned (and its "pauseMs" passed, time for what
    // the program does later), as when a modal dialog holds a handler.
    // An event with "overlapNext" queues the next one before its own handlers
    // run, so a modal dialog they open receives it.
    void RaiseScriptedFrom(std::size_t index, int pauseMs = 0) {
        const Json events = Script().value("events", Json::array());
        if (index >= events.size()) return;
        ComPtr<WebView> self(this);
        LaterAfter(pauseMs, [self, event = events[index], index] {
            // A web view whose browser has gone leaves the rest to the next host.
            if (self->closed && Script().value("eventsAcrossHosts", false)) return;
            g_nextScriptedEvent = index + 1;
            const bool overlap = event.value("overlapNext", false);
            if (overlap) self->RaiseScriptedFrom(index + 1);
            self->RaiseScripted(event);
            if (!overlap) self->RaiseScriptedFrom(index + 1, event.value("pauseMs", 0));
        });
    }
    void RaiseCompleted(bool success, int status, UINT64 id) {
        ComPtr<NavigationCompletedArgs> args;
        args = Adopt(new NavigationCompletedArgs);
        args->success = success;
        args->status = status;
        args->id = id;
        navigationCompleted.Raise(this, args.Get());
        Record({{"event", "NavigationCompleted"}, {"success", success}, {"status", status}});
    }
    void RaiseScripted(const Json& event);
    void RaiseBrowserExit(int kind);
    void RaiseProcessFailed(int kind);
    void RaiseDownload(const Json& event);

    HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) override {
        Record({{"call", "WebView.Navigate"}, {"uri", Narrow(uri)}});
        if (!uri) return E_INVALIDARG;
        StartNavigation(uri);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE NavigateToString(LPCWSTR html) override {
        Record({{"call", "WebView.NavigateToString"}, {"html", Narrow(html)}});
        StartNavigation(L"about:blank");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE add_NavigationStarting(ICoreWebView2NavigationStartingEventHandler* h,
                                                     EventRegistrationToken* t) override {
        Record({{"call", "WebView.add_NavigationStarting"}});
        return navigationStarting.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_NavigationStarting(EventRegistrationToken t) override {
        return navigationStarting.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE add_NavigationCompleted(ICoreWebView2NavigationCompletedEventHandler* h,
                                                      EventRegistrationToken* t) override {
        Record({{"call", "WebView.add_NavigationCompleted"}});
        return navigationCompleted.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_NavigationCompleted(EventRegistrationToken t) override {
        return navigationCompleted.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE add_FrameNavigationStarting(ICoreWebView2NavigationStartingEventHandler* h,
                                                          EventRegistrationToken* t) override {
        Record({{"call", "WebView.add_FrameNavigationStarting"}});
        return frameNavigationStarting.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_FrameNavigationStarting(EventRegistrationToken t) override {
        return frameNavigationStarting.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE add_LaunchingExternalUriScheme(ICoreWebView2LaunchingExternalUriSchemeEventHandler* h,
                                                             EventRegistrationToken* t) override {
        Record({{"call", "WebView.add_LaunchingExternalUriScheme"}});
        return launchingExternalUriScheme.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_LaunchingExternalUriScheme(EventRegistrationToken t) override {
        return launchingExternalUriScheme.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE add_PermissionRequested(ICoreWebView2PermissionRequestedEventHandler* h,
                                                      EventRegistrationToken* t) override {
        Record({{"call", "WebView.add_PermissionRequested"}});
        return permissionRequested.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_PermissionRequested(EventRegistrationToken t) override {
        return permissionRequested.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE add_ProcessFailed(ICoreWebView2ProcessFailedEventHandler* h,
                                                EventRegistrationToken* t) override {
        Record({{"call", "WebView.add_ProcessFailed"}});
        return processFailed.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_ProcessFailed(EventRegistrationToken t) override {
        return processFailed.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE add_DownloadStarting(ICoreWebView2DownloadStartingEventHandler* h,
                                                   EventRegistrationToken* t) override {
        Record({{"call", "WebView.add_DownloadStarting"}});
        return downloadStarting.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_DownloadStarting(EventRegistrationToken t) override {
        return downloadStarting.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(
        LPCWSTR script, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) override {
        Record({{"call", "WebView.AddScriptToExecuteOnDocumentCreated"}, {"script", Narrow(script)}});
        if (handler) {
            ComPtr<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler> keep(handler);
            Later([keep] { keep->Invoke(S_OK, L"script"); });
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reload() override {
        Record({{"call", "WebView.Reload"}});
        if (!history.empty()) StartNavigation(history.back());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR json) override {
        Record({{"call", "WebView.PostWebMessageAsJson"}, {"json", Narrow(json)}});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler* h,
                                                     EventRegistrationToken* t) override {
        Record({{"call", "WebView.add_WebMessageReceived"}});
        return webMessageReceived.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(EventRegistrationToken t) override {
        return webMessageReceived.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) override {
        Record({{"call", "WebView.get_BrowserProcessId"}, {"pid", browserPid}});
        *value = browserPid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL* value) override {
        *value = history.size() > 1;
        Record({{"call", "WebView.get_CanGoBack"}, {"value", *value != FALSE}});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GoBack() override {
        Record({{"call", "WebView.GoBack"}});
        if (history.size() < 2) return S_OK;
        history.pop_back();
        const std::wstring back = history.back();
        history.pop_back();
        StartNavigation(back);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler* h,
                                                     EventRegistrationToken* t) override {
        Record({{"call", "WebView.add_NewWindowRequested"}});
        return newWindowRequested.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_NewWindowRequested(EventRegistrationToken t) override {
        return newWindowRequested.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE add_WebResourceRequested(ICoreWebView2WebResourceRequestedEventHandler* h,
                                                       EventRegistrationToken* t) override {
        Record({{"call", "WebView.add_WebResourceRequested"}});
        return webResourceRequested.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_WebResourceRequested(EventRegistrationToken t) override {
        return webResourceRequested.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT c) override {
        Record({{"call", "WebView.AddWebResourceRequestedFilter"}, {"uri", Narrow(uri)}, {"context", c}});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE NavigateWithWebResourceRequest(ICoreWebView2WebResourceRequest* request) override {
        auto* ours = static_cast<Request*>(request);
        Record({{"call", "WebView.NavigateWithWebResourceRequest"},
                {"uri", Narrow(ours->uri.c_str())},
                {"method", Narrow(ours->method.c_str())},
                {"headers", ours->headers->ToJson()}});
        StartNavigation(ours->uri);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Print(ICoreWebView2PrintSettings* printSettings,
                                    ICoreWebView2PrintCompletedHandler* handler) override {
        auto* ours = static_cast<PrintSettings*>(printSettings);
        Record({{"call", "WebView.Print"}, {"printer", ours ? Narrow(ours->printerName.c_str()) : ""}});
        if (const HRESULT refused = FailureAt("Print"); FAILED(refused)) return refused;
        if (!handler) return E_POINTER;
        ComPtr<ICoreWebView2PrintCompletedHandler> keep(handler);
        const auto errorCode = static_cast<HRESULT>(
            std::stoul(Script().value("printErrorCode", std::string("0x0")), nullptr, 16));
        const int status = Script().value("printStatus", 0);
        LaterAfter(Script().value("printDelayMs", 0), [keep, errorCode, status] {
            Record({{"event", "PrintCompleted"},
                    {"errorCode", static_cast<unsigned long>(errorCode)},
                    {"status", status}});
            keep->Invoke(errorCode, static_cast<COREWEBVIEW2_PRINT_STATUS>(status));
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilterWithRequestSourceKinds(
        LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT c, COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS k) override {
        Record({{"call", "WebView.AddWebResourceRequestedFilterWithRequestSourceKinds"},
                {"uri", Narrow(uri)},
                {"context", c},
                {"sourceKinds", static_cast<unsigned>(k)}});
        return S_OK;
    }
};

// Every WEBVIEW2_* variable the process holds now, as a program it started would inherit them.
Json EngineVariables() {
    Json found = Json::object();
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = block; *entry; entry += lstrlenW(entry) + 1) {
            const std::wstring text(entry);
            const auto equals = text.find(L'=', 1);
            if (equals != std::wstring::npos &&
                CompareStringOrdinal(text.c_str(), 9, L"WEBVIEW2_", 9, TRUE) == CSTR_EQUAL)
                found[Narrow(text.substr(0, equals).c_str())] = Narrow(text.substr(equals + 1).c_str());
        }
        FreeEnvironmentStringsW(block);
    }
    return found;
}

// A key chord on the last controller, with the modifiers held in the
// thread's keyboard state while its handlers run.
void RaiseAcceleratorKey(const Json& event);

void WebView::RaiseScripted(const Json& event) {
    if (closed) return;
    const std::string kind = event.value("event", "");
    const std::wstring uri = Wide(event.value("uri", ""));
    if (kind == "NavigationStarting") {
        RaiseNavigation(uri, ++navigationId, event);
    } else if (kind == "NavigationCompleted") {
        RaiseCompleted(event.value("success", true), event.value("status", 0), navigationId);
    } else if (kind == "NewWindowRequested") {
        ComPtr<NewWindowArgs> args;
        args = Adopt(new NewWindowArgs);
        args->uri = uri;
        newWindowRequested.Raise(this, args.Get());
        Record({{"event", kind},
                {"uri", Narrow(uri.c_str())},
                {"handled", args->handled != FALSE},
                {"newWindow", args->newWindow != nullptr}});
    } else if (kind == "PermissionRequested") {
        ComPtr<PermissionArgs> args;
        args = Adopt(new PermissionArgs);
        args->uri = uri;
        args->kind = event.value("kind", 0);
        permissionRequested.Raise(this, args.Get());
        Record({{"event", kind}, {"uri", Narrow(uri.c_str())}, {"kind", args->kind}, {"state", args->state}});
    } else if (kind == "WebMessageReceived") {
        ComPtr<WebMessageArgs> args;
        args = Adopt(new WebMessageArgs);
        args->source = history.empty() ? L"about:blank" : history.back();
        const Json message = event.value("message", Json());
        args->json = Wide(message.dump());
        args->isString = message.is_string();
        if (args->isString) args->text = Wide(message.get<std::string>());
        webMessageReceived.Raise(this, args.Get());
        Record({{"event", kind}, {"message", message}});
    } else if (kind == "WebResourceRequested") {
        ComPtr<ResourceArgs> args;
        args = Adopt(new ResourceArgs);
        args->request->uri = uri;
        SetHeaders(args->request->headers.Get(), event.value("headers", Json::array()));
        args->context = event.value("context", 0);
        webResourceRequested.Raise(this, args.Get());
        Json line{{"event", kind}, {"uri", Narrow(uri.c_str())}, {"headers", args->request->headers->ToJson()}};
        if (args->response) {
            int status = 0;
            args->response->get_StatusCode(&status);
            line["responseStatus"] = status;
            LPWSTR reason = nullptr;
            args->response->get_ReasonPhrase(&reason);
            line["responseReason"] = Narrow(reason);
            CoTaskMemFree(reason);
        }
        Record(line);
    } else if (kind == "FrameNavigationStarting") {
        ComPtr<NavigationStartingArgs> args;
        args = Adopt(new NavigationStartingArgs);
        args->uri = uri;
        args->id = ++navigationId;
        frameNavigationStarting.Raise(this, args.Get());
        Record({{"event", kind}, {"uri", Narrow(uri.c_str())}, {"cancel", args->cancel != FALSE}});
    } else if (kind == "LaunchingExternalUriScheme") {
        ComPtr<LaunchArgs> args;
        args = Adopt(new LaunchArgs);
        args->uri = uri;
        args->origin = Wide(event.value("origin", ""));
        launchingExternalUriScheme.Raise(this, args.Get());
        Record({{"event", kind},
                {"uri", Narrow(uri.c_str())},
                {"cancel", args->cancel != FALSE},
                {"subscribed", !launchingExternalUriScheme.handlers.empty()}});
    } else if (kind == "AcceleratorKeyPressed") {
        RaiseAcceleratorKey(event);
    } else if (kind == "ReadEnvironment") {
        Record({{"event", kind}, {"variables", EngineVariables()}});
    } else if (kind == "BrowserProcessExited") {
        RaiseBrowserExit(event.value("kind", 1));
    } else if (kind == "ProcessFailed") {
        RaiseProcessFailed(event.value("kind", 1));
    } else if (kind == "DownloadStarting") {
        RaiseDownload(event);
    }
}

// ---- The controller and its window ---------------------------------------------

LRESULT CALLBACK ViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT area;
        GetClientRect(hwnd, &area);
        const COLORREF background = static_cast<COLORREF>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(dc, &area, brush);
        DeleteObject(brush);
        wchar_t text[512] = {};
        GetWindowTextW(hwnd, text, 512);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(120, 200, 120));
        DrawTextW(dc, text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

struct Controller;
Controller* g_lastController = nullptr;

struct Controller final : ICoreWebView2Controller4 {
    FAKE_REFCOUNT("Controller")
    Controller() { g_lastController = this; }
    ~Controller() {
        if (g_lastController == this) g_lastController = nullptr;
    }
    EventList<ICoreWebView2AcceleratorKeyPressedEventHandler> acceleratorKeyPressed;
    HWND parent = nullptr;
    HWND view = nullptr;
    RECT bounds{};
    BOOL visible = TRUE;
    ComPtr<WebView> webView;
    ComPtr<ICoreWebView2Environment6> environment;  // an Environment

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        const bool yes = riid == IID_IUnknown || riid == IID_ICoreWebView2Controller ||
                         (riid == IID_ICoreWebView2Controller2 && !Omitted("ICoreWebView2Controller2")) ||
                         (riid == IID_ICoreWebView2Controller4 && !Omitted("ICoreWebView2Controller4"));
        if (riid == IID_ICoreWebView2Controller2 || riid == IID_ICoreWebView2Controller4)
            Record({{"call", "Controller.QueryInterface"},
                    {"iid",
                     riid == IID_ICoreWebView2Controller2 ? "ICoreWebView2Controller2" : "ICoreWebView2Controller4"},
                    {"answered", yes}});
        if (!yes) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<ICoreWebView2Controller4*>(this);
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* value) override {
        *value = visible;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL value) override {
        visible = value;
        Record({{"call", "Controller.put_IsVisible"}, {"value", value != FALSE}});
        if (view) ShowWindow(view, value ? SW_SHOWNA : SW_HIDE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Bounds(RECT* value) override {
        *value = bounds;
        Record({{"call", "Controller.get_Bounds"}, {"bounds", RectJson(bounds)}});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Bounds(RECT value) override {
        bounds = value;
        Record({{"call", "Controller.put_Bounds"}, {"bounds", RectJson(value)}});
        if (view) MoveWindow(view, value.left, value.top, value.right - value.left, value.bottom - value.top, TRUE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) override {
        Record({{"call", "Controller.MoveFocus"}, {"reason", reason}});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE add_AcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventHandler* h,
                                                        EventRegistrationToken* t) override {
        Record({{"call", "Controller.add_AcceleratorKeyPressed"}});
        return acceleratorKeyPressed.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_AcceleratorKeyPressed(EventRegistrationToken t) override {
        return acceleratorKeyPressed.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() override {
        Record({{"call", "Controller.NotifyParentWindowPositionChanged"}});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Close() override;
    HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** value) override {
        const HRESULT fail = FailureAt("GetCoreWebView2");
        Record({{"call", "Controller.get_CoreWebView2"}, {"result", Hex(fail)}});
        if (FAILED(fail) || !webView) {
            *value = nullptr;
            return FAILED(fail) ? fail : E_UNEXPECTED;
        }
        *value = webView.Get();
        webView->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_DefaultBackgroundColor(COREWEBVIEW2_COLOR* value) override {
        *value = {255, 255, 255, 255};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_DefaultBackgroundColor(COREWEBVIEW2_COLOR c) override {
        Record({{"call", "Controller.put_DefaultBackgroundColor"}, {"argb", {c.A, c.R, c.G, c.B}}});
        if (view) {
            SetWindowLongPtrW(view, GWLP_USERDATA, RGB(c.R, c.G, c.B));
            InvalidateRect(view, nullptr, TRUE);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_AllowExternalDrop(BOOL* value) override {
        *value = TRUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_AllowExternalDrop(BOOL value) override {
        Record({{"call", "Controller.put_AllowExternalDrop"}, {"value", value != FALSE}});
        return S_OK;
    }
};

// ---- The environment ----------------------------------------------------------------

struct Environment final : ICoreWebView2Environment6 {
    FAKE_REFCOUNT("Environment")
    ~Environment() {
        if (g_lastEnvironment == this) g_lastEnvironment = nullptr;
    }
    std::wstring version;
    BrowserProcess browser;
    EventList<ICoreWebView2BrowserProcessExitedEventHandler> browserExited;
    int liveControllers = 0;
    bool exited = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        const char* name = riid == IID_ICoreWebView2Environment2   ? "ICoreWebView2Environment2"
                           : riid == IID_ICoreWebView2Environment5 ? "ICoreWebView2Environment5"
                           : riid == IID_ICoreWebView2Environment6 ? "ICoreWebView2Environment6"
                                                                   : nullptr;
        const bool yes = riid == IID_IUnknown || riid == IID_ICoreWebView2Environment || (name && !Omitted(name));
        if (name) Record({{"call", "Environment.QueryInterface"}, {"iid", name}, {"answered", yes}});
        if (!yes) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<ICoreWebView2Environment6*>(this);
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
        HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override {
        const HRESULT fail = FailureAt("CreateControllerCall");
        Record({{"call", "Environment.CreateCoreWebView2Controller"},
                {"parentIsWindow", IsWindow(parent) != FALSE},
                {"result", Hex(fail)}});
        if (FAILED(fail)) return fail;
        if (!handler) return E_POINTER;
        ComPtr<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler> keep(handler);
        ComPtr<Environment> self(this);
        LaterAfter(Script().value("controllerDelayMs", 0), [self, keep, parent] {
            const HRESULT later = FailureAt("CreateControllerCallback");
            if (FAILED(later)) {
                Record({{"call", "ControllerCompleted"}, {"result", Hex(later)}});
                keep->Invoke(later, nullptr);
                return;
            }
            ComPtr<Controller> controller;
            controller = Adopt(new Controller);
            controller->parent = parent;
            controller->environment = self;
            controller->webView = Adopt(new WebView);
            controller->webView->browserPid = self->browser.pid;
            WNDCLASSW wc{};
            wc.lpfnWndProc = ViewProc;
            wc.hInstance = ThisModule();
            wc.lpszClassName = L"PellaroFakeBrowserView";
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            RegisterClassW(&wc);
            controller->view = CreateWindowExW(0, wc.lpszClassName, L"recording runtime", WS_CHILD | WS_VISIBLE, 0, 0,
                                               0, 0, parent, nullptr, wc.hInstance, nullptr);
            SetWindowLongPtrW(controller->view, GWLP_USERDATA, RGB(255, 255, 255));
            controller->webView->view = controller->view;
            ++self->liveControllers;
            Record({{"call", "ControllerCompleted"}, {"result", "0x00000000"}});
            keep->Invoke(S_OK, controller.Get());
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(IStream*, int status, LPCWSTR reason, LPCWSTR headers,
                                                        ICoreWebView2WebResourceResponse** response) override {
        Record({{"call", "Environment.CreateWebResourceResponse"},
                {"status", status},
                {"reason", Narrow(reason)},
                {"headers", Narrow(headers)}});
        auto* created = new Response;
        created->status = status;
        created->reason = reason ? reason : L"";
        *response = created;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR* value) override {
        *value = CoCopy(version);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateWebResourceRequest(LPCWSTR uri, LPCWSTR method, IStream*, LPCWSTR headers,
                                                       ICoreWebView2WebResourceRequest** request) override {
        Record({{"call", "Environment.CreateWebResourceRequest"},
                {"uri", Narrow(uri)},
                {"method", Narrow(method)},
                {"headers", Narrow(headers)}});
        auto* created = new Request;
        created->uri = uri ? uri : L"";
        created->method = method ? method : L"GET";
        // "Name: value" lines separated by CRLF.
        std::wstring rest = headers ? headers : L"";
        while (!rest.empty()) {
            const auto end = rest.find(L"\r\n");
            const std::wstring line = rest.substr(0, end);
            const auto colon = line.find(L':');
            if (colon != std::wstring::npos) {
                std::wstring value = line.substr(colon + 1);
                while (!value.empty() && value.front() == L' ') value.erase(0, 1);
                created->headers->SetHeader(line.substr(0, colon).c_str(), value.c_str());
            }
            if (end == std::wstring::npos) break;
            rest = rest.substr(end + 2);
        }
        *request = created;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE add_BrowserProcessExited(ICoreWebView2BrowserProcessExitedEventHandler* handler,
                                                       EventRegistrationToken* token) override {
        Record({{"call", "Environment.add_BrowserProcessExited"}});
        return browserExited.Add(handler, token);
    }
    HRESULT STDMETHODCALLTYPE remove_BrowserProcessExited(EventRegistrationToken token) override {
        Record({{"call", "Environment.remove_BrowserProcessExited"}});
        return browserExited.Remove(token);
    }
    HRESULT STDMETHODCALLTYPE CreatePrintSettings(ICoreWebView2PrintSettings** settings) override {
        Record({{"call", "Environment.CreatePrintSettings"}});
        if (!settings) return E_POINTER;
        *settings = nullptr;
        if (const HRESULT refused = FailureAt("CreatePrintSettings"); FAILED(refused)) return refused;
        *settings = new PrintSettings;
        return S_OK;
    }
    void RaiseExit(int kind) {
        if (exited) return;
        exited = true;
        browser.Stop();
        ComPtr<ExitArgs> args;
        args = Adopt(new ExitArgs);
        args->pid = browser.pid;
        args->kind = kind;
        browserExited.Raise(this, args.Get());
        Record({{"event", "BrowserProcessExited"}, {"kind", kind}});
    }
};

HRESULT STDMETHODCALLTYPE Controller::Close() {
    Record({{"call", "Controller.Close"}});
    if (webView) webView->closed = true;
    if (view) {
        DestroyWindow(view);
        view = nullptr;
        if (webView) webView->view = nullptr;
    }
    auto* env = static_cast<Environment*>(environment.Get());
    if (env && --env->liveControllers == 0 && Script().value("exitOnClose", true)) {
        // The browser process ends once its last web view has gone.
        ComPtr<Environment> keep(env);
        Later([keep] { keep->RaiseExit(COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND_NORMAL); });
    }
    webView.Reset();
    environment.Reset();
    return S_OK;
}

void RaiseAcceleratorKey(const Json& event) {
    ComPtr<KeyArgs> args;
    args = Adopt(new KeyArgs);
    args->key = event.value("key", 0u);
    args->kind = event.value("kind", 0);
    args->wasDown = event.value("repeat", false);
    BYTE saved[256] = {}, held[256] = {};
    GetKeyboardState(saved);
    std::copy(std::begin(saved), std::end(saved), std::begin(held));
    const auto hold = [&held](int key, bool down) { held[key] = down ? 0x80 : 0; };
    hold(VK_CONTROL, event.value("ctrl", false));
    hold(VK_SHIFT, event.value("shift", false));
    hold(VK_MENU, event.value("alt", false));
    SetKeyboardState(held);
    const bool subscribed = g_lastController && !g_lastController->acceleratorKeyPressed.handlers.empty();
    if (g_lastController) g_lastController->acceleratorKeyPressed.Raise(g_lastController, args.Get());
    SetKeyboardState(saved);
    Record({{"event", "AcceleratorKeyPressed"},
            {"key", args->key},
            {"handled", args->handled != FALSE},
            {"subscribed", subscribed}});
}

void WebView::RaiseBrowserExit(int kind) {
    if (g_lastEnvironment) g_lastEnvironment->RaiseExit(kind);
}

// A failed process of any kind, as the runtime reports it to each web view it
// served. When it is the browser process, the web view is dead from then on
// (it navigates no more) and the environment reports the exit too.
void WebView::RaiseProcessFailed(int kind) {
    ComPtr<ProcessFailedArgs> args;
    args = Adopt(new ProcessFailedArgs);
    args->kind = kind;
    const bool subscribed = !processFailed.handlers.empty();
    const bool browserGone = kind == COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED;
    if (browserGone) closed = true;
    processFailed.Raise(this, args.Get());
    Record({{"event", "ProcessFailed"}, {"kind", kind}, {"subscribed", subscribed}});
    if (browserGone) RaiseBrowserExit(COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND_FAILED);
}

// "uri" is the download's address, "name" the file name the runtime would
// suggest, "body" what the file receives.
void WebView::RaiseDownload(const Json& event) {
    ComPtr<DownloadStartingArgs> args;
    args = Adopt(new DownloadStartingArgs);
    args->operation = Adopt(new DownloadOperation);
    args->operation->uri = Wide(event.value("uri", ""));
    args->resultFilePath = UserDownloadsFolder() + L"\\" + Wide(event.value("name", "download"));
    const bool subscribed = !downloadStarting.handlers.empty();
    downloadStarting.Raise(this, args.Get());
    Record({{"event", "DownloadStarting"},
            {"uri", event.value("uri", "")},
            {"cancel", args->cancel != FALSE},
            {"handled", args->handled != FALSE},
            {"resultFilePath", Narrow(args->resultFilePath.c_str())},
            {"subscribed", subscribed}});
    if (args->cancel) return;
    ComPtr<DownloadOperation> operation = args->operation;
    operation->resultFilePath = args->resultFilePath;
    Later([operation, body = event.value("body", std::string()), interrupt = event.value("interrupt", false)] {
        operation->Finish(body, interrupt);
    });
}

}  // namespace

void LaterAfter(int delayMs, std::function<void()> task) {
    if (delayMs <= 0) {
        Later(std::move(task));
        return;
    }
    auto* held = new std::function<void()>(std::move(task));
    SetTimer(QueueWindow(), reinterpret_cast<UINT_PTR>(held), static_cast<UINT>(delayMs), nullptr);
}

void Later(std::function<void()> task) {
    PostMessageW(QueueWindow(), kRunTask, 0, reinterpret_cast<LPARAM>(new std::function<void()>(std::move(task))));
}

}  // namespace fake

namespace {

std::string OptionText(ICoreWebView2EnvironmentOptions* options,
                       HRESULT (STDMETHODCALLTYPE ICoreWebView2EnvironmentOptions::*getter)(LPWSTR*)) {
    LPWSTR value = nullptr;
    if (FAILED((options->*getter)(&value)) || !value) return {};
    std::string text = fake::Narrow(value);
    CoTaskMemFree(value);
    return text;
}

fake::Json Variable(const wchar_t* name) {
    wchar_t value[4096] = {};
    if (GetEnvironmentVariableW(name, value, 4096) == 0) return nullptr;
    return fake::Narrow(value);
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDMETHODCALLTYPE
    CreateWebViewEnvironmentWithOptionsInternal(bool checkRunningInstance, int runtimeType, PCWSTR userDataFolder,
                                                IUnknown* environmentOptions,
                                                ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    using namespace fake;
    LoadScript();
    Json line{{"call", "CreateWebViewEnvironmentWithOptionsInternal"},
              {"checkRunningInstance", checkRunningInstance},
              {"runtimeType", runtimeType},
              {"userDataFolder", Narrow(userDataFolder)}};
    ComPtr<ICoreWebView2EnvironmentOptions> options;
    if (environmentOptions &&
        SUCCEEDED(environmentOptions->QueryInterface(IID_ICoreWebView2EnvironmentOptions,
                                                     reinterpret_cast<void**>(options.GetAddressOf())))) {
        BOOL sso = FALSE;
        options->get_AllowSingleSignOnUsingOSPrimaryAccount(&sso);
        line["options"] = {
            {"additionalBrowserArguments",
             OptionText(options.Get(), &ICoreWebView2EnvironmentOptions::get_AdditionalBrowserArguments)},
            {"language", OptionText(options.Get(), &ICoreWebView2EnvironmentOptions::get_Language)},
            {"targetCompatibleBrowserVersion",
             OptionText(options.Get(), &ICoreWebView2EnvironmentOptions::get_TargetCompatibleBrowserVersion)},
            {"allowSingleSignOnUsingOSPrimaryAccount", sso != FALSE}};
    }
    line["environment"] = {
        {"WEBVIEW2_USER_DATA_FOLDER", Variable(L"WEBVIEW2_USER_DATA_FOLDER")},
        {"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", Variable(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER")},
        {"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS", Variable(L"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS")},
        {"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", Variable(L"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE")},
        {"WEBVIEW2_CHANNEL_SEARCH_KIND", Variable(L"WEBVIEW2_CHANNEL_SEARCH_KIND")},
        {"WEBVIEW2_RELEASE_CHANNELS", Variable(L"WEBVIEW2_RELEASE_CHANNELS")}};
    const HRESULT fail = FailureAt("CreateEnvironmentCall");
    line["result"] = Hex(fail);
    Record(line);
    if (FAILED(fail)) return fail;
    if (!handler) return E_POINTER;

    ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> keep(handler);
    Later([keep] {
        const HRESULT later = FailureAt("CreateEnvironmentCallback");
        if (FAILED(later)) {
            Record({{"call", "EnvironmentCompleted"}, {"result", Hex(later)}});
            keep->Invoke(later, nullptr);
            return;
        }
        ComPtr<Environment> environment;
        environment = Adopt(new Environment);
        environment->version = Wide(Script().value("version", "150.0.1000.7"));
        environment->browser.Start();
        g_lastEnvironment = environment.Get();
        Record({{"call", "EnvironmentCompleted"}, {"result", "0x00000000"}, {"browserPid", environment->browser.pid}});
        keep->Invoke(S_OK, environment.Get());
    });
    return S_OK;
}

// The engine warmed by creating the WebView2 environment early: the runtime
// starts its browser process while the start-up's network steps run, and the
// window's host creates its controller from that environment. The folders,
// variables and options are the ones the host's first attempt would use.
#include "browser/engine_warmup.h"
#include "browser/engine_warmup_win.h"
#include "browser/webview2_runtime_win.h"

#include <string>

#include "browser/host_status.h"
#include "platform/debug_log.h"
#include "platform/scoped_handles_win.h"
#include "shell/webview2_com_win.h"
#include "shell/webview2_loader_win.h"

namespace WebView {
namespace {

using pellaro::ComPtr;
using Completed = ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler;

}  // namespace

struct EngineWarmUp::State {
    bool active = false;
    std::wstring browserFolder;  // empty: the installed runtime
    std::wstring userDataFolder;
    HRESULT callResult = E_PENDING;
    bool completed = false;
    HRESULT completion = E_PENDING;
    ComPtr<ICoreWebView2Environment> environment;
    ComPtr<Completed> waiting;  // the host's handler, when it came before the environment

    // Dispose releases the runtime's objects while COM is up; what is still
    // held at the end (a start that never disposed) is left to the process's
    // exit, as a release after CoUninitialize must not run.
    ~State() {
        static_cast<void>(environment.Detach());
        static_cast<void>(waiting.Detach());
    }
};

namespace {

using State = EngineWarmUp::State;

// The folder exists and takes a file, as the host checks before its first attempt.
bool FolderReady(const std::wstring& folder) {
    // On a first start nothing has made the program's own folder yet.
    const std::size_t parentEnd = folder.find_last_of(L'\\');
    if (parentEnd != std::wstring::npos) CreateDirectoryW(folder.substr(0, parentEnd).c_str(), nullptr);
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    const std::wstring probe = folder + L"\\" + kWriteTestName;
    const pellaro::ScopedKernelHandle file(
        CreateFileW(probe.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.valid();
}

// Releases the runtime's objects the slot holds, and empties it.
void Clear(State& slot) {
    slot.environment.Reset();
    slot.waiting.Reset();
    slot = State{};
}

void OnCreated(State& slot, HRESULT hr, ICoreWebView2Environment* created) {
    ClearEngineVariables();                      // the environment exists (or failed): nothing later inherits them
    if (!slot.active || slot.completed) return;  // disposed of meanwhile: the runtime's reference goes
    slot.completed = true;
    slot.completion = FAILED(hr) || !created ? (FAILED(hr) ? hr : E_FAIL) : S_OK;
    slot.environment = created;
    pellaro::DebugLine(SUCCEEDED(slot.completion) ? "Browser engine warm-up: environment created"
                                                  : "Browser engine warm-up: environment failed");
    if (!slot.waiting) return;
    const ComPtr<Completed> handler = slot.waiting;
    const ComPtr<ICoreWebView2Environment> environment = slot.environment;
    const HRESULT result = slot.completion;
    Clear(slot);
    handler->Invoke(result, environment.Get());
}

}  // namespace

EngineWarmUp::EngineWarmUp() : state_(std::make_shared<State>()) {}
EngineWarmUp::~EngineWarmUp() = default;

void EngineWarmUp::Start(const std::wstring& userDataFolder) {
    State& slot = *state_;
    if (slot.active) return;
    ClearEngineVariables();
    const std::wstring browserFolder = FindFixedRuntime().folder;
    const std::wstring folder = userDataFolder + (browserFolder.empty() ? kEvergreenSuffix : kFixedSuffix);
    // Where the host would fail, it reports the failure itself.
    if (!FolderReady(folder) || !SetEnvironmentVariableW(L"WEBVIEW2_USER_DATA_FOLDER", folder.c_str()) ||
        (!browserFolder.empty() &&
         !SetEnvironmentVariableW(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", browserFolder.c_str()))) {
        ClearEngineVariables();
        pellaro::DebugLine("Browser engine warm-up skipped: the data folder is not ready");
        return;
    }
    const std::wstring arguments = BrowserArguments();
    SetEnvironmentVariableW(L"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS", arguments.c_str());
    auto options = pellaro::EnvironmentOptions::Create();
    options->put_AdditionalBrowserArguments(arguments.c_str());

    Clear(slot);
    slot.active = true;
    slot.browserFolder = browserFolder;
    slot.userDataFolder = folder;
    auto handler = pellaro::MakeHandler<Completed>(IID_ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler,
                                                   [live = state_](HRESULT hr, ICoreWebView2Environment* created) {
                                                       OnCreated(*live, hr, created);
                                                       return S_OK;
                                                   });
    pellaro::DebugLine("Browser engine warm-up: starting");
    slot.callResult = CreateCoreWebView2EnvironmentWithOptions(browserFolder.empty() ? nullptr : browserFolder.c_str(),
                                                               folder.c_str(), options.Get(), handler.Get());
    if (FAILED(slot.callResult)) ClearEngineVariables();
}

void EngineWarmUp::Dispose() {
    State& slot = *state_;
    if (!slot.active) return;
    Clear(slot);  // the environment's last reference: its browser process ends
    pellaro::DebugLine("Browser engine warm-up: disposed of");
}

HRESULT CreateEnvironmentOrTakeWarmed(EngineWarmUp* warmUp, PCWSTR browserFolder, PCWSTR userDataFolder,
                                      ICoreWebView2EnvironmentOptions* options, Completed* handler) {
    const std::wstring browser = browserFolder ? browserFolder : L"";
    const std::wstring data = userDataFolder ? userDataFolder : L"";
    if (!warmUp) return CreateCoreWebView2EnvironmentWithOptions(browserFolder, userDataFolder, options, handler);
    State& slot = warmUp->state();
    if (!slot.active || slot.browserFolder != browser || slot.userDataFolder != data)
        return CreateCoreWebView2EnvironmentWithOptions(browserFolder, userDataFolder, options, handler);
    pellaro::DebugLine("Browser engine warm-up: taken over by the window");
    if (FAILED(slot.callResult)) {
        const HRESULT call = slot.callResult;
        Clear(slot);
        return call;
    }
    if (!handler) return E_POINTER;
    if (!slot.completed) {
        slot.waiting = handler;
        return S_OK;
    }
    const ComPtr<ICoreWebView2Environment> environment = slot.environment;
    const HRESULT result = slot.completion;
    Clear(slot);
    handler->Invoke(result, environment.Get());
    return S_OK;
}

}  // namespace WebView

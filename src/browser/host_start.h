#pragma once
// The start of a browser host, written once: the attempts and their data
// folders, the write test, the failure bookkeeping and the texts. It runs over
// the few primitives each engine implements (webview_host_win.cpp on WebView2,
// webview_host_qt.cpp on Qt WebEngine), as HttpClient runs over HttpTransport.
#include <cstdint>
#include <string>

#include "browser/host_status.h"

namespace WebView {

// What an attempt's engine step reports: 0 or a failing code, and its step.
struct StepOutcome {
    std::int32_t hr = 0;
    StartStep step = StartStep::None;
    bool ok() const { return hr == 0; }
};

class HostEngine {
public:
    virtual ~HostEngine() = default;
    // Takes the parent window (HWND, QWidget*); false when it is unusable.
    virtual bool Attach(void* parent) = 0;
    // Clears what the process environment may not pass on to the engine and
    // names the runtime; runs once per start, before the first attempt.
    virtual EngineRuntime PrepareEnvironment(const std::wstring& userDataFolder) = 0;
    // Tells apart this start's recovery folders from earlier ones.
    virtual std::wstring AttemptTag() = 0;
    // 0, or the OS error as a code (ResultFromOsError); a folder that exists already is fine.
    virtual std::int32_t CreateFolder(const std::wstring& folder) = 0;
    // Creates the file `name` in `folder` and removes it again: 0, or the OS error as a code.
    virtual std::int32_t WriteTestFile(const std::wstring& folder, const std::wstring& name) = 0;
    // The engine over `folder`, with its view over the parent; blocks until
    // it is ready or has failed.
    virtual StepOutcome CreateView(const std::wstring& folder, int attempt) = 0;
    // Hands the engine's events to the host's callbacks.
    virtual void ConnectEvents() = 0;
    virtual void Show() = 0;
    // Closes what a failed attempt created, so the next starts afresh.
    virtual void Close() = 0;
};

struct StartOutcome {
    bool ok = false;
    std::int32_t result = 0;  // 0 or a HostError code
    std::wstring statusText;
    bool logged = false;  // the status text belongs in the debug log
};

// Attempts (at least one) until the engine is up; the status text in `wording`.
StartOutcome StartHost(HostEngine& engine, const HostWording& wording, void* parent, const std::wstring& userDataFolder,
                       int maxAttempts);

}  // namespace WebView

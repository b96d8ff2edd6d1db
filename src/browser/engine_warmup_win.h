#pragma once
// The Windows host's side of the engine's warm-up: the environment the
// warm-up created, taken in place of a new one.
#include <windows.h>

#include "shell/webview2_api_win.h"

namespace WebView {

class EngineWarmUp;

// With a warm-up (null: none) for these folders, hands its environment to `handler` (at
// once when created, else when creation completes) and returns what the
// warm-up's creation call returned; otherwise asks the runtime for a new
// environment (CreateCoreWebView2EnvironmentWithOptions).
HRESULT CreateEnvironmentOrTakeWarmed(EngineWarmUp* warmUp, PCWSTR browserFolder, PCWSTR userDataFolder,
                                      ICoreWebView2EnvironmentOptions* options,
                                      ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);

}  // namespace WebView

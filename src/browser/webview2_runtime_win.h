#pragma once
// Which WebView2 runtime the program uses and the arguments its browser
// starts with: one answer for the host and for the early warm-up.
#include <string>

namespace WebView {

// The fixed runtime in WebView2Runtime beside the program, when it holds a
// browser that reports its version; an empty folder otherwise (the installed
// runtime is used).
struct FixedRuntime {
    std::wstring folder;
    std::wstring version;
};
FixedRuntime FindFixedRuntime();

// The engine's switches (EngineSwitches).
std::wstring BrowserArguments();

// Removes every WEBVIEW2_* variable the runtime reads from this process. At a
// start, an inherited one steers nothing; once the environment exists (or
// failed), the program's own go too, so no program started later (the
// diagnostic dialog, a program an engine page might launch) inherits them.
void ClearEngineVariables();

}  // namespace WebView

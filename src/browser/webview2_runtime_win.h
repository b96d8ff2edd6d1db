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

// The profile's browser switches plus the two the program always needs.
std::wstring BrowserArguments();

}  // namespace WebView

#pragma once
// Our own minimal WebView2 loader (Windows edition): finds a fixed runtime in a
// folder or the installed evergreen runtime, reports its version, and creates
// the browser environment through the runtime's own client library.
#include <windows.h>

#include <optional>
#include <string>

#include "shell/webview2_api_win.h"

// Given a folder, the file version of its msedgewebview2.exe; given null, the
// installed evergreen runtime's version from the registry. On success
// *versionInfo is a CoTaskMemAlloc string the caller frees with CoTaskMemFree.
extern "C" HRESULT WINAPI GetAvailableCoreWebView2BrowserVersionString(PCWSTR browserExecutableFolder,
                                                                       LPWSTR* versionInfo);

// Loads the client library of the runtime in browserExecutableFolder (or of the
// installed runtime when null) and asks it for an environment; the handler is
// called later, from the calling thread's message loop.
extern "C" HRESULT WINAPI CreateCoreWebView2EnvironmentWithOptions(
    PCWSTR browserExecutableFolder, PCWSTR userDataFolder, ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler);

namespace pellaro {

// No runtime in the folder given, or none installed.
inline constexpr HRESULT kNoRuntime = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
// The client library lacks the creation function.
inline constexpr HRESULT kMissingRuntimeExport = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);

// How the runtime's client library is told where it runs.
enum class RuntimeKind : int { Installed = 0, Fixed = 1 };

struct RuntimeClient {
    std::wstring library;  // ...\EBWebView\x64\EmbeddedBrowserWebView.dll
    std::wstring version;
    RuntimeKind kind = RuntimeKind::Installed;
};

// <folder>\EBWebView\x64\EmbeddedBrowserWebView.dll
std::wstring ClientLibraryPath(const std::wstring& runtimeFolder);
// The key under which the runtime's installer records its folder ("EBWebView"), without the hive.
std::wstring RuntimeClientStateKey(bool wow6432Node);
// A fixed runtime: msedgewebview2.exe with a version and the client library present.
std::optional<RuntimeClient> FindFixedRuntime(const std::wstring& folder);
// The evergreen runtime: machine-wide (32-bit registry view, then native) first, then the user's.
std::optional<RuntimeClient> FindInstalledRuntime();

}  // namespace pellaro

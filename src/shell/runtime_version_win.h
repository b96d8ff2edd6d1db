#pragma once
// Our own minimal WebView2 loader: the runtime's version (Windows edition).
#include <windows.h>

#include <optional>
#include <string>

// Given a folder, the file version of its msedgewebview2.exe; given null, the
// installed evergreen runtime's version from the registry. On success
// *versionInfo is a CoTaskMemAlloc string the caller frees with CoTaskMemFree;
// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) when no runtime is there.
extern "C" HRESULT WINAPI GetAvailableCoreWebView2BrowserVersionString(PCWSTR browserExecutableFolder,
                                                                       LPWSTR* versionInfo);

namespace pellaro {

// The file version of <folder>\msedgewebview2.exe, "a.b.c.d".
std::optional<std::wstring> FixedRuntimeVersion(const std::wstring& folder);
// The evergreen runtime's "pv": machine (32-bit view, then native), then user.
std::optional<std::wstring> InstalledRuntimeVersion();
// The registry key under which the runtime's updater keeps its "pv", without the hive.
std::wstring RuntimeClientKey(bool wow6432Node);

}  // namespace pellaro

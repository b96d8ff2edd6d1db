#pragma once
// Where the browser runtime keeps its version (Windows edition).
#include <windows.h>

#include <optional>
#include <string>

#include "shell/webview2_loader_win.h"

namespace pellaro {

// The file version of <folder>\msedgewebview2.exe, "a.b.c.d".
std::optional<std::wstring> FixedRuntimeVersion(const std::wstring& folder);
// The evergreen runtime's "pv": machine (32-bit view, then native), then user.
std::optional<std::wstring> InstalledRuntimeVersion();
// The registry key under which the runtime's updater keeps its "pv", without the hive.
std::wstring RuntimeClientKey(bool wow6432Node);

}  // namespace pellaro

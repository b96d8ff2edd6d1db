#pragma once
// The Windows edition's runtime gate with its real effects; tests replace single members.
#include "shell/runtime_gate.h"

namespace pellaro {

// Program folder from GetModuleFileNameW, the loader's version lookup, message
// boxes, URLDownloadToFileW into %TEMP%\WebView2Installer.exe, ShellExecuteExW
// and an unlimited wait, DeleteFileW; the bootstrapper address from the profile.
RuntimeGateSeam SystemRuntimeGateSeam();

}  // namespace pellaro

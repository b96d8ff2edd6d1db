#pragma once
// The start-up pieces that differ between the editions. Each edition defines
// every one of them (startup_steps_qt.cpp, startup_steps_win.cpp): one left
// out fails to link. The program's wiring puts them into StartupSteps.
#include <optional>
#include <string>

#include "app/scope_guard.h"

namespace pellaro {

// The platform's process-wide start-up (COM on Windows; on Linux the
// QApplication made by main stands in). The guard shuts it down.
ScopeGuard PlatformStartup();
// What the splash draws with (GDI+ on Windows); none when it did not start.
std::optional<ScopeGuard> GraphicsStartup();
// Opens an address with the system's handler.
void OpenAddress(const std::wstring& address);
// Runs until the last window ends it; returns the quit code.
int RunMessageLoop();

}  // namespace pellaro

#pragma once
// The program's one composition root: every subsystem's hook is set here, and
// the start-up steps are bound to the real calls of both editions.
#include "app/startup.h"
#include "browser/app_windows.h"

namespace pellaro {

// Sets the process-wide hooks and returns the steps RunStartup needs. Call
// once, on the user-interface thread, before any window.
StartupSteps WireProgram(NativeInstance instance);

}  // namespace pellaro

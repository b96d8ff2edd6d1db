#pragma once
// The pre-exit cleanup the program installs: it tears the browser hosts down
// on the user-interface thread, whichever thread asks.
#include "browser/app_windows.h"

namespace pellaro {

// Points the teardown at the program's windows and records the calling thread
// as the user-interface thread. Call on that thread, before any window; null
// forgets the windows again.
void SetTeardownWindows(AppWindows* windows);
// The teardown itself, for SetPreExitCleanupHook.
void TearDownBrowsersBeforeExit();

}  // namespace pellaro

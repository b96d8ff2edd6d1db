#pragma once
// The pre-exit cleanup the program installs: it tears the browser hosts down
// on the user-interface thread, whichever thread asks.

namespace pellaro {

// Records the calling thread as the user-interface thread. Call on that
// thread, before any window.
void MarkUserInterfaceThread();
// The teardown itself, for SetPreExitCleanupHook.
void TearDownBrowsersBeforeExit();

}  // namespace pellaro

#pragma once
// The pre-exit cleanup the program installs: it tears the browser hosts down
// on the user-interface thread, whichever thread asks.

namespace pellaro {

// Records the calling thread as the user-interface thread and installs the
// teardown as the pre-exit cleanup hook. Call on that thread, before any window.
void InstallPreExitTeardown();

}  // namespace pellaro

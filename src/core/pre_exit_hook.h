#pragma once
// The teardown that must run before a fatal notice ends the process.

namespace pellaro {

using PreExitHook = void (*)();

// Installed first thing at start-up, cleared at shutdown (nullptr).
void SetPreExitCleanupHook(PreExitHook hook);
// Runs the installed hook at most once per process, whichever thread calls
// first; later calls, and calls without a hook, do nothing.
void RunPreExitCleanupOnce();

}  // namespace pellaro

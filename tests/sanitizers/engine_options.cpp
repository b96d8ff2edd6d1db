// Built into the programs of the sanitizer build that load Qt WebEngine, and
// only those (tests/CMakeLists.txt); every other program keeps the defaults.
#include <sanitizer/lsan_interface.h>

#include <cstdlib>

// Chromium inside the engine deletes an object through a base of another size
// when a web view is discarded (docs/reliability.md). The engine also leaves
// blocks to the process's end on purpose, so the leak check at exit must not
// change the program's exit status: it runs from atexit without ending the
// process, and writes every leak to the report folder, where
// tests/sanitizers/reports.py tells the engine's leaks from ours.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0:leak_check_at_exit=0"; }

namespace {

const int kLeakCheckAtExit = std::atexit([] { __lsan_do_recoverable_leak_check(); });

}  // namespace

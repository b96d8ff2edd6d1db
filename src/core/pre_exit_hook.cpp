#include "core/pre_exit_hook.h"

#include <atomic>

namespace pellaro {
namespace {
std::atomic<PreExitHook> g_hook{nullptr};
std::atomic<bool> g_ran{false};
}  // namespace

void SetPreExitCleanupHook(PreExitHook hook) { g_hook.store(hook); }

void RunPreExitCleanupOnce() {
    if (g_ran.exchange(true)) return;
    if (PreExitHook hook = g_hook.load()) hook();
}

}  // namespace pellaro

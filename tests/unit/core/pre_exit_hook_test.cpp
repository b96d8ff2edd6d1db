#include "core/pre_exit_hook.h"

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace pellaro {
namespace {

std::atomic<int> g_calls{0};
void CountingHook() { ++g_calls; }

TEST(PreExitHook, RunsOnceWhateverTheNumberOfThreads) {
    SetPreExitCleanupHook(&CountingHook);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) threads.emplace_back(RunPreExitCleanupOnce);
    for (auto& t : threads) t.join();
    RunPreExitCleanupOnce();
    EXPECT_EQ(g_calls.load(), 1);
}

}  // namespace
}  // namespace pellaro

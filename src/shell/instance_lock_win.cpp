#include <windows.h>

#include "shell/instance_lock.h"
#include "shell/instance_name.h"
#include "platform/scoped_handles_win.h"

namespace pellaro {
namespace {
// Held for the life of the process: taken and released from the start-up order.
ScopedKernelHandle g_mutex;
}  // namespace

InstanceLock TakeInstanceLock(const std::wstring& key) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, InstanceLockName(key).c_str());
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;  // read before anything else can set it
    g_mutex.reset(mutex);
    if (!g_mutex) return InstanceLock::Failed;
    return existed ? InstanceLock::AlreadyRunning : InstanceLock::Acquired;
}

void ReleaseInstanceLock() { g_mutex.reset(); }

}  // namespace pellaro

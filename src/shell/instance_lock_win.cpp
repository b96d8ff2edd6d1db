#include <windows.h>

#include "shell/instance_lock.h"
#include "shell/instance_name.h"

namespace pellaro {
namespace {
HANDLE g_mutex = nullptr;
}  // namespace

InstanceLock TakeInstanceLock(const std::wstring& key) {
    g_mutex = CreateMutexW(nullptr, FALSE, InstanceMutexName(key).c_str());
    if (g_mutex == nullptr) return InstanceLock::Failed;
    return GetLastError() == ERROR_ALREADY_EXISTS ? InstanceLock::AlreadyRunning : InstanceLock::Acquired;
}

void ReleaseInstanceLock() {
    if (g_mutex != nullptr) CloseHandle(g_mutex);
    g_mutex = nullptr;
}

}  // namespace pellaro

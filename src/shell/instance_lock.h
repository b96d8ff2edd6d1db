#pragma once
// The single-instance lock: a named mutex on Windows, a lock file on Linux.
#include <string>

namespace pellaro {

enum class InstanceLock { Acquired, AlreadyRunning, Failed };

// Takes the lock for `key` (the instance key) and keeps it for the life of the
// process. AlreadyRunning: another process holds it; the handle stays open
// until ReleaseInstanceLock. Failed: the lock could not be created at all.
InstanceLock TakeInstanceLock(const std::wstring& key);
void ReleaseInstanceLock();

}  // namespace pellaro

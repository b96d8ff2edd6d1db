#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "shell/instance_lock.h"
#include "shell/instance_name.h"
#include "core/text.h"

namespace pellaro {
namespace {

int g_lockFd = -1;

std::filesystem::path LockFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0') return runtime;
    std::error_code ec;
    auto temp = std::filesystem::temp_directory_path(ec);
    return ec ? std::filesystem::path("/tmp") : temp;
}

}  // namespace

InstanceLock TakeInstanceLock(const std::wstring& key) {
    const auto path = LockFolder() / (ToUtf8(InstanceLockStem(key)) + ".lock");
    g_lockFd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (g_lockFd < 0) return InstanceLock::Failed;
    // The kernel drops the lock when the process ends, however it ends.
    while (flock(g_lockFd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        return errno == EWOULDBLOCK ? InstanceLock::AlreadyRunning : InstanceLock::Failed;
    }
    return InstanceLock::Acquired;
}

void ReleaseInstanceLock() {
    if (g_lockFd >= 0) close(g_lockFd);
    g_lockFd = -1;
}

}  // namespace pellaro

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "shell/instance_lock.h"
#include "shell/instance_name.h"
#include "core/text.h"
#include "platform/debug_log.h"

namespace pellaro {
namespace {

int g_lockFd = -1;

std::filesystem::path FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::filesystem::path(value) : std::filesystem::path();
}

// A folder only this user can write to: a shared one (the temp folder) would
// let another user plant a link at the lock path or hold the lock. Empty when
// no such folder can be had.
std::filesystem::path LockFolder() {
    if (auto runtime = FromEnvironment("XDG_RUNTIME_DIR"); !runtime.empty()) return runtime;
    std::filesystem::path cache = FromEnvironment("XDG_CACHE_HOME");
    if (cache.empty()) {
        const std::filesystem::path home = FromEnvironment("HOME");
        if (home.empty()) return {};
        cache = home / ".cache";
    }
    const std::filesystem::path folder = cache / "PellaroPlayer";
    std::error_code ec;
    std::filesystem::create_directories(cache, ec);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
    // An existing folder must be our own real directory, closed to others.
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid() ||
        (info.st_mode & 077) != 0)
        return {};
    return folder;
}

}  // namespace

InstanceLock TakeInstanceLock(const std::wstring& key) {
    const std::filesystem::path folder = LockFolder();
    if (folder.empty()) {
        DebugLine("Instance lock: no private folder for the lock file");
        return InstanceLock::Failed;
    }
    const auto path = folder / (ToUtf8(InstanceLockStem(key)) + ".lock");
    // A symbolic link is never followed, and whatever sits at the path must be
    // our own regular file: nothing else is opened for writing or locked.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd < 0) {
        DebugLine("Instance lock: cannot open " + path.string() + " (errno " + std::to_string(errno) + ")");
        return InstanceLock::Failed;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
        DebugLine("Instance lock: " + path.string() + " is not a regular file of this user");
        close(fd);
        return InstanceLock::Failed;
    }
    g_lockFd = fd;
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

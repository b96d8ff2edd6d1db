#include <windows.h>

#include "core/build_constants.h"
#include "platform/os_version.h"

namespace pellaro {
namespace {

// The extended version record the true-version routine fills.
static_assert(sizeof(OSVERSIONINFOEXW) == 284, "extended version record size");
using TrueVersionRoutine = LONG(WINAPI*)(OSVERSIONINFOEXW*);

}  // namespace

int OsVersionNumber() {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    const std::wstring module = WideConstant(ConstantKey::osVersionModule);
    const std::string function = Constant(ConstantKey::osVersionFunction);
    if (HMODULE handle = GetModuleHandleW(module.c_str())) {
        auto routine = reinterpret_cast<TrueVersionRoutine>(
            reinterpret_cast<void*>(GetProcAddress(handle, function.c_str())));
        // A failing routine leaves the record as it found it: zeroed.
        if (routine && routine(&info) != 0) info = OSVERSIONINFOEXW{};
    }
    return MapOsVersion(info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber);
}

}  // namespace pellaro

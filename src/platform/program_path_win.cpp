#include "platform/program_path.h"

#include <windows.h>

namespace pellaro {

std::wstring ProgramPath() {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return std::wstring(buffer, n);
}

}  // namespace pellaro

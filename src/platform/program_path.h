#pragma once
#include <string>

namespace pellaro {

// Full path of the running executable (GetModuleFileNameW with 260 characters
// on Windows, /proc/self/exe on Linux); empty when it cannot be read.
std::wstring ProgramPath();
// The folder part of a program path: everything before the last separator.
std::wstring FolderOf(const std::wstring& path);

}  // namespace pellaro

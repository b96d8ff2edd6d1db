#include "platform/program_path.h"

namespace pellaro {

std::wstring FolderOf(const std::wstring& path) {
    const auto pos = path.find_last_of(L"\\/");
    return pos == std::wstring::npos ? std::wstring() : path.substr(0, pos);
}

}  // namespace pellaro

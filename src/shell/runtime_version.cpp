#include "shell/runtime_version.h"

namespace pellaro {

std::wstring FileVersionText(std::uint32_t mostSignificant, std::uint32_t leastSignificant) {
    return std::to_wstring(mostSignificant >> 16) + L"." + std::to_wstring(mostSignificant & 0xFFFF) + L"." +
           std::to_wstring(leastSignificant >> 16) + L"." + std::to_wstring(leastSignificant & 0xFFFF);
}

bool IsInstalledRuntimeVersion(const std::wstring& pv) {
    if (pv.empty()) return false;
    bool digitSeen = false;
    bool nonZero = false;
    wchar_t previous = L'.';
    for (wchar_t c : pv) {
        if (c == L'.') {
            if (previous == L'.') return false;  // empty part
        } else if (c >= L'0' && c <= L'9') {
            digitSeen = true;
            nonZero = nonZero || c != L'0';
        } else {
            return false;
        }
        previous = c;
    }
    return digitSeen && previous != L'.' && nonZero;
}

}  // namespace pellaro

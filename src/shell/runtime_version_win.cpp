#include "shell/runtime_version_win.h"

#include <vector>

#include "shell/runtime_version.h"

namespace pellaro {
namespace {

// The updater's client id of the WebView2 runtime.
constexpr wchar_t kRuntimeClientId[] = L"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";

std::optional<std::wstring> ReadPv(HKEY root, const std::wstring& subKey) {
    wchar_t buffer[128] = {};
    DWORD bytes = sizeof(buffer);
    if (RegGetValueW(root, subKey.c_str(), L"pv", RRF_RT_REG_SZ, nullptr, buffer, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring pv(buffer);
    if (!IsInstalledRuntimeVersion(pv)) return std::nullopt;
    return pv;
}

}  // namespace

std::wstring RuntimeClientKey(bool wow6432Node) {
    return std::wstring(wow6432Node ? L"SOFTWARE\\WOW6432Node" : L"SOFTWARE") + L"\\Microsoft\\EdgeUpdate\\Clients\\" +
           kRuntimeClientId;
}

std::optional<std::wstring> FixedRuntimeVersion(const std::wstring& folder) {
    std::wstring file = folder;
    if (!file.empty() && file.back() != L'\\' && file.back() != L'/') file += L'\\';
    file += L"msedgewebview2.exe";
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data())) return std::nullopt;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO) || info->dwSignature != 0xFEEF04BD)
        return std::nullopt;
    return FileVersionText(info->dwFileVersionMS, info->dwFileVersionLS);
}

std::optional<std::wstring> InstalledRuntimeVersion() {
    if (auto pv = ReadPv(HKEY_LOCAL_MACHINE, RuntimeClientKey(true))) return pv;
    if (auto pv = ReadPv(HKEY_LOCAL_MACHINE, RuntimeClientKey(false))) return pv;
    if (auto pv = ReadPv(HKEY_CURRENT_USER, RuntimeClientKey(false))) return pv;
    return std::nullopt;
}

}  // namespace pellaro

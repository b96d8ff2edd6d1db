#include "shell/url_scheme.h"

#include <windows.h>

namespace pellaro {
namespace {

HKEY CreateWritable(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

void SetText(HKEY key, const std::wstring& name, const std::wstring& data) {
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(data.c_str()), bytes);
}

}  // namespace

bool RegisterUrlScheme(const std::wstring& schemeName, const std::wstring& description,
                       const std::wstring& programPath) {
    const std::vector<SchemeRegistryValue> values = SchemeRegistryValues(schemeName, description, programPath);
    // The main key falls back to the machine hive; the rest belongs to the user.
    HKEY main = CreateWritable(HKEY_CURRENT_USER, values[0].subKey);
    if (!main) main = CreateWritable(HKEY_LOCAL_MACHINE, values[0].subKey);
    if (!main) return false;
    SetText(main, values[0].name, values[0].data);
    SetText(main, values[1].name, values[1].data);
    RegCloseKey(main);
    for (std::size_t i = 2; i < values.size(); ++i) {
        if (HKEY key = CreateWritable(HKEY_CURRENT_USER, values[i].subKey)) {
            SetText(key, values[i].name, values[i].data);
            RegCloseKey(key);
        }
    }
    return true;
}

}  // namespace pellaro

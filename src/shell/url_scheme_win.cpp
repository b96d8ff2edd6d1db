#include "shell/url_scheme.h"

#include <windows.h>

#include "platform/scoped_handles_win.h"

namespace pellaro {
namespace {

ScopedRegistryKey CreateWritable(HKEY root, const std::wstring& path) {
    ScopedRegistryKey key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.receive(), nullptr) != ERROR_SUCCESS)
        key.reset();
    return key;
}

void SetText(HKEY key, const std::wstring& name, const std::wstring& data) {
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   bytes);
}

}  // namespace

bool RegisterUrlScheme(const std::wstring& schemeName, const std::wstring& description,
                       const std::wstring& programPath) {
    const std::vector<SchemeRegistryValue> values = SchemeRegistryValues(schemeName, description, programPath);
    // The main key falls back to the machine hive; the rest belongs to the user.
    ScopedRegistryKey main = CreateWritable(HKEY_CURRENT_USER, values[0].subKey);
    if (!main) main = CreateWritable(HKEY_LOCAL_MACHINE, values[0].subKey);
    if (!main) return false;
    SetText(main.get(), values[0].name, values[0].data);
    SetText(main.get(), values[1].name, values[1].data);
    main.reset();
    for (std::size_t i = 2; i < values.size(); ++i) {
        if (const ScopedRegistryKey key = CreateWritable(HKEY_CURRENT_USER, values[i].subKey))
            SetText(key.get(), values[i].name, values[i].data);
    }
    return true;
}

}  // namespace pellaro

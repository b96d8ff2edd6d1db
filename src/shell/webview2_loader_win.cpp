#include "shell/webview2_loader_win.h"

#include <objbase.h>

#include <cstring>

#include "platform/scoped_handles_win.h"
#include "shell/runtime_version.h"
#include "shell/runtime_version_win.h"

namespace pellaro {
namespace {

// The updater's id of the runtime's stable channel.
constexpr wchar_t kRuntimeClientId[] = L"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";

// The client library's creation function: check for a running instance, how
// the runtime was found, user-data folder, options, completion handler.
using CreateInternal = HRESULT(STDMETHODCALLTYPE*)(bool, int, PCWSTR, IUnknown*,
                                                   ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*);
constexpr char kCreateExport[] = "CreateWebViewEnvironmentWithOptionsInternal";

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& subKey, const wchar_t* name) {
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
    if (RegGetValueW(root, subKey.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

std::wstring LastPathPart(std::wstring path) {
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    const auto cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::optional<RuntimeClient> InstalledIn(HKEY root, bool wow6432Node) {
    const auto folder = ReadString(root, RuntimeClientStateKey(wow6432Node), L"EBWebView");
    if (!folder || folder->empty()) return std::nullopt;
    RuntimeClient client;
    client.library = ClientLibraryPath(*folder);
    if (!IsFile(client.library)) return std::nullopt;
    // The version folder's name, or the updater's "pv" when the name is not one.
    client.version = LastPathPart(*folder);
    if (!IsInstalledRuntimeVersion(client.version)) {
        const auto pv = ReadString(root, RuntimeClientKey(wow6432Node), L"pv");
        client.version = pv && IsInstalledRuntimeVersion(*pv) ? *pv : std::wstring();
    }
    client.kind = RuntimeKind::Installed;
    return client;
}

HRESULT CopyOut(const std::wstring& text, LPWSTR* out) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!copy) return E_OUTOFMEMORY;
    std::memcpy(copy, text.c_str(), bytes);
    *out = copy;
    return S_OK;
}

}  // namespace

std::wstring ClientLibraryPath(const std::wstring& runtimeFolder) {
    std::wstring path = runtimeFolder;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    return path + L"EBWebView\\x64\\EmbeddedBrowserWebView.dll";
}

std::wstring RuntimeClientStateKey(bool wow6432Node) {
    return std::wstring(wow6432Node ? L"SOFTWARE\\WOW6432Node" : L"SOFTWARE") +
           L"\\Microsoft\\EdgeUpdate\\ClientState\\" + kRuntimeClientId;
}

std::optional<RuntimeClient> FindFixedRuntime(const std::wstring& folder) {
    const auto version = FixedRuntimeVersion(folder);
    if (!version) return std::nullopt;
    RuntimeClient client{ClientLibraryPath(folder), *version, RuntimeKind::Fixed};
    if (!IsFile(client.library)) return std::nullopt;
    return client;
}

std::optional<RuntimeClient> FindInstalledRuntime() {
    if (auto client = InstalledIn(HKEY_LOCAL_MACHINE, true)) return client;
    if (auto client = InstalledIn(HKEY_LOCAL_MACHINE, false)) return client;
    if (auto client = InstalledIn(HKEY_CURRENT_USER, false)) return client;
    return std::nullopt;
}

}  // namespace pellaro

extern "C" HRESULT WINAPI GetAvailableCoreWebView2BrowserVersionString(PCWSTR browserExecutableFolder,
                                                                       LPWSTR* versionInfo) {
    if (!versionInfo) return E_POINTER;
    *versionInfo = nullptr;
    const std::optional<std::wstring> version = browserExecutableFolder
                                                    ? pellaro::FixedRuntimeVersion(browserExecutableFolder)
                                                    : pellaro::InstalledRuntimeVersion();
    if (!version) return pellaro::kNoRuntime;
    return pellaro::CopyOut(*version, versionInfo);
}

extern "C" HRESULT WINAPI CreateCoreWebView2EnvironmentWithOptions(
    PCWSTR browserExecutableFolder, PCWSTR userDataFolder, ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler) {
    if (!environmentCreatedHandler) return E_POINTER;
    const auto client = browserExecutableFolder && *browserExecutableFolder
                            ? pellaro::FindFixedRuntime(browserExecutableFolder)
                            : pellaro::FindInstalledRuntime();
    if (!client) return pellaro::kNoRuntime;
    // Its own folder and the system folder only: nothing from the current
    // folder or PATH, where another program could leave a library of that name.
    pellaro::ScopedLibrary library(LoadLibraryExW(client->library.c_str(), nullptr,
                                                  LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!library) {
        const DWORD error = GetLastError();
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    // Through void*: FARPROC's own type says nothing of the export's signature.
    auto create = reinterpret_cast<pellaro::CreateInternal>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), pellaro::kCreateExport)));
    if (!create) return pellaro::kMissingRuntimeExport;
    // The library stays loaded: the environment and everything it creates live in it.
    static_cast<void>(library.release());
    return create(true, static_cast<int>(client->kind), userDataFolder, environmentOptions, environmentCreatedHandler);
}

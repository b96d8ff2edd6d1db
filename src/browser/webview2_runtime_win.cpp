#include "browser/webview2_runtime_win.h"

#include <windows.h>
#include <objbase.h>

#include <string_view>
#include <vector>

#include "browser/engine_switches.h"
#include "core/text.h"
#include "platform/program_path.h"
#include "platform/scoped_handles_win.h"
#include "shell/webview2_loader_win.h"

namespace WebView {
namespace {

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

FixedRuntime FindFixedRuntime() {
    const std::wstring program = pellaro::ProgramPath();
    const auto cut = program.find_last_of(L'\\');
    const std::wstring folder = (cut == std::wstring::npos ? std::wstring() : program.substr(0, cut)) +
                                L"\\WebView2Runtime";
    if (!IsDirectory(folder) || !IsFile(folder + L"\\msedgewebview2.exe")) return {};
    pellaro::CoTaskMemory<wchar_t> reported;
    if (!SUCCEEDED(GetAvailableCoreWebView2BrowserVersionString(folder.c_str(), reported.receive())) || !reported ||
        !*reported.get())
        return {};
    return {folder, reported.get()};
}

std::wstring BrowserArguments() { return pellaro::FromUtf8(pellaro::EngineSwitches()); }

void ClearEngineVariables() {
    // Names first, then removal: the block must not change while it is read.
    std::vector<std::wstring> names;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
            const std::wstring_view text(entry);
            const auto equals = text.find(L'=', 1);  // "=C:" style entries start with "="
            if (equals != std::wstring_view::npos &&
                pellaro::LowerUnits(text.substr(0, equals)).rfind(L"webview2_", 0) == 0)
                names.emplace_back(text.substr(0, equals));
        }
        FreeEnvironmentStringsW(block);
    }
    for (const auto& name : names) SetEnvironmentVariableW(name.c_str(), nullptr);
}

}  // namespace WebView

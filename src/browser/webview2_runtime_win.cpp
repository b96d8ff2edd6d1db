#include "browser/webview2_runtime_win.h"

#include <windows.h>
#include <objbase.h>

#include "core/build_constants.h"
#include "platform/program_path.h"
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
    const std::wstring folder =
        (cut == std::wstring::npos ? std::wstring() : program.substr(0, cut)) + L"\\WebView2Runtime";
    if (!IsDirectory(folder) || !IsFile(folder + L"\\msedgewebview2.exe")) return {};
    LPWSTR reported = nullptr;
    FixedRuntime found;
    if (SUCCEEDED(GetAvailableCoreWebView2BrowserVersionString(folder.c_str(), &reported)) && reported && *reported)
        found = {folder, reported};
    if (reported) CoTaskMemFree(reported);
    return found;
}

std::wstring BrowserArguments() {
    std::wstring arguments;
    for (const auto& item : pellaro::WideConstantList(pellaro::ConstantKey::browserSwitches))
        arguments += (arguments.empty() ? L"" : L" ") + item;
    return arguments + L" --disable-web-security --disable-site-isolation-trials";
}

}  // namespace WebView

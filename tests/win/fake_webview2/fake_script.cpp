#include "fake_script.h"

#include <objbase.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fake {
namespace {

// The runtime folder: two levels above EBWebView\x64\<this library>.
std::wstring RuntimeFolder() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&RuntimeFolder), &self);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring folder = path;
    for (int up = 0; up < 3; ++up) folder = folder.substr(0, folder.find_last_of(L'\\'));
    return folder;
}

std::wstring FileFor(const wchar_t* variable, const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    if (GetEnvironmentVariableW(variable, value, MAX_PATH) > 0) return value;
    return RuntimeFolder() + L"\\" + name;
}

}  // namespace

Json& Script() {
    static Json script = Json::object();
    return script;
}

void LoadScript() {
    Script() = Json::object();
    std::ifstream in(std::filesystem::path(FileFor(L"PELLARO_FAKE_WEBVIEW2_SCRIPT", L"fake_webview2.json")));
    if (!in) return;
    std::stringstream text;
    text << in.rdbuf();
    Script() = Json::parse(text.str(), nullptr, false);
    if (!Script().is_object()) Script() = Json::object();
}

void Record(Json line) {
    std::ofstream out(std::filesystem::path(FileFor(L"PELLARO_FAKE_WEBVIEW2_LOG", L"fake_webview2.jsonl")),
                      std::ios::app);
    out << line.dump() << "\n";
}

HRESULT FailureAt(const char* stage) {
    const Json& fail = Script().value("fail", Json::object());
    if (!fail.is_object() || fail.value("stage", "") != stage) return S_OK;
    return static_cast<HRESULT>(std::stoul(fail.value("hr", "0x80004005"), nullptr, 16));
}

bool Omitted(const char* interfaceName) {
    for (const auto& name : Script().value("omit", Json::array()))
        if (name.is_string() && name.get<std::string>() == interfaceName) return true;
    return false;
}

std::string Narrow(const wchar_t* text) {
    if (!text) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), size);
    return out;
}

LPWSTR CoCopy(const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (copy) std::memcpy(copy, text.c_str(), bytes);
    return copy;
}

}  // namespace fake

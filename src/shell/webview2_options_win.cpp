#include <objbase.h>

#include <cstring>

#include "shell/webview2_com_win.h"

namespace pellaro {
namespace {

HRESULT Out(const std::wstring& text, LPWSTR* value) {
    if (!value) return E_POINTER;
    *value = CoTaskString(text);
    return *value ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

LPWSTR CoTaskString(const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (copy) std::memcpy(copy, text.c_str(), bytes);
    return copy;
}

ComPtr<EnvironmentOptions> EnvironmentOptions::Create() {
    ComPtr<EnvironmentOptions> options;
    options = Adopt(new EnvironmentOptions);
    return options;
}

HRESULT EnvironmentOptions::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ICoreWebView2EnvironmentOptions) {
        *out = static_cast<ICoreWebView2EnvironmentOptions*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG EnvironmentOptions::AddRef() { return ++refs_; }

ULONG EnvironmentOptions::Release() {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT EnvironmentOptions::get_AdditionalBrowserArguments(LPWSTR* value) { return Out(arguments_, value); }
HRESULT EnvironmentOptions::put_AdditionalBrowserArguments(LPCWSTR value) {
    arguments_ = value ? value : L"";
    return S_OK;
}
HRESULT EnvironmentOptions::get_Language(LPWSTR* value) { return Out(language_, value); }
HRESULT EnvironmentOptions::put_Language(LPCWSTR value) {
    language_ = value ? value : L"";
    return S_OK;
}
HRESULT EnvironmentOptions::get_TargetCompatibleBrowserVersion(LPWSTR* value) { return Out(targetVersion_, value); }
HRESULT EnvironmentOptions::put_TargetCompatibleBrowserVersion(LPCWSTR value) {
    targetVersion_ = value ? value : L"";
    return S_OK;
}
HRESULT EnvironmentOptions::get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) {
    if (!allow) return E_POINTER;
    *allow = singleSignOn_;
    return S_OK;
}
HRESULT EnvironmentOptions::put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) {
    singleSignOn_ = allow;
    return S_OK;
}

}  // namespace pellaro

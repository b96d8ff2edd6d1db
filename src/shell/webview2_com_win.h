#pragma once
// Small COM helpers for the embedded browser (Windows edition): completion and
// event handlers made from function objects, and the environment options object.
#include <windows.h>
#include <wrl/client.h>

#include <atomic>
#include <functional>
#include <string>
#include <utility>

#include "shell/webview2_api_win.h"

namespace pellaro {

using Microsoft::WRL::ComPtr;

// Takes over the one reference of a new object. (MinGW's ComPtr::Attach adds a
// reference of its own, unlike the documented behaviour, so it is not used.)
template <class T>
ComPtr<T> Adopt(T* fresh) {
    ComPtr<T> owner;
    *owner.ReleaseAndGetAddressOf() = fresh;
    return owner;
}

namespace detail {
template <class Method>
struct InvokeOf;
template <class C, class... Args>
struct InvokeOf<HRESULT (STDMETHODCALLTYPE C::*)(Args...)> {
    using Function = std::function<HRESULT(Args...)>;
    template <class Interface>
    struct Handler final : Interface {
        Handler(const IID& iid, Function function) : iid_(iid), function_(std::move(function)) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
            if (!out) return E_POINTER;
            if (riid == IID_IUnknown || riid == iid_) {
                *out = static_cast<Interface*>(this);
                AddRef();
                return S_OK;
            }
            *out = nullptr;
            return E_NOINTERFACE;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
        ULONG STDMETHODCALLTYPE Release() override {
            const ULONG left = --refs_;
            if (left == 0) delete this;
            return left;
        }
        HRESULT STDMETHODCALLTYPE Invoke(Args... args) override { return function_ ? function_(args...) : S_OK; }

    private:
        std::atomic<ULONG> refs_{1};
        IID iid_;
        Function function_;
    };
};
}  // namespace detail

// A handler object whose Invoke calls the function; the caller owns the one reference.
template <class Interface, class Function>
ComPtr<Interface> MakeHandler(const IID& iid, Function&& function) {
    using Traits = detail::InvokeOf<decltype(&Interface::Invoke)>;
    ComPtr<Interface> handler;
    handler = Adopt(new typename Traits::template Handler<Interface>(iid, std::forward<Function>(function)));
    return handler;
}

// The environment options the program hands to the loader: the runtime's
// defaults except what the program sets.
class EnvironmentOptions final : public ICoreWebView2EnvironmentOptions {
public:
    // The browser version the program is built against.
    static constexpr wchar_t kTargetCompatibleBrowserVersion[] = L"149.0.4022.49";

    static ComPtr<EnvironmentOptions> Create();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) override;
    HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) override;

private:
    EnvironmentOptions() = default;
    std::atomic<ULONG> refs_{1};
    std::wstring arguments_;
    std::wstring language_;
    std::wstring targetVersion_ = kTargetCompatibleBrowserVersion;
    BOOL singleSignOn_ = FALSE;
};

// A CoTaskMemAlloc copy, as COM hands out strings; null when out of memory.
LPWSTR CoTaskString(const std::wstring& text);

}  // namespace pellaro

#pragma once
// Owned Windows handles for every layer: Win32 kernel objects, CNG, WinHTTP,
// registry keys, CryptoAPI certificates and memory the system allocated for
// us. Each alias closes with the call its API documents.
#include <windows.h>
#include <bcrypt.h>
#include <objbase.h>
#include <wincrypt.h>
#include <winhttp.h>

#include "core/scoped_handle.h"

namespace pellaro {
namespace handle_traits {

// Kernel objects: functions report failure with null (CreateMutexW, OpenProcess)
// or with INVALID_HANDLE_VALUE (CreateFileW, CreateToolhelp32Snapshot).
struct Kernel : NullIsInvalid<HANDLE> {
    static bool IsValid(Handle handle) noexcept { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) noexcept { CloseHandle(handle); }
};
struct CngAlgorithm : NullIsInvalid<BCRYPT_ALG_HANDLE> {
    static void Close(Handle handle) noexcept { BCryptCloseAlgorithmProvider(handle, 0); }
};
struct CngKey : NullIsInvalid<BCRYPT_KEY_HANDLE> {
    static void Close(Handle handle) noexcept { BCryptDestroyKey(handle); }
};
struct CngHash : NullIsInvalid<BCRYPT_HASH_HANDLE> {
    static void Close(Handle handle) noexcept { BCryptDestroyHash(handle); }
};
struct Internet : NullIsInvalid<HINTERNET> {
    static void Close(Handle handle) noexcept { WinHttpCloseHandle(handle); }
};
struct RegistryKey : NullIsInvalid<HKEY> {
    static void Close(Handle handle) noexcept { RegCloseKey(handle); }
};
struct Library : NullIsInvalid<HMODULE> {
    static void Close(Handle handle) noexcept { FreeLibrary(handle); }
};
struct Certificate : NullIsInvalid<PCCERT_CONTEXT> {
    static void Close(Handle handle) noexcept { CertFreeCertificateContext(handle); }
};
struct CertificateChain : NullIsInvalid<PCCERT_CHAIN_CONTEXT> {
    static void Close(Handle handle) noexcept { CertFreeCertificateChain(handle); }
};
template <typename T>
struct CoTaskMemory : NullIsInvalid<T*> {
    static void Close(T* memory) noexcept { CoTaskMemFree(memory); }
};
template <typename T>
struct LocalMemory : NullIsInvalid<T*> {
    static void Close(T* memory) noexcept { LocalFree(memory); }
};
struct GlobalMemory : NullIsInvalid<HGLOBAL> {
    static void Close(Handle memory) noexcept { GlobalFree(memory); }
};

}  // namespace handle_traits

using ScopedKernelHandle = ScopedHandle<handle_traits::Kernel>;
using ScopedCngAlgorithm = ScopedHandle<handle_traits::CngAlgorithm>;
using ScopedCngKey = ScopedHandle<handle_traits::CngKey>;
using ScopedCngHash = ScopedHandle<handle_traits::CngHash>;
using ScopedInternet = ScopedHandle<handle_traits::Internet>;
using ScopedRegistryKey = ScopedHandle<handle_traits::RegistryKey>;
using ScopedLibrary = ScopedHandle<handle_traits::Library>;
using ScopedCertificate = ScopedHandle<handle_traits::Certificate>;
using ScopedCertificateChain = ScopedHandle<handle_traits::CertificateChain>;
// Memory from CoTaskMemAlloc, e.g. a version string the runtime's loader returns.
template <typename T>
using CoTaskMemory = ScopedHandle<handle_traits::CoTaskMemory<T>>;
// Memory from LocalAlloc, e.g. CryptoAPI's *_ALLOC_FLAG results.
template <typename T>
using LocalMemory = ScopedHandle<handle_traits::LocalMemory<T>>;
// Memory from GlobalAlloc, until the clipboard or a stream takes it over.
using GlobalMemory = ScopedHandle<handle_traits::GlobalMemory>;

}  // namespace pellaro

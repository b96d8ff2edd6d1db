#include "shell/runtime_gate_win.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <urlmon.h>

#include "core/build_constants.h"
#include "shell/runtime_version_win.h"
#include "platform/message_box.h"
#include "platform/program_path.h"
#include "platform/scoped_handles_win.h"

namespace pellaro {
namespace {

std::optional<std::wstring> LoaderVersion(const std::optional<std::wstring>& folder) {
    CoTaskMemory<wchar_t> version;
    const HRESULT hr = GetAvailableCoreWebView2BrowserVersionString(folder ? folder->c_str() : nullptr,
                                                                    version.receive());
    if (!SUCCEEDED(hr) || !version) return std::nullopt;
    return std::wstring(version.get());
}

std::wstring TemporaryInstallerPath() {
    wchar_t folder[MAX_PATH] = {};
    const DWORD n = GetTempPathW(MAX_PATH, folder);
    if (n == 0 || n >= MAX_PATH) return L"WebView2Installer.exe";
    return std::wstring(folder, n) + L"WebView2Installer.exe";
}

void RunAndWait(const std::wstring& file) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) return;
    const ScopedKernelHandle installer(info.hProcess);
    if (installer) WaitForSingleObject(installer.get(), INFINITE);
}

}  // namespace

RuntimeGateSeam SystemRuntimeGateSeam() {
    RuntimeGateSeam seam;
    seam.programFolder = [] { return FolderOf(ProgramPath()); };
    seam.isFile = [](const std::wstring& path) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    };
    seam.runtimeVersion = LoaderVersion;
    seam.messageBox = ShowMessageBox;
    seam.installerPath = TemporaryInstallerPath;
    seam.download = [](const std::wstring& address, const std::wstring& file) {
        return SUCCEEDED(URLDownloadToFileW(nullptr, address.c_str(), file.c_str(), 0, nullptr));
    };
    seam.runInstallerAndWait = RunAndWait;
    seam.deleteFile = [](const std::wstring& file) { DeleteFileW(file.c_str()); };
    seam.downloadAddress = WideConstant(ConstantKey::runtimeBootstrapperUrl);
    return seam;
}

bool RuntimeGate() { return RunRuntimeGate(SystemRuntimeGateSeam()); }

}  // namespace pellaro

#include "shell/runtime_gate.h"

namespace pellaro {
namespace {

constexpr wchar_t kFixedRuntimeFolder[] = L"\\WebView2Runtime";
constexpr wchar_t kFixedRuntimeExecutable[] = L"\\msedgewebview2.exe";

MessageBoxSpec Message(const wchar_t* text, const wchar_t* caption, MessageButtons buttons, MessageIcon icon) {
    MessageBoxSpec spec;
    spec.text = text;
    spec.caption = caption;
    spec.buttons = buttons;
    spec.icon = icon;
    return spec;
}

bool Found(const std::optional<std::wstring>& version) { return version && !version->empty(); }

}  // namespace

MessageBoxSpec RuntimeQuestionMessage() {
    return Message(
        L"WebView2 Runtime is required to run this application.\nيحتاج هذا التطبيق إلى WebView2 Runtime للتشغيل.\n\nWould you like to install it now?",
        L"Pellaro — Component Required", MessageButtons::YesNo, MessageIcon::Question);
}

MessageBoxSpec RuntimeInstallingMessage() {
    return Message(
        L"WebView2 Runtime is being downloaded and installed.\nجاري تحميل وتثبيت WebView2 Runtime.\n\nPlease wait...",
        L"Installing...", MessageButtons::Ok, MessageIcon::Information);
}

MessageBoxSpec RuntimeDownloadErrorMessage() {
    return Message(L"Failed to download WebView2 Runtime.\nPlease check your internet connection.", L"Download Error",
                   MessageButtons::Ok, MessageIcon::Error);
}

MessageBoxSpec RuntimeInstallFailedMessage() {
    return Message(L"WebView2 installation may have failed.\nPlease restart the application.", L"Installation",
                   MessageButtons::Ok, MessageIcon::Warning);
}

bool RunRuntimeGate(const RuntimeGateSeam& seam) {
    const std::wstring programFolder = seam.programFolder();
    if (!programFolder.empty()) {
        const std::wstring fixedFolder = programFolder + kFixedRuntimeFolder;
        if (seam.isFile(fixedFolder + kFixedRuntimeExecutable) && Found(seam.runtimeVersion(fixedFolder))) return true;
    }
    if (Found(seam.runtimeVersion(std::nullopt))) return true;

    if (seam.messageBox(RuntimeQuestionMessage()) != MessageAnswer::Yes) return false;
    seam.messageBox(RuntimeInstallingMessage());
    const std::wstring installer = seam.installerPath();
    if (!seam.download(seam.downloadAddress, installer)) {
        seam.messageBox(RuntimeDownloadErrorMessage());
        return false;
    }
    seam.runInstallerAndWait(installer);
    if (Found(seam.runtimeVersion(std::nullopt))) {
        seam.deleteFile(installer);
        return true;
    }
    seam.messageBox(RuntimeInstallFailedMessage());
    return false;
}

std::wstring WebEngineHelperPath(const std::wstring& overridePath, const std::wstring& libexecFolder) {
    if (!overridePath.empty()) return overridePath;
    if (libexecFolder.empty()) return {};
    std::wstring path = libexecFolder;
    if (path.back() != L'/') path += L'/';
    for (const char* c = kWebEngineHelperName; *c; ++c) path += static_cast<wchar_t>(*c);
    return path;
}

MessageBoxSpec WebEngineMissingMessage() {
    return Message(
        L"Qt WebEngine is required to run this application.\nPlease install the package libqt6webenginecore6-bin.\nيحتاج هذا التطبيق إلى Qt WebEngine للتشغيل.\nيرجى تثبيت الحزمة libqt6webenginecore6-bin.",
        L"Pellaro — Component Required", MessageButtons::Ok, MessageIcon::Error);
}

bool RunWebEngineGate(const WebEngineGateSeam& seam) {
    if (!seam.helperPath.empty() && seam.isExecutableFile(seam.helperPath)) return true;
    seam.messageBox(WebEngineMissingMessage());
    return false;
}

}  // namespace pellaro

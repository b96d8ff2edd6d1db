#pragma once
// Makes sure a browser runtime is present before any window needs one. The
// gate tells the user itself and returns false when the program must stop.
#include <functional>
#include <optional>
#include <string>

#include "platform/message_box.h"

namespace pellaro {

// The step of each edition: Windows looks for a WebView2 runtime and offers to
// install one; Linux checks Qt WebEngine's helper process.
bool RuntimeGate();

// Windows edition: the OS effects the decisions below rely on.
struct RuntimeGateSeam {
    std::function<std::wstring()> programFolder;           // empty when unknown
    std::function<bool(const std::wstring& path)> isFile;  // exists and is no folder
    // The runtime's version: in a folder, or the installed runtime when none is given.
    std::function<std::optional<std::wstring>(const std::optional<std::wstring>& folder)> runtimeVersion;
    std::function<MessageAnswer(const MessageBoxSpec&)> messageBox;
    std::function<std::wstring()> installerPath;  // the temporary folder + WebView2Installer.exe
    std::function<bool(const std::wstring& address, const std::wstring& file)> download;
    std::function<void(const std::wstring& file)> runInstallerAndWait;
    std::function<void(const std::wstring& file)> deleteFile;
    std::wstring downloadAddress;
};

// Fixed runtime beside the program, then an installed one, then the offer to
// download and run the vendor's installer and a second look.
bool RunRuntimeGate(const RuntimeGateSeam& seam);

// The gate's messages.
MessageBoxSpec RuntimeQuestionMessage();
MessageBoxSpec RuntimeInstallingMessage();
MessageBoxSpec RuntimeDownloadErrorMessage();
MessageBoxSpec RuntimeInstallFailedMessage();

// Linux edition: the helper process Qt WebEngine starts for every page.
struct WebEngineGateSeam {
    std::wstring helperPath;
    std::function<bool(const std::wstring& path)> isExecutableFile;
    std::function<MessageAnswer(const MessageBoxSpec&)> messageBox;
};

inline constexpr char kWebEngineHelperName[] = "QtWebEngineProcess";
inline constexpr char kWebEnginePackage[] = "libqt6webenginecore6-bin";

// QTWEBENGINEPROCESS_PATH when set, else the helper in Qt's libexec folder.
std::wstring WebEngineHelperPath(const std::wstring& overridePath, const std::wstring& libexecFolder);
// True when the helper can run; otherwise names the package to install and returns false.
bool RunWebEngineGate(const WebEngineGateSeam& seam);
MessageBoxSpec WebEngineMissingMessage();

}  // namespace pellaro

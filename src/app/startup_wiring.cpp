#include "app/startup_wiring.h"

#include "core/app_record.h"
#include "shell/runtime_gate.h"
#include "shell/splash.h"
#include "shell/url_scheme.h"
#include "diag/diagnostic_code.h"
#include "diag/diagnostic_dialog.h"
#include "links/link_resolution.h"
#include "diag/connection_failure.h"
#include "net/pin_store.h"
#include "net/version_check.h"
#include "platform/program_path.h"

namespace pellaro {

void AddSubsystemSteps(StartupSteps& steps) {
    steps.showSplash = [] {
        if (ShowSplash(nullptr, 700, 450)) DrainPendingMessages();
    };
    steps.closeSplash = CloseSplash;
    steps.runtimeGate = RuntimeGate;
    steps.registerScheme = [] {
        return RegisterUrlScheme(App().schemeName, L"Pellaro Desktop Player", ProgramPath());
    };
    steps.installDefaultPins = InstallDefaultPins;
    steps.loadDynamicPins = LoadDynamicPins;
    steps.checkVersion = [](double currentVersion, const std::wstring& baseAddress) {
        const VersionInfo info = CheckVersion(currentVersion, baseAddress);
        return UpdateOffer{info.hasUpdate, info.isRequired, info.link};
    };
    steps.parseSchemeArgs = [](const std::wstring& link, std::string& errorCode) {
        return ParseSchemeArgs(link, errorCode);
    };
    steps.buildDiagnosticCode = BuildDiagnosticCode;
    steps.showDiagnosticDialogAndExit = [](const std::wstring& title, const std::wstring& message,
                                           const std::wstring& arabicMessage, const std::string& code) {
        ShowDiagnosticDialogAndExit(title, message, arabicMessage, code);
    };
    // Pin failures of the academy's own hosts end the run with the interception notice.
    SetPinFailureReporter(ReportPinFailure);
}

}  // namespace pellaro

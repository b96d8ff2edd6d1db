#include "app/startup_wiring.h"

#include <map>
#include <memory>
#include <utility>

#include "app/background_work.h"
#include "app/pre_exit_teardown.h"
#include "app/startup_steps.h"
#include "browser/browser_services.h"
#include "browser/browser_windows.h"
#include "browser/engine_warmup.h"
#include "core/app_record.h"
#include "core/build_constants.h"
#include "core/pre_exit_hook.h"
#include "diag/connection_failure.h"
#include "diag/diagnostic_code.h"
#include "diag/diagnostic_dialog.h"
#include "links/link_resolution.h"
#include "net/pin_store.h"
#include "net/version_check.h"
#include "platform/device_identity.h"
#include "platform/message_box.h"
#include "platform/os_version.h"
#include "platform/program_path.h"
#include "shell/instance_lock.h"
#include "shell/runtime_gate.h"
#include "shell/splash.h"
#include "shell/url_scheme.h"

namespace pellaro {
namespace {

void ShowDiagnosticNotice(const std::wstring& title, const std::wstring& message, const std::wstring& arabicMessage,
                          const std::string& code) {
    ShowDiagnosticDialogAndExit(title, message, arabicMessage, code);
}

// The hooks of every subsystem; returns the windows' services.
BrowserWindowServices WireHooks(std::shared_ptr<WebView::EngineWarmUp> warmUp) {
    // Intercepted connections end the run with the diagnostic dialog: pin
    // failures of the academy's own hosts at once, hosts the browser blocked
    // after their short delay.
    SetConnectionFailureNotice(ShowDiagnosticNotice);
    // The network steps run on a worker; the notice is a window.
    SetPinFailureReporter([](const std::wstring& host) { RunOnUserInterfaceThread([&] { ReportPinFailure(host); }); });

    BrowserWindowServices services;
    services.closeSplash = CloseSplash;
    services.filterServices = [] { return DefaultFilterServices(ReportBlockedHost); };
    services.homeAddress = WideConstant(ConstantKey::homeAddress);
    services.print = PrintToPhysicalPrinter;
    services.warmUp = std::move(warmUp);
    return services;
}


}  // namespace

StartupSteps WireProgram(NativeInstance instance) {
    // The windows live as long as the steps. Closing their hosts also disposes
    // of a warmed engine no window took, before the diagnostic dialog ends the process.
    auto warmUp = std::make_shared<WebView::EngineWarmUp>();
    auto windows = std::make_shared<ProgramWindows>(instance, WireHooks(warmUp), [warmUp] { warmUp->Dispose(); });
    auto frame = std::make_shared<NativeWindow>(nullptr);
    return StartupSteps{
        .platformStartup = PlatformStartup,
        .installPreExitHook =
            [windows] {
                SetTeardownWindows(&windows->frames);
                SetPreExitCleanupHook(&TearDownBrowsersBeforeExit);
                return ScopeGuard([] {
                    SetPreExitCleanupHook(nullptr);
                    SetTeardownWindows(nullptr);
                });
            },
        .graphicsStartup = GraphicsStartup,
        .takeInstanceLock = TakeInstanceLock,
        .releaseInstanceLock = ReleaseInstanceLock,
        .showSplash =
            [] {
                if (ShowSplash(nullptr, 700, 450)) DrainPendingMessages();
            },
        .closeSplash = CloseSplash,
        .platformSupported = PlatformSupported,
        .deviceIdentifier = DeviceIdentifier,
        .runtimeGate = RuntimeGate,
        // The engine starts ahead of the first window, whose host takes it
        // over; the guard disposes of it when no host did.
        .warmBrowser =
            [warmUp] {
                warmUp->Start(BrowserUserDataFolder());
                return ScopeGuard([warmUp] { warmUp->Dispose(); });
            },
        .runInBackground = RunWhilePumping,
        .installDefaultPins = InstallDefaultPins,
        .loadDynamicPins = LoadDynamicPins,
        // A link whose base address leads to the address already asked
        // gets that answer again instead of a second request.
        .checkVersion =
            [asked = std::make_shared<std::map<std::wstring, VersionInfo>>()](double currentVersion,
                                                                              const std::wstring& baseAddress) {
                const std::wstring address = VersionCheckAddress(baseAddress);
                auto known = asked->find(address);
                if (known == asked->end())
                    known = asked->emplace(address, CheckVersion(currentVersion, baseAddress)).first;
                const VersionInfo& info = known->second;
                return UpdateOffer{info.hasUpdate, info.isRequired, info.link, info.error};
            },
        .openAddress = OpenAddress,
        .registerScheme = [] { return RegisterUrlScheme(App().schemeName, L"Pellaro Desktop Player", ProgramPath()); },
        .createInitScreen = [windows] { return windows->frames.CreateInitScreen(); },
        .homeHostExists = [windows] { return windows->frames.BrowserHostExists(); },
        .createPlayerFrame = [windows, frame] { return (*frame = windows->frames.CreatePlayerFrame()) != nullptr; },
        .resolveLink = [](const std::wstring& link) { return ResolveContentLink(link); },
        .createPlayerWindow =
            [windows, frame](const ContentDescriptor& content) {
                return windows->frames.CreatePlayerWindow(*frame, content);
            },
        .buildDiagnosticCode = BuildDiagnosticCode,
        .showDiagnosticDialogAndExit = ShowDiagnosticNotice,
        .messageBox = ShowMessageBox,
        .runMessageLoop = RunMessageLoop,
        .destroyBrowserHosts = [windows] { windows->frames.DestroyBrowserHosts(); },
        .log = nullptr,
    };
}

}  // namespace pellaro

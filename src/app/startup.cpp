#include "app/startup.h"

#include <charconv>
#include <initializer_list>
#include <string_view>

#include "core/app_record.h"
#include "core/build_constants.h"
#include "shell/instance_name.h"
#include "app/startup_texts.h"
#include "platform/debug_log.h"
#include "core/text.h"

namespace pellaro {
namespace {

namespace text = startup_text;

constexpr double kUnreadableVersion = 3.0;

// What the run has set up, released when it ends. Members are destroyed in
// reverse order, which is the shutdown order: browser hosts closed, pre-exit
// hook cleared, graphics shut down, instance lock closed, platform shut down.
// The splash, while still up, is the windows' to close. A warmed browser
// engine no window took over goes first, also on an early exit: it has
// processes of its own.
struct ShutdownScope {
    ScopeGuard platform, lock, graphics, hook, hosts, splash, warmBrowser;

    // Early exits leave everything else to the end of the process.
    void LeaveToProcessExit() {
        for (ScopeGuard* guard : {&splash, &hosts, &hook, &graphics, &lock, &platform}) guard->Dismiss();
    }
};

class Startup {
public:
    Startup(const StartupInput& input, const StartupSteps& steps) : input_(input), steps_(steps) {}

    int Run() {
        ShutdownScope scope;
        scope.platform = steps_.platformStartup();
        scope.hook = steps_.installPreExitHook();
        std::optional<ScopeGuard> graphics = steps_.graphicsStartup();
        if (graphics) scope.graphics = std::move(*graphics);

        const std::wstring key = InstanceKey(input_);
        Log("Instance mutex: " + ToUtf8(InstanceLockName(key)));
        switch (steps_.takeInstanceLock(key)) {
            case InstanceLock::Failed:
                Log("Instance mutex could not be created");
                scope.graphics.Dismiss();
                scope.hook.Dismiss();
                return 1;
            case InstanceLock::AlreadyRunning:
                scope.lock = ScopeGuard(steps_.releaseInstanceLock);
                Box({text::kAlreadyRunning, App().displayName, MessageButtons::Ok, MessageIcon::Information});
                scope.graphics.Dismiss();
                scope.hook.Dismiss();
                return 0;
            case InstanceLock::Acquired: scope.lock = ScopeGuard(steps_.releaseInstanceLock); break;
        }

        if (graphics) {
            steps_.showSplash();
            scope.splash = ScopeGuard(steps_.closeSplash);
        }

        if (!steps_.platformSupported()) {
            Box({text::kUnsupportedOs, text::kUnsupportedOsCaption, MessageButtons::Ok, MessageIcon::Error});
            scope.LeaveToProcessExit();
            return 1;
        }

        if (steps_.deviceIdentifier().empty()) {
            steps_.closeSplash();
            scope.splash.Dismiss();
            Box({text::kDeviceInfo, App().displayName, MessageButtons::Ok, MessageIcon::Error});
            scope.hook.Dismiss();
            scope.lock.Dismiss();
            return 1;
        }

        if (!steps_.runtimeGate()) {
            scope.LeaveToProcessExit();
            return 1;
        }

        // The engine starts while the network steps run; every early exit
        // from here on disposes of it.
        scope.warmBrowser = steps_.warmBrowser();

        Log("Step 7: Initializing SSL pinning defaults");
        steps_.installDefaultPins();
        version_ = VersionNumber(App().versionText);
        // One trip to the worker for both calls: the engine's start may hold
        // the user-interface thread between them.
        UpdateOffer offer;
        steps_.runInBackground([&] {
            Log("Step 7: Loading dynamic pins synchronously");
            try {
                const PinListLoad pins = steps_.loadDynamicPins();
                Log(pins.loaded ? std::string("Step 7: Dynamic pins loaded OK")
                                : "Step 7: Dynamic pins FAILED: " + pins.error + " (the built-in pins stay)");
            } catch (...) {
                Log("Step 7: Dynamic pins FAILED (exception)");
            }
            Log("Step 7B: Checking app version...");
            offer = steps_.checkVersion(version_, std::wstring());
        });
        if (offer.error.empty())
            Log(std::string("Step 7B: Version check done. hasUpdate=") + (offer.hasUpdate ? "1" : "0"));
        else Log("Step 7B: Version check FAILED: " + offer.error + " (going on without an update)");
        if (offer.hasUpdate && UpdatePromptEndsRun(offer)) {
            scope.LeaveToProcessExit();
            return 0;
        }

        Log("Step 8: Registering URL protocol...");
        steps_.registerScheme();  // its result does not stop the start

        Log("Step 9: Parsing command line...");
        const std::wstring argument = EffectiveArgument(input_);
        const bool hasLink = HasSchemeLink(argument);
        Log(std::string("Step 9: hasSchemeArgs=") + (hasLink ? "1" : "0"));

        scope.splash.Dismiss();
        scope.hosts = ScopeGuard(steps_.destroyBrowserHosts);
        if (const int code = hasLink ? PlayerRoad(argument) : HomeRoad(); code >= 0) {
            scope.LeaveToProcessExit();
            return code;
        }
        return steps_.runMessageLoop();  // the scope shuts everything down on the way out
    }

private:
    static constexpr int kContinue = -1;

    // Road A. Returns an exit code, or kContinue for the message loop.
    int HomeRoad() {
        if (steps_.createInitScreen()) return kContinue;
        if (!steps_.homeHostExists())
            Box({text::kWindowFailed, Caption(text::kStartupErrorSuffix), MessageButtons::Ok, MessageIcon::Error});
        return 1;
    }

    // Road B. Returns an exit code, or kContinue for the message loop.
    int PlayerRoad(const std::wstring& argument) {
        steps_.createPlayerFrame();  // a missing frame makes the player window fail below

        LinkResult link;
        UpdateOffer offer;
        steps_.runInBackground([&] {
            link = steps_.resolveLink(argument);
            if (link.Resolved()) offer = steps_.checkVersion(version_, link.content.baseAddress);
        });
        if (link.Resolved()) {
            if (offer.hasUpdate && UpdatePromptEndsRun(offer)) return 0;
            return steps_.createPlayerWindow(link.content) ? kContinue : 1;
        }

        if (link.error->kind == LinkErrorKind::Unreachable) {
            steps_.showDiagnosticDialogAndExit(text::kUnreachableTitle, text::kUnreachableText,
                                               text::kUnreachableArabic, steps_.buildDiagnosticCode(link.error->text));
            return 1;
        }

        if (link.error->kind == LinkErrorKind::ServerMessage) {
            MessageBoxSpec box{FromUtf8(link.error->text), Caption(text::kServerErrorSuffix), MessageButtons::Ok,
                               MessageIcon::Warning};
            box.rightAligned = true;
            box.rtlReading = true;
            Box(box);
            return 1;
        }

        steps_.showDiagnosticDialogAndExit(text::kLinkErrorTitle, text::kLinkErrorText, text::kLinkErrorArabic,
                                           steps_.buildDiagnosticCode(link.error->text));
        // The dialog ends the process itself; reaching here is still a failed run.
        return 1;
    }

    // The update prompt; true when it ends the run (exit code 0).
    bool UpdatePromptEndsRun(const UpdateOffer& offer) {
        const std::wstring address = UpdateAddress(offer.link, WideConstant(ConstantKey::installerDownloadUrl));
        if (offer.isRequired) {
            const MessageAnswer answer = Box({text::kUpdateRequired, Caption(text::kUpdateRequiredSuffix),
                                              MessageButtons::OkCancel, MessageIcon::Warning});
            if (answer == MessageAnswer::Ok) Open(address);
            return true;
        }
        const MessageAnswer answer = Box({text::kUpdateAvailable, Caption(text::kUpdateAvailableSuffix),
                                          MessageButtons::YesNo, MessageIcon::Information});
        if (answer != MessageAnswer::Yes) return false;
        Open(address);
        return true;
    }

    void Open(const std::wstring& address) { steps_.openAddress(address); }

    MessageAnswer Box(const MessageBoxSpec& spec) { return steps_.messageBox(spec); }

    static std::wstring Caption(const wchar_t* suffix) { return App().displayName + L" - " + suffix; }

    void Log(const std::string& line) {
        if (steps_.log) steps_.log(line);
        else DebugLine(line);
    }

    const StartupInput& input_;
    const StartupSteps& steps_;
    double version_ = kUnreadableVersion;
};

}  // namespace

int RunStartup(const StartupInput& input, const StartupSteps& steps) { return Startup(input, steps).Run(); }

std::wstring InstanceKey(const StartupInput& input) {
    return App().displayName + (input.rawCommandLine.empty() ? L"|init" : L"|player");
}

std::wstring EffectiveArgument(const StartupInput& input) {
    if (!input.firstArgument.empty()) return input.firstArgument;
    // A link the shell passed unquoted, or with spaces, after an empty first argument.
    if (input.rawCommandLine.find(App().schemeName + L":") != std::wstring::npos) return input.rawCommandLine;
    return {};
}

bool HasSchemeLink(const std::wstring& argument) {
    return LowerUnits(argument).find(LowerUnits(App().schemeName + L":")) != std::wstring::npos;
}

double VersionNumber(const std::wstring& versionText) {
    // A decimal parse of the leading number, independent of the user's locale.
    std::string narrow = ToUtf8(versionText);
    std::string_view rest(narrow);
    while (!rest.empty() && (rest.front() == ' ' || (rest.front() >= '\t' && rest.front() <= '\r')))
        rest.remove_prefix(1);
    if (rest.starts_with('+') && !(rest.size() > 1 && (rest[1] == '-' || rest[1] == '+'))) rest.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (ec != std::errc() || end == rest.data()) return kUnreadableVersion;
    return value;
}

std::wstring UpdateAddress(const std::wstring& link, const std::wstring& fallback) {
    const std::wstring lower = LowerUnits(link);
    const bool web = (lower.starts_with(L"https://") && lower.size() > 8) ||
                     (lower.starts_with(L"http://") && lower.size() > 7);
    return web ? link : fallback;
}

}  // namespace pellaro

#include "app/startup.h"

#include <charconv>
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

class Startup {
public:
    Startup(const StartupInput& input, const StartupSteps& steps) : input_(input), steps_(steps) {}

    int Run() {
        Do(steps_.initCom, "COM start-up");
        Do(steps_.installPreExitHook, "pre-exit cleanup hook");
        const bool graphics = steps_.startGraphics ? steps_.startGraphics() : (Skip("graphics start-up"), true);

        const std::wstring key = InstanceKey(input_);
        Log("Instance mutex: " + ToUtf8(InstanceMutexName(key)));
        if (steps_.takeInstanceLock) {
            switch (steps_.takeInstanceLock(key)) {
                case InstanceLock::Failed:
                    Log("Instance mutex could not be created");
                    Do(steps_.uninitCom, "COM shutdown");
                    return 1;
                case InstanceLock::AlreadyRunning:
                    Box({text::kAlreadyRunning, App().displayName, MessageButtons::Ok, MessageIcon::Information});
                    Do(steps_.releaseInstanceLock, "instance lock release");
                    Do(steps_.uninitCom, "COM shutdown");
                    return 0;
                case InstanceLock::Acquired: break;
            }
        } else {
            Skip("single-instance lock");
        }

        if (graphics) Do(steps_.showSplash, "splash");

        if (steps_.osVersionNumber) {
            if (steps_.osVersionNumber() < 10) {
                Box({text::kUnsupportedOs, text::kUnsupportedOsCaption, MessageButtons::Ok, MessageIcon::Error});
                return 1;
            }
        } else {
            Skip("operating-system gate");
        }

        if (steps_.deviceIdentifier) {
            if (steps_.deviceIdentifier().empty()) {
                Do(steps_.closeSplash, "splash close");
                Box({text::kDeviceInfo, App().displayName, MessageButtons::Ok, MessageIcon::Error});
                Do(steps_.shutdownGraphics, "graphics shutdown");
                Do(steps_.uninitCom, "COM shutdown");
                return 1;
            }
        } else {
            Skip("device identifier gate");
        }

        if (steps_.runtimeGate) {
            if (!steps_.runtimeGate()) return 1;
        } else {
            Skip("browser runtime gate");
        }

        Log("Step 7: Initializing SSL pinning defaults");
        Do(steps_.installDefaultPins, "default pins");
        Log("Step 7: Loading dynamic pins synchronously");
        if (steps_.loadDynamicPins) {
            try {
                steps_.loadDynamicPins();
                Log("Step 7: Dynamic pins loaded OK");
            } catch (...) {
                Log("Step 7: Dynamic pins FAILED (exception)");
            }
        } else {
            Skip("dynamic pins");
        }

        Log("Step 7B: Checking app version...");
        version_ = VersionNumber(App().versionText);
        if (steps_.checkVersion) {
            const UpdateOffer offer = steps_.checkVersion(version_, std::wstring());
            Log(std::string("Step 7B: Version check done. hasUpdate=") + (offer.hasUpdate ? "1" : "0"));
            if (offer.hasUpdate && UpdatePromptEndsRun(offer)) return 0;
        } else {
            Skip("version check");
        }

        Log("Step 8: Registering URL protocol...");
        if (steps_.registerScheme)
            steps_.registerScheme();  // its result does not stop the start
        else
            Skip("URL protocol registration");

        Log("Step 9: Parsing command line...");
        const std::wstring argument = EffectiveArgument(input_);
        const bool hasLink = HasSchemeLink(argument);
        Log(std::string("Step 9: hasSchemeArgs=") + (hasLink ? "1" : "0"));

        if (const int code = hasLink ? PlayerRoad(argument) : HomeRoad(); code >= 0) return code;

        const int quitCode = steps_.runMessageLoop ? steps_.runMessageLoop() : (Skip("message loop"), 0);
        Do(steps_.destroyBrowserHosts, "browser host teardown");
        Do(steps_.clearPreExitHook, "pre-exit cleanup hook removal");
        Do(steps_.shutdownGraphics, "graphics shutdown");
        Do(steps_.releaseInstanceLock, "instance lock release");
        Do(steps_.uninitCom, "COM shutdown");
        return quitCode;
    }

private:
    static constexpr int kContinue = -1;

    // Road A. Returns an exit code, or kContinue for the message loop.
    int HomeRoad() {
        if (steps_.createInitScreen && steps_.createInitScreen()) return kContinue;
        if (!steps_.createInitScreen) Skip("home window");
        const bool hostExists = steps_.homeHostExists && steps_.homeHostExists();
        if (!hostExists)
            Box({text::kWindowFailed, Caption(text::kStartupErrorSuffix), MessageButtons::Ok, MessageIcon::Error});
        return 1;
    }

    // Road B. Returns an exit code, or kContinue for the message loop.
    int PlayerRoad(const std::wstring& argument) {
        if (steps_.createPlayerFrame)
            steps_.createPlayerFrame();  // a missing frame makes the player window fail below
        else
            Skip("player frame");

        std::string errorCode;
        bool resolved = true;
        if (steps_.parseSchemeArgs)
            resolved = steps_.parseSchemeArgs(argument, errorCode);
        else
            Skip("content link resolution");

        if (resolved) {
            if (steps_.checkVersion) {
                const UpdateOffer offer = steps_.checkVersion(version_, App().content.baseAddress);
                if (offer.hasUpdate && UpdatePromptEndsRun(offer)) return 0;
            }
            if (steps_.createPlayerWindow && steps_.createPlayerWindow()) return kContinue;
            if (!steps_.createPlayerWindow) Skip("player window");
            return 1;
        }

        constexpr std::string_view kServerPrefix = "server:";
        if (errorCode.size() >= kServerPrefix.size() && errorCode.starts_with(kServerPrefix)) {
            MessageBoxSpec box{FromUtf8(std::string_view(errorCode).substr(kServerPrefix.size())),
                               Caption(text::kServerErrorSuffix), MessageButtons::Ok, MessageIcon::Warning};
            box.rightAligned = true;
            box.rtlReading = true;
            Box(box);
            return 1;
        }

        const std::string code =
            steps_.buildDiagnosticCode ? steps_.buildDiagnosticCode(errorCode) : (Skip("diagnostic code"), errorCode);
        if (steps_.showDiagnosticDialogAndExit)
            steps_.showDiagnosticDialogAndExit(text::kLinkErrorTitle, text::kLinkErrorText, text::kLinkErrorArabic, code);
        else
            Skip("diagnostic dialog");
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

    void Open(const std::wstring& address) {
        if (steps_.openAddress)
            steps_.openAddress(address);
        else
            Skip("address opening");
    }

    MessageAnswer Box(const MessageBoxSpec& spec) {
        if (steps_.messageBox) return steps_.messageBox(spec);
        Log("MessageBox (not shown): " + ToUtf8(spec.caption) + " | " + ToUtf8(spec.text));
        switch (spec.buttons) {
            case MessageButtons::OkCancel: return MessageAnswer::Cancel;
            case MessageButtons::YesNo: return MessageAnswer::No;
            case MessageButtons::Ok: break;
        }
        return MessageAnswer::Ok;
    }

    static std::wstring Caption(const wchar_t* suffix) { return App().displayName + L" - " + suffix; }

    void Do(const std::function<void()>& step, const char* name) {
        if (step)
            step();
        else
            Skip(name);
    }
    void Skip(const char* name) { Log(std::string("Startup: ") + name + " not in this build"); }
    void Log(const std::string& line) {
        if (steps_.log)
            steps_.log(line);
        else
            DebugLine(line);
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
    while (!rest.empty() && (rest.front() == ' ' || (rest.front() >= '\t' && rest.front() <= '\r'))) rest.remove_prefix(1);
    if (rest.starts_with('+') && !(rest.size() > 1 && (rest[1] == '-' || rest[1] == '+'))) rest.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (ec != std::errc() || end == rest.data()) return kUnreadableVersion;
    return value;
}

std::wstring UpdateAddress(const std::wstring& link, const std::wstring& fallback) {
    const std::wstring lower = LowerUnits(link);
    const bool web = (lower.starts_with(L"https://") && lower.size() > 8) || (lower.starts_with(L"http://") && lower.size() > 7);
    return web ? link : fallback;
}

}  // namespace pellaro

#pragma once
// The start-up order and its decisions, free of the OS: every effect goes
// through StartupSteps, which the platform entry fills in.
#include <functional>
#include <string>

#include "app/message_box.h"

namespace pellaro {

enum class InstanceLock { Acquired, AlreadyRunning, Failed };

// What the version check reports (mirrors the backend answer).
struct UpdateOffer {
    bool hasUpdate = false;
    bool isRequired = false;
    std::wstring link;
};

// The OS effects of each step. A step whose function is empty is not part of
// this build and is passed over.
struct StartupSteps {
    std::function<void()> initPlatform;                        // COM, GDI+, main thread id, pre-exit hook
    std::function<InstanceLock(const std::wstring& name)> takeInstanceLock;
    std::function<void()> showSplash;                          // also drains pending messages
    std::function<void()> closeSplash;
    std::function<int()> osVersionNumber;
    std::function<std::wstring()> deviceIdentifier;
    std::function<bool()> runtimeGate;                         // tells the user itself
    std::function<void()> installDefaultPins;
    std::function<bool()> loadDynamicPins;                     // may throw
    std::function<UpdateOffer(double currentVersion, const std::wstring& baseAddress)> checkVersion;
    std::function<void(const std::wstring& address)> openAddress;
    std::function<bool()> registerScheme;
    std::function<bool()> createInitScreen;
    std::function<bool()> homeHostExists;
    std::function<bool()> createPlayerFrame;                   // the 1280 x 720 window showing "Loading..."
    std::function<bool(const std::wstring& link, std::string& errorCode)> parseSchemeArgs;
    std::function<bool()> createPlayerWindow;
    std::function<std::string(const std::string& reason)> buildDiagnosticCode;
    // Never returns in the program; a test double may return.
    std::function<void(const std::wstring& title, const std::wstring& message,
                       const std::wstring& arabicMessage, const std::string& code)> showDiagnosticDialogAndExit;
    std::function<MessageAnswer(const MessageBoxSpec&)> messageBox;
    std::function<int()> runMessageLoop;                       // returns the final WM_QUIT code
    std::function<void()> shutdown;
    std::function<void(const std::string&)> log;
};

struct StartupInput {
    std::wstring rawCommandLine;   // lpCmdLine: the command line without the program path
    std::wstring firstArgument;    // argv[1], empty when absent
};

// Runs the whole start-up, the chosen road, the message loop and shutdown;
// returns the process exit code.
int RunStartup(const StartupInput& input, const StartupSteps& steps);

// Decisions, exposed for tests.
std::wstring InstanceKey(const StartupInput& input);              // display name + "|player" / "|init"
std::wstring EffectiveArgument(const StartupInput& input);        // argv[1] or the raw line
bool HasSchemeLink(const std::wstring& argument);
double VersionNumber(const std::wstring& versionText);            // leading number, 3.0 when none

}  // namespace pellaro

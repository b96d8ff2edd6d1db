#pragma once
// The start-up order and its decisions, free of the OS: every effect goes
// through StartupSteps, which the platform entry fills in.
#include <functional>
#include <string>

#include "platform/message_box.h"
#include "shell/instance_lock.h"

namespace pellaro {

// What the version check reports (mirrors the backend answer).
struct UpdateOffer {
    bool hasUpdate = false;
    bool isRequired = false;
    std::wstring link;
};

// The OS effects and the other subsystems' steps, in start-up order. A step
// whose function is empty is not part of this build: it is passed over with a
// debug line (see each member for what "passed over" means where it matters).
struct StartupSteps {
    std::function<void()> initCom;                             // COM, apartment-threaded
    std::function<void()> installPreExitHook;                  // main thread id + the teardown hook
    std::function<bool()> startGraphics;                       // GDI+; false: no splash. Empty: started
    std::function<InstanceLock(const std::wstring& key)> takeInstanceLock;   // the key, not yet hashed
    std::function<void()> releaseInstanceLock;
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
    std::function<bool()> createInitScreen;                    // empty: the window cannot be created
    std::function<bool()> homeHostExists;                      // empty: no browser host
    std::function<bool()> createPlayerFrame;                   // the 1280 x 720 window showing "Loading..."
    // Fills App().content. Empty: the link is taken as resolved with an empty descriptor.
    std::function<bool(const std::wstring& link, std::string& errorCode)> parseSchemeArgs;
    std::function<bool()> createPlayerWindow;                  // empty: fails
    std::function<std::string(const std::string& reason)> buildDiagnosticCode;
    // Never returns in the program; if it does (or is empty) the run ends with 1.
    std::function<void(const std::wstring& title, const std::wstring& message,
                       const std::wstring& arabicMessage, const std::string& code)> showDiagnosticDialogAndExit;
    std::function<MessageAnswer(const MessageBoxSpec&)> messageBox;
    std::function<int()> runMessageLoop;                       // returns the final quit code
    // Shutdown, in this order.
    std::function<void()> destroyBrowserHosts;
    std::function<void()> clearPreExitHook;
    std::function<void()> shutdownGraphics;                    // GDI+ shutdown when it started
    std::function<void()> uninitCom;
    std::function<void(const std::string&)> log;               // empty: DebugLine
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
// The address an accepted update opens: the backend's link when it is an
// http(s) address, else the built-in installer download address.
std::wstring UpdateAddress(const std::wstring& link, const std::wstring& fallback);

}  // namespace pellaro

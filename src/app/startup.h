#pragma once
// The start-up order and its decisions, free of the OS: every effect goes
// through StartupSteps, which the program's wiring fills in.
#include <functional>
#include <optional>
#include <string>

#include "app/required.h"
#include "app/scope_guard.h"
#include "links/link_result.h"
#include "net/pin_store.h"
#include "platform/message_box.h"
#include "shell/instance_lock.h"

namespace pellaro {

// What the version check reports (mirrors the backend answer).
struct UpdateOffer {
    bool hasUpdate = false;
    bool isRequired = false;
    std::wstring link;
    std::string error;  // why the backend's answer could not be had; empty when it was
};

// The OS effects and the other subsystems' steps, in start-up order. Every
// step is required: a StartupSteps written with designated initialisers that
// leaves one out does not compile. Only `log` may stay empty.
struct StartupSteps {
    Required<ScopeGuard()> platformStartup;                 // COM on Windows; the guard shuts it down
    Required<ScopeGuard()> installPreExitHook;              // main thread + the teardown hook; the guard clears it
    Required<std::optional<ScopeGuard>()> graphicsStartup;  // what the splash draws with; none: no splash
    Required<InstanceLock(const std::wstring& key)> takeInstanceLock;  // the key, not yet hashed
    Required<void()> releaseInstanceLock;
    Required<void()> showSplash;  // also drains pending messages
    Required<void()> closeSplash;
    Required<bool()> platformSupported;  // Windows 10 or later / a display
    Required<std::wstring()> deviceIdentifier;
    Required<bool()> runtimeGate;  // tells the user itself
    // Starts the browser engine while the network steps run; the first
    // window's host takes it over. The guard disposes of an engine no host took.
    Required<ScopeGuard()> warmBrowser;
    // Runs `work` on another thread while this one keeps handling its events;
    // returns when it is done and rethrows what it threw.
    Required<void(const std::function<void()>& work)> runInBackground;
    Required<void()> installDefaultPins;
    Required<PinListLoad()> loadDynamicPins;  // may throw
    Required<UpdateOffer(double currentVersion, const std::wstring& baseAddress)> checkVersion;
    Required<void(const std::wstring& address)> openAddress;
    Required<bool()> registerScheme;
    Required<bool()> createInitScreen;
    Required<bool()> homeHostExists;
    Required<bool()> createPlayerFrame;  // the 1280 x 720 window showing "Loading..."
    Required<LinkResult(const std::wstring& link)> resolveLink;
    Required<bool(const ContentDescriptor& content)> createPlayerWindow;
    Required<std::string(const std::string& reason)> buildDiagnosticCode;
    // Never returns in the program; if it does the run ends with 1.
    Required<void(const std::wstring& title, const std::wstring& message, const std::wstring& arabicMessage,
                  const std::string& code)>
        showDiagnosticDialogAndExit;
    Required<MessageAnswer(const MessageBoxSpec&)> messageBox;
    Required<int()> runMessageLoop;               // returns the final quit code
    Required<void()> destroyBrowserHosts;         // first step of the shutdown
    std::function<void(const std::string&)> log;  // empty: DebugLine
};

struct StartupInput {
    std::wstring rawCommandLine;  // lpCmdLine: the command line without the program path
    std::wstring firstArgument;   // argv[1], empty when absent
};

// Runs the whole start-up, the chosen road, the message loop and shutdown;
// returns the process exit code.
int RunStartup(const StartupInput& input, const StartupSteps& steps);

// Decisions, exposed for tests.
std::wstring InstanceKey(const StartupInput& input);        // display name + "|player" / "|init"
std::wstring EffectiveArgument(const StartupInput& input);  // argv[1] or the raw line
bool HasSchemeLink(const std::wstring& argument);
double VersionNumber(const std::wstring& versionText);  // leading number, 3.0 when none
// The address an accepted update opens: the backend's link when it is an
// http(s) address, else the built-in installer download address.
std::wstring UpdateAddress(const std::wstring& link, const std::wstring& fallback);

}  // namespace pellaro

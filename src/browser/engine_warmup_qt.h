#pragma once
// What the Qt host shares with the engine's warm-up: the engine's switches,
// the profile as this program makes it, and taking over a warmed one.
#include <QString>

#include <optional>
#include <string>

class QWebEnginePage;
class QWebEngineProfile;

namespace WebView {

// Inherited settings must not change how the engine runs: cleared, then this
// program's switches set. The engine reads them once, when the first profile starts.
void PrepareEngineEnvironment();

struct FolderProblem {
    std::wstring stage;  // the failing stage's name for the host's failure log
    int error = 0;       // errno
};
// Makes `folder` ready for a profile: created, writable, named to the engine.
std::optional<FolderProblem> PrepareProfileFolder(const QString& folder);

// A disk-backed profile under `folder` with the program's user agent; the
// caller sets its request interceptor.
QWebEngineProfile* CreateEngineProfile(const QString& folder);

struct WarmedEngine {
    QWebEngineProfile* profile = nullptr;  // owned by the taker from now on
    QWebEnginePage* page = nullptr;        // the hidden page, owned by the taker
    std::wstring folder;
};
// The warmed engine of `baseFolder` (the user-data folder with its suffix),
// finished now if it was still waiting for the event loop; handed over once.
std::optional<WarmedEngine> TakeWarmedEngine(const std::wstring& baseFolder);

}  // namespace WebView

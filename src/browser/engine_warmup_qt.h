#pragma once
// What the Qt host shares with the engine's warm-up: the engine's switches,
// the profile as this program makes it, and taking over a warmed one.
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

class QWebEnginePage;
class QWebEngineProfile;

namespace WebView {

class EngineWarmUp;

// Inherited settings must not change how the engine runs: cleared, then this
// program's switches set. The engine reads them once, when the first profile starts.
void PrepareEngineEnvironment();

// The host's folder steps, each 0 or the errno as a code (ResultFromOsError):
// the folder created (one that exists is fine), a file written in it and
// removed, the folder named to the engine.
std::int32_t MakeProfileFolder(const QString& folder);
std::int32_t TestProfileFolderWrite(const QString& folder, const QString& fileName);
std::int32_t NameProfileFolder(const QString& folder);

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
// Null `warmUp`: none.
std::optional<WarmedEngine> TakeWarmedEngine(EngineWarmUp* warmUp, const std::wstring& baseFolder);

}  // namespace WebView

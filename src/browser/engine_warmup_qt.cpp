// The engine warmed through a profile and a hidden blank page: creating the
// first profile starts Chromium inside this process (synchronously, on the
// user-interface thread), the page starts its helper processes. Both wait for
// the event loop, so they run while the start-up's network steps run on their
// worker thread.
#include "browser/engine_warmup.h"
#include "browser/engine_warmup_qt.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "browser/engine_switches.h"
#include "browser/host_status.h"
#include "core/build_constants.h"
#include "core/text.h"
#include "platform/debug_log.h"

namespace WebView {
namespace {

enum class WarmStage { None, Waiting, Warm };

}  // namespace

struct EngineWarmUp::State {
    WarmStage stage = WarmStage::None;
    std::wstring baseFolder;
    QWebEngineProfile* profile = nullptr;  // raw: Dispose or the taker deletes them
    QWebEnginePage* page = nullptr;
};

namespace {

void Warm(EngineWarmUp::State& slot) {
    slot.stage = WarmStage::None;
    pellaro::DebugLine("Browser engine warm-up: starting");
    slot.profile = CreateEngineProfile(QString::fromStdWString(slot.baseFolder));
    slot.page = new QWebEnginePage(slot.profile);
    QObject::connect(slot.page, &QWebEnginePage::loadFinished, slot.page, [](bool ok) {
        pellaro::DebugLine(std::string("Browser engine warm-up: blank page ") + (ok ? "loaded" : "failed"));
    });
    slot.page->load(QUrl(QStringLiteral("about:blank")));
    slot.stage = WarmStage::Warm;
    pellaro::DebugLine("Browser engine warm-up: profile ready");
}

}  // namespace

void PrepareEngineEnvironment() {
    for (const char* name :
         {"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", "WEBVIEW2_USER_DATA_FOLDER", "WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS",
          "WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", "WEBVIEW2_CHANNEL_SEARCH_KIND", "WEBVIEW2_RELEASE_CHANNELS",
          "QTWEBENGINE_CHROMIUM_FLAGS", "QTWEBENGINE_REMOTE_DEBUGGING", "QTWEBENGINE_DISABLE_SANDBOX",
          "QTWEBENGINE_DICTIONARIES_PATH", "QTWEBENGINEPROCESS_PATH"})
        unsetenv(name);
    const std::string switches = pellaro::EngineSwitches();
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", switches.c_str(), 1);
    setenv("WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS", switches.c_str(), 1);
    // Chromium cannot start its sandbox as root (containers, CI); an ordinary
    // user keeps the sandbox.
    if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    // The engine sets this one itself while it starts, and may do so while a
    // worker thread reads the environment. A variable that already exists is
    // replaced in place; a new one would move the environment's array under
    // the reader.
    setenv("force_s3tc_enable", "true", 0);
}

namespace {
std::int32_t FromErrno(int error) { return ResultFromOsError(static_cast<unsigned>(error)); }
}  // namespace

std::int32_t MakeProfileFolder(const QString& folder) { return QDir().mkpath(folder) ? 0 : FromErrno(errno); }

std::int32_t TestProfileFolderWrite(const QString& folder, const QString& fileName) {
    QFile probe(QDir(folder).filePath(fileName));
    const bool writable = probe.open(QIODevice::WriteOnly | QIODevice::Truncate);
    const int error = errno;
    if (writable) probe.close();
    probe.remove();
    return writable ? 0 : FromErrno(error);
}

std::int32_t NameProfileFolder(const QString& folder) {
    return setenv("WEBVIEW2_USER_DATA_FOLDER", folder.toLocal8Bit().constData(), 1) == 0 ? 0 : FromErrno(errno);
}

QWebEngineProfile* CreateEngineProfile(const QString& folder) {
    auto* profile = new QWebEngineProfile(QStringLiteral("Pellaro"));
    profile->setPersistentStoragePath(QDir(folder).filePath(QStringLiteral("Storage")));
    profile->setCachePath(QDir(folder).filePath(QStringLiteral("Cache")));
    profile->setHttpUserAgent(profile->httpUserAgent() + QLatin1Char(' ') +
                              QString::fromStdString(pellaro::Constant(pellaro::ConstantKey::userAgent)));
    return profile;
}

std::optional<WarmedEngine> TakeWarmedEngine(EngineWarmUp* warmUp, const std::wstring& baseFolder) {
    if (!warmUp) return std::nullopt;
    EngineWarmUp::State& slot = warmUp->state();
    if (slot.stage == WarmStage::None || slot.baseFolder != baseFolder) return std::nullopt;
    if (slot.stage == WarmStage::Waiting) Warm(slot);
    if (slot.stage != WarmStage::Warm) return std::nullopt;
    WarmedEngine engine{slot.profile, slot.page, slot.baseFolder};
    slot = EngineWarmUp::State{};
    pellaro::DebugLine("Browser engine warm-up: taken over by the window");
    return engine;
}

EngineWarmUp::EngineWarmUp() : state_(std::make_shared<State>()) {}
EngineWarmUp::~EngineWarmUp() = default;

void EngineWarmUp::Start(const std::wstring& userDataFolder) {
    State& slot = *state_;
    if (slot.stage != WarmStage::None) return;
    // The environment changes now, before the network steps' worker thread
    // reads it; only the engine's start waits for the event loop.
    PrepareEngineEnvironment();
    const std::wstring baseFolder = userDataFolder + kEvergreenSuffix;
    const QString folder = QString::fromStdWString(baseFolder);
    if (MakeProfileFolder(folder) != 0 ||
        TestProfileFolderWrite(folder, QString::fromWCharArray(kWriteTestName)) != 0 ||
        NameProfileFolder(folder) != 0) {
        // The host meets the same problem and reports it as usual.
        pellaro::DebugLine("Browser engine warm-up skipped: the data folder is not ready");
        return;
    }
    slot.stage = WarmStage::Waiting;
    slot.baseFolder = baseFolder;
    QTimer::singleShot(0, [weak = std::weak_ptr<State>(state_)] {
        const std::shared_ptr<State> live = weak.lock();
        if (live && live->stage == WarmStage::Waiting) Warm(*live);
    });
}

void EngineWarmUp::Dispose() {
    State& slot = *state_;
    if (slot.stage == WarmStage::Warm) {
        delete slot.page;
        delete slot.profile;
        pellaro::DebugLine("Browser engine warm-up: disposed of");
    }
    slot = State{};
}

}  // namespace WebView

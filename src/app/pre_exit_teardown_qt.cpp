#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

#include "app/pre_exit_teardown.h"
#include "browser/app_windows.h"
#include "platform/debug_log.h"

namespace pellaro {
namespace {

constexpr std::chrono::milliseconds kTeardownLimit{7000};

// The pre-exit hook is a plain function that any thread may call as the
// process ends: the windows it closes wait here.
std::atomic<AppWindows*> g_windows{nullptr};

void Teardown() {
    AppWindows* windows = g_windows.load();
    if (windows == nullptr) return;
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() == app->thread()) {
        windows->DestroyBrowserHosts();
        return;
    }
    if (windows->CurrentTopLevelWindow() == nullptr) return;
    // A blocking queued call with a limit: the UI thread may be stuck.
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    QMetaObject::invokeMethod(
        app,
        [done, windows] {
            windows->DestroyBrowserHosts();
            done->set_value();
        },
        Qt::QueuedConnection);
    if (finished.wait_for(kTeardownLimit) != std::future_status::ready)
        DebugLine("Pre-exit teardown: the user-interface thread did not answer in time");
}

}  // namespace

// The application object knows its thread.
void SetTeardownWindows(AppWindows* windows) { g_windows = windows; }
void TearDownBrowsersBeforeExit() { Teardown(); }

}  // namespace pellaro

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <chrono>
#include <future>
#include <memory>

#include "core/pre_exit_hook.h"
#include "app/pre_exit_teardown.h"
#include "browser/app_windows.h"
#include "platform/debug_log.h"

namespace pellaro {
namespace {

constexpr std::chrono::milliseconds kTeardownLimit{7000};

void Teardown() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() == app->thread()) {
        DestroyBrowserHosts();
        return;
    }
    if (CurrentTopLevelWindow() == nullptr) return;
    // A blocking queued call with a limit: the UI thread may be stuck.
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    QMetaObject::invokeMethod(app, [done] {
        DestroyBrowserHosts();
        done->set_value();
    }, Qt::QueuedConnection);
    if (finished.wait_for(kTeardownLimit) != std::future_status::ready)
        DebugLine("Pre-exit teardown: the user-interface thread did not answer in time");
}

}  // namespace

void InstallPreExitTeardown() { SetPreExitCleanupHook(&Teardown); }

}  // namespace pellaro

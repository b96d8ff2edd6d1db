#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

#include <memory>

#include "platform/device_identity.h"
#include "shell/instance_lock.h"
#include "platform/os_version.h"
#include "core/pre_exit_hook.h"
#include "app/pre_exit_teardown.h"
#include "app/startup_steps.h"
#include "browser/app_windows.h"
#include "platform/message_box.h"

namespace pellaro {

StartupSteps MakeStartupSteps(void* instance) {
    // No COM or GDI+ here: QApplication, created by main, stands in for both.
    StartupSteps s;
    s.installPreExitHook = InstallPreExitTeardown;
    s.takeInstanceLock = TakeInstanceLock;
    s.releaseInstanceLock = ReleaseInstanceLock;
    s.osVersionNumber = OsVersionNumber;
    s.deviceIdentifier = DeviceIdentifier;
    s.openAddress = [](const std::wstring& address) {
        QDesktopServices::openUrl(QUrl(QString::fromStdWString(address)));
    };
    s.createInitScreen = [instance] { return CreateInitScreen(instance); };
    s.homeHostExists = BrowserHostExists;
    auto frame = std::make_shared<NativeWindow>(nullptr);
    s.createPlayerFrame = [instance, frame] { return (*frame = CreatePlayerFrame(instance)) != nullptr; };
    s.createPlayerWindow = [instance, frame] { return CreatePlayerWindow(instance, *frame); };
    s.messageBox = ShowMessageBox;
    s.runMessageLoop = [] { return QApplication::exec(); };
    s.destroyBrowserHosts = DestroyBrowserHosts;
    s.clearPreExitHook = [] { SetPreExitCleanupHook(nullptr); };
    return s;
}

}  // namespace pellaro

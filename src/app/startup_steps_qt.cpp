#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

#include "app/startup_steps.h"

namespace pellaro {

ScopeGuard PlatformStartup() { return {}; }

std::optional<ScopeGuard> GraphicsStartup() { return ScopeGuard(); }

void OpenAddress(const std::wstring& address) { QDesktopServices::openUrl(QUrl(QString::fromStdWString(address))); }

int RunMessageLoop() { return QApplication::exec(); }

}  // namespace pellaro

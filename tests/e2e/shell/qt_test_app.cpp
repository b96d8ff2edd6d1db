#include "qt_test_app.h"

#include <QApplication>

namespace pellaro::testing {

void EnsureQtApplication() {
    if (QApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "shell_linux_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives until the process ends
}

}  // namespace pellaro::testing

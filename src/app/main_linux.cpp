// Linux edition entry: the Qt application around the common start-up.
#include <QApplication>

#include <string>

#include "app/startup.h"
#include "app/startup_wiring.h"
#include "core/text.h"
#include "diag/diagnostic_dialog_mode.h"
#include "platform/window_system_qt.h"

int main(int argc, char** argv) {
    // The detached diagnostic dialog is this same program in another mode.
    if (pellaro::IsDiagnosticDialogMode(argc, argv)) return pellaro::RunDiagnosticDialogMode(argc, argv);

    // Read before QApplication, which takes its own options out of argv.
    pellaro::StartupInput input;
    std::string raw;
    for (int i = 1; i < argc; ++i) raw += (i > 1 ? " " : "") + std::string(argv[i]);
    input.rawCommandLine = pellaro::FromUtf8(raw);
    if (argc > 1) input.firstArgument = pellaro::FromUtf8(argv[1]);

    // The engine shares GL contexts across views. QApplication gets the program
    // name only: engine switches on the command line must not reach Chromium.
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    pellaro::LetScreenReadersIntoWebPages();
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    Q_INIT_RESOURCE(resources);
    // The windows end the program themselves; message boxes before them must not.
    QApplication::setQuitOnLastWindowClosed(false);
    return pellaro::RunStartup(input, pellaro::WireProgram(nullptr));
}

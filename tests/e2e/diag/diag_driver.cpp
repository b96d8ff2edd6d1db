// Test driver for the diagnostic dialog until the player's own main runs the
// dialog mode: it is the caller (shows the notice with the given texts and
// ends with the dialog's exit code) and, started again by it, the dialog.
//
//   diag_driver show TITLE MESSAGE ARABIC CODE [worker]
//   diag_driver --diagnostic-dialog FILE
#include <QApplication>

#include <cstring>
#include <string>
#include <thread>

#include "diag/diagnostic_dialog.h"
#include "diag/diagnostic_dialog_mode.h"
#include "core/text.h"

int main(int argc, char** argv) {
    using namespace pellaro;
    if (IsDiagnosticDialogMode(argc, argv)) return RunDiagnosticDialogMode(argc, argv);
    if (argc < 6 || std::strcmp(argv[1], "show") != 0) return 2;
    const std::wstring title = FromUtf8(argv[2]);
    const std::wstring message = FromUtf8(argv[3]);
    const std::wstring arabic = FromUtf8(argv[4]);
    const std::string code = argv[5];
    const bool fromWorker = argc > 6 && std::strcmp(argv[6], "worker") == 0;

    QApplication app(argc, argv);
    if (!fromWorker) {
        // As start-up does: on the GUI thread, before its event loop runs.
        ShowDiagnosticDialogAndExit(title, message, arabic, code);
    }
    // As the connection-failure notice does: from a thread of its own.
    std::thread([=] { ShowDiagnosticDialogAndExit(title, message, arabic, code); }).detach();
    app.exec();
    return 3;  // never reached: the dialog ends the process
}

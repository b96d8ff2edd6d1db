// Linux edition entry: the Qt application around the common start-up.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/player_usage.h"
#include "app/startup.h"
#include "app/startup_wiring.h"
#include "core/text.h"
#include "diag/diagnostic_dialog_mode.h"
#include "platform/os_version.h"
#include "platform/window_system_qt.h"

namespace {

std::string ProgramName(const char* argv0) {
    const std::string path = argv0 ? argv0 : "tovrelapp";
    return path.substr(path.find_last_of('/') + 1);
}

// Qt ends the process with abort() when a set display cannot be opened. While
// the application is made, its messages wait here: a fatal one becomes the
// program's own line and exit code; otherwise they go out as usual.
struct ApplicationStart {
    static inline std::string program;
    static inline QtMessageHandler previous = nullptr;
    static inline std::vector<std::pair<QtMsgType, QString>> held;

    static void Hold(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (type == QtFatalMsg) {
            std::fputs(pellaro::NoDisplayLine(program).c_str(), stderr);
            std::fflush(stderr);
            std::_Exit(pellaro::kNoDisplayExitCode);
        }
        (void)context;
        held.emplace_back(type, message);
    }
    static void Release() {
        qInstallMessageHandler(previous);
        for (const auto& [type, message] : held) {
            const QMessageLogContext none;
            if (previous) {
                previous(type, none, message);
            } else {
                std::fprintf(stderr, "%s\n", qUtf8Printable(message));
            }
        }
        held.clear();
    }
};

}  // namespace

int main(int argc, char** argv) {
    // The detached diagnostic dialog is this same program in another mode.
    if (pellaro::IsDiagnosticDialogMode(argc, argv)) return pellaro::RunDiagnosticDialogMode(argc, argv);

    const std::string program = ProgramName(argv[0]);
    if (argc == 2) {
        const std::string_view option = argv[1];
        if (option == "--help" || option == "-h") {
            std::fputs(pellaro::PlayerUsage(program).c_str(), stdout);
            return 0;
        }
        if (option == "--version") {
            std::fputs(pellaro::PlayerVersion().c_str(), stdout);
            return 0;
        }
    }
    // Without a display no box can say so: one line on standard error.
    if (!pellaro::PlatformSupported()) {
        std::fputs(pellaro::NoDisplayLine(program).c_str(), stderr);
        return pellaro::kNoDisplayExitCode;
    }

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
    ApplicationStart::program = program;
    ApplicationStart::previous = qInstallMessageHandler(ApplicationStart::Hold);
    QApplication app(qtArgc, qtArgv);
    ApplicationStart::Release();
    Q_INIT_RESOURCE(resources);
    // The windows end the program themselves; message boxes before them must not.
    QApplication::setQuitOnLastWindowClosed(false);
    return pellaro::RunStartup(input, pellaro::WireProgram(nullptr));
}

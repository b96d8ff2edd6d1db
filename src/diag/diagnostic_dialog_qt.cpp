// Linux edition of the diagnostic dialog.
//
// Threads: the notice is a Qt window, so it runs on the GUI thread. A call from
// another thread posts the whole sequence to the GUI thread and then waits for
// the process to end; when the GUI thread has not picked the sequence up within
// 10 s (it is hung or runs no event loop), the calling thread starts the HTML
// dialog itself, without the countdown, and ends the process.
#include "diag/diagnostic_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QSemaphore>
#include <QTemporaryFile>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <nlohmann/json.hpp>

#include "core/pre_exit_hook.h"
#include "diag/countdown_notice.h"
#include "diag/diagnostic_dialog_content.h"
#include "diag/diagnostic_dialog_mode.h"
#include "platform/debug_log.h"
#include "platform/message_box.h"
#include "platform/program_path.h"
#include "core/text.h"

namespace pellaro {
namespace {

struct DialogTexts {
    std::wstring title, message, arabicMessage;
    std::string code;
    std::wstring wideCode;   // each byte one character, as on the clipboard
};

// Only one of the GUI thread and a waiting caller may run the sequence.
std::atomic<bool> g_claimed{false};

[[noreturn]] void EndProcess() {
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(kDiagnosticExitCode);
}

bool HasDisplay() {
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
}

// The dialog process reads the document and the code from a private file
// (created 0600 by QTemporaryFile) and deletes it.
QString WriteDialogFile(const DialogTexts& t) {
    QTemporaryFile file(QDir(QDir::tempPath()).filePath(QStringLiteral("pellaro-diagnostic-XXXXXX.json")));
    file.setAutoRemove(false);
    if (!file.open()) return {};
    const nlohmann::json content = {
        {"title", ToUtf8(t.title)},
        {"code", ToUtf8(t.wideCode)},
        {"document", ToUtf8(BuildDiagnosticDialogDocument(t.title, t.message, t.arabicMessage, t.wideCode))},
    };
    const std::string bytes = content.dump();
    const bool written = file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
                         static_cast<qint64>(bytes.size());
    file.close();
    if (!written) {
        file.remove();
        return {};
    }
    return file.fileName();
}

bool StartDialogProcess(const DialogTexts& t) {
    const QString program = QString::fromStdWString(ProgramPath());
    if (program.isEmpty()) return false;
    const QString path = WriteDialogFile(t);
    if (path.isEmpty()) return false;
    if (QProcess::startDetached(program, {QString::fromLatin1(kDiagnosticDialogSwitch), path})) return true;
    QFile::remove(path);
    return false;
}

void ShowDialogOrFallback(const DialogTexts& t) {
    if (StartDialogProcess(t)) return;
    DebugLine("Diagnostic dialog: could not start the dialog process");
    ShowMessageBox({DialogFallbackText(t.message, t.arabicMessage, t.wideCode), t.title,
                    MessageButtons::Ok, MessageIcon::Error});
}

// The X11 clipboard lives in its owner: hand it to the dialog process before
// ending, by waiting (bounded) until that process takes it over.
void WaitForClipboardHandOver(QClipboard* clipboard) {
    if (!clipboard || !clipboard->ownsClipboard()) return;
    QEventLoop loop;
    QObject::connect(clipboard, &QClipboard::dataChanged, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
}

// On the GUI thread.
[[noreturn]] void RunSequence(const DialogTexts& t) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard) clipboard->setText(QString::fromStdWString(t.wideCode));
    if (!RunCountdownNotice(t.title, t.message, t.arabicMessage, t.wideCode, kExitCountdownSeconds)) {
        ShowMessageBox({CountdownFallbackText(t.message, t.arabicMessage, kExitCountdownSeconds), t.title,
                        MessageButtons::Ok, MessageIcon::Error});
    }
    ShowDialogOrFallback(t);
    WaitForClipboardHandOver(clipboard);
    EndProcess();
}

}  // namespace

void ShowDiagnosticDialogAndExit(const std::wstring& title, const std::wstring& message,
                                 const std::wstring& arabicMessage, const std::string& code) {
    RunPreExitCleanupOnce();
    DebugLine("Diagnostic dialog: " + ToUtf8(title) + " | code " + code);
    const DialogTexts texts{title, message, arabicMessage, code, WidenBytes(code)};

    if (!QCoreApplication::instance()) {
        if (!HasDisplay()) {
            DebugLine("Diagnostic dialog without a display: " + ToUtf8(DialogFallbackText(message, arabicMessage, texts.wideCode)));
            EndProcess();
        }
        static int argc = 1;
        static char name[] = "pellaro";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }

    if (QThread::currentThread() == QCoreApplication::instance()->thread()) {
        // A nested call (from inside the countdown's event loop) simply takes over.
        g_claimed = true;
        RunSequence(texts);
    }

    QSemaphore pickedUp;
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&texts, &pickedUp] {
        if (g_claimed.exchange(true)) return;
        pickedUp.release();
        RunSequence(texts);
    }, Qt::QueuedConnection);
    if (!pickedUp.tryAcquire(1, 10000) && !g_claimed.exchange(true)) {
        DebugLine("Diagnostic dialog: the GUI thread does not answer; no countdown");
        if (!StartDialogProcess(texts))
            DebugLine("Diagnostic dialog: could not start the dialog process; code " + code);
        EndProcess();
    }
    // The GUI thread (or another caller) ends the process.
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

}  // namespace pellaro

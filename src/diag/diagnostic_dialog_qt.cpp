// Linux edition of the diagnostic dialog's effects.
//
// Threads: the notice is a Qt window, so the sequence runs on the GUI thread. A
// call from another thread posts the sequence there and waits for the process
// to end; when the GUI thread has not picked it up within 10 s (it is hung or
// runs no event loop), the caller is told so and carries on without the notice.
#include "diag/diagnostic_dialog_platform.h"

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

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "core/text.h"
#include "diag/diagnostic_dialog_content.h"
#include "diag/diagnostic_dialog_file.h"
#include "diag/diagnostic_dialog_mode.h"
#include "platform/program_path.h"

namespace pellaro {
namespace {

// Only one of the GUI thread and a waiting caller may run the sequence.
std::atomic<bool> g_claimed{false};

bool HasDisplay() { return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM"); }

// The dialog process reads the document and the code from a private file
// (created 0600 by QTemporaryFile) and deletes it.
QString WriteDialogFile(const DiagnosticDialogTexts& t) {
    QTemporaryFile file(QDir(QDir::tempPath()).filePath(QStringLiteral("pellaro-diagnostic-XXXXXX.json")));
    file.setAutoRemove(false);
    if (!file.open()) return {};
    const std::string bytes = BuildDiagnosticDialogFile(
        {ToUtf8(t.title), ToUtf8(t.wideCode),
         ToUtf8(BuildDiagnosticDialogDocument(t.title, t.message, t.arabicMessage, t.wideCode))});
    const bool written = file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
                         static_cast<qint64>(bytes.size());
    file.close();
    if (!written) {
        file.remove();
        return {};
    }
    return file.fileName();
}

}  // namespace

NoticeThreadMissing RunOnNoticeThread(const DiagnosticDialogTexts& texts, DiagnosticDialogSequence sequence) {
    if (!QCoreApplication::instance()) {
        if (!HasDisplay()) return NoticeThreadMissing::noDisplay;
        static int argc = 1;
        static char name[] = "pellaro";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }

    if (QThread::currentThread() == QCoreApplication::instance()->thread()) {
        // A nested call (from inside the countdown's event loop) simply takes over.
        g_claimed = true;
        sequence(texts);
    }

    QSemaphore pickedUp;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&texts, &pickedUp, sequence] {
            if (g_claimed.exchange(true)) return;
            pickedUp.release();
            sequence(texts);
        },
        Qt::QueuedConnection);
    if (!pickedUp.tryAcquire(1, 10000) && !g_claimed.exchange(true)) return NoticeThreadMissing::notAnswering;
    // The GUI thread (or another caller) ends the process.
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

// The dialog process takes the clipboard over when it starts.
void CopyCodeToClipboard(const DiagnosticDialogTexts& texts) {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(QString::fromStdWString(texts.wideCode));
}

bool StartDialogWindow(const DiagnosticDialogTexts& t) {
    const QString program = QString::fromStdWString(ProgramPath());
    if (program.isEmpty()) return false;
    const QString path = WriteDialogFile(t);
    if (path.isEmpty()) return false;
    if (QProcess::startDetached(program, {QString::fromLatin1(kDiagnosticDialogSwitch), path})) return true;
    QFile::remove(path);
    return false;
}

// The X11 clipboard lives in its owner: wait (bounded) until the dialog process
// takes it over. On the GUI thread.
void KeepClipboardAfterExit() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard || !clipboard->ownsClipboard()) return;
    QEventLoop loop;
    QObject::connect(clipboard, &QClipboard::dataChanged, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
}

void EndProcessAfterDialog(int exitCode) {
    std::fflush(stdout);
    std::fflush(stderr);
#if defined(__SANITIZE_ADDRESS__)
    // _Exit skips the leak check the sanitizer build makes at exit: make it here.
    __lsan_do_recoverable_leak_check();
#endif
    std::_Exit(exitCode);
}

}  // namespace pellaro

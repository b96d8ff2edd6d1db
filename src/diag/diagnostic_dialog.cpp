#include "diag/diagnostic_dialog.h"

#include "core/pre_exit_hook.h"
#include "core/text.h"
#include "diag/countdown_notice.h"
#include "diag/diagnostic_dialog_content.h"
#include "diag/diagnostic_dialog_platform.h"
#include "platform/debug_log.h"
#include "platform/message_box.h"

namespace pellaro {
namespace {

void ShowDialogOrMessageBox(const DiagnosticDialogTexts& t) {
    if (StartDialogWindow(t)) return;
    DebugLine("Diagnostic dialog: could not start the dialog process");
    ShowMessageBox(
        {DialogFallbackText(t.message, t.arabicMessage, t.wideCode), t.title, MessageButtons::Ok, MessageIcon::Error});
}

// On the thread that shows the notice.
[[noreturn]] void RunSequence(const DiagnosticDialogTexts& t) {
    CopyCodeToClipboard(t);
    if (!RunCountdownNotice(t.title, t.message, t.arabicMessage, t.wideCode, kExitCountdownSeconds)) {
        ShowMessageBox({CountdownFallbackText(t.message, t.arabicMessage, kExitCountdownSeconds), t.title,
                        MessageButtons::Ok, MessageIcon::Error});
    }
    ShowDialogOrMessageBox(t);
    KeepClipboardAfterExit();
    EndProcessAfterDialog(kDiagnosticExitCode);
}

}  // namespace

void ShowDiagnosticDialogAndExit(const std::wstring& title, const std::wstring& message,
                                 const std::wstring& arabicMessage, const std::string& code) {
    RunPreExitCleanupOnce();
    DebugLine("Diagnostic dialog: " + ToUtf8(title) + " | code " + code);
    const DiagnosticDialogTexts texts{title, message, arabicMessage, code, WidenBytes(code)};

    switch (RunOnNoticeThread(texts, RunSequence)) {
        case NoticeThreadMissing::noDisplay:
            DebugLine("Diagnostic dialog without a display: " +
                      ToUtf8(DialogFallbackText(message, arabicMessage, texts.wideCode)));
            break;
        case NoticeThreadMissing::notAnswering:
            // Without the countdown, the dialog alone still gives the user the code.
            DebugLine("Diagnostic dialog: the GUI thread does not answer; no countdown");
            if (!StartDialogWindow(texts))
                DebugLine("Diagnostic dialog: could not start the dialog process; code " + code);
            break;
    }
    EndProcessAfterDialog(kDiagnosticExitCode);
}

}  // namespace pellaro

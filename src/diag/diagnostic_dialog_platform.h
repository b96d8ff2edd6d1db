#pragma once
// What each edition provides to the diagnostic dialog's sequence
// (diagnostic_dialog.cpp): one function per effect on the system.
#include <string>

namespace pellaro {

struct DiagnosticDialogTexts {
    std::wstring title, message, arabicMessage;
    std::string code;
    std::wstring wideCode;  // each byte of the code one character
};

using DiagnosticDialogSequence = void (*)(const DiagnosticDialogTexts&);

// Why the sequence could not run where windows can be shown.
enum class NoticeThreadMissing {
    noDisplay,     // nothing can be shown at all
    notAnswering,  // the window thread did not pick the sequence up in time
};

// Runs `sequence` on a thread that may show the notice and never returns from
// there; returns only when no such thread can take it.
NoticeThreadMissing RunOnNoticeThread(const DiagnosticDialogTexts& texts, DiagnosticDialogSequence sequence);

// Best effort and silent: the dialogs say the code was copied either way.
void CopyCodeToClipboard(const DiagnosticDialogTexts& texts);

// Starts the HTML dialog, which outlives this process; false when it cannot.
bool StartDialogWindow(const DiagnosticDialogTexts& texts);

// Lets the code stay on the clipboard once this process is gone.
void KeepClipboardAfterExit();

[[noreturn]] void EndProcessAfterDialog(int exitCode);

}  // namespace pellaro

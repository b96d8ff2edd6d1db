#include "diag/diagnostic_dialog.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "core/pre_exit_hook.h"
#include "diag/countdown_notice.h"
#include "diag/diagnostic_dialog_content.h"
#include "platform/debug_log.h"
#include "platform/message_box.h"
#include "core/text.h"

namespace pellaro {
namespace {

// Best effort: the dialogs say the code was copied either way.
void CopyToClipboard(const std::string& code) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, code.size() + 1)) {
        if (void* bytes = GlobalLock(memory)) {
            std::memcpy(bytes, code.c_str(), code.size() + 1);
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

bool StartDialogHost(const std::wstring& commandLine) {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return true;
}

}  // namespace

void ShowDiagnosticDialogAndExit(const std::wstring& title, const std::wstring& message,
                                 const std::wstring& arabicMessage, const std::string& code) {
    RunPreExitCleanupOnce();
    DebugLine("Diagnostic dialog: " + ToUtf8(title) + " | code " + code);
    CopyToClipboard(code);
    const std::wstring wideCode = WidenBytes(code);
    if (!RunCountdownNotice(title, message, arabicMessage, wideCode, kExitCountdownSeconds)) {
        ShowMessageBox({CountdownFallbackText(message, arabicMessage, kExitCountdownSeconds), title,
                        MessageButtons::Ok, MessageIcon::Error});
    }
    if (!StartDialogHost(BuildDiagnosticDialogCommandLine(title, message, arabicMessage, wideCode))) {
        ShowMessageBox({DialogFallbackText(message, arabicMessage, wideCode), title, MessageButtons::Ok,
                        MessageIcon::Error});
    }
    ExitProcess(kDiagnosticExitCode);
}

}  // namespace pellaro

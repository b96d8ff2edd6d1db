// Windows edition of the diagnostic dialog's effects: the notice runs on the
// calling thread with its own message loop, the system's HTML application host
// shows the dialog, and clipboard data outlives the process by itself.
#include "diag/diagnostic_dialog_platform.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "diag/diagnostic_dialog_content.h"

namespace pellaro {

NoticeThreadMissing RunOnNoticeThread(const DiagnosticDialogTexts& texts, DiagnosticDialogSequence sequence) {
    sequence(texts);
    return NoticeThreadMissing::notAnswering;   // not reached: the sequence ends the process
}

void CopyCodeToClipboard(const DiagnosticDialogTexts& texts) {
    const std::string& code = texts.code;
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

bool StartDialogWindow(const DiagnosticDialogTexts& t) {
    const std::wstring commandLine =
        BuildDiagnosticDialogCommandLine(t.title, t.message, t.arabicMessage, t.wideCode);
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

void KeepClipboardAfterExit() {}

void EndProcessAfterDialog(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

}  // namespace pellaro

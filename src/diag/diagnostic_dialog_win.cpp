// Windows edition of the diagnostic dialog's effects: the notice runs on the
// calling thread with its own message loop, the system's HTML application host
// shows the dialog, and clipboard data outlives the process by itself.
#include "diag/diagnostic_dialog_platform.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "diag/diagnostic_dialog_content.h"
#include "platform/scoped_drawing_win.h"
#include "platform/scoped_handles_win.h"

namespace pellaro {

NoticeThreadMissing RunOnNoticeThread(const DiagnosticDialogTexts& texts, DiagnosticDialogSequence sequence) {
    sequence(texts);
    return NoticeThreadMissing::notAnswering;  // not reached: the sequence ends the process
}

void CopyCodeToClipboard(const DiagnosticDialogTexts& texts) {
    const std::string& code = texts.code;
    const ClipboardSession clipboard(nullptr);
    if (!clipboard) return;
    EmptyClipboard();
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, code.size() + 1));
    if (void* bytes = memory ? GlobalLock(memory.get()) : nullptr) {
        std::memcpy(bytes, code.c_str(), code.size() + 1);
        GlobalUnlock(memory.get());
        // The clipboard owns the memory once it has taken it.
        if (SetClipboardData(CF_TEXT, memory.get())) static_cast<void>(memory.release());
    }
}

// The system's own HTML application host, by its full path: a bare name is
// looked for in the program's folder and the current folder first, where
// anyone could leave a program of that name.
std::wstring SystemHtmlHost() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return std::wstring(folder, length) + L"\\mshta.exe";
}

bool StartDialogWindow(const DiagnosticDialogTexts& t) {
    const std::wstring application = SystemHtmlHost();
    if (application.empty()) return false;
    const std::wstring commandLine = BuildDiagnosticDialogCommandLine(t.title, t.message, t.arabicMessage, t.wideCode);
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                        &startup, &process))
        return false;
    const ScopedKernelHandle started(process.hProcess), startedThread(process.hThread);  // not waited for
    return true;
}

void KeepClipboardAfterExit() {}

void EndProcessAfterDialog(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

}  // namespace pellaro

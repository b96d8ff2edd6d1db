// ShowDiagnosticDialogAndExit in a child copy of this test program: the code is
// on the clipboard (CF_TEXT) while the countdown runs, and the child ends with
// exit code 1.
#include "diag/diagnostic_dialog.h"

#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include <gtest/gtest.h>

#include "diag/diagnostic_dialog_content.h"
#include "wait_for.h"

namespace pellaro {
namespace {

constexpr char kCode[] = "RVJSRElBR3x2MXx0cz0xMjN8bWs9fHJlYXNvbj18RU5E";

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// The HTML host the child started does not belong to the test run.
void EndChildrenOf(DWORD parent) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parent) continue;
        if (HANDLE child = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(child, 0);
            CloseHandle(child);
        }
    }
    CloseHandle(snapshot);
}

// Run only by the test below, in a child copy of this program (disabled, so a
// plain run of the program leaves it out without counting a skip).
TEST(DiagnosticDialogChild, DISABLED_ShowsTheDialog) {
    ShowDiagnosticDialogAndExit(L"Link Error", L"Message", L"\u0631\u0633\u0627\u0644\u0629", kCode);
}

TEST(ShowDiagnosticDialogAndExit, CopiesTheCodeAndEndsWithExitCode1) {
    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring commandLine =
        L"\"" + std::wstring(self) +
        L"\" --gtest_also_run_disabled_tests --gtest_filter=DiagnosticDialogChild.DISABLED_ShowsTheDialog";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                        &startup, &child);
    ASSERT_TRUE(started);

    const bool sawNotice = testing::WaitFor(
        [] { return FindWindowW(kCountdownWindowId, kCountdownWindowTitle) != nullptr; });
    EXPECT_TRUE(sawNotice);
    testing::WaitFor([] { return ClipboardText() == kCode; });
    EXPECT_EQ(ClipboardText(), kCode);
    EXPECT_EQ(WaitForSingleObject(child.hProcess, 60000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    GetExitCodeProcess(child.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 1u);
    EndChildrenOf(child.dwProcessId);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
}

}  // namespace
}  // namespace pellaro

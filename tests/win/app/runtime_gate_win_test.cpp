#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "shell/runtime_gate_win.h"
#include "shell/runtime_version_win.h"
#include "platform/debug_log.h"
#include "platform/program_path.h"

namespace pellaro {
namespace {

std::wstring TempFolder(const wchar_t* name) {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    const std::wstring folder = std::wstring(base) + name + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void WriteBytes(const std::wstring& file, const char* text) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
    CloseHandle(h);
}

// A folder laid out like a fixed runtime; its executable is a copy of this
// test program, whose version resource says 4.12.0.0.
struct FixedRuntime {
    std::wstring programFolder = TempFolder(L"pellaro-fixed-");
    std::wstring runtimeFolder = programFolder + L"\\WebView2Runtime";
    std::wstring executable = runtimeFolder + L"\\msedgewebview2.exe";
    FixedRuntime() { CreateDirectoryW(runtimeFolder.c_str(), nullptr); }
    ~FixedRuntime() {
        DeleteFileW(executable.c_str());
        RemoveDirectoryW(runtimeFolder.c_str());
        RemoveDirectoryW(programFolder.c_str());
    }
};

class RuntimeGateWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        CleanRegistry();
    }
    void TearDown() override {
        CleanRegistry();
        SetDebugSink({});
        CoUninitialize();
    }
    static void CleanRegistry() { RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\EdgeUpdate"); }
    static void SetInstalledPv(const wchar_t* pv) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, RuntimeClientKey(false).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, L"pv", 0, REG_SZ, reinterpret_cast<const BYTE*>(pv),
                       static_cast<DWORD>((wcslen(pv) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    // The real effects, with the boxes recorded and answered.
    RuntimeGateSeam RecordingSeam(MessageAnswer answer) {
        RuntimeGateSeam seam = SystemRuntimeGateSeam();
        seam.messageBox = [this, answer](const MessageBoxSpec& spec) {
            captions_.push_back(spec.caption);
            return spec.buttons == MessageButtons::YesNo ? answer : MessageAnswer::Ok;
        };
        return seam;
    }
    std::vector<std::wstring> captions_;
};

std::wstring LoaderVersion(const wchar_t* folder, HRESULT& hr) {
    LPWSTR version = nullptr;
    hr = GetAvailableCoreWebView2BrowserVersionString(folder, &version);
    std::wstring text = version ? version : L"<null>";
    if (version) CoTaskMemFree(version);
    return text;
}

TEST_F(RuntimeGateWinTest, LoaderFindsNoRuntimeOnAFreshPrefix) {
    HRESULT hr = S_OK;
    EXPECT_EQ(LoaderVersion(nullptr, hr), L"<null>");
    EXPECT_EQ(hr, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
}

TEST_F(RuntimeGateWinTest, LoaderReadsTheInstalledRuntimesVersion) {
    SetInstalledPv(L"121.0.2277.83");
    HRESULT hr = E_FAIL;
    EXPECT_EQ(LoaderVersion(nullptr, hr), L"121.0.2277.83");
    EXPECT_EQ(hr, S_OK);
    SetInstalledPv(L"0.0.0.0");  // left behind by an uninstall
    EXPECT_EQ(LoaderVersion(nullptr, hr), L"<null>");
    EXPECT_TRUE(FAILED(hr));
}

TEST_F(RuntimeGateWinTest, LoaderReadsTheFixedRuntimesFileVersion) {
    FixedRuntime fixed;
    HRESULT hr = S_OK;
    EXPECT_EQ(LoaderVersion(fixed.runtimeFolder.c_str(), hr), L"<null>");  // no executable yet
    EXPECT_TRUE(FAILED(hr));
    WriteBytes(fixed.executable, "not a program");
    EXPECT_EQ(LoaderVersion(fixed.runtimeFolder.c_str(), hr), L"<null>");  // no version resource
    EXPECT_TRUE(FAILED(hr));
    ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), fixed.executable.c_str(), FALSE));
    EXPECT_EQ(LoaderVersion(fixed.runtimeFolder.c_str(), hr), L"4.12.0.0");
    EXPECT_EQ(hr, S_OK);
}

TEST_F(RuntimeGateWinTest, FixedRuntimeBesideTheProgramPasses) {
    FixedRuntime fixed;
    ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), fixed.executable.c_str(), FALSE));
    RuntimeGateSeam seam = RecordingSeam(MessageAnswer::No);
    seam.programFolder = [&] { return fixed.programFolder; };
    EXPECT_TRUE(RunRuntimeGate(seam));
    EXPECT_TRUE(captions_.empty());
}

TEST_F(RuntimeGateWinTest, FixedRuntimeWithoutVersionFallsThroughToTheInstalledOne) {
    FixedRuntime fixed;
    WriteBytes(fixed.executable, "not a program");
    RuntimeGateSeam seam = RecordingSeam(MessageAnswer::No);
    seam.programFolder = [&] { return fixed.programFolder; };
    EXPECT_FALSE(RunRuntimeGate(seam));
    ASSERT_EQ(captions_.size(), 1u);  // the question only
    captions_.clear();
    SetInstalledPv(L"121.0.2277.83");
    EXPECT_TRUE(RunRuntimeGate(seam));
    EXPECT_TRUE(captions_.empty());
}

TEST_F(RuntimeGateWinTest, FailedDownloadIsReported) {
    RuntimeGateSeam seam = RecordingSeam(MessageAnswer::Yes);
    const std::wstring folder = TempFolder(L"pellaro-download-");
    const std::wstring installer = folder + L"\\WebView2Installer.exe";
    seam.installerPath = [&] { return installer; };
    seam.downloadAddress = L"http://127.0.0.1:9/bootstrapper.exe";  // nothing listens there
    EXPECT_FALSE(RunRuntimeGate(seam));
    EXPECT_EQ(captions_,
              (std::vector<std::wstring>{L"Pellaro \u2014 Component Required", L"Installing...", L"Download Error"}));
    DeleteFileW(installer.c_str());
    RemoveDirectoryW(folder.c_str());
}

// Downloads a harmless program as the "installer", runs it and waits: it
// installs nothing, so the gate says so and leaves the file behind.
TEST_F(RuntimeGateWinTest, InstallerThatInstallsNothingIsReported) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring stand_in = std::wstring(system) + L"\\hostname.exe";
    if (GetFileAttributesW(stand_in.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no hostname.exe";
    RuntimeGateSeam seam = RecordingSeam(MessageAnswer::Yes);
    const std::wstring folder = TempFolder(L"pellaro-install-");
    const std::wstring installer = folder + L"\\WebView2Installer.exe";
    seam.installerPath = [&] { return installer; };
    seam.downloadAddress = L"file:///" + stand_in;
    EXPECT_FALSE(RunRuntimeGate(seam));
    EXPECT_EQ(captions_,
              (std::vector<std::wstring>{L"Pellaro \u2014 Component Required", L"Installing...", L"Installation"}));
    EXPECT_NE(GetFileAttributesW(installer.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(installer.c_str());
    RemoveDirectoryW(folder.c_str());
}

// The whole real gate: no runtime in the prefix, so it asks; a second thread
// answers No on the real message box, and nothing else may follow.
TEST_F(RuntimeGateWinTest, RealGateAsksAndDecliningEndsIt) {
    std::vector<std::string> boxes;
    SetDebugSink([&](std::string_view line) {
        if (line.rfind("MessageBox: ", 0) == 0) boxes.emplace_back(line);
    });
    std::atomic<bool> answered{false};
    std::atomic<bool> stop{false};
    std::wstring text;
    std::thread user([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!stop && std::chrono::steady_clock::now() < deadline) {
            HWND box = FindWindowW(L"#32770", L"Pellaro \u2014 Component Required");
            if (box) {
                wchar_t buffer[512] = {};
                GetDlgItemTextW(box, 0xFFFF, buffer, 512);  // the static text of a message box
                text = buffer;
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(box, IDNO)));
                answered = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    const bool result = RuntimeGate();
    stop = true;
    user.join();
    EXPECT_TRUE(answered);
    EXPECT_FALSE(result);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("MessageBox: Pellaro \xE2\x80\x94 Component Required | WebView2 Runtime is required", 0),
              0u)
        << boxes[0];
    EXPECT_EQ(text.rfind(L"WebView2 Runtime is required to run this application.", 0), 0u);
}

}  // namespace
}  // namespace pellaro

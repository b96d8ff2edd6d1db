// Windows-API pieces of the start-up: the named mutex, the true OS version,
// the device identity, the windows and the pre-exit teardown message.
#include <windows.h>

#include <atomic>
#include <cwctype>
#include <thread>

#include <gtest/gtest.h>

#include "core/build_constants.h"
#include "platform/device_identity.h"
#include "platform/device_identity_source.h"
#include "shell/instance_lock.h"
#include "shell/instance_name.h"
#include "platform/os_version.h"
#include "core/pre_exit_hook.h"
#include "app/pre_exit_teardown.h"
#include "browser/app_windows.h"
#include "wait_for.h"

namespace pellaro {
namespace {

TEST(WinInstanceLock, NamedMutexRefusesASecondHolder) {
    const std::wstring key = L"Tovrel Academy|test-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(TakeInstanceLock(key), InstanceLock::Acquired);

    HANDLE second = CreateMutexW(nullptr, FALSE, InstanceLockName(key).c_str());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(second);

    // Upper case names the same mutex; the other kind of instance does not.
    HANDLE upper = CreateMutexW(
        nullptr, FALSE, InstanceLockName(L"TOVREL ACADEMY|TEST-" + std::to_wstring(GetCurrentProcessId())).c_str());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(upper);
    HANDLE other = CreateMutexW(nullptr, FALSE, InstanceLockName(key + L"-other").c_str());
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(other);

    ReleaseInstanceLock();
    EXPECT_EQ(TakeInstanceLock(key), InstanceLock::Acquired);  // free again once released
    ReleaseInstanceLock();
}

TEST(WinOsVersion, TrueVersionRoutineIsFound) {
    HMODULE module = GetModuleHandleW(WideConstant(ConstantKey::osVersionModule).c_str());
    ASSERT_NE(module, nullptr);
    auto routine = reinterpret_cast<LONG(WINAPI*)(OSVERSIONINFOEXW*)>(
        reinterpret_cast<void*>(GetProcAddress(module, Constant(ConstantKey::osVersionFunction).c_str())));
    ASSERT_NE(routine, nullptr);
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_EQ(routine(&info), 0);
    EXPECT_GE(info.dwMajorVersion, 6u);
    EXPECT_EQ(OsVersionNumber(), MapOsVersion(info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber));
    // scripts/wine-prefix.sh makes the prefix report Windows 10.
    EXPECT_GE(OsVersionNumber(), 10);
}

TEST(WinDeviceIdentity, NonEmptyAndStable) {
    const MachineValues values = ReadMachineValues();
    EXPECT_FALSE(values.machine.empty()) << "MachineGuid unreadable";
    EXPECT_EQ(ReadMachineValues().machine, values.machine);
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

    const std::wstring device = DeviceIdentifier();
    ASSERT_EQ(device.size(), 64u);
    for (wchar_t c : device) EXPECT_TRUE(std::iswxdigit(c));
    EXPECT_EQ(DeviceIdentifier(), device);
    EXPECT_EQ(HardwareIdentifier().size(), 64u);
    EXPECT_NE(HardwareIdentifier(), device);
}

std::atomic<DWORD> g_destroyThread{0};

TEST(WinWindows, TeardownFromAnotherThreadRunsOnTheWindowThread) {
    AppWindows windows;
    windows.Hooks().destroy = [] { g_destroyThread = GetCurrentThreadId(); };
    SetTeardownWindows(&windows);
    SetPreExitCleanupHook(&TearDownBrowsersBeforeExit);
    ASSERT_TRUE(windows.CreateInitScreen());
    HWND home = static_cast<HWND>(windows.CurrentTopLevelWindow());
    ASSERT_NE(home, nullptr);
    wchar_t className[64] = {};
    GetClassNameW(home, className, 64);
    EXPECT_STREQ(className, L"PellaroInitWindow");
    wchar_t title[64] = {};
    GetWindowTextW(home, title, 64);
    EXPECT_STREQ(title, L"Tovrel Academy V 4.12.0");

    std::atomic<bool> finished{false};
    std::thread worker([&] {
        RunPreExitCleanupOnce();
        finished = true;
    });
    // The worker's blocking send is answered while this thread pumps messages.
    testing::WaitFor([&finished] { return finished.load(); }, 20000);
    worker.join();
    EXPECT_EQ(g_destroyThread.load(), GetCurrentThreadId());

    // Destroying the window clears the current top-level window and posts WM_QUIT.
    DestroyWindow(home);
    EXPECT_EQ(windows.CurrentTopLevelWindow(), nullptr);
    MSG msg;
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) quit = quit || msg.message == WM_QUIT;
    EXPECT_TRUE(quit);
    SetPreExitCleanupHook(nullptr);
    SetTeardownWindows(nullptr);
}

TEST(WinWindows, PlayerFrameHasItsOwnClass) {
    AppWindows windows;
    HWND frame = static_cast<HWND>(windows.CreatePlayerFrame());
    ASSERT_NE(frame, nullptr);
    wchar_t className[64] = {};
    GetClassNameW(frame, className, 64);
    EXPECT_STREQ(className, L"Tovrel AcademyWindow");
    RECT r{};
    GetWindowRect(frame, &r);
    EXPECT_EQ(r.right - r.left, 1280);
    EXPECT_EQ(r.bottom - r.top, 720);
    EXPECT_TRUE(windows.CreatePlayerWindow(frame, ContentDescriptor{}));
    EXPECT_EQ(windows.CurrentTopLevelWindow(), frame);
    EXPECT_FALSE(windows.CreatePlayerWindow(nullptr, ContentDescriptor{}));
    DestroyWindow(frame);
}

}  // namespace
}  // namespace pellaro

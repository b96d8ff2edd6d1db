// Our loader against the recording runtime: a fixed runtime folder, the
// installed runtime found through the registry, and every way it refuses.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "shell/webview2_com_win.h"
#include "shell/webview2_loader_win.h"

namespace {

using nlohmann::json;
using pellaro::ComPtr;

std::wstring Widen(const char* text) { return std::wstring(text, text + std::strlen(text)); }
const std::wstring kRuntime = L"Z:" + Widen(PELLARO_FAKE_RUNTIME_DIR);
const std::wstring kRuntimeVersion = Widen(PELLARO_FAKE_RUNTIME_VERSION);
const std::wstring kNoExportLibrary = L"Z:" + Widen(PELLARO_FAKE_NO_EXPORT_DLL);
const std::wstring kNeedsDependencyLibrary = L"Z:" + Widen(PELLARO_NEEDS_DEPENDENCY_DLL);
const std::wstring kPlantedDependency = L"Z:" + Widen(PELLARO_PLANTED_DEPENDENCY_DLL);
constexpr wchar_t kPlantedDependencyName[] = L"pellaro_planted_dependency.dll";

std::wstring TempFolder(const std::wstring& name) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + L"pellaro_loader_" + name + L"_" +
                          std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void PutRuntime(const std::wstring& folder, bool exe, const std::wstring& library) {
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\EBWebView").c_str(), nullptr);
    CreateDirectoryW((folder + L"\\EBWebView\\x64").c_str(), nullptr);
    if (exe) {
        ASSERT_TRUE(
            CopyFileW((kRuntime + L"/msedgewebview2.exe").c_str(), (folder + L"\\msedgewebview2.exe").c_str(), FALSE));
    }
    if (!library.empty()) {
        ASSERT_TRUE(CopyFileW(library.c_str(), pellaro::ClientLibraryPath(folder).c_str(), FALSE));
    }
}
const std::wstring kRealLibrary = kRuntime + L"/EBWebView/x64/EmbeddedBrowserWebView.dll";

std::vector<json> ReadLog(const std::wstring& file) {
    std::vector<json> lines;
    std::ifstream in{std::filesystem::path(file)};
    std::string line;
    while (std::getline(in, line)) lines.push_back(json::parse(line));
    return lines;
}

const json* Find(const std::vector<json>& log, const std::string& call) {
    for (const json& line : log)
        if (line.value("call", "") == call) return &line;
    return nullptr;
}

// Pumps the thread's messages until done or ten seconds passed.
template <class Done>
bool PumpUntil(Done done) {
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (!done()) {
        if (GetTickCount64() > deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        folder_ = TempFolder(Widen(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        log_ = folder_ + L"\\calls.jsonl";
        script_ = folder_ + L"\\script.json";
        DeleteFileW(log_.c_str());
        DeleteFileW(script_.c_str());
        SetEnvironmentVariableW(L"PELLARO_FAKE_WEBVIEW2_LOG", log_.c_str());
        SetEnvironmentVariableW(L"PELLARO_FAKE_WEBVIEW2_SCRIPT", script_.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, pellaro::RuntimeClientStateKey(false).c_str());
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, pellaro::RuntimeClientStateKey(false).c_str());
        SetEnvironmentVariableW(L"PELLARO_FAKE_WEBVIEW2_LOG", nullptr);
        SetEnvironmentVariableW(L"PELLARO_FAKE_WEBVIEW2_SCRIPT", nullptr);
        CoUninitialize();
    }
    void WriteScript(const std::string& text) {
        std::ofstream out{std::filesystem::path(script_)};
        out << text;
    }
    // Creates an environment and waits for its completion; returns the call's result.
    HRESULT Create(const wchar_t* runtimeFolder, HRESULT& completed, ComPtr<ICoreWebView2Environment>& environment) {
        bool done = false;
        auto handler = pellaro::MakeHandler<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(
            IID_ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler,
            [&](HRESULT hr, ICoreWebView2Environment* created) {
                completed = hr;
                environment = created;
                done = true;
                return S_OK;
            });
        auto options = pellaro::EnvironmentOptions::Create();
        options->put_AdditionalBrowserArguments(L"--one --two");
        const std::wstring data = folder_ + L"\\data";
        const HRESULT hr = CreateCoreWebView2EnvironmentWithOptions(runtimeFolder, data.c_str(), options.Get(),
                                                                    handler.Get());
        if (SUCCEEDED(hr)) {
            EXPECT_TRUE(PumpUntil([&] { return done; }));
        }
        return hr;
    }
    std::wstring folder_, log_, script_;
};

TEST_F(LoaderTest, FixedRuntimeFolderGivesItsVersionAndAnEnvironment) {
    const std::wstring runtime = folder_ + L"\\WebView2Runtime";
    PutRuntime(runtime, true, kRealLibrary);

    LPWSTR version = nullptr;
    ASSERT_EQ(GetAvailableCoreWebView2BrowserVersionString(runtime.c_str(), &version), S_OK);
    EXPECT_EQ(std::wstring(version), kRuntimeVersion);
    CoTaskMemFree(version);

    HRESULT completed = E_PENDING;
    ComPtr<ICoreWebView2Environment> environment;
    ASSERT_EQ(Create(runtime.c_str(), completed, environment), S_OK);
    EXPECT_EQ(completed, S_OK);
    ASSERT_TRUE(environment);
    environment.Reset();

    const auto log = ReadLog(log_);
    const json* create = Find(log, "CreateWebViewEnvironmentWithOptionsInternal");
    ASSERT_NE(create, nullptr);
    EXPECT_EQ(create->at("runtimeType"), 1);  // fixed
    EXPECT_EQ(create->at("checkRunningInstance"), true);
    EXPECT_NE(create->at("userDataFolder").get<std::string>().find("\\data"), std::string::npos);
    EXPECT_EQ(create->at("options").at("additionalBrowserArguments"), "--one --two");
    EXPECT_EQ(create->at("options").at("targetCompatibleBrowserVersion"), "149.0.4022.49");
    EXPECT_NE(Find(ReadLog(log_), "Destroyed"), nullptr);  // our last reference released it
}

TEST_F(LoaderTest, InstalledRuntimeIsFoundThroughTheRegistry) {
    const std::wstring application = folder_ + L"\\Application";
    CreateDirectoryW(application.c_str(), nullptr);
    const std::wstring versionFolder = application + L"\\" + kRuntimeVersion;
    PutRuntime(versionFolder, true, kRealLibrary);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, pellaro::RuntimeClientStateKey(false).c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"EBWebView", 0, REG_SZ, reinterpret_cast<const BYTE*>(versionFolder.c_str()),
                   static_cast<DWORD>((versionFolder.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);

    const auto client = pellaro::FindInstalledRuntime();
    ASSERT_TRUE(client);
    EXPECT_EQ(client->version, kRuntimeVersion);

    HRESULT completed = E_PENDING;
    ComPtr<ICoreWebView2Environment> environment;
    ASSERT_EQ(Create(nullptr, completed, environment), S_OK);
    EXPECT_EQ(completed, S_OK);
    const auto log = ReadLog(log_);
    const json* create = Find(log, "CreateWebViewEnvironmentWithOptionsInternal");
    ASSERT_NE(create, nullptr);
    EXPECT_EQ(create->at("runtimeType"), 0);  // installed
}

struct Refusal {
    const char* name;
    bool exe;
    int library;  // 0 none, 1 not a library, 2 without the export
    bool giveFolder;
    HRESULT expected;
};

TEST_F(LoaderTest, RefusesWithExactCodes) {
    const Refusal cases[] = {
        {"no runtime installed", false, 0, false, pellaro::kNoRuntime},
        {"empty folder", false, 0, true, pellaro::kNoRuntime},
        {"browser without client library", true, 0, true, pellaro::kNoRuntime},
        {"client library that is no library", true, 1, true, HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT)},
        {"client library without the export", true, 2, true, pellaro::kMissingRuntimeExport},
    };
    int index = 0;
    for (const Refusal& c : cases) {
        const std::wstring runtime = folder_ + L"\\case" + std::to_wstring(index++);
        CreateDirectoryW(runtime.c_str(), nullptr);
        PutRuntime(runtime, c.exe, c.library == 2 ? kNoExportLibrary : L"");
        if (c.library == 1)
            std::ofstream{std::filesystem::path(pellaro::ClientLibraryPath(runtime))} << "not a library";
        HRESULT completed = E_PENDING;
        ComPtr<ICoreWebView2Environment> environment;
        EXPECT_EQ(Create(c.giveFolder ? runtime.c_str() : nullptr, completed, environment), c.expected) << c.name;
        EXPECT_EQ(completed, E_PENDING) << c.name << ": no completion after a refusal";
    }
    auto handler = ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>();
    EXPECT_EQ(CreateCoreWebView2EnvironmentWithOptions(nullptr, L"x", nullptr, handler.Get()), E_POINTER);
    LPWSTR version = nullptr;
    EXPECT_EQ(GetAvailableCoreWebView2BrowserVersionString((folder_ + L"\\case1").c_str(), &version),
              pellaro::kNoRuntime);
    EXPECT_EQ(version, nullptr);
}

// The client library's own imports come from its folder or the system folder,
// never from the current folder or PATH, where anyone could leave a library.
TEST_F(LoaderTest, ClientLibraryDependenciesComeOnlyFromItsFolderAndTheSystem) {
    const std::wstring runtime = folder_ + L"\\WebView2Runtime";
    PutRuntime(runtime, true, kNeedsDependencyLibrary);
    const std::wstring besideLibrary = runtime + L"\\EBWebView\\x64\\" + kPlantedDependencyName;
    DeleteFileW(besideLibrary.c_str());  // a folder an earlier run left behind
    const std::wstring current = folder_ + L"\\current", onPath = folder_ + L"\\on-path";
    for (const std::wstring& planted : {current, onPath}) {
        CreateDirectoryW(planted.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW(kPlantedDependency.c_str(), (planted + L"\\" + kPlantedDependencyName).c_str(), FALSE));
    }
    wchar_t savedCurrent[MAX_PATH] = {}, savedPath[32767] = {};
    GetCurrentDirectoryW(MAX_PATH, savedCurrent);
    GetEnvironmentVariableW(L"PATH", savedPath, 32767);
    ASSERT_TRUE(SetCurrentDirectoryW(current.c_str()));
    SetEnvironmentVariableW(L"PATH", (onPath + L";" + savedPath).c_str());

    HRESULT completed = E_PENDING;
    ComPtr<ICoreWebView2Environment> environment;
    const HRESULT planted = Create(runtime.c_str(), completed, environment);
    const bool plantedLoaded = GetModuleHandleW(kPlantedDependencyName) != nullptr;

    SetCurrentDirectoryW(savedCurrent);
    SetEnvironmentVariableW(L"PATH", savedPath);
    EXPECT_EQ(planted, HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
    EXPECT_FALSE(plantedLoaded);

    // Beside the client library, the same library is found: the library loads
    // (and, lacking the creation function, is refused for that).
    ASSERT_TRUE(CopyFileW(kPlantedDependency.c_str(), besideLibrary.c_str(), FALSE));
    EXPECT_EQ(Create(runtime.c_str(), completed, environment), pellaro::kMissingRuntimeExport);
    EXPECT_EQ(completed, E_PENDING);
}

TEST_F(LoaderTest, RuntimeFailuresReachTheCaller) {
    const std::wstring runtime = folder_ + L"\\WebView2Runtime";
    PutRuntime(runtime, true, kRealLibrary);
    HRESULT completed = E_PENDING;
    ComPtr<ICoreWebView2Environment> environment;

    WriteScript(R"({"fail": {"stage": "CreateEnvironmentCall", "hr": "0x80070005"}})");
    EXPECT_EQ(Create(runtime.c_str(), completed, environment), static_cast<HRESULT>(0x80070005));

    WriteScript(R"({"fail": {"stage": "CreateEnvironmentCallback", "hr": "0x8007000E"}})");
    EXPECT_EQ(Create(runtime.c_str(), completed, environment), S_OK);
    EXPECT_EQ(completed, static_cast<HRESULT>(0x8007000E));
    EXPECT_FALSE(environment);
}

}  // namespace

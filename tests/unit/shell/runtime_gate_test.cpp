#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "shell/runtime_gate.h"
#include "shell/runtime_version.h"
#include "core/text.h"

namespace pellaro {
namespace {

const std::wstring kExecutable = L"C:\\App\\WebView2Runtime\\msedgewebview2.exe";
const std::wstring kInstaller = L"C:\\Temp\\WebView2Installer.exe";

// What the machine looks like, and the user's answer.
struct Machine {
    std::wstring programFolder = L"C:\\App";
    bool executablePresent = false;
    std::optional<std::wstring> fixedVersion;
    std::optional<std::wstring> installedVersion;
    MessageAnswer answer = MessageAnswer::Yes;
    bool downloadWorks = true;
    bool installerInstalls = true;
};

struct GateCase {
    const char* name;
    Machine machine;
    bool expected;
    std::vector<std::string> events;  // what the gate did, in order
};

// Records every effect as one line.
std::vector<std::string> RunGate(const Machine& m, bool& result) {
    std::vector<std::string> events;
    bool installed = false;
    RuntimeGateSeam seam;
    seam.programFolder = [&] { return m.programFolder; };
    seam.isFile = [&](const std::wstring& path) {
        events.push_back("isFile " + ToUtf8(path));
        return m.executablePresent && path == kExecutable;
    };
    seam.runtimeVersion = [&](const std::optional<std::wstring>& folder) -> std::optional<std::wstring> {
        if (folder) {
            events.push_back("version " + ToUtf8(*folder));
            return m.fixedVersion;
        }
        events.push_back("version installed");
        return installed ? std::optional<std::wstring>(L"121.0.2277.83") : m.installedVersion;
    };
    seam.messageBox = [&](const MessageBoxSpec& spec) {
        events.push_back("box " + ToUtf8(spec.caption));
        return spec.buttons == MessageButtons::YesNo ? m.answer : MessageAnswer::Ok;
    };
    seam.installerPath = [] { return kInstaller; };
    seam.download = [&](const std::wstring& address, const std::wstring& file) {
        events.push_back("download " + ToUtf8(address) + " > " + ToUtf8(file));
        return m.downloadWorks;
    };
    seam.runInstallerAndWait = [&](const std::wstring& file) {
        events.push_back("run " + ToUtf8(file));
        installed = m.installerInstalls;
    };
    seam.deleteFile = [&](const std::wstring& file) { events.push_back("delete " + ToUtf8(file)); };
    seam.downloadAddress = L"https://vendor.example/bootstrapper";
    result = RunRuntimeGate(seam);
    return events;
}

class RuntimeGateTest : public ::testing::TestWithParam<GateCase> {};

TEST_P(RuntimeGateTest, Decides) {
    bool result = false;
    const std::vector<std::string> events = RunGate(GetParam().machine, result);
    EXPECT_EQ(result, GetParam().expected);
    EXPECT_EQ(events, GetParam().events);
}

Machine With(void (*change)(Machine&)) {
    Machine m;
    change(m);
    return m;
}

const std::string kIsFile = "isFile C:\\App\\WebView2Runtime\\msedgewebview2.exe";
const std::string kFixed = "version C:\\App\\WebView2Runtime";
const std::string kInstalled = "version installed";
const std::string kQuestion = "box Pellaro \xE2\x80\x94 Component Required";
const std::string kInstalling = "box Installing...";
const std::string kDownload = "download https://vendor.example/bootstrapper > C:\\Temp\\WebView2Installer.exe";
const std::string kRun = "run C:\\Temp\\WebView2Installer.exe";

INSTANTIATE_TEST_SUITE_P(Table, RuntimeGateTest,
                         ::testing::Values(GateCase{"FixedRuntimeBesideTheProgram",
                                                    With([](Machine& m) {
                                                        m.executablePresent = true;
                                                        m.fixedVersion = L"120.0.2210.91";
                                                    }),
                                                    true,
                                                    {kIsFile, kFixed}},
                                           GateCase{"FolderWithoutExecutableIsIgnored",
                                                    With([](Machine& m) {
                                                        m.fixedVersion = L"120.0.2210.91";
                                                        m.installedVersion = L"119.0.1";
                                                    }),
                                                    true,
                                                    {kIsFile, kInstalled}},
                                           GateCase{"UnreadableFixedVersionFallsThrough",
                                                    With([](Machine& m) {
                                                        m.executablePresent = true;
                                                        m.installedVersion = L"119.0.1";
                                                    }),
                                                    true,
                                                    {kIsFile, kFixed, kInstalled}},
                                           GateCase{"EmptyFixedVersionFallsThrough",
                                                    With([](Machine& m) {
                                                        m.executablePresent = true;
                                                        m.fixedVersion = L"";
                                                        m.installedVersion = L"1.0";
                                                    }),
                                                    true,
                                                    {kIsFile, kFixed, kInstalled}},
                                           GateCase{"UnknownProgramFolderSkipsTheFixedRuntime",
                                                    With([](Machine& m) {
                                                        m.programFolder.clear();
                                                        m.installedVersion = L"119.0.1";
                                                    }),
                                                    true,
                                                    {kInstalled}},
                                           GateCase{"DecliningShowsNothingMore",
                                                    With([](Machine& m) { m.answer = MessageAnswer::No; }),
                                                    false,
                                                    {kIsFile, kInstalled, kQuestion}},
                                           GateCase{"DownloadFailure",
                                                    With([](Machine& m) { m.downloadWorks = false; }),
                                                    false,
                                                    {kIsFile, kInstalled, kQuestion, kInstalling, kDownload,
                                                     "box Download Error"}},
                                           GateCase{"InstallerDoesNotInstall",
                                                    With([](Machine& m) { m.installerInstalls = false; }),
                                                    false,
                                                    {kIsFile, kInstalled, kQuestion, kInstalling, kDownload, kRun,
                                                     kInstalled, "box Installation"}},
                                           GateCase{"InstalledThenInstallerDeleted",
                                                    Machine{},
                                                    true,
                                                    {kIsFile, kInstalled, kQuestion, kInstalling, kDownload, kRun,
                                                     kInstalled, "delete C:\\Temp\\WebView2Installer.exe"}}),
                         [](const ::testing::TestParamInfo<GateCase>& info) { return std::string(info.param.name); });

TEST(RuntimeGateMessagesTest, QuestionAndNotices) {
    const MessageBoxSpec question = RuntimeQuestionMessage();
    EXPECT_EQ(question.caption, L"Pellaro \u2014 Component Required");
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.icon, MessageIcon::Question);
    EXPECT_EQ(question.text.rfind(L"WebView2 Runtime is required to run this application.\n", 0), 0u);
    EXPECT_EQ(question.text.substr(question.text.size() - 35), L"\n\nWould you like to install it now?");

    const MessageBoxSpec installing = RuntimeInstallingMessage();
    EXPECT_EQ(installing.caption, L"Installing...");
    EXPECT_EQ(installing.icon, MessageIcon::Information);
    EXPECT_EQ(installing.buttons, MessageButtons::Ok);

    EXPECT_EQ(RuntimeDownloadErrorMessage().text,
              L"Failed to download WebView2 Runtime.\nPlease check your internet connection.");
    EXPECT_EQ(RuntimeDownloadErrorMessage().icon, MessageIcon::Error);
    EXPECT_EQ(RuntimeInstallFailedMessage().text,
              L"WebView2 installation may have failed.\nPlease restart the application.");
    EXPECT_EQ(RuntimeInstallFailedMessage().caption, L"Installation");
    EXPECT_EQ(RuntimeInstallFailedMessage().icon, MessageIcon::Warning);
}

TEST(WebEngineGateTest, HelperPathFromOverrideOrLibexec) {
    EXPECT_EQ(WebEngineHelperPath(L"/custom/QtWebEngineProcess", L"/usr/lib/qt6/libexec"),
              L"/custom/QtWebEngineProcess");
    EXPECT_EQ(WebEngineHelperPath(L"", L"/usr/lib/qt6/libexec"), L"/usr/lib/qt6/libexec/QtWebEngineProcess");
    EXPECT_EQ(WebEngineHelperPath(L"", L"/usr/lib/qt6/libexec/"), L"/usr/lib/qt6/libexec/QtWebEngineProcess");
    EXPECT_EQ(WebEngineHelperPath(L"", L""), L"");
}

TEST(WebEngineGateTest, MissingHelperNamesThePackage) {
    std::vector<MessageBoxSpec> shown;
    WebEngineGateSeam seam;
    seam.helperPath = L"/nowhere/QtWebEngineProcess";
    seam.isExecutableFile = [](const std::wstring&) { return false; };
    seam.messageBox = [&](const MessageBoxSpec& spec) {
        shown.push_back(spec);
        return MessageAnswer::Ok;
    };
    EXPECT_FALSE(RunWebEngineGate(seam));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, L"Pellaro \u2014 Component Required");
    EXPECT_EQ(shown[0].icon, MessageIcon::Error);
    // English first, then Arabic; both name the package.
    const std::wstring& text = shown[0].text;
    const auto english = text.find(L"Please install the package libqt6webenginecore6-bin.");
    const auto arabic = text.find(L"\u064A\u062D\u062A\u0627\u062C");  // the Arabic text's first word
    ASSERT_NE(english, std::wstring::npos);
    ASSERT_NE(arabic, std::wstring::npos);
    EXPECT_LT(english, arabic);
    EXPECT_NE(text.find(L"libqt6webenginecore6-bin", arabic), std::wstring::npos);

    shown.clear();
    seam.isExecutableFile = [](const std::wstring&) { return true; };
    EXPECT_TRUE(RunWebEngineGate(seam));
    EXPECT_TRUE(shown.empty());
}

TEST(RuntimeVersionTest, FileVersionText) {
    EXPECT_EQ(FileVersionText(0x00780000, 0x08A2005B), L"120.0.2210.91");
    EXPECT_EQ(FileVersionText(0xFFFFFFFF, 0), L"65535.65535.0.0");
}

TEST(RuntimeVersionTest, InstalledVersionRecognised) {
    EXPECT_TRUE(IsInstalledRuntimeVersion(L"120.0.2210.91"));
    EXPECT_TRUE(IsInstalledRuntimeVersion(L"1"));
    EXPECT_FALSE(IsInstalledRuntimeVersion(L""));
    EXPECT_FALSE(IsInstalledRuntimeVersion(L"0.0.0.0"));
    EXPECT_FALSE(IsInstalledRuntimeVersion(L"120..1"));
    EXPECT_FALSE(IsInstalledRuntimeVersion(L"120.0."));
    EXPECT_FALSE(IsInstalledRuntimeVersion(L".1"));
    EXPECT_FALSE(IsInstalledRuntimeVersion(L"v120"));
}

}  // namespace
}  // namespace pellaro

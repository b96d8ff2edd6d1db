#include "browser/host_start.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace WebView {
namespace {

constexpr std::int32_t kDenied = static_cast<std::int32_t>(0x80070005);
constexpr std::int32_t kNotFound = static_cast<std::int32_t>(0x80070003);
constexpr std::int32_t kFailed = static_cast<std::int32_t>(0x80004005);
constexpr std::int32_t kNoController = static_cast<std::int32_t>(0x8007139F);

// Answers each primitive from a table keyed by the attempt's folder and keeps
// the calls in order.
class FakeEngine final : public HostEngine {
public:
    std::map<std::wstring, std::int32_t> folderFails, writeFails;
    std::map<std::wstring, StepOutcome> viewFails;
    bool parentUsable = true;
    EngineRuntime runtime{false, L"120.0"};
    std::vector<std::wstring> calls;

    bool Attach(void*) override {
        calls.push_back(L"attach");
        return parentUsable;
    }
    EngineRuntime PrepareEnvironment(const std::wstring& userDataFolder) override {
        calls.push_back(L"prepare " + userDataFolder);
        return runtime;
    }
    std::wstring AttemptTag() override { return L"77_5"; }
    std::int32_t CreateFolder(const std::wstring& folder) override {
        calls.push_back(L"folder " + folder);
        return Lookup(folderFails, folder);
    }
    std::int32_t WriteTestFile(const std::wstring& folder, const std::wstring& name) override {
        calls.push_back(L"write " + folder + L" " + name);
        return Lookup(writeFails, folder);
    }
    StepOutcome CreateView(const std::wstring& folder, int attempt) override {
        calls.push_back(L"view " + folder + L" #" + std::to_wstring(attempt));
        const auto found = viewFails.find(folder);
        return found == viewFails.end() ? StepOutcome{} : found->second;
    }
    void ConnectEvents() override { calls.push_back(L"connect"); }
    void Show() override { calls.push_back(L"show"); }
    void Close() override { calls.push_back(L"close"); }

private:
    static std::int32_t Lookup(const std::map<std::wstring, std::int32_t>& table, const std::wstring& folder) {
        const auto found = table.find(folder);
        return found == table.end() ? 0 : found->second;
    }
};

const std::wstring kBase = L"/d/Data_Evergreen_Env5";
const std::wstring kSecond = kBase + L"_Recovery_77_5_1";
const std::wstring kThird = kBase + L"_Recovery_77_5_2";

struct Case {
    const char* name;
    std::map<std::wstring, std::int32_t> folderFails, writeFails;
    std::map<std::wstring, StepOutcome> viewFails;
    bool ok;
    std::int32_t result;
    std::wstring webView2Text, qtText;
    std::vector<std::wstring> calls;
};

TEST(HostStart, AttemptsFoldersBookkeepingAndTexts) {
    const std::vector<Case> cases = {
        {"the first attempt starts",
         {},
         {},
         {},
         true,
         0,
         L"WebView2 initialized with Evergreen 120.0; userData=" + kBase,
         L"Browser engine started: Qt WebEngine (Chromium 120.0); data folder: " + kBase +
             L"\nتم تشغيل محرك المتصفح: Qt WebEngine (Chromium 120.0)؛ مجلد البيانات: " + kBase,
         {L"attach", L"prepare /d/Data", L"folder " + kBase, L"write " + kBase + L" .pellaro_write_test",
          L"view " + kBase + L" #0", L"connect", L"show"}},
        {"a view that fails once falls back to a recovery folder",
         {},
         {},
         {{kBase, {kNoController, StartStep::CreateControllerCallback}}},
         true,
         0,
         L"WebView2 initialized with Evergreen 120.0; userData=" + kSecond,
         L"Browser engine started: Qt WebEngine (Chromium 120.0); data folder: " + kSecond +
             L"\nتم تشغيل محرك المتصفح: Qt WebEngine (Chromium 120.0)؛ مجلد البيانات: " + kSecond,
         {L"attach", L"prepare /d/Data", L"folder " + kBase, L"write " + kBase + L" .pellaro_write_test",
          L"view " + kBase + L" #0", L"close", L"folder " + kSecond, L"write " + kSecond + L" .pellaro_write_test",
          L"view " + kSecond + L" #1", L"connect", L"show"}},
        {"a folder that cannot be written is skipped without starting the engine",
         {},
         {{kBase, kDenied}},
         {},
         true,
         0,
         L"WebView2 initialized with Evergreen 120.0; userData=" + kSecond,
         L"Browser engine started: Qt WebEngine (Chromium 120.0); data folder: " + kSecond +
             L"\nتم تشغيل محرك المتصفح: Qt WebEngine (Chromium 120.0)؛ مجلد البيانات: " + kSecond,
         {L"attach", L"prepare /d/Data", L"folder " + kBase, L"write " + kBase + L" .pellaro_write_test",
          L"folder " + kSecond, L"write " + kSecond + L" .pellaro_write_test", L"view " + kSecond + L" #1", L"connect",
          L"show"}},
        {"every attempt fails: the first code is the result, both steps are named",
         {{kSecond, kNotFound}},
         {{kBase, kDenied}},
         {{kThird, {1, StartStep::GetView}}},  // a success code that failed counts as E_FAIL
         false,
         kDenied,
         L"WebView2 initialization failed. First=0x80070005 at UserDataFolderWriteTest; last=0x80004005 at "
         L"GetCoreWebView2; runtime=Evergreen 120.0; lastUserData=" +
             kThird,
         L"Browser engine start failed. First error 0x80070005 while writing to the data folder; last error "
         L"0x80004005 while creating the page; engine: Qt WebEngine (Chromium 120.0); last data folder: " +
             kThird +
             L"\nفشل تشغيل محرك المتصفح. أول خطأ 0x80070005 أثناء الكتابة في مجلد البيانات؛ آخر خطأ 0x80004005 "
             L"أثناء إنشاء الصفحة؛ المحرك: Qt WebEngine (Chromium 120.0)؛ آخر مجلد بيانات: " +
             kThird,
         {L"attach", L"prepare /d/Data", L"folder " + kBase, L"write " + kBase + L" .pellaro_write_test",
          L"folder " + kSecond, L"folder " + kThird, L"write " + kThird + L" .pellaro_write_test",
          L"view " + kThird + L" #2", L"close"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const HostWording* wording : {&WebView2Wording(), &QtWebEngineWording()}) {
            FakeEngine engine;
            engine.folderFails = c.folderFails;
            engine.writeFails = c.writeFails;
            engine.viewFails = c.viewFails;
            int parent = 0;
            const StartOutcome outcome = StartHost(engine, *wording, &parent, L"/d/Data", 3);
            EXPECT_EQ(outcome.ok, c.ok);
            EXPECT_EQ(outcome.result, c.result);
            EXPECT_TRUE(outcome.logged);
            EXPECT_EQ(outcome.statusText, wording == &WebView2Wording() ? c.webView2Text : c.qtText);
            EXPECT_EQ(engine.calls, c.calls);
        }
    }
}

TEST(HostStart, AFixedRuntimeHasItsOwnFoldersAndName) {
    FakeEngine engine;
    engine.runtime = {true, L""};
    int parent = 0;
    const StartOutcome outcome = StartHost(engine, WebView2Wording(), &parent, L"/d/Data", 1);
    EXPECT_EQ(outcome.statusText, L"WebView2 initialized with Fixed; userData=/d/Data_Fixed_Env5");
}

TEST(HostStart, NoParentOrNoFolderIsRefusedBeforeTheEngineIsTouched) {
    const std::pair<const HostWording*, std::wstring> editions[] = {
        {&WebView2Wording(), L"Invalid parent window or user-data folder."},
        {&QtWebEngineWording(),
         L"Invalid parent window or user-data folder.\nالنافذة الأم أو مجلد بيانات المستخدم غير صالح."}};
    for (const auto& [wording, text] : editions)
        for (const bool parentUsable : {false, true}) {
            FakeEngine engine;
            engine.parentUsable = parentUsable;
            int parent = 0;
            const StartOutcome outcome = StartHost(engine, *wording, &parent, parentUsable ? L"" : L"/d/Data", 2);
            EXPECT_FALSE(outcome.ok);
            EXPECT_EQ(outcome.result, static_cast<std::int32_t>(0x80070057));
            EXPECT_EQ(outcome.statusText, text);
            EXPECT_FALSE(outcome.logged);
            EXPECT_EQ(engine.calls, std::vector<std::wstring>{L"attach"});
        }
}

TEST(HostStart, ZeroAttemptsStillMakeOne) {
    FakeEngine engine;
    engine.viewFails[kBase] = {kFailed, StartStep::CreateEnvironmentCall};
    int parent = 0;
    const StartOutcome outcome = StartHost(engine, WebView2Wording(), &parent, L"/d/Data", 0);
    EXPECT_EQ(outcome.statusText,
              L"WebView2 initialization failed. First=0x80004005 at CreateEnvironmentCall; last=0x80004005 at "
              L"CreateEnvironmentCall; runtime=Evergreen 120.0; lastUserData=" +
                  kBase);
}

}  // namespace
}  // namespace WebView

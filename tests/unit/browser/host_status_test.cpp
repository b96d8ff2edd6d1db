#include "browser/host_status.h"

#include <gtest/gtest.h>

#include "core/text.h"

namespace WebView {
namespace {

TEST(HostStatus, FailureMessageNamesFirstAndLastStage) {
    FailureLog log(L"/data/WebView2Data_Evergreen_Env5");
    log.Record(static_cast<std::int32_t>(0x80070005), StartStep::WriteTest, L"/data/a");
    log.Record(0, StartStep::CreateEnvironmentCallback, L"/data/b");  // a success code counts as E_FAIL
    EXPECT_EQ(log.Result(), static_cast<std::int32_t>(0x80070005));
    EXPECT_EQ(WebView2Wording().Failure(log, {false, L"102.0.1"}),
              L"WebView2 initialization failed. First=0x80070005 at UserDataFolderWriteTest; last=0x80004005 at "
              L"CreateEnvironmentCallback; runtime=Evergreen 102.0.1; lastUserData=/data/b");
}

TEST(HostStatus, WithoutAnyRecordedFailureTheStagesAreUnknown) {
    FailureLog log(L"/base");
    EXPECT_EQ(log.Result(), static_cast<std::int32_t>(0x80004005));
    EXPECT_EQ(WebView2Wording().Failure(log, {true, L""}),
              L"WebView2 initialization failed. First=0x80004005 at unknown stage; last=0x80004005 at unknown "
              L"stage; runtime=Fixed; lastUserData=/base");
}

TEST(HostStatus, SuccessTextAndAttemptFolders) {
    EXPECT_EQ(WebView2Wording().Success({false, L"1.2"}, L"/d"),
              L"WebView2 initialized with Evergreen 1.2; userData=/d");
    EXPECT_EQ(WebView2Wording().Success({false, L""}, L"/d"), L"WebView2 initialized with Evergreen; userData=/d");
    EXPECT_EQ(AttemptFolder(L"/b", L"42_7", 0), L"/b");
    EXPECT_EQ(AttemptFolder(L"/b", L"42_7", 2), L"/b_Recovery_42_7_2");
    EXPECT_EQ(HexResult(static_cast<std::int32_t>(0x8000000A)), L"0x8000000A");
    EXPECT_EQ(HexResult(0), L"0x00000000");
}

// The Linux edition names neither the runtime nor its stages, in either language.
TEST(HostStatus, TheQtWordingSaysNothingOfWebView2) {
    FailureLog log(L"/base");
    const std::wstring texts[] = {
        QtWebEngineWording().Failure(log, {false, L""}),
        QtWebEngineWording().Success({false, L""}, L"/d"),
        QtWebEngineWording().FailureBox(L"status"),
        QtWebEngineWording().FailureCaption(),
    };
    for (const std::wstring& text : texts) {
        EXPECT_EQ(text.find(L"WebView2"), std::wstring::npos) << pellaro::ToUtf8(text);
        EXPECT_EQ(text.find(L"Evergreen"), std::wstring::npos) << pellaro::ToUtf8(text);
        EXPECT_EQ(text.find(L"stage"), std::wstring::npos) << pellaro::ToUtf8(text);
    }
    for (const std::wstring& text : {texts[0], texts[1], texts[2]})  // English, then Arabic; captions on one line
        EXPECT_NE(text.find(L'\n'), std::wstring::npos) << pellaro::ToUtf8(text);
    EXPECT_EQ(texts[3], L"Browser Error - خطأ في المتصفح");
    EXPECT_EQ(texts[0],
              L"Browser engine start failed. First error 0x80004005 while an unknown step; last error 0x80004005 "
              L"while an unknown step; engine: Qt WebEngine; last data folder: /base\n"
              L"فشل تشغيل محرك المتصفح. أول خطأ 0x80004005 أثناء خطوة غير معروفة؛ آخر خطأ 0x80004005 أثناء خطوة غير "
              L"معروفة؛ المحرك: Qt WebEngine؛ آخر مجلد بيانات: /base");
    EXPECT_EQ(texts[2], L"The browser could not be started.\nتعذر تشغيل المتصفح.\n\nstatus");
}

TEST(HostStatus, TheWindowsBoxKeepsItsWords) {
    EXPECT_EQ(WebView2Wording().FailureBox(L"status"), L"Failed to initialize WebView2.\n\nstatus");
    EXPECT_EQ(std::wstring(WebView2Wording().FailureCaption()), L"WebView2 Error");
}

}  // namespace
}  // namespace WebView

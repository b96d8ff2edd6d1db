#include "browser/host_status.h"

#include <gtest/gtest.h>

namespace WebView {
namespace {

TEST(HostStatus, FailureMessageNamesFirstAndLastStage) {
    FailureLog log(L"/data/WebView2Data_Evergreen_Env5");
    log.Record(static_cast<std::int32_t>(0x80070005), L"UserDataFolderWriteTest", L"/data/a");
    log.Record(0, L"CreateEnvironmentCallback", L"/data/b");  // a success code counts as E_FAIL
    EXPECT_EQ(log.Result(), static_cast<std::int32_t>(0x80070005));
    EXPECT_EQ(log.Message(L"Evergreen", L"102.0.1"),
              L"WebView2 initialization failed. First=0x80070005 at UserDataFolderWriteTest; last=0x80004005 at "
              L"CreateEnvironmentCallback; runtime=Evergreen 102.0.1; lastUserData=/data/b");
}

TEST(HostStatus, WithoutAnyRecordedFailureTheStagesAreUnknown) {
    FailureLog log(L"/base");
    EXPECT_EQ(log.Result(), static_cast<std::int32_t>(0x80004005));
    EXPECT_EQ(log.Message(L"Fixed", L""),
              L"WebView2 initialization failed. First=0x80004005 at unknown stage; last=0x80004005 at unknown "
              L"stage; runtime=Fixed; lastUserData=/base");
}

TEST(HostStatus, SuccessTextAndAttemptFolders) {
    EXPECT_EQ(SuccessMessage(L"Evergreen", L"1.2", L"/d"), L"WebView2 initialized with Evergreen 1.2; userData=/d");
    EXPECT_EQ(SuccessMessage(L"Evergreen", L"", L"/d"), L"WebView2 initialized with Evergreen; userData=/d");
    EXPECT_EQ(AttemptFolder(L"/b", L"42_7", 0), L"/b");
    EXPECT_EQ(AttemptFolder(L"/b", L"42_7", 2), L"/b_Recovery_42_7_2");
    EXPECT_EQ(HexResult(static_cast<std::int32_t>(0x8000000A)), L"0x8000000A");
    EXPECT_EQ(HexResult(0), L"0x00000000");
}

}  // namespace
}  // namespace WebView

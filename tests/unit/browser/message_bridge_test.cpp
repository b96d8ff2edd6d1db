#include "browser/message_bridge.h"

#include <gtest/gtest.h>

namespace pellaro {
namespace {

TEST(MessageBridge, DetectsPrintRequestsInEveryForm) {
    EXPECT_TRUE(IsPrintRequest(L"requestPrint"));
    EXPECT_TRUE(IsPrintRequest(L"\"requestPrint\""));
    EXPECT_TRUE(IsPrintRequest(L"{\"action\":\"requestPrint\",\"n\":1}"));
    EXPECT_FALSE(IsPrintRequest(L"REQUESTPRINT"));
    EXPECT_FALSE(IsPrintRequest(L"requestPrint "));
    EXPECT_FALSE(IsPrintRequest(L"{\"requestPrintX\":1}"));
    EXPECT_FALSE(IsPrintRequest(L""));
}

TEST(MessageBridge, HomeWordTable) {
    const struct { const wchar_t* message; HomeAction action; } cases[] = {
        {L"requestPrint", HomeAction::Print},
        {L"{\"type\":\"requestPrint\"}", HomeAction::Print},
        {L"btn_home", HomeAction::GoHome},
        {L"btn_back", HomeAction::GoBack},
        {L"btn_reload", HomeAction::Reload},
        {L"btn_fullscreen", HomeAction::ToggleFullscreen},
        {L"\"btn_home\"", HomeAction::None},      // only the player accepts quoted words
        {L"BTN_HOME", HomeAction::None},
        {L"toggleFullscreen", HomeAction::None},
        {L"pageLoaded", HomeAction::None},
        {L"", HomeAction::None},
    };
    for (const auto& c : cases) EXPECT_EQ(HomeMessageAction(c.message), c.action) << c.message;
}

TEST(MessageBridge, PlayerWordTable) {
    const struct { const wchar_t* message; PlayerAction action; } cases[] = {
        {L"requestPrint", PlayerAction::Print},
        {L"\"requestPrint\"", PlayerAction::Print},
        {L"toggleFullscreen", PlayerAction::ToggleFullscreen},
        {L"\"toggleFullscreen\"", PlayerAction::ToggleFullscreen},
        {L"pageLoaded", PlayerAction::ShowOnce},
        {L"\"pageLoaded\"", PlayerAction::ShowOnce},
        {L"{\"pageLoaded\":true}", PlayerAction::None},
        {L"btn_home", PlayerAction::None},
        {L"btn_fullscreen", PlayerAction::None},
        {L"PageLoaded", PlayerAction::None},
    };
    for (const auto& c : cases) EXPECT_EQ(PlayerMessageAction(c.message), c.action) << c.message;
}

}  // namespace
}  // namespace pellaro

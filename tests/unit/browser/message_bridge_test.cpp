#include "browser/message_bridge.h"

#include <gtest/gtest.h>

#include "browser/navigation_policy.h"
#include "core/build_constants.h"

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
    const struct {
        const wchar_t* message;
        HomeAction action;
    } cases[] = {
        {L"requestPrint", HomeAction::Print}, {L"{\"type\":\"requestPrint\"}", HomeAction::Print},
        {L"btn_home", HomeAction::GoHome},    {L"btn_back", HomeAction::GoBack},
        {L"btn_reload", HomeAction::Reload},  {L"btn_fullscreen", HomeAction::ToggleFullscreen},
        {L"\"btn_home\"", HomeAction::None},  // only the player accepts quoted words
        {L"BTN_HOME", HomeAction::None},      {L"toggleFullscreen", HomeAction::None},
        {L"pageLoaded", HomeAction::None},    {L"", HomeAction::None},
    };
    for (const auto& c : cases) EXPECT_EQ(HomeMessageAction(c.message), c.action) << c.message;
}

TEST(MessageBridge, PlayerWordTable) {
    const struct {
        const wchar_t* message;
        PlayerAction action;
    } cases[] = {
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

TEST(MessageBridge, AcceptsOnlyTrustedCommittedTopDocuments) {
    const std::wstring academy = AllowedHosts().at(0);
    const std::wstring listed = AllowedHosts().at(14);  // a CDN the player may visit, anyone may publish on
    ContentDescriptor content;
    content.contentUrl = L"https://lessons.item-host.test/course/7";
    content.baseAddress = L"https://school.base-host.test";
    const struct {
        std::wstring address;
        bool programPage;
        bool accepted;
    } cases[] = {
        {L"data:text/html,player", true, true},  // the page the program wrote
        {L"data:text/html,player", false, false},
        {L"https://www." + academy + L"/home", false, true},
        {L"https://cdn.item-host.test/p", false, true},     // the item's own site
        {L"https://a." + listed + L"/x", false, false},     // navigation there stays allowed, trust does not
        {L"https://school.base-host.test/", false, false},  // the last site of the home window
        {L"https://127.0.0.1/p/" + academy + L"/x", false, false},
        {L"https://www." + academy + L":x@127.0.0.1/", false, false},
        {L"file:///etc/passwd", false, false},
        {L"about:blank", false, false},
        {L"", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BridgeAcceptsMessage(c.address, c.programPage, content), c.accepted) << c.address;

    // An item on the shared host: only its own host is trusted there.
    content.contentUrl = L"https://d111." + listed + L"/lesson.html";
    EXPECT_TRUE(BridgeAcceptsMessage(L"https://d111." + listed + L"/lesson.html#p2", false, content));
    EXPECT_FALSE(BridgeAcceptsMessage(L"https://attacker." + listed + L"/fake.html", false, content));
}

TEST(MessageBridge, MessagesAboveTheLimitAreNotRead) {
    EXPECT_TRUE(IsWebMessageWithinLimit(0));
    EXPECT_TRUE(IsWebMessageWithinLimit(kWebMessageLimit));
    EXPECT_FALSE(IsWebMessageWithinLimit(kWebMessageLimit + 1));
}

}  // namespace
}  // namespace pellaro

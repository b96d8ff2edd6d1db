#include "browser/page_recovery.h"

#include <gtest/gtest.h>

#include "core/text.h"

namespace pellaro {
namespace {

using std::chrono::seconds;
using Time = PageRecovery::Clock::time_point;
constexpr Time kStart{seconds(1000)};

struct Step {
    int at;  // seconds after kStart
    PageFailure failure;
    RecoveryAction expected;
};

struct Case {
    const char* name;
    std::vector<Step> steps;
};

constexpr auto Exited = PageFailure::RendererExited;
constexpr auto Hung = PageFailure::RendererUnresponsive;
constexpr auto Browser = PageFailure::BrowserProcessExited;
constexpr auto ByRuntime = PageFailure::RecoveredByRuntime;
constexpr auto Reload = RecoveryAction::ReloadPage;
constexpr auto Restart = RecoveryAction::RestartHost;
constexpr auto GiveUp = RecoveryAction::ShowGaveUpMessage;
constexpr auto Nothing = RecoveryAction::Nothing;

TEST(PageRecovery, EachFailureKindAndTheThirdWithinAMinute) {
    const Case cases[] = {
        {"each kind once", {{0, Exited, Reload}}},
        {"unresponsive reloads", {{0, Hung, Reload}}},
        {"browser process restarts the host", {{0, Browser, Restart}}},
        {"the engine's own recoveries change nothing",
         {{0, ByRuntime, Nothing}, {1, ByRuntime, Nothing}, {2, ByRuntime, Nothing}, {3, Exited, Reload}}},
        {"third within a minute gives up, once",
         {{0, Exited, Reload},
          {10, Exited, Reload},
          {59, Exited, GiveUp},
          {60, Exited, Nothing},
          {500, Exited, Nothing}}},
        {"kinds count together",
         {{0, Browser, Restart}, {1, Hung, Reload}, {2, Exited, GiveUp}, {3, Browser, Nothing}}},
        {"older than a minute drops out",
         {{0, Exited, Reload},
          {50, Exited, Reload},
          {100, Exited, Reload},
          {155, Exited, Reload},
          {156, Exited, GiveUp}}},
        {"exactly a minute apart is not within it",
         {{0, Exited, Reload}, {59, Exited, Reload}, {60, Exited, Reload}, {119, Exited, Reload}}},
        {"a page dying every half hour never gives up",
         {{0, Exited, Reload}, {1800, Exited, Reload}, {3600, Exited, Reload}, {5400, Exited, Reload}}},
    };
    for (const Case& c : cases) {
        PageRecovery recovery;
        for (const Step& step : c.steps)
            EXPECT_EQ(recovery.OnFailure(step.failure, kStart + seconds(step.at)), step.expected)
                << c.name << " at " << step.at << " s";
    }
}

TEST(PageRecovery, WindowsCountApart) {
    PageRecovery player, home;
    EXPECT_EQ(player.OnFailure(Exited, kStart), Reload);
    EXPECT_EQ(player.OnFailure(Exited, kStart + seconds(1)), Reload);
    EXPECT_EQ(home.OnFailure(Exited, kStart + seconds(2)), Reload);
    EXPECT_FALSE(player.GaveUp());
    EXPECT_EQ(player.OnFailure(Exited, kStart + seconds(3)), GiveUp);
    EXPECT_TRUE(player.GaveUp());
    EXPECT_FALSE(home.GaveUp());
}

TEST(PageRecovery, GaveUpMessageIsEnglishThenArabic) {
    const std::wstring text = PageGaveUpMessage();
    const std::size_t newline = text.find(L'\n');
    ASSERT_NE(newline, std::wstring::npos);
    EXPECT_EQ(text.find(L'\n', newline + 1), std::wstring::npos) << ToUtf8(text);
    EXPECT_NE(text.substr(0, newline).find(L"Close this window"), std::wstring::npos);
    const std::wstring arabic = text.substr(newline + 1);
    EXPECT_TRUE(arabic.find_first_of(L"abcdefghijklmnopqrstuvwxyz") == std::wstring::npos) << ToUtf8(arabic);
    EXPECT_NE(arabic.find(L'\u0627'), std::wstring::npos);  // alef: the line is Arabic
}

}  // namespace
}  // namespace pellaro

#include "browser/scheme_policy.h"

#include <gtest/gtest.h>

#include <string>

namespace pellaro {
namespace {

// One table for every navigation: a window's own document (and new windows,
// external launches) and a frame.
TEST(NavigationSchemes, OnlyWebSchemesNavigate) {
    const struct {
        std::wstring address;
        bool window;
        bool frame;
    } cases[] = {
        {L"https://www.example.com/", true, true},
        {L"HTTP://www.example.com/", true, true},
        {L"blob:https://www.example.com/0b5c-11", true, true},
        {L"about:blank", true, true},
        {L"about:blank#top", true, true},
        {L"about:srcdoc", false, true},
        {L"data:text/html,<p>x", false, true},
        {L"chrome-extension://mhjfbmdgcfjbbpaeojofohoefgiehjai/index.html", true, true},  // the PDF viewer
        {L"tovrelapp://www.tovrel.localhost/x", false, false},
        {L"ms-officecmd://tovrel.localhost/open", false, false},
        {L"file://www.tovrel.localhost/share/x.html", false, false},
        {L"file:///C:/Users/", false, false},
        {L"filesystem:https://www.example.com/temporary/a", false, false},
        {L"view-source:https://www.example.com/", false, false},
        {L"edge://settings", false, false},
        {L"chrome://version", false, false},
        {L"about:version", false, false},
        {L"chrome-extension://someotherextension/x.html", false, false},
        {L"blob:null/0b5c-11", false, false},
        {L"blob:file:///x", false, false},
        {L"javascript:alert(1)", false, false},
        {L"mailto:someone@example.com", false, false},
        {L"ws://www.example.com/socket", false, false},
        {L"www.example.com/no-scheme", false, false},
        {L"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsNavigationSchemeAllowed(c.address, NavigationPlace::Window), c.window) << c.address;
        EXPECT_EQ(IsNavigationSchemeAllowed(c.address, NavigationPlace::Frame), c.frame) << c.address;
    }
}

// The page the program writes itself arrives as data: (Qt) or about:blank
// (WebView2); nothing else rides on that.
TEST(NavigationSchemes, TheProgramsOwnPagePasses) {
    EXPECT_TRUE(IsNavigationSchemeAllowed(L"data:text/html;charset=UTF-8,%3Chtml%3E", NavigationPlace::Window, true));
    EXPECT_TRUE(IsNavigationSchemeAllowed(L"about:blank", NavigationPlace::Window, true));
    EXPECT_FALSE(IsNavigationSchemeAllowed(L"file:///C:/", NavigationPlace::Window, true));
    EXPECT_FALSE(IsNavigationSchemeAllowed(L"tovrelapp:x", NavigationPlace::Window, true));
}

}  // namespace
}  // namespace pellaro

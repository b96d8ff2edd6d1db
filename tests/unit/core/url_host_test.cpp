#include "core/url_host.h"

#include <gtest/gtest.h>

#include "core/backend_host.h"
#include "core/build_constants.h"
#include "core/text.h"

namespace pellaro {
namespace {

TEST(UrlHost, ReadsTheHostABrowserConnectsTo) {
    const struct {
        const wchar_t* address;
        const wchar_t* host;
    } cases[] = {
        {L"https://WWW.Example.COM/path?q=1", L"www.example.com"},
        {L"http://example.com:8443/x", L"example.com"},
        {L"https://example.com", L"example.com"},
        {L"https://example.com?x=a.b/c", L"example.com"},
        {L"https://example.com#frag/x", L"example.com"},
        {L"https://example.com\\evil.net/x", L"example.com"},
        // user info: the host is after the last "@", whatever the user name says
        {L"https://www.trusted.example:x@127.0.0.1/land", L"127.0.0.1"},
        {L"https://user:pa:ss@Host.Example.NET:8080/", L"host.example.net"},
        {L"https://a@b@c.example/", L"c.example"},
        // IPv6 literals keep their brackets; the port goes
        {L"https://[::1]:8443/x", L"[::1]"},
        {L"https://[2001:DB8::1]/x", L"[2001:db8::1]"},
        {L"https://[::1/x", L""},
        {L"https://[::ffff:127.0.0.1]/x", L"[::ffff:127.0.0.1]"},
        {L"https://[www.tovrel.localhost]/x", L""},
        // trailing dots name the same host
        {L"https://strict.example.com./", L"strict.example.com"},
        {L"wss://strict.example.com..:443/s", L"strict.example.com"},
        {L"blob:https://cdn.example.com/1234-abcd", L"cdn.example.com"},
        {L"BLOB:https://cdn.example.com/1234-abcd", L"cdn.example.com"},
        {L"blob:", L""},
        {L"about:blank", L""},
        {L"example.com/path", L""},
        {L"javascript:x('://evil.example/')", L""},
        {L"file:///etc/passwd", L""},
        {L"a:", L""},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(UrlHost(c.address), c.host) << c.address;
}

TEST(UrlScheme, IsTheLowerCaseSchemeOrNothing) {
    const struct {
        const wchar_t* address;
        const wchar_t* scheme;
    } cases[] = {
        {L"HTTPS://x", L"https"},   {L"file:///etc", L"file"}, {L"chrome-extension://id/", L"chrome-extension"},
        {L"about:blank", L"about"}, {L"//host/x", L""},        {L"1http://x", L""},
        {L"no scheme", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(UrlScheme(c.address), c.scheme) << c.address;
}

TEST(HostIsOrUnder, MatchesTheDomainOrASubdomainOnly) {
    const struct {
        const wchar_t* host;
        const wchar_t* domain;
        bool match;
    } cases[] = {
        {L"example.com", L"example.com", true},
        {L"www.example.com", L"example.com", true},
        {L"A.B.Example.Com.", L"example.com", true},
        {L"example.com", L"Example.COM.", true},
        {L"badexample.com", L"example.com", false},
        {L"example.com.evil.net", L"example.com", false},
        {L"com", L"example.com", false},
        {L"example.com", L"", false},
        {L"", L"example.com", false},
    };
    for (const auto& c : cases) EXPECT_EQ(HostIsOrUnder(c.host, c.domain), c.match) << c.host << L" / " << c.domain;
}

TEST(IsBackendHost, ByHostNeverByText) {
    const std::wstring backend = WideConstantList(ConstantKey::backendHostMarkers).at(0);
    EXPECT_TRUE(IsBackendHost(backend));
    EXPECT_TRUE(IsBackendHost(L"API." + backend + L"."));
    EXPECT_FALSE(IsBackendHost(L"not" + backend));
    EXPECT_FALSE(IsBackendHost(backend + L".evil.net"));
    EXPECT_FALSE(IsBackendHost(UrlHost(L"https://127.0.0.1/p?u=" + backend)));
    EXPECT_FALSE(IsBackendHost(UrlHost(L"https://www." + backend + L":x@127.0.0.1/")));
}

}  // namespace
}  // namespace pellaro

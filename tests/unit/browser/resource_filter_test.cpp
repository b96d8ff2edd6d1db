#include "browser/resource_filter.h"

#include <gtest/gtest.h>

#include "browser/scheme_policy.h"
#include "core/build_constants.h"

namespace pellaro {
namespace {

// Records which hosts were pin-checked and reported; blocks one chosen host.
class ResourceFilter : public ::testing::Test {
protected:
    std::vector<std::wstring> checked, reported;
    std::wstring blockedHost = L"intercept.example.net";
    std::wstring device = L"DEV-1", hardware = L"HW-2";
    FilterServices services{
        [this](const std::wstring& host) {
            checked.push_back(host);
            return host != blockedHost;
        },
        [this](const std::wstring& host) { reported.push_back(host); },
        [this] { return device; },
        [this] { return hardware; },
        {},  // trustPinnedHost: the engine's certificate question, not the filter's
    };
    const std::vector<std::wstring> pairOne = WideConstantList(ConstantKey::identityPairOneNames);
    const std::vector<std::wstring> pairTwo = WideConstantList(ConstantKey::identityPairTwoNames);
    const std::wstring builtInName = WideConstant(ConstantKey::requestHeaderName);
    const std::wstring backend = WideConstantList(ConstantKey::backendHostMarkers).at(0);

    WebRequest Run(const std::wstring& address, bool expectPass = true) {
        WebRequest request{address, {}, false};
        EXPECT_EQ(FilterRequest(request, services), expectPass) << address;
        return request;
    }
    static bool Has(const WebRequest& r, const std::wstring& name) { return r.Header(name).has_value(); }
};

TEST_F(ResourceFilter, EveryRequestCarriesTheBuiltInHeader) {
    for (const auto* address : {L"http://plain.example.com/", L"https://x.example.com/a.js", L"data:,x"}) {
        const WebRequest r = Run(address);
        EXPECT_EQ(r.Header(builtInName), WideConstant(ConstantKey::requestHeaderValue)) << address;
    }
}

TEST_F(ResourceFilter, PinCheckOnlyForHttpsHostsWithoutPort) {
    Run(L"http://www.example.com/");
    Run(L"HTTPS://Media.Example.com:8443/v.mp4");
    Run(L"https://cdn.example.com/path:with:colons");
    ASSERT_EQ(checked.size(), 2u);
    EXPECT_EQ(checked[0], L"media.example.com");
    EXPECT_EQ(checked[1], L"cdn.example.com");
}

TEST_F(ResourceFilter, FailedPinsBlockWithoutIdentityHeadersAndReportTheHost) {
    blockedHost = L"api." + backend;
    WebRequest r = Run(L"https://api." + backend + L":443/api/app/x", /*expectPass=*/false);
    EXPECT_TRUE(r.blocked);
    EXPECT_FALSE(Has(r, pairOne[0]));
    EXPECT_FALSE(Has(r, pairTwo[0]));
    EXPECT_EQ(reported, std::vector<std::wstring>{L"api." + backend});
    EXPECT_EQ(BlockedResponse::status, 403);
    EXPECT_EQ(std::wstring(BlockedResponse::reason), L"Blocked");
}

TEST_F(ResourceFilter, FirstPairOnlyForBackendAddresses) {
    const WebRequest r = Run(L"https://www." + backend + L"/home");
    EXPECT_EQ(r.Header(pairOne[0]), device);
    EXPECT_EQ(r.Header(pairOne[1]), hardware);
    const WebRequest other = Run(L"https://www.example.com/home");
    EXPECT_FALSE(Has(other, pairOne[0]));
    EXPECT_FALSE(Has(other, pairOne[1]));
}

TEST_F(ResourceFilter, BackendIsDecidedByTheHostNotByTheAddressText) {
    const std::wstring video = WideConstant(ConstantKey::videoMainDomain);
    const struct {
        std::wstring address;
        bool backend;
    } cases[] = {
        {L"https://" + backend + L"/", true},
        {L"https://API." + backend + L".:443/x", true},
        {L"wss://live." + backend + L"/socket", true},
        {L"https://127.0.0.1/p?u=" + backend, false},                                        // query
        {L"https://www." + video + L"/p/www." + backend + L"/x", false},                     // path
        {L"https://www." + video + L"/embed/1?origin=https%3A%2F%2Fapi." + backend, false},  // origin=
        {L"https://www." + backend + L":x@127.0.0.1/land", false},                           // user info
        {L"https://" + backend + L".evil.net/", false},
        {L"https://evil" + backend + L"/", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsBackendAddress(c.address), c.backend) << c.address;
        const WebRequest r = Run(c.address);
        EXPECT_EQ(Has(r, pairOne[0]), c.backend) << c.address;
        EXPECT_EQ(Has(r, pairOne[1]), c.backend) << c.address;
    }
}

TEST_F(ResourceFilter, RedirectsKeepIdentityOnlyWhereTheFilterWouldGiveIt) {
    const std::wstring media = L"https://cdn.example/v/secure-media/a";
    const struct {
        std::wstring from, to;
        bool keeps;
    } cases[] = {
        {L"https://api." + backend + L"/r", L"https://www." + backend + L"/x", true},
        {L"https://api." + backend + L"/r", L"https://www.example.com/x", false},
        {L"https://api." + backend + L"/r", L"https://www.example.com/?u=" + backend, false},  // host decides
        {L"https://www.example.com/r", L"https://api." + backend + L"/x", true},               // gains, loses nothing
        {L"https://www.example.com/r", L"https://other.example/x", true},
        {media, L"https://cdn.example/v/secure-media/b", true},
        {media, L"https://cdn.example/plain", false},  // the second pair
        {L"https://api." + backend + L"/secure-media/x", L"https://www." + backend + L"/plain", false},
    };
    for (const auto& c : cases) EXPECT_EQ(RedirectKeepsIdentity(c.from, c.to), c.keeps) << c.from << L" -> " << c.to;
}

TEST_F(ResourceFilter, PinCheckCoversSecureSocketsAndTrailingDots) {
    blockedHost = L"strict." + backend;
    for (const auto& address : {L"wss://strict." + backend + L"/socket", L"https://strict." + backend + L"./x",
                                L"https://u@STRICT." + backend + L":8443/x"}) {
        reported.clear();
        const WebRequest r = Run(address, /*expectPass=*/false);
        EXPECT_TRUE(r.blocked) << address;
        EXPECT_FALSE(Has(r, pairOne[0])) << address;
        EXPECT_EQ(reported, std::vector<std::wstring>{blockedHost}) << address;
    }
    checked.clear();
    Run(L"ws://strict." + backend + L"/socket");  // no TLS: nothing to pin
    EXPECT_TRUE(checked.empty());
}

TEST_F(ResourceFilter, SchemesTheProgramDoesNotUseAreRefusedSilently) {
    const struct {
        std::wstring address;
        bool allowed;
    } cases[] = {
        {L"file:///etc/passwd", false},
        {L"FILE:///root/", false},
        {L"filesystem:https://x.example.com/temporary/a", false},
        {L"qrc:///qtwebchannel/qwebchannel.js", false},
        {L"view-source:https://x.example.com/", false},
        {L"chrome://gpu", false},
        {L"chrome-extension://someotherextension/x.js", false},
        {L"ftp://x.example.com/", false},
        {L"https://x.example.com/", true},
        {L"http://x.example.com/", true},
        {L"wss://x.example.com/", true},
        {L"ws://x.example.com/", true},
        {L"data:text/html,x", true},
        {L"blob:null/1234", true},
        {L"about:blank", true},
        {L"about:srcdoc", true},
        {L"chrome-extension://mhjfbmdgcfjbbpaeojofohoefgiehjai/index.html", true},
        {L"chrome://resources/js/x.js", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsSchemeAllowedInBrowser(c.address), c.allowed) << c.address;
        const WebRequest r = Run(c.address, c.allowed);
        EXPECT_EQ(r.blocked, !c.allowed) << c.address;
    }
    EXPECT_TRUE(reported.empty());
}

TEST_F(ResourceFilter, SecondPairByAddressPattern) {
    const std::wstring s6 = WideConstant(ConstantKey::identityPatternSuffix6);
    const std::wstring s9 = WideConstant(ConstantKey::identityPatternSuffix9);
    const std::wstring marker = WideConstant(ConstantKey::identityPatternMarker);
    const std::wstring s20 = WideConstant(ConstantKey::identityPatternSuffix20);
    ASSERT_EQ(s6.size(), 6u);
    ASSERT_EQ(s9.size(), 9u);
    ASSERT_EQ(s20.size(), 20u);
    const struct {
        std::wstring address;
        bool wanted;
    } cases[] = {
        {L"https://cdn.example.com/v/index" + s6, true},          {L"https://cdn.example.com/v" + s9, true},
        {L"https://cdn.example.com/a" + marker + L"b.mp4", true}, {L"https://lic.example.com" + s20, true},
        {L"https://cdn.example.com/v" + s9 + L"/", false},        {L"https://cdn.example.com/video.mp4", false},
    };
    for (const auto& c : cases) {
        const WebRequest r = Run(c.address);
        EXPECT_EQ(Has(r, pairTwo[0]) && Has(r, pairTwo[1]), c.wanted) << c.address;
        EXPECT_FALSE(Has(r, pairOne[0])) << c.address;
    }
    EXPECT_TRUE(WantsSecondIdentityPair(s20));  // exactly 20 characters is enough
}

TEST_F(ResourceFilter, EmptyIdentifiersLeaveTheirHeadersOut) {
    device.clear();
    const WebRequest r = Run(L"https://www." + backend + L"/");
    EXPECT_FALSE(Has(r, pairOne[0]));
    EXPECT_EQ(r.Header(pairOne[1]), hardware);
}

TEST_F(ResourceFilter, PlayerRefererOnlyForTheVideoSharingService) {
    ContentDescriptor content;
    content.baseAddress = L"https://school.example.org/";
    const std::wstring video = WideConstant(ConstantKey::videoMainDomain);
    const std::wstring shortVideo = WideConstant(ConstantKey::videoShortDomain);
    for (const auto& address : {L"https://www." + video + L"/embed/x", L"https://" + shortVideo + L"/x"}) {
        WebRequest r{address, {}, false};
        AddPlayerReferer(r, content);
        EXPECT_EQ(r.Header(L"referer"), L"https://school.example.org") << address;
    }
    // Only the host counts: the service named in a path, query or longer host gets nothing.
    const std::wstring others[] = {L"https://cdn.example.com/x", L"https://127.0.0.1/p/" + video + L"/x",
                                   L"https://127.0.0.1/?v=" + shortVideo, L"https://" + video + L".evil.net/x"};
    for (const auto& address : others) {
        WebRequest other{address, {}, false};
        AddPlayerReferer(other, content);
        EXPECT_FALSE(Has(other, L"Referer")) << address;
    }
    content.baseAddress = L"/";
    WebRequest empty{L"https://www." + video + L"/embed/x", {}, false};
    AddPlayerReferer(empty, content);
    EXPECT_FALSE(Has(empty, L"Referer"));
}

TEST_F(ResourceFilter, HomeHeadersCarryTheOneValue) {
    WebRequest r{L"https://anything.example.com/", {}, false};
    AddHomeHeaders(r);
    for (const auto& name : WideConstantList(ConstantKey::homeHeaderNames))
        EXPECT_EQ(r.Header(name), WideConstant(ConstantKey::homeHeaderValue)) << name;
}

TEST_F(ResourceFilter, NavigationHeadersOnlyForBackendAddresses) {
    EXPECT_FALSE(NavigationHeaders(L"https://www.example.com/", services).has_value());
    const auto headers = NavigationHeaders(L"https://WWW." + backend + L"/x", services);
    ASSERT_TRUE(headers.has_value());
    WebRequest r{L"", *headers, false};
    EXPECT_TRUE(Has(r, builtInName));
    EXPECT_EQ(r.Header(pairOne[0]), device);
    EXPECT_EQ(r.Header(pairOne[1]), hardware);
    EXPECT_EQ(r.Header(pairTwo[0]), device);
    EXPECT_EQ(r.Header(pairTwo[1]), hardware);
    EXPECT_EQ(headers->size(), 5u);
}

TEST(WebRequest, SetHeaderReplacesTheSameNameIgnoringCase) {
    WebRequest r;
    r.SetHeader(L"Referer", L"a");
    r.SetHeader(L"referer", L"b");
    ASSERT_EQ(r.headers.size(), 1u);
    EXPECT_EQ(r.Header(L"REFERER"), L"b");
}

}  // namespace
}  // namespace pellaro

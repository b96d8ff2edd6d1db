// Portable decisions of the backend client: pin lookup and lists, pin
// matching, version answers, content answers, request headers.
#include <gtest/gtest.h>

#include "core/build_constants.h"
#include "net/content_data.h"
#include "net/http_client.h"
#include "net/pin_store.h"
#include "net/pin_validation.h"
#include "net/version_check.h"
#include "core/text.h"

namespace pellaro {
namespace {

class PinStoreTest : public ::testing::Test {
protected:
    void TearDown() override { InstallDefaultPins(); }
};

TEST_F(PinStoreTest, FindPinEntryPrefersExactThenLongestDotSuffix) {
    ReplacePinStore({{L"example.com", {"a"}},
                     {L"api.example.com", {"b"}},
                     {L"Media.Example.com", {"c"}},
                     {L"deep.media.example.com", {"d"}},
                     {L"other.com", {"e"}},
                     {L"api.example.com", {"late"}}});
    struct Case {
        const wchar_t* host;
        const char* pin;
    };
    const Case cases[] = {
        {L"api.example.com", "b"},    // exact beats the suffix "example.com"; first exact wins
        {L"API.EXAMPLE.COM", "b"},    // case-insensitive
        {L"x.api.example.com", "b"},  // longer suffix wins
        {L"cdn.example.com", "a"},          {L"a.media.example.com", "c"},  // scope given in mixed case
        {L"x.deep.media.example.com", "d"}, {L"example.com", "a"},
        {L"badexample.com", nullptr},  // a letter, not a dot, before the scope
        {L"example.com.evil", nullptr},     {L"", nullptr},
    };
    for (const Case& c : cases) {
        const auto entry = FindPinEntry(c.host);
        if (!c.pin) {
            EXPECT_FALSE(entry) << std::string(c.host, c.host + wcslen(c.host));
        } else {
            ASSERT_TRUE(entry) << std::string(c.host, c.host + wcslen(c.host));
            EXPECT_EQ(entry->pins.front(), c.pin);
        }
    }
}

TEST_F(PinStoreTest, EqualLengthSuffixesKeepTheEarlierEntry) {
    ReplacePinStore({{L"aa.com", {"first"}}, {L"AA.com", {"second"}}});
    EXPECT_EQ(FindPinEntry(L"x.aa.com")->pins.front(), "first");
}

TEST_F(PinStoreTest, DefaultEntryHoldsTheBackendDomainAndFourPins) {
    InstallDefaultPins();
    const auto store = PinStoreSnapshot();
    ASSERT_EQ(store.size(), 1u);
    EXPECT_EQ(store[0].scope, WideConstant(ConstantKey::backendDomain));
    EXPECT_EQ(store[0].pins.size(), 4u);
    for (const auto& pin : store[0].pins) EXPECT_EQ(pin.size(), 44u) << pin;
}

TEST(PinList, ParsesEntriesStripsPrefixesAndSkipsJunk) {
    const auto entries = ParsePinList(R"([
        {"scope": "a.example", "pins": ["sha256/AAAA", "BBBB", "sha256/", 5, null]},
        {"scope": "empty.example", "pins": []},
        {"scope": "notarray.example", "pins": "sha256/CCCC"},
        "text", 7, {"pins": ["x"]}, {"scope": "noPins.example"},
        {"scope": "tovrel.localhost", "pins": ["DDDD"]}
    ])");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].scope, DefaultPinEntry().scope);
    EXPECT_EQ(entries[1].scope, L"a.example");
    EXPECT_EQ(entries[1].pins, (std::vector<std::string>{"AAAA", "BBBB", "sha256/"}));
    EXPECT_EQ(entries[2].pins, (std::vector<std::string>{"DDDD"}));
}

TEST_F(PinStoreTest, DynamicEntryWithTheDefaultScopeNeverWinsTheExactMatch) {
    ReplacePinStore(ParsePinList(R"([{"scope": "tovrel.localhost", "pins": ["DDDD"]}])"));
    EXPECT_EQ(FindPinEntry(L"tovrel.localhost")->pins, DefaultPinEntry().pins);
}

TEST(PinList, RejectsMalformedLists) {
    for (const char* body : {"{}", "not json", R"([{"scope": 5, "pins": ["A"]}])", "\"x\""})
        EXPECT_ANY_THROW(ParsePinList(body)) << body;
}

TEST(PinMatching, AnyElementOfTheChainMayMatch) {
    const PinEntry entry{L"h", {"root", "leaf"}};
    EXPECT_TRUE(ChainMatchesPins({{"x", L""}, {"y", L""}, {"root", L""}}, entry));
    EXPECT_TRUE(ChainMatchesPins({{"leaf", L""}}, entry));
    EXPECT_FALSE(ChainMatchesPins({{"x", L""}, {"", L""}}, entry));
    EXPECT_FALSE(ChainMatchesPins({}, entry));
}

TEST(PinMatching, ExemptionFollowsTheFirstMatchingIssuerAndRow) {
    const std::vector<SecurityProduct> table{{L"Shield CA", {L"shield.exe"}, L"shield"}, {L"", {L"any.exe"}, L"any"}};
    std::vector<std::wstring> asked;
    const auto check = [&](const SecurityProduct& p) {
        asked.push_back(p.processNames.front());
        return p.issuerMarker == L"Shield CA";
    };
    EXPECT_TRUE(SecurityProductExempts({{"p", L""}, {"q", L"My Shield CA Root"}}, table, check));
    EXPECT_EQ(asked, std::vector<std::wstring>{L"shield.exe"});
    asked.clear();
    // An empty marker occurs in every name: the second row decides for the first named element.
    EXPECT_FALSE(SecurityProductExempts({{"p", L"Other"}}, table, check));
    EXPECT_EQ(asked, std::vector<std::wstring>{L"any.exe"});
    EXPECT_FALSE(SecurityProductExempts({{"p", L""}}, table, check));  // no named issuer
    EXPECT_FALSE(SecurityProductExempts({{"p", L"Shield CA"}}, {}, check));
}

TEST_F(PinStoreTest, DecidePinsNeedsAWellFormedMatchingChain) {
    ReplacePinStore({{L"pinned.example", {"good"}}, {L"nopins.example", {}}});
    ServerChain good{true, true, {{"leaf", L"I"}, {"good", L"R"}}};
    ServerChain forged = good;
    forged.wellFormed = false;
    ServerChain unread;
    ServerChain other{true, true, {{"leaf", L"I"}}};
    EXPECT_EQ(DecidePins(L"pinned.example", good), PinVerdict::Passed);
    EXPECT_EQ(DecidePins(L"pinned.example", forged), PinVerdict::Failed);
    EXPECT_EQ(DecidePins(L"pinned.example", unread), PinVerdict::Failed);
    EXPECT_EQ(DecidePins(L"pinned.example", other), PinVerdict::Failed);
    EXPECT_EQ(DecidePins(L"nopins.example", unread), PinVerdict::NotPinned);
    EXPECT_EQ(DecidePins(L"elsewhere.example", unread), PinVerdict::NotPinned);
}

TEST_F(PinStoreTest, FailureReportOnlyForReadableBackendDomainChains) {
    std::vector<std::wstring> reported;
    SetPinFailureReporter([&](const std::wstring& host) { reported.push_back(host); });
    ReplacePinStore({{L"tovrel.localhost", {"good"}}, {L"pinned.example", {"good"}}});
    ServerChain bad{true, true, {{"bad", L"Interceptor"}}};
    EXPECT_FALSE(ValidateServerChain(L"API.tovrel.localhost", bad));
    EXPECT_FALSE(ValidateServerChain(L"pinned.example", bad));
    EXPECT_FALSE(ValidateServerChain(L"api.tovrel.localhost", ServerChain()));  // unreadable: no notice
    EXPECT_TRUE(ValidateServerChain(L"api.tovrel.localhost", {true, true, {{"good", L""}}}));
    EXPECT_EQ(reported, std::vector<std::wstring>{L"API.tovrel.localhost"});
    SetPinFailureReporter(nullptr);
}

TEST(CertificateNames, WildcardCoversOneLabelAndAddressesMatchExactly) {
    const std::vector<std::wstring> dns{L"localhost", L"*.Tovrel.localhost", L"*.x"};
    const std::vector<std::wstring> ips{L"127.0.0.1"};
    struct Case {
        const wchar_t* host;
        bool named;
    };
    for (const Case& c :
         {Case{L"localhost", true}, Case{L"api.tovrel.localhost", true}, Case{L"API.TOVREL.LOCALHOST", true},
          Case{L"a.b.tovrel.localhost", false}, Case{L"tovrel.localhost", false}, Case{L".tovrel.localhost", false},
          Case{L"127.0.0.1", true}, Case{L"127.0.0.2", false}, Case{L"a.x", false}, Case{L"", false}})
        EXPECT_EQ(CertificateNamesHost(dns, ips, c.host), c.named) << ToUtf8(c.host);
}

TEST(VersionNumber, ReadsLikeTheLibraryStringToDouble) {
    struct Case {
        const char* text;
        std::optional<double> value;
    };
    const Case cases[] = {{"4.12.0", 4.12},    {"  3.5.1", 3.5},        {"4.9", 4.9},
                          {"7", 7.0},          {"+2.5x", 2.5},          {"-1", -1.0},
                          {"1e2", 100.0},      {"abc", std::nullopt},   {"", std::nullopt},
                          {".", std::nullopt}, {"1e999", std::nullopt}, {"--1", std::nullopt}};
    for (const Case& c : cases) EXPECT_EQ(ParseVersionNumber(c.text), c.value) << c.text;
    EXPECT_EQ(CurrentVersionNumber(L"x.y"), 3.0);
    EXPECT_EQ(CurrentVersionNumber(L"4.12.0"), 4.12);
}

TEST(VersionAnswer, ComparesAsNumbersAndReadsRequiredAndLink) {
    struct Case {
        double current;
        const char* body;
        bool update;
        bool required;
        const wchar_t* link;
    };
    const Case cases[] = {
        {4.12, R"({"version": "4.9"})", true, false, L""},  // 4.9 > 4.12 as numbers
        {4.9, R"({"version": "4.12"})", false, false, L""},
        {3.0, R"({"version": 3, "is_required": 1})", false, false, L""},  // not strictly greater
        {1.0, R"({"version": "abc", "is_required": 1})", false, false, L""},
        {1.0, R"({"version": "2", "is_required": 1})", true, true, L""},
        {1.0, R"({"version": 2.5, "is_required": "1"})", true, true, L""},
        {1.0, R"({"version": 2, "is_required": 1.7})", true, true, L""},
        {1.0, R"({"version": 2, "is_required": true})", true, false, L""},
        {1.0, R"({"version": 2, "is_required": "true"})", true, false, L""},
        {1.0, R"({"version": 2, "is_required": 2})", true, false, L""},
        {1.0, R"({"version": 2, "is_required": "01"})", true, false, L""},
        {1.0, R"({"version": 2, "is_required": 4294967297})", true, false, L""},
        {1.0, R"({"version": 2, "link": 42})", true, false, L""},
        {1.0, R"({"version": 2, "link": "https://x.example/s\u00e9tup"})", true, false,
         L"https://x.example/s\u00e9tup"},
        {1.0, R"({"version": true})", false, false, L""},
        {1.0, R"({"latest": 9})", false, false, L""},
        {1.0, R"(["9"])", false, false, L""},
        {1.0, "not json", false, false, L""},
        {9.0, R"({"version": 2, "is_required": 1, "link": "https://x"})", false, false, L""},
    };
    for (const Case& c : cases) {
        const VersionInfo info = DecideVersion(c.current, c.body);
        EXPECT_EQ(info.hasUpdate, c.update) << c.body;
        EXPECT_EQ(info.isRequired, c.required) << c.body;
        EXPECT_EQ(info.link, c.link) << c.body;
    }
}

TEST(ContentAnswer, WrappedAndTopLevelItemsReadTheSame) {
    const char* item = R"({"type": "pdf", "url": "u", "video_url": "v", "watermark": "w", "item_number": 9})";
    const ContentData top = ParseContentData(item);
    const ContentData wrapped = ParseContentData(std::string(R"({"data": )") + item + "}");
    for (const ContentData& d : {top, wrapped}) {
        EXPECT_EQ(d.type, "pdf");
        EXPECT_EQ(d.url, "u");
        EXPECT_EQ(d.videoUrl, "v");
        EXPECT_EQ(d.text, "w");
        EXPECT_EQ(d.number, 9);
    }
    const ContentData ignoredWrap = ParseContentData(R"({"data": 5, "url": "top"})");
    EXPECT_EQ(ignoredWrap.url, "top");
}

TEST(ContentAnswer, DefaultsAndWrongTypes) {
    for (const char* body : {"{}", R"({"type": null, "url": null, "item_number": null})", "[]"}) {
        const ContentData d = ParseContentData(body);
        EXPECT_EQ(d.type, "video") << body;
        EXPECT_EQ(d.url, "") << body;
        EXPECT_EQ(d.number, 1) << body;
    }
    EXPECT_EQ(ParseContentData(R"({"item_number": true})").number, 1);
    EXPECT_EQ(ParseContentData(R"({"item_number": false})").number, 0);
    EXPECT_EQ(ParseContentData(R"({"item_number": 7.9})").number, 7);
    EXPECT_EQ(ParseContentData(R"({"item_number": -2147483648.5})").number, -2147483648);
    for (const char* body : {R"({"type": 5})", R"({"item_number": "7"})", R"({"url": []})", "<html>",
                             R"({"item_number": 3e47})", R"({"item_number": 2147483648})", R"({"item_number": -1e10})"})
        EXPECT_ANY_THROW(ParseContentData(body)) << body;
}

TEST(ContentRequest, BaseAddressAndFormAreNormalised) {
    EXPECT_EQ(NormalizeBaseUrl(L"api.example.com//\\/"), L"https://api.example.com");
    EXPECT_EQ(NormalizeBaseUrl(L"http://api.example.com/"), L"http://api.example.com");
    EXPECT_EQ(NormalizeBaseUrl(L"/\\"), L"");
    EXPECT_EQ(NormalizeBaseUrl(L"ab"), L"https://ab");
    EXPECT_EQ(BuildContentForm("k&y=1", "id 2/é"), Constant(ConstantKey::contentFormPrefix) + "k%26y%3D1" +
                                                       Constant(ConstantKey::contentFormSeparator) + "id%202%2F%C3%A9");
}

TEST(RequestHeaders, SortedByNameWithDeviceHeadersForBackendHosts) {
    const std::map<std::wstring, std::wstring> defaults{{L"X-Secret", L"s"}, {L"A-First", L"1"}};
    const std::wstring device = WideConstant(ConstantKey::clientDeviceHeaderName);
    const std::wstring hardware = WideConstant(ConstantKey::clientHardwareHeaderName);
    const auto backend = BuildHeaderLines(defaults, L"API.Tovrel.localhost", L"text/plain", L"dev", L"");
    std::vector<std::wstring> expected{L"A-First: 1", device + L": dev", L"X-Secret: s", L"Content-Type: text/plain"};
    std::sort(expected.begin(), expected.end() - 1);
    EXPECT_EQ(backend, expected);
    EXPECT_EQ(BuildHeaderLines(defaults, L"elsewhere.example", L"", L"dev", L"hw"),
              (std::vector<std::wstring>{L"A-First: 1", L"X-Secret: s"}));
    const auto both = BuildHeaderLines({}, L"tovrel-cdn.localhost", L"", L"dev", L"hw");
    EXPECT_EQ(both.size(), 2u);
    EXPECT_NE(std::find(both.begin(), both.end(), hardware + L": hw"), both.end());
}

TEST(RequestHeaders, OkIsExactlyTheTwoHundreds) {
    for (int status : {0, 199, 300, 301, 404, -1, 1000}) EXPECT_FALSE(IsOkStatus(status)) << status;
    for (int status : {200, 204, 299}) EXPECT_TRUE(IsOkStatus(status)) << status;
}

}  // namespace
}  // namespace pellaro

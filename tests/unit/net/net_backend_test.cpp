// The HTTPS client, pins, content data and version check against the running
// reference backend (CTest fixture reference_backend).
#include <atomic>
#include <chrono>
#include <set>
#include <cstdlib>


#include "backend_fixture.h"
#include "platform/device_identity.h"
#include "net/certificate_trust.h"
#include "net/content_data.h"
#include "net/pin_validation.h"
#include "net/test_root.h"
#include "net/version_check.h"

namespace pellaro {
namespace {

using namespace pellaro::test;

class BackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(BackendPort(), 0) << "reference backend not running";
#ifndef _WIN32
        setenv("PELLARO_TEST_CA_FILE", (std::string(PELLARO_SOURCE_DIR) + "/tests/backend/certs/test-root.pem").c_str(),
               1);
#endif
        // The demo domain plus the loopback names the tests use.
        ReplacePinStore({DefaultPinEntry(), {L"localhost", TestPins()}, {L"127.0.0.1", TestPins()}});
        ClearHostPinCache();
        SetPinFailureReporter([this](const std::wstring& host) { reported.push_back(host); });
    }
    void TearDown() override {
        SetPinFailureReporter(nullptr);
        InstallDefaultPins();
    }
    // A marker that makes this test's requests unique in the shared log.
    std::string Marker() const {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        return std::string(info->name()) + "-" + std::to_string(std::rand());
    }
    std::vector<std::wstring> reported;
};

#ifdef _WIN32
constexpr char kUntrustedChainError[] = "WinHttpSendRequest failed: 12157";

// The pre-flight's HEAD / with nothing but what WinHTTP adds itself.
bool IsBarePreflight(const nlohmann::json& request) {
    std::set<std::string> names;
    for (const auto& pair : request.at("headers")) names.insert(LowerAscii(pair.at(0).get<std::string>()));
    return request.value("method", "") == "HEAD" && request.value("path", "") == "/" &&
           names == std::set<std::string>{"connection", "host", "user-agent"};
}

#else
constexpr char kUntrustedChainError[] = "curl send failed: 60";
#endif

TEST_F(BackendTest, RedirectIsReturnedUnchangedWithoutASecondRequest) {
    HttpClient client;
    const std::string marker = Marker();
    for (int code : {301, 302}) {
        const std::string target = "https://www.tovrel.localhost/target-" + marker;
        const HttpResponse r = client.Get(
            Url(L"api.tovrel.localhost", L"/redirect/" + std::to_wstring(code) + L"?to=" + FromUtf8(target)));
        EXPECT_EQ(r.status, code);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.error.empty()) << r.error;
        EXPECT_EQ(r.body, "moved to " + target);
    }
    EXPECT_EQ(RequestsWith(marker).size(), 2u);  // the two redirects, never their target
    for (const auto& entry : RequestsWith(marker))
        EXPECT_EQ(entry.at("path").get<std::string>().rfind("/redirect/", 0), 0u) << entry.dump();
}

TEST_F(BackendTest, ErrorStatusKeepsTheJsonBodyForTheCaller) {
    HttpClient client;
    const HttpResponse r = client.Get(Url(L"api.tovrel.localhost", L"/status/404"));
    EXPECT_EQ(r.status, 404);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.empty());
    EXPECT_EQ(nlohmann::json::parse(r.body).at("message"), "status 404");
}

TEST_F(BackendTest, HeadersGoOutSortedOnceEachWithDeviceHeadersAndNoContentTypeWhenEmpty) {
    HttpClient client;
    client.SetHeader(L"X-Zeta", L"first");
    client.SetHeader(L"X-Alpha", L"a");
    client.SetHeader(L"X-Zeta", L"second");
    const std::string marker = Marker();
    const HttpResponse r = client.Get(Url(L"api.tovrel.localhost", L"/echo?m=" + FromUtf8(marker)));
    ASSERT_TRUE(r.ok) << r.error;
    const auto requests = RequestsWith(marker);
    ASSERT_EQ(requests.size(), 1u);
    std::vector<std::string> names;
    for (const auto& pair : requests[0].at("headers")) names.push_back(pair.at(0));
    const auto pos = [&](const std::string& n) { return std::find(names.begin(), names.end(), n) - names.begin(); };
    EXPECT_LT(pos("X-Alpha"), pos("X-Zeta"));
    EXPECT_EQ(HeaderOf(requests[0], "X-Zeta"), "second");
    EXPECT_EQ(HeaderOf(requests[0], "Content-Type"), "");
    EXPECT_EQ(HeaderOf(requests[0], "Accept"), "");
    EXPECT_EQ(HeaderOf(requests[0], "X-Device-Id"), ToUtf8(DeviceIdentifier()));
    EXPECT_EQ(HeaderOf(requests[0], "X-Hardware-Id"), ToUtf8(HardwareIdentifier()));
    EXPECT_FALSE(DeviceIdentifier().empty()) << "the identity headers were not exercised";
}

TEST_F(BackendTest, BodyOverTheBoundEndsTheRequestWithAnError) {
    HttpClient client;
    const HttpResponse r = client.Get(Url(L"www.tovrel.localhost", L"/big"));
    EXPECT_EQ(r.error, kBodyTooLargeError);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.body.empty());
}

TEST_F(BackendTest, UrlThatCannotBeSplitSendsNothing) {
    HttpClient client;
    for (const wchar_t* url : {L"not a url", L"ftp://localhost/x", L""}) {
        const HttpResponse r = client.Get(url);
        EXPECT_EQ(r.error, kParseUrlError) << ToUtf8(url);
        EXPECT_EQ(r.status, 0);
    }
}

TEST_F(BackendTest, InterceptedPinnedHostIsRefusedBeforeAnyRequestByte) {
    HttpClient client;
    const std::wstring host = L"intercept.tovrel.localhost";
    const std::string marker = Marker();
    const HttpResponse r = client.Get(Url(host, L"/echo?m=" + FromUtf8(marker)));
    EXPECT_EQ(r.error, PreflightPinError(host));
    EXPECT_EQ(r.error, "Pre-flight SSL Pin validation FAILED for intercept.tovrel.localhost. MITM Attack Prevented!");
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(client.PreflightDone(host));  // tried again next time
    EXPECT_EQ(reported, std::vector<std::wstring>{host});
    for (const auto& entry : BackendLog()) {
        if (entry.value("event", "") != "request" || entry.value("sni", "") != ToUtf8(host)) continue;
#ifdef _WIN32
        // Wine's WinHTTP sends the pre-flight's HEAD / whatever the handshake
        // check decided (docs/editions.md): it may come, bare.
        EXPECT_TRUE(IsBarePreflight(entry)) << "more than the bare pre-flight reached the server: " << entry.dump();
#else
        ADD_FAILURE() << "a request reached the server: " << entry.dump();
#endif
    }
    EXPECT_TRUE(RequestsWith(marker).empty());
}

TEST_F(BackendTest, ForgedAndWrongHostChainsFailThoughTheirPinsMatch) {
    for (const std::wstring host : {L"forged.tovrel.localhost", L"wronghost.tovrel.localhost"}) {
        HttpClient client;
        const HttpResponse r = client.Get(Url(host, L"/echo"));
        EXPECT_EQ(r.error, PreflightPinError(host));
        const int before = Handshakes(ToUtf8(host));
        EXPECT_FALSE(CheckHostPinsOnPort(host, BackendPort()));
        EXPECT_FALSE(CheckHostPinsOnPort(host, BackendPort()));  // not cached: probed again
        EXPECT_EQ(Handshakes(ToUtf8(host)), before + 2);
    }
}

TEST_F(BackendTest, PinnedHostThatPassesIsPreflightedOnceAndSendsOverOneConnection) {
    HttpClient client;
    const std::wstring host = L"once.tovrel.localhost";
    const std::string marker = Marker();
    for (int i = 0; i < 3; ++i) {
        const HttpResponse r = client.Get(Url(host, L"/echo?m=" + FromUtf8(marker)));
        ASSERT_TRUE(r.ok) << r.error;
    }
    EXPECT_TRUE(client.PreflightDone(host));
    EXPECT_EQ(RequestsWith(marker).size(), 3u);
#ifdef _WIN32
    // Under Wine the pre-flight's HEAD has a connection of its own (docs/editions.md).
    EXPECT_EQ(Handshakes("once.tovrel.localhost"), 2);
#else
    EXPECT_EQ(Handshakes("once.tovrel.localhost"), 1);
#endif
    int heads = 0;
    for (const auto& entry : BackendLog())
        if (entry.value("event", "") == "request" && entry.value("sni", "") == "once.tovrel.localhost" &&
            entry.value("method", "") == "HEAD")
            ++heads;
    EXPECT_EQ(heads, 1);
}

TEST_F(BackendTest, ChainChangedAfterThePreflightFailsThePostResponseCheck) {
    HttpClient control;  // 127.0.0.1 keeps the test chain, which its pins accept
    const std::wstring host = L"switch.tovrel.localhost";
    HttpClient client;
    client.SetHeader(L"Connection", L"close");  // every request on a new connection
    ASSERT_TRUE(client.Get(Url(host, L"/echo")).ok);
    ASSERT_TRUE(control
                    .Post(Url(L"127.0.0.1", L"/__control/chains"), R"({"switch.tovrel.localhost": "interceptor"})",
                          L"application/json")
                    .ok);
    const std::string marker = Marker();
    const HttpResponse r = client.Get(Url(host, L"/echo?m=" + FromUtf8(marker)));
    control.Post(Url(L"127.0.0.1", L"/__control/chains"), R"({"switch.tovrel.localhost": "test"})",
                 L"application/json");
    EXPECT_EQ(r.error, PinError(host));
#ifdef _WIN32
    // Wine's WinHTTP sends the request whatever the handshake check decided;
    // its answer is never read (docs/editions.md).
    EXPECT_EQ(RequestsWith(marker).size(), 1u);
#else
    EXPECT_TRUE(RequestsWith(marker).empty()) << "a request byte reached the interceptor";
#endif
    EXPECT_EQ(r.error, "SSL Pin validation FAILED for switch.tovrel.localhost");
    EXPECT_EQ(reported, std::vector<std::wstring>{host});
}

// A host without pins goes by the system's verification. With the private
// root trusted (Linux: PELLARO_TEST_CA_FILE, from SetUp; under Wine: a CTest
// entry of its own whose CA bundle holds it) the test chain passes.
TEST_F(BackendTest, HostWithoutPinsIsPreflightedOnceWithTheTestRootTrusted) {
    InstallDefaultPins();
    HttpClient client;
    const std::wstring host = L"vidshare.localhost";
    ASSERT_FALSE(FindPinEntry(host));
    const HttpResponse first = client.Get(Url(host, L"/embed/a"));
    EXPECT_TRUE(first.ok) << first.error;
    EXPECT_TRUE(client.PreflightDone(host));
    EXPECT_TRUE(client.Get(Url(host, L"/embed/b")).ok);
}

TEST_F(BackendTest, HostWithoutPinsIsRefusedWithoutTheTestRoot) {
    InstallDefaultPins();
#ifndef _WIN32
    unsetenv("PELLARO_TEST_CA_FILE");
#endif
    HttpClient strict;
    const HttpResponse r = strict.Get(Url(L"www.vidshare.localhost", L"/embed/c"));
    EXPECT_EQ(r.error, kUntrustedChainError);
    EXPECT_EQ(r.failure, HttpFailure::Transport);
#ifdef _WIN32
    // WinHTTP's pre-flight received the chain (no pins to check) and has done its
    // work; the request's own verification of the chain then fails.
    EXPECT_TRUE(strict.PreflightDone(L"www.vidshare.localhost"));
#else
    // curl refuses the chain inside the handshake: no chain met, asked again next time.
    EXPECT_FALSE(strict.PreflightDone(L"www.vidshare.localhost"));
#endif
    // A pinning-disabled client verifies normally too; on a host no other
    // test used (Wine's WinHTTP takes up another client's verified connection).
    HttpClient noPins;
    noPins.DisablePinning();
    EXPECT_EQ(noPins.Get(Url(L"tovrel.localhost", L"/echo")).error, kUntrustedChainError);
}

// Nothing listens: the request ends with the stack's text whether the host is
// pinned or not. No chain was received, so there is no interception and no
// notice, and the next request runs the pre-flight again.
TEST_F(BackendTest, PreflightThatCannotConnectEndsWithTheTransportError) {
    const std::wstring closed = L"https://api.tovrel.localhost:1/echo";
#ifdef _WIN32
    const std::string noConnection = "WinHttpSendRequest failed: 12029";
#else
    const std::string noConnection = "curl connect failed: 7";
#endif
    for (const bool pinned : {false, true}) {
        if (pinned) ReplacePinStore({DefaultPinEntry(), {L"localhost", TestPins()}});
        else ReplacePinStore({});
        HttpClient client;
        const HttpResponse r = client.Get(closed);
        EXPECT_EQ(r.error, noConnection) << pinned;
        EXPECT_EQ(r.failure, HttpFailure::Transport) << pinned;
        EXPECT_EQ(r.status, 0) << pinned;
        EXPECT_FALSE(client.PreflightDone(L"api.tovrel.localhost")) << pinned;
    }
    EXPECT_TRUE(reported.empty());  // the backend's own domain, where an interception would be reported
}

TEST_F(BackendTest, ServerThatNeverAnswersEndsInAReceiveError) {
    HttpClient client;
    ASSERT_TRUE(client.Get(Url(L"api.tovrel.localhost", L"/echo")).ok);
    const HttpResponse r = client.Put(Url(L"api.tovrel.localhost", L"/api/app/content-data?delay=1"),
                                      "content_link_id=silent", L"application/x-www-form-urlencoded");
    EXPECT_EQ(r.status, 0);
#ifdef _WIN32
    EXPECT_EQ(r.error.rfind("WinHttpReceiveResponse failed: ", 0), 0u) << r.error;
#else
    EXPECT_EQ(r.error, "curl receive failed: 52");
#endif
}

TEST_F(BackendTest, DynamicPinsReplaceTheStoreOrLeaveItUntouched) {
    const std::wstring base = Url(L"api.tovrel.localhost", L"/api/app/pins?answer=");
    const auto before = PinStoreSnapshot();
    for (const wchar_t* answer : {L"not-json", L"not-array", L"bad-scope", L"error", L"bad-utf8"}) {
        EXPECT_FALSE(LoadDynamicPinsFrom(base + answer)) << ToUtf8(answer);
        ASSERT_EQ(PinStoreSnapshot().size(), before.size());
    }
    ASSERT_TRUE(LoadDynamicPinsFrom(base + L"default"));
    const auto store = PinStoreSnapshot();
    ASSERT_EQ(store.size(), 3u);
    EXPECT_EQ(store[0].scope, DefaultPinEntry().scope);
    EXPECT_EQ(store[1].scope, L"media.tovrel.localhost");
    EXPECT_EQ(store[1].pins, std::vector<std::string>{PinOf("test-leaf")});
    EXPECT_EQ(store[2].pins, (std::vector<std::string>{PinOf("test-root"), "sha256/"}));
    // The secret went out, and stays on the shared client.
    const auto requests = RequestsWith("/api/app/pins?answer=default");
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(HeaderOf(requests.back(), "X-Secret"), "demo-pin-secret-7f3a9c21");
}

TEST_F(BackendTest, ContentDataAnswersAndErrors) {
    const std::wstring base = Url(L"api.tovrel.localhost", L"/");
    std::string error;
    const auto wrapped = GetContentData(base, "lesson-wrapped", "key", &error);
    const auto plain = GetContentData(base, "lesson-plain", "key", &error);
    ASSERT_TRUE(wrapped && plain) << error;
    EXPECT_EQ(wrapped->url, "https://www.tovrel.localhost/content/lesson.html");
    EXPECT_EQ(wrapped->url, plain->url);
    EXPECT_EQ(wrapped->number, 7);
    EXPECT_EQ(wrapped->text, "student@example.com");

    struct Case {
        const char* id;
        const char* error;
    };
    for (const Case& c : {Case{"not-found", "Content not found"}, Case{"forbidden", "Your subscription has ended"},
                          Case{"server-error", "Internal server error"}, Case{"plain-error", ""}, Case{"not-json", ""},
                          Case{"wrong-type", ""},
                          // Invalid UTF-8 in every text member: no item, and no message either.
                          Case{"bad-utf8", ""}, Case{"bad-utf8-message", ""}}) {
        std::string text;
        EXPECT_FALSE(GetContentData(base, c.id, "key", &text)) << c.id;
        EXPECT_EQ(text, c.error) << c.id;
    }
    std::string transport;
    HttpFailure failure = HttpFailure::None;
    EXPECT_FALSE(GetContentData(L"https://api.tovrel.localhost:1", "x", "k", &transport, &failure));
    EXPECT_FALSE(transport.empty());
    EXPECT_EQ(failure, HttpFailure::Transport);
    std::string message;
    EXPECT_FALSE(GetContentData(base, "not-found", "key", &message, &failure));
    EXPECT_EQ(failure, HttpFailure::Status);
}

TEST_F(BackendTest, ContentDataFormIsPercentEncodedWithItsHeaders) {
    const std::string marker = Marker();
    const std::wstring base = Url(L"api.tovrel.localhost", L"");
    GetContentData(base, "lesson-plain&x=" + marker, "a b&c", nullptr);
    std::vector<nlohmann::json> puts;
    for (const auto& entry : BackendLog())
        if (entry.value("method", "") == "PUT" && entry.value("body", "").find(marker) != std::string::npos)
            puts.push_back(entry);
    ASSERT_EQ(puts.size(), 1u);
    EXPECT_EQ(puts[0].at("body"), "link_key=a%20b%26c&content_link_id=lesson-plain%26x%3D" + marker);
    EXPECT_EQ(HeaderOf(puts[0], "Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(HeaderOf(puts[0], "X-Client-Platform"), "pellaro-desktop");
    EXPECT_EQ(HeaderOf(puts[0], "X-Device-Id"), ToUtf8(DeviceIdentifier()));
}

TEST_F(BackendTest, VersionCheckAgainstTheBackend) {
    const std::wstring base = Url(L"api.tovrel.localhost", L"/");
    // The base address gets the version path; the answer is chosen through the control surface.
    const VersionInfo current = CheckVersion(4.12, base);
    EXPECT_FALSE(current.hasUpdate);
    const std::wstring answers = Url(L"api.tovrel.localhost", L"/__control/answers");
    HttpClient pinned;
    ASSERT_TRUE(pinned.Post(answers, R"({"version": "required"})", L"application/json").ok);
    const VersionInfo required = CheckVersion(4.12, base);
    pinned.Post(answers, R"({"version": "current"})", L"application/json");
    EXPECT_TRUE(required.hasUpdate);
    EXPECT_TRUE(required.isRequired);
    EXPECT_EQ(required.link, L"https://www.tovrel.localhost/download/pellaro-setup.exe");
    EXPECT_TRUE(current.error.empty()) << current.error;
    const VersionInfo unreachable = CheckVersion(4.12, L"https://api.tovrel.localhost:1");
    EXPECT_FALSE(unreachable.hasUpdate);
    EXPECT_FALSE(unreachable.error.empty());
    // Invalid UTF-8 in its texts: no update, like any unreadable answer.
    const HttpResponse badText = pinned.Get(Url(L"api.tovrel.localhost", L"/api/app/version?answer=bad-utf8"));
    ASSERT_TRUE(badText.ok) << badText.error;
    EXPECT_FALSE(DecideVersion(4.12, badText.body).hasUpdate);
}

TEST_F(BackendTest, CheckHostPinsCachesPassesButNotFailures) {
    const std::wstring host = L"probe.tovrel.localhost";
    EXPECT_TRUE(CheckHostPinsOnPort(host, BackendPort()));
    const int after = Handshakes("probe.tovrel.localhost");
    EXPECT_TRUE(CheckHostPinsOnPort(host, BackendPort()));
    EXPECT_EQ(Handshakes("probe.tovrel.localhost"), after);  // answered from the cache
    EXPECT_FALSE(CheckHostPinsOnPort(L"intercept.tovrel.localhost", BackendPort()));
    EXPECT_EQ(reported, std::vector<std::wstring>{L"intercept.tovrel.localhost"});
    EXPECT_TRUE(CheckHostPinsOnPort(L"unpinned.example", BackendPort()));  // no entry: no network
}

// A probe that met no chain (nothing listening, a handshake ended at once)
// gives no verdict: the request is allowed and the next one is probed again,
// never waved through. Only a pass is remembered.
class ProbeTest : public BackendTest {
protected:
    const std::wstring host = L"probe-again.tovrel.localhost";
    void Serve(const char* chain) { Switch(R"({"probe-again.tovrel.localhost": ")" + std::string(chain) + "\"}"); }
    void Switch(const std::string& body) {
        HttpClient control;
        ASSERT_TRUE(control.Post(Url(L"api.tovrel.localhost", L"/__control/chains"), body, L"application/json").ok);
    }
    void TearDown() override {
        Serve("test");
        BackendTest::TearDown();
    }
};

TEST_F(ProbeTest, ProbeWithoutAnAnswerIsAskedAgainNextTime) {
    ASSERT_TRUE(PinsDecideTrust(host));
    Serve("interceptor");
    EXPECT_TRUE(CheckHostPinsOnPort(host, 1));               // nothing listens there: no verdict, allowed
    EXPECT_FALSE(CheckHostPinsOnPort(host, BackendPort()));  // then reachable: probed, and refused
    Serve("drop");
    EXPECT_TRUE(CheckHostPinsOnPort(host, BackendPort()));  // no chain: no verdict, allowed
    Serve("interceptor");
    EXPECT_FALSE(CheckHostPinsOnPort(host, BackendPort()));
    EXPECT_EQ(reported, (std::vector<std::wstring>{host, host}));  // the two refusals, nothing else
    Serve("test");
    EXPECT_TRUE(CheckHostPinsOnPort(host, BackendPort()));
    Serve("interceptor");
    EXPECT_TRUE(CheckHostPinsOnPort(host, BackendPort()));  // a pass is remembered
}

TEST_F(BackendTest, OneHandshakePerHostAcrossPinsVersionContentAndPageScript) {
    const std::wstring host = L"seq.tovrel.localhost";
    const std::wstring base = Url(host, L"");
    ASSERT_TRUE(LoadDynamicPinsFrom(base + L"/api/app/pins"));
    CheckVersion(4.12, base);
    ASSERT_TRUE(GetContentData(base, "lesson-wrapped", "k", nullptr));
    CheckVersion(4.12, base);
    HttpClient pageScriptClient;
    pageScriptClient.DisablePinning();
    const HttpResponse script = pageScriptClient.Get(base + L"/api/app/page-script/11");
    ASSERT_TRUE(script.ok) << script.error;
    // The shared client: one handshake, its pre-flight included; the private client: one.
    EXPECT_EQ(Handshakes("seq.tovrel.localhost"), 2);
}

#ifdef _WIN32
// Under Wine only "localhost" and addresses resolve, so the refused chains are
// served to connections without a name (127.0.0.1) for the length of a test.
class NamelessChainTest : public BackendTest {
protected:
    void Serve(const char* chain) {
        HttpClient control;  // over "localhost", which stays on the test chain
        // Whether the client names the address in its SNI or not.
        const std::string body = std::string(R"({"": ")") + chain + R"(", "127.0.0.1": ")" + chain + "\"}";
        ASSERT_TRUE(control.Post(Url(L"localhost", L"/__control/chains"), body, L"application/json").ok);
    }
    void TearDown() override {
        Serve("test");
        BackendTest::TearDown();
    }
};

TEST_F(NamelessChainTest, InterceptorAndForgedChainsAreRefusedBeforeAnyRequestByte) {
    for (const char* chain : {"interceptor", "forged", "wronghost"}) {
        Serve(chain);
        HttpClient client;
        const std::string marker = Marker() + chain;
        const HttpResponse r = client.Get(Url(L"127.0.0.1", L"/echo?m=" + FromUtf8(marker)));
        EXPECT_EQ(r.error, PreflightPinError(L"127.0.0.1")) << chain;
        EXPECT_FALSE(client.PreflightDone(L"127.0.0.1"));
        EXPECT_TRUE(RequestsWith(marker).empty()) << chain;
        EXPECT_FALSE(CheckHostPinsOnPort(L"127.0.0.1", BackendPort())) << chain;
    }
    EXPECT_TRUE(reported.empty());  // 127.0.0.1 is outside the backend's domain
}

// What a refused chain still gets from the Windows edition under Wine: its
// WinHTTP ignores the cancellation in the sending-request callback, so the
// pre-flight's HEAD / goes out, with nothing but what WinHTTP adds itself; the
// request behind it, with the program's headers, never does. (The Linux
// edition sends nothing: InterceptedPinnedHostIsRefusedBeforeAnyRequestByte.)
TEST_F(NamelessChainTest, RefusedChainGetsOnlyTheBarePreflightUnderWine) {
    Serve("interceptor");
    const std::size_t before = BackendLog().size();
    HttpClient client;
    client.SetHeader(L"X-Secret", L"must-not-leave");
    const HttpResponse r = client.Get(Url(L"127.0.0.1", L"/echo"));
    EXPECT_EQ(r.error, PreflightPinError(L"127.0.0.1"));
    const auto log = BackendLog();
    std::vector<nlohmann::json> arrived;
    for (std::size_t i = before; i < log.size(); ++i)
        if (log[i].value("event", "") == "request" && log[i].value("host", "") == "127.0.0.1")
            arrived.push_back(log[i]);
    ASSERT_EQ(arrived.size(), 1u);
    EXPECT_EQ(arrived[0].value("method", ""), "HEAD");
    EXPECT_EQ(arrived[0].value("path", ""), "/");
    std::set<std::string> names;
    for (const auto& pair : arrived[0].at("headers")) names.insert(LowerAscii(pair.at(0).get<std::string>()));
    EXPECT_EQ(names, (std::set<std::string>{"connection", "host", "user-agent"}));
}

TEST_F(BackendTest, HostWithoutPinsUsesTheSystemVerification) {
    // The private test root is not in Wine's store: without pins the chain is refused.
    ReplacePinStore({{L"localhost", TestPins()}});
    HttpClient client;
    const HttpResponse unpinned = client.Get(Url(L"127.0.0.1", L"/echo"));
    EXPECT_EQ(unpinned.error.rfind("WinHttpSendRequest failed: ", 0), 0u) << unpinned.error;
    EXPECT_EQ(unpinned.failure, HttpFailure::Transport);
    // The pre-flight reads the chain with certificate errors left to the pins
    // (there are none here): it passed, and the request itself was refused.
    EXPECT_TRUE(client.PreflightDone(L"127.0.0.1"));
    HttpClient noPins;
    noPins.DisablePinning();
    const HttpResponse disabled = noPins.Get(Url(L"localhost", L"/echo"));
    EXPECT_EQ(disabled.error.rfind("WinHttpSendRequest failed: ", 0), 0u) << disabled.error;
    EXPECT_TRUE(client.Get(Url(L"localhost", L"/echo")).ok);  // the pinned name still passes
}

TEST_F(NamelessChainTest, ChainChangedAfterThePreflightIsRefusedBeforeTheRequestIsSent) {
    HttpClient client;
    client.SetHeader(L"Connection", L"close");
    const HttpResponse first = client.Get(Url(L"127.0.0.1", L"/echo"));
    ASSERT_TRUE(first.ok) << first.error;
    Serve("interceptor");
    const std::string marker = Marker();
    const HttpResponse r = client.Get(Url(L"127.0.0.1", L"/echo?m=" + FromUtf8(marker)));
    EXPECT_EQ(r.error, PinError(L"127.0.0.1"));
    // Windows cancels the request when the handshake check closes its handle;
    // Wine's WinHTTP still sends it, so only the outcome is checked here.
}
#endif

// The hostile answers of the backend and how each edition's client ends them.
struct HostileCase {
    const char* fault;
    const char* error;      // empty: the request succeeds with the whole body
    bool cutShort = false;  // succeeds with only the start of the body
};
#ifdef _WIN32
const HostileCase kHostileCases[] = {
    {"reset-mid-body", "WinHttpQueryDataAvailable failed: 10054"},
    {"short-body", "WinHttpReadData failed: 12030"},
    // Wine's WinHTTP takes the broken chunk size for the last chunk: only
    // the answer's own reading (JSON) can tell.
    {"broken-chunked", "", true},
    {"endless-headers", kDeadlineError},
    {"drip-body", kDeadlineError},
    {"no-close-notify", ""},
    {"huge-header", ""},  // Wine keeps the first 1460 bytes of the line
};
#else
const HostileCase kHostileCases[] = {
    {"reset-mid-body", "curl receive failed: 56"},
    {"short-body", "curl receive failed: 18"},
    {"broken-chunked", "curl receive failed: 56"},
    {"endless-headers", kDeadlineError},
    {"drip-body", kDeadlineError},
    {"no-close-notify", ""},  // the length is the connection's: a complete answer
    {"huge-header", "curl receive failed: 27"},
};
#endif
constexpr std::chrono::milliseconds kHostileDeadline{4000};
constexpr std::chrono::milliseconds kMargin{5000};  // for a busy machine

// Each ends with its own failure within the client's limits, and a failed
// request never hands over the part of the body that came.
TEST_F(BackendTest, HostileAnswersEndWithTheirErrorInTime) {
    using namespace std::chrono;
    for (const HostileCase& c : kHostileCases) {
        HttpClient client;  // a connection left broken by one case is not reused by the next
        client.SetDeadline(kHostileDeadline);
        ASSERT_TRUE(client.Get(Url(L"api.tovrel.localhost", L"/echo")).ok);  // pre-flight done
        const auto start = steady_clock::now();
        // The server gives up dripping after 15 s, long after the client has left.
        const HttpResponse r = client.Get(Url(L"api.tovrel.localhost", L"/fault/" + FromUtf8(c.fault) + L"?limit=15"));
        const auto took = duration_cast<milliseconds>(steady_clock::now() - start);
        EXPECT_EQ(r.error, c.error) << c.fault;
        EXPECT_LT(took, kHostileDeadline + kMargin) << c.fault;
        const auto answer = nlohmann::json::parse(r.body, nullptr, false);
        if (*c.error) {
            EXPECT_EQ(r.status, 0) << c.fault;
            EXPECT_TRUE(r.body.empty()) << c.fault;
        } else {
            EXPECT_EQ(r.status, 200) << c.fault;
            EXPECT_EQ(answer.is_discarded(), c.cutShort) << c.fault;
        }
        // Still usable; but Wine reuses the connection a cut-short answer left
        // behind, so there only the request after next is sure to get through.
        if (c.cutShort) client.Get(Url(L"api.tovrel.localhost", L"/echo"));
        EXPECT_TRUE(client.Get(Url(L"api.tovrel.localhost", L"/echo")).ok) << c.fault;
    }
}

// The same answers to the content-data call: an item comes only when the
// whole answer did; otherwise the call fails with the client's error.
TEST_F(BackendTest, ContentDataOverHostileAnswersGivesNoPartialItem) {
    const std::wstring control = Url(L"api.tovrel.localhost", L"/__control/fault");
    // A host of its own, so that tests running beside this one keep their answers.
    const std::wstring host = L"faults.tovrel.localhost";
    const std::string where = R"({"path": "/api/app/content-data", "host": ")" + ToUtf8(host) + "\"";
    HttpClient::Shared().SetDeadline(kHostileDeadline);
#ifdef _WIN32
    // Wine reuses the connection a cut-short answer left behind and does not
    // retry on it; each case gets a connection of its own.
    HttpClient::Shared().SetHeader(L"Connection", L"close");
#endif
    for (const HostileCase& c : kHostileCases) {
        HttpClient setter;
        const HttpResponse set = setter.Post(control, where + R"(, "fault": ")" + c.fault + "\"}", L"application/json");
        ASSERT_TRUE(set.ok) << c.fault << ": " << set.error << " " << set.status;
        std::string error;
        const auto item = GetContentData(Url(host, L""), "lesson-wrapped", "key", &error);
        EXPECT_EQ(item.has_value(), !*c.error && !c.cutShort) << c.fault;
        EXPECT_EQ(error, c.error) << c.fault;
        if (item) {
            EXPECT_EQ(item->number, 7) << c.fault;
        }
        // Under Wine the connection a cut-short answer left behind is taken
        // once more all the same; a request of no account uses it up.
        if (c.cutShort) HttpClient::Shared().Get(Url(host, L"/echo"));
    }
    HttpClient setter;
    setter.Post(control, where + "}", L"application/json");
    HttpClient::Shared().SetDeadline(kDefaultRequestDeadline);
}

// A handshake that stalls after the ClientHello: the deadline ends the request
// whether the pre-flight or the request itself meets it. Under Wine only
// addresses name other hosts, so there the nameless connections stall.
class StallingHandshakeTest : public BackendTest {
protected:
#ifdef _WIN32
    const std::wstring host = L"127.0.0.1";
    void Stall(const char* chain) { Switch(std::string(R"({"": ")") + chain + R"(", "127.0.0.1": ")" + chain + "\"}"); }
#else
    // A name of this test's own: tests running beside it keep their handshakes.
    const std::wstring host = L"stall-" +
                              FromUtf8(LowerAscii(::testing::UnitTest::GetInstance()->current_test_info()->name())) +
                              L".tovrel.localhost";
    void Stall(const char* chain) { Switch(R"({")" + ToUtf8(host) + R"(": ")" + chain + "\"}"); }
#endif
    void Switch(const std::string& body) {
        HttpClient control;
        ASSERT_TRUE(control.Post(Url(L"api.tovrel.localhost", L"/__control/chains"), body, L"application/json").ok);
    }
    void TearDown() override {
        Stall("test");
        BackendTest::TearDown();
    }
};

TEST_F(StallingHandshakeTest, EndsAtTheDeadline) {
    using namespace std::chrono;
    constexpr milliseconds kDeadline{3000};
    HttpClient fresh;  // meets the stall in its pre-flight
    fresh.SetDeadline(kDeadline);
    HttpClient warm;  // has done its pre-flight; its next connection stalls
    warm.SetDeadline(kDeadline);
    warm.SetHeader(L"Connection", L"close");
    ASSERT_TRUE(warm.Get(Url(host, L"/echo")).ok);
    Stall("stall");
    for (HttpClient* client : {&fresh, &warm}) {
        const auto start = steady_clock::now();
        const HttpResponse r = client->Get(Url(host, L"/echo"));
        const auto took = duration_cast<milliseconds>(steady_clock::now() - start);
        EXPECT_EQ(r.error, kDeadlineError);
        EXPECT_EQ(r.status, 0);
        EXPECT_GE(took, kDeadline - milliseconds(100));
        EXPECT_LT(took, kDeadline + milliseconds(5000));
    }
    EXPECT_FALSE(fresh.PreflightDone(host));  // tried again by the next request
}

#ifndef _WIN32
// Wine's WinHTTP sets no time-out on the TLS handshake: there only the deadline
// ends it (above); curl's connect time-out covers the handshake.
TEST_F(StallingHandshakeTest, WithTheDefaultDeadlineEndsAtTheConnectTimeOut) {
    using namespace std::chrono;
    HttpClient client;
    client.SetHeader(L"Connection", L"close");
    ASSERT_TRUE(client.Get(Url(host, L"/echo")).ok);  // the pre-flight is done: one stall, not two
    Stall("stall");
    const auto start = steady_clock::now();
    const HttpResponse r = client.Get(Url(host, L"/echo"));
    const auto took = duration_cast<seconds>(steady_clock::now() - start);
    EXPECT_EQ(r.error, "curl send failed: 28");
    EXPECT_LT(took, seconds(20 + 5));
}
#endif

#ifndef _WIN32
// This build is not a release: the browser engine may trust the reference
// backend's private root, as the program's own client does, for hosts without
// pins only; never another root, a leaf for another host, or without the variable.
TEST(TestRoot, TrustsOnlyItsOwnChainsForHostsWithoutPins) {
    InstallDefaultPins();
    setenv("PELLARO_TEST_CA_FILE", (std::string(PELLARO_SOURCE_DIR) + "/tests/backend/certs/test-root.pem").c_str(), 1);
    const std::vector<std::string> test = ChainDer("test-chain.pem");
    ASSERT_EQ(test.size(), 3u);
    EXPECT_TRUE(ChainTrustedByTestRoot(test, L"www.vidshare.localhost"));
    EXPECT_TRUE(ChainTrustedByTestRoot({test[0], test[1]}, L"meet.localhost"));  // the root from the file
    EXPECT_TRUE(ChainTrustedByTestRoot(test, L"127.0.0.1"));
    EXPECT_FALSE(ChainTrustedByTestRoot(test, L"api.tovrel.localhost"));         // pinned: the pins decide alone
    EXPECT_FALSE(ChainTrustedByTestRoot(test, L"other.example"));                // the leaf does not name it
    EXPECT_FALSE(ChainTrustedByTestRoot({test[0]}, L"www.vidshare.localhost"));  // no way to the root
    EXPECT_FALSE(ChainTrustedByTestRoot(ChainDer("interceptor-chain.pem"), L"www.vidshare.localhost"));
    EXPECT_FALSE(ChainTrustedByTestRoot(ChainDer("wronghost-chain.pem"), L"www.vidshare.localhost"));
    EXPECT_FALSE(ChainTrustedByTestRoot(ChainDer("forged-chain.pem"), L"www.vidshare.localhost"));
    EXPECT_FALSE(ChainTrustedByTestRoot({"not a certificate"}, L"www.vidshare.localhost"));
    EXPECT_FALSE(ChainTrustedByTestRoot({}, L"www.vidshare.localhost"));
    unsetenv("PELLARO_TEST_CA_FILE");
    EXPECT_FALSE(ChainTrustedByTestRoot(test, L"www.vidshare.localhost"));
}
#endif

TEST(SpkiPin, MatchesTheOpensslCommandLine) {
    for (const char* name : {"test-root", "test-intermediate", "test-leaf"})
        EXPECT_EQ(SpkiPinOfCertificate(CertificateDer(std::string(name) + ".pem")), PinOf(name)) << name;
    EXPECT_EQ(SpkiPinOfCertificate("not a certificate"), "");
}

}  // namespace
}  // namespace pellaro

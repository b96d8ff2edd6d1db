// The request sequence both editions share, run over a scripted transport:
// pre-flight bookkeeping, the pin checks around the response, failure texts,
// and which hosts leave certificate errors to their pins.
#include <gtest/gtest.h>

#include "net/certificate_trust.h"
#include "net/http_client.h"
#include "net/http_transport.h"
#include "net/pin_store.h"
#include "core/text.h"

namespace pellaro {
namespace {

const std::wstring kPinned = L"api.tovrel.localhost";  // in the backend's domain: failures are reported
const std::wstring kUnpinned = L"elsewhere.example";

ServerChain ChainWithPin(const std::string& pin) {
    ServerChain chain;
    chain.read = true;
    chain.wellFormed = true;
    chain.elements.push_back({pin, L"Test Root"});
    return chain;
}

// Answers as scripted and records what the sequence asked of it.
class ScriptedTransport final : public HttpTransport {
public:
    bool secure = true;
    PreflightAttempt preflight;
    ExchangeResult exchange;
    ServerChain responseChain;
    std::vector<std::string> bodyChunks;

    int preflights = 0;
    int exchanges = 0;
    bool preflightHadHandshakeCheck = false;
    bool exchangeHadHandshakeCheck = false;
    bool exchangeHadResponseCheck = false;
    std::size_t chunksTaken = 0;
    Deadline preflightDeadline;
    Deadline exchangeDeadline;

    bool Split(const std::wstring& url, RequestTarget& target) override {
        if (url == L"unsplittable") return false;
        target.url = url;
        target.host = url;
        target.port = 443;
        target.secure = secure;
        return true;
    }
    PreflightAttempt Preflight(const RequestTarget&, const HandshakeCheckFn& handshakeCheck,
                               Deadline deadline) override {
        ++preflights;
        preflightDeadline = deadline;
        preflightHadHandshakeCheck = static_cast<bool>(handshakeCheck);
        return preflight;
    }
    ExchangeResult Exchange(const RequestTarget&, const ExchangeRequest& request) override {
        ++exchanges;
        exchangeDeadline = request.deadline;
        exchangeHadHandshakeCheck = static_cast<bool>(request.handshakeCheck);
        exchangeHadResponseCheck = static_cast<bool>(request.responseCheck);
        if (exchange.refused || !exchange.error.empty()) return exchange;
        if (request.responseCheck && !request.responseCheck(responseChain)) return ExchangeResult{};
        for (const std::string& chunk : bodyChunks) {
            ++chunksTaken;
            if (!request.bodyChunk(chunk)) break;
        }
        return exchange;
    }
};

class RequestSequenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ReplacePinStore({{kPinned, {"PIN-A"}}, {L"nopins.example", {}}});
        reported.clear();
        SetPinFailureReporter([this](const std::wstring& host) { reported.push_back(host); });
        auto owned = std::make_unique<ScriptedTransport>();
        transport = owned.get();
        transport->exchange.status = 200;
        transport->responseChain = ChainWithPin("PIN-A");
        transport->bodyChunks = {"he", "llo"};
        client = std::make_unique<HttpClient>(std::move(owned));
    }
    void TearDown() override {
        SetPinFailureReporter(nullptr);
        InstallDefaultPins();
    }
    ScriptedTransport* transport = nullptr;
    std::unique_ptr<HttpClient> client;
    std::vector<std::wstring> reported;
};

// Only a received chain that fails its pins is an interception (the
// pre-flight's text, the notice for the backend's domain); a pre-flight that
// met no chain because it could not connect, send or get an answer ends with
// the stack's text. Only a pre-flight that passed counts as done; a chain
// that passed has done its work whatever the HEAD met afterwards.
TEST_F(RequestSequenceTest, PreflightEndsTheRequestOnlyOnItsOwnFailure) {
    enum class Outcome { Goes, Intercepted, Unreachable };
    struct Case {
        const char* name;
        std::wstring host;
        PreflightAttempt attempt;
        Outcome outcome;
        bool reported;
    };
    PreflightAttempt answeredNoChain;
    PreflightAttempt passing;
    passing.chain = ChainWithPin("PIN-A");
    PreflightAttempt otherPin;
    otherPin.chain = ChainWithPin("PIN-X");
    PreflightAttempt refusedInHandshake;
    refusedInHandshake.refused = true;
    PreflightAttempt noConnection;
    noConnection.error = "transport text: 7";
    PreflightAttempt passedThenNoAnswer = passing;
    passedThenNoAnswer.error = "transport text: 52";
    PreflightAttempt failedThenNoAnswer = otherPin;
    failedThenNoAnswer.error = "transport text: 52";
    const Case cases[] = {
        {"answered, host without pins", kUnpinned, answeredNoChain, Outcome::Goes, false},
        {"pinned chain passes", kPinned, passing, Outcome::Goes, false},
        {"pinned chain passed, then no answer to the HEAD", kPinned, passedThenNoAnswer, Outcome::Goes, false},
        {"pinned host answered, its chain unreadable", kPinned, answeredNoChain, Outcome::Intercepted, false},
        {"pinned host, chain with another pin", kPinned, otherPin, Outcome::Intercepted, true},
        {"pinned host, chain failed, then no answer", kPinned, failedThenNoAnswer, Outcome::Intercepted, true},
        {"pinned host, refused in the handshake", kPinned, refusedInHandshake, Outcome::Intercepted, true},
        {"pinned host, no connection", kPinned, noConnection, Outcome::Unreachable, false},
        {"host without pins, no connection", kUnpinned, noConnection, Outcome::Unreachable, false},
    };
    for (const Case& c : cases) {
        SetUp();
        transport->preflight = c.attempt;
        const HttpResponse r = client->Get(c.host);
        EXPECT_EQ(transport->preflights, 1) << c.name;
        EXPECT_EQ(client->PreflightDone(c.host), c.outcome == Outcome::Goes) << c.name;
        EXPECT_EQ(reported.size(), c.reported ? 1u : 0u) << c.name;
        switch (c.outcome) {
            case Outcome::Goes:
                EXPECT_TRUE(r.ok) << c.name << ": " << r.error;
                EXPECT_EQ(r.failure, HttpFailure::None) << c.name;
                EXPECT_EQ(r.body, "hello") << c.name;
                break;
            case Outcome::Intercepted:
                EXPECT_EQ(r.error, PreflightPinError(c.host)) << c.name;
                EXPECT_EQ(r.failure, HttpFailure::Pins) << c.name;
                break;
            case Outcome::Unreachable:
                EXPECT_EQ(r.error, c.attempt.error) << c.name;
                EXPECT_EQ(r.failure, HttpFailure::Transport) << c.name;
                break;
        }
        if (c.outcome != Outcome::Goes) {
            EXPECT_EQ(r.status, 0) << c.name;
            EXPECT_EQ(transport->exchanges, 0) << c.name;  // nothing else is sent
        }
        client->Get(c.host);
        EXPECT_EQ(transport->preflights, c.outcome == Outcome::Goes ? 1 : 2) << c.name;
    }
}

TEST_F(RequestSequenceTest, OnlyPinnedHostsAreCheckedInTheHandshake) {
    transport->preflight.chain = ChainWithPin("PIN-A");
    client->Get(kPinned);
    EXPECT_TRUE(transport->preflightHadHandshakeCheck);
    EXPECT_TRUE(transport->exchangeHadHandshakeCheck);
    for (const wchar_t* host : {L"elsewhere.example", L"nopins.example"}) {
        client->Get(host);
        EXPECT_FALSE(transport->preflightHadHandshakeCheck) << ToUtf8(host);
        EXPECT_FALSE(transport->exchangeHadHandshakeCheck) << ToUtf8(host);
        EXPECT_TRUE(transport->exchangeHadResponseCheck) << ToUtf8(host);
    }
}

TEST_F(RequestSequenceTest, PlainHttpAndDisabledPinningSkipEveryPinCheck) {
    transport->secure = false;
    EXPECT_TRUE(client->Get(kPinned).ok);
    transport->secure = true;
    client->DisablePinning();
    EXPECT_TRUE(client->Get(kPinned).ok);
    EXPECT_EQ(transport->preflights, 0);
    EXPECT_FALSE(transport->exchangeHadHandshakeCheck);
    EXPECT_FALSE(transport->exchangeHadResponseCheck);
}

TEST_F(RequestSequenceTest, ExchangeFailuresAndTheirTextsAndKinds) {
    transport->preflight.chain = ChainWithPin("PIN-A");

    transport->exchange.refused = true;
    HttpResponse r = client->Get(kPinned);
    EXPECT_EQ(r.error, PinError(kPinned));
    EXPECT_EQ(r.failure, HttpFailure::Pins);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(reported, std::vector<std::wstring>{kPinned});

    transport->exchange.refused = false;
    transport->responseChain = ChainWithPin("PIN-X");
    r = client->Get(kPinned);
    EXPECT_EQ(r.error, PinError(kPinned));
    EXPECT_EQ(r.failure, HttpFailure::Pins);
    EXPECT_EQ(transport->chunksTaken, 0u);  // the body of a refused response is not read

    transport->responseChain = ChainWithPin("PIN-A");
    transport->exchange.error = "transport text: 7";
    const std::size_t reportsBefore = reported.size();
    r = client->Get(kPinned);
    EXPECT_EQ(r.error, "transport text: 7");
    EXPECT_EQ(r.failure, HttpFailure::Transport);
    EXPECT_EQ(FailureText(r), "transport text: 7");
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(reported.size(), reportsBefore);  // no answer is no interception

    transport->exchange.error.clear();
    transport->exchange.status = 404;
    r = client->Get(kPinned);
    EXPECT_EQ(r.failure, HttpFailure::Status);
    EXPECT_TRUE(r.error.empty());
    EXPECT_EQ(r.body, "hello");
    EXPECT_EQ(FailureText(r), "status 404");

    r = client->Get(L"unsplittable");
    EXPECT_EQ(r.error, kParseUrlError);
    EXPECT_EQ(r.failure, HttpFailure::Parse);
}

TEST_F(RequestSequenceTest, OneDeadlineCoversThePreflightAndTheRequest) {
    using namespace std::chrono;
    client->SetDeadline(seconds(7));
    transport->preflight.chain = ChainWithPin("PIN-A");
    const auto before = steady_clock::now();
    ASSERT_TRUE(client->Get(kPinned).ok);
    EXPECT_EQ(transport->preflightDeadline, transport->exchangeDeadline);  // not restarted after the pre-flight
    EXPECT_GE(transport->exchangeDeadline, before + seconds(7));
    EXPECT_LE(transport->exchangeDeadline, steady_clock::now() + seconds(7));

    // Passed in the pre-flight: nothing more is sent and the pre-flight is tried again.
    SetUp();
    transport->preflight.deadlinePassed = true;
    HttpResponse r = client->Get(kPinned);
    EXPECT_EQ(r.error, kDeadlineError);
    EXPECT_EQ(r.failure, HttpFailure::Deadline);
    EXPECT_EQ(transport->exchanges, 0);
    EXPECT_FALSE(client->PreflightDone(kPinned));
    EXPECT_TRUE(reported.empty());  // a slow server is no pin failure

    // Passed while the body came: what came is dropped.
    transport->preflight.deadlinePassed = false;
    transport->preflight.chain = ChainWithPin("PIN-A");
    transport->exchange.deadlinePassed = true;
    r = client->Get(kPinned);
    EXPECT_EQ(r.error, kDeadlineError);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.body.empty());
    EXPECT_GT(transport->chunksTaken, 0u);
}

TEST_F(RequestSequenceTest, BodyOverTheBoundStopsTheReading) {
    transport->secure = false;
    transport->bodyChunks = {std::string(kMaxResponseBodyBytes, 'a'), "b", "never taken"};
    const HttpResponse r = client->Get(kUnpinned);
    EXPECT_EQ(r.error, kBodyTooLargeError);
    EXPECT_EQ(r.failure, HttpFailure::Size);
    EXPECT_TRUE(r.body.empty());
    EXPECT_EQ(transport->chunksTaken, 2u);
}

TEST_F(RequestSequenceTest, RefusedCertificatesAreAcceptedOnlyForPinnedHostsWhosePinsPass) {
    const auto pass = [](const std::wstring&) { return true; };
    const auto fail = [](const std::wstring&) { return false; };
    EXPECT_TRUE(AcceptRefusedCertificate(kPinned, pass));
    EXPECT_TRUE(AcceptRefusedCertificate(L"cdn.API.tovrel.localhost", pass));
    EXPECT_FALSE(AcceptRefusedCertificate(kPinned, fail));
    EXPECT_FALSE(AcceptRefusedCertificate(kPinned, nullptr));
    EXPECT_FALSE(AcceptRefusedCertificate(kUnpinned, pass));
    EXPECT_FALSE(AcceptRefusedCertificate(L"nopins.example", pass));  // an entry without pins
}

}  // namespace
}  // namespace pellaro
